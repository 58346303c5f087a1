#pragma once
// Headers of the oldest KUB format (marker "KE~^"): a 7-byte main header at the archive start,
// then one header of 21 fixed bytes and a name per item. No header checksums.
#include <cstdint>
#include <span>

#include "formats/kub/kub_header.h"

namespace kub::kubfmt {

// The main header from its 7 bytes.
ParsedHeader parse_gen1_main(std::span<const std::uint8_t> bytes);

// The extent of an item header from its 21 fixed bytes.
HeaderExtent gen1_file_extent(std::span<const std::uint8_t> fixed);

// An item header from all of its bytes.
ParsedHeader parse_gen1_file(std::span<const std::uint8_t> bytes);

}  // namespace kub::kubfmt

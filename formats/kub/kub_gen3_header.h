#pragma once
// Headers of the KUB 5.0 format: a CRC32, the size as a vint, then type, flags, the optional
// extra-area and data sizes, the type's fields, and the extra area at the header's end.
#include <cstdint>
#include <span>

#include "formats/kub/kub_header.h"

namespace kub::kubfmt {

// The extent of a header from its first bytes (the checksum and at least its size field).
HeaderExtent gen3_header_extent(std::span<const std::uint8_t> probe);

// A header from all of its bytes.
ParsedHeader parse_gen3_header(std::span<const std::uint8_t> bytes);

}  // namespace kub::kubfmt

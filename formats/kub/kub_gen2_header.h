#pragma once
// Block headers of the KUB 1.5-4.x format: 7 common bytes (checksum, type, flags, size), then
// fields by block type. The checksum is the low half of the CRC32 of the bytes read from offset 2.
#include <cstdint>
#include <span>

#include "formats/kub/kub_header.h"

namespace kub::kubfmt {

// The extent of a block from its 7 common bytes. Main blocks with an embedded comment and
// embedded blocks are read only to kGen2ShortReadSize; their rest is skipped by size.
HeaderExtent gen2_block_extent(std::span<const std::uint8_t> fixed);

// A block from the bytes the extent asked for.
ParsedHeader parse_gen2_block(std::span<const std::uint8_t> bytes, std::uint64_t header_size);

}  // namespace kub::kubfmt

#pragma once
// Turning one ZIP header (a central directory header, or a local header when the reader walks
// the local headers) into an ItemHeader.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

#include "formats/archive_reader.h"

namespace kub::zip {

enum class HeaderKind { kCentral, kLocal };

// Size of the fixed part of a header of this kind.
std::size_t fixed_size(HeaderKind kind);

// Bytes of name, extra field and entry comment that follow the fixed part.
std::size_t variable_size(HeaderKind kind, std::span<const std::uint8_t> fixed);

// The system table indexed by the high byte of "version made by"; empty from 18 on.
std::u16string_view host_system_name(unsigned host);

// What a header told the reader besides the item itself.
struct EntryFacts {
    bool zip64 = false;  // a zip64 extra block was present
};

// Fills `item` from the fixed part and the variable part (name, extra, comment) of a header.
// Fields a local header lacks (host system, version made by, comment, external attributes) count
// as zero.
void decode_entry(HeaderKind kind, std::span<const std::uint8_t> fixed,
                  std::span<const std::uint8_t> variable, ItemHeader& item, EntryFacts& facts);

}  // namespace kub::zip

#pragma once
// Opens a reader on a fuzz input, reads every item, closes it; traps when the listing runs past
// `item_limit` items (a loop the reader's bounds should have ended). Raised KUB_EXIT codes are
// the reader's sound answer to out-of-memory and end the listing.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "common/error_state.h"
#include "formats/archive_reader.h"

namespace kub::fuzz {

inline void list_reader(ArchiveReader& reader, std::u16string path, std::span<const std::uint8_t> head,
                        std::size_t item_limit) {
    std::int32_t offset = 0;
    try {
        if (reader.Open(path, head, offset, 0)) {
            for (std::size_t n = 0;; ++n) {
                ItemHeader item;
                if (reader.ReadItem(item) != kItemRead) break;
                if (n > item_limit) __builtin_trap();
            }
            ArchiveSummary summary;
            reader.Close(summary);
        }
    } catch (const KUB_EXIT&) {
    }
    ErrorState::reset();
}

}  // namespace kub::fuzz

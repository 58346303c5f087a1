#pragma once
// The body every reader's fuzz target shares: the input as a file of the given name, offered to
// a fresh reader as its head; when recognised, every item read up to a bound (a listing that
// does not end is a fault), then Close; then `after` with the reader and the path (operations
// that read the file on their own: next volume names, comments).
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "common/error_state.h"
#include "formats/archive_reader.h"
#include "tests/fuzz/fuzz_input_file.h"

namespace kub::fuzz {

template <class Reader, class After>
void list_with_reader(const std::uint8_t* data, std::size_t size, const char* name, std::size_t item_limit,
                      After after) {
    std::u16string path = input_file(data, size, name);
    std::span<const std::uint8_t> head(data, std::min(size, kHeadBytes));
    Reader reader(nullptr);
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
        after(reader, path);
    } catch (const KUB_EXIT&) {
    }
    ErrorState::reset();
}

}  // namespace kub::fuzz

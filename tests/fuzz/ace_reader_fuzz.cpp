// libFuzzer target: the ACE reader over arbitrary bytes: every file header read, then Close, and
// the next volume name of the input's name.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>

#include "common/error_state.h"
#include "formats/ace/ace_reader.h"
#include "tests/fuzz/fuzz_input_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::u16string path = kub::fuzz::input_file(data, size, "ace_reader_fuzz.ace");
    std::span<const std::uint8_t> head(data, std::min(size, kub::kHeadBytes));
    kub::AceReader reader(nullptr);
    std::int32_t offset = 0;
    try {
        if (reader.Open(path, head, offset, 0)) {
            // Every block moves the position forward by its 4-byte prefix at least.
            for (std::size_t n = 0;; ++n) {
                kub::ItemHeader item;
                if (reader.ReadItem(item) != kub::kItemRead) break;
                if (n > size) __builtin_trap();
            }
            kub::ArchiveSummary summary;
            reader.Close(summary);
        }
        std::u16string next = path;
        reader.NextVolumeName(next);
    } catch (const kub::KUB_EXIT&) {
    }
    kub::ErrorState::reset();
    return 0;
}

// libFuzzer target: the ARJ reader over arbitrary bytes: every entry read, then Close, and the
// comment read from the same bytes.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>

#include "common/error_state.h"
#include "formats/arj/arj_reader.h"
#include "tests/fuzz/fuzz_input_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::u16string path = kub::fuzz::input_file(data, size, "arj_reader_fuzz.arj");
    std::span<const std::uint8_t> head(data, std::min(size, kub::kHeadBytes));
    kub::ArjReader reader(nullptr);
    std::int32_t offset = 0;
    try {
        if (reader.Open(path, head, offset, 0)) {
            // Every entry moves the position forward by its header at least.
            for (std::size_t n = 0;; ++n) {
                kub::ItemHeader item;
                if (reader.ReadItem(item) != kub::kItemRead) break;
                if (n > size) __builtin_trap();
            }
            kub::ArchiveSummary summary;
            reader.Close(summary);
        }
        reader.GetComment(path);
    } catch (const kub::KUB_EXIT&) {
    }
    kub::ErrorState::reset();
    return 0;
}

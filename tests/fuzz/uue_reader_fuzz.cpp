// libFuzzer target: the UUE reader over arbitrary bytes (named .uue, so every begin line counts): every section read, then Close.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>

#include "common/error_state.h"
#include "formats/uue/uue_reader.h"
#include "tests/fuzz/fuzz_input_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::u16string path = kub::fuzz::input_file(data, size, "uue_reader_fuzz.uue");
    std::span<const std::uint8_t> head(data, std::min(size, kub::kHeadBytes));
    kub::UueReader reader(nullptr);
    std::int32_t offset = 0;
    try {
        if (reader.Open(path, head, offset, 0)) {
            // Every section takes a begin line of at least six bytes.
            for (int n = 0;; ++n) {
                kub::ItemHeader item;
                if (reader.ReadItem(item) != kub::kItemRead) break;
                if (static_cast<std::size_t>(n) > size) __builtin_trap();
            }
            kub::ArchiveSummary summary;
            reader.Close(summary);
        }
    } catch (const kub::KUB_EXIT&) {
    }
    kub::ErrorState::reset();
    return 0;
}

// libFuzzer target: the UDF reader over arbitrary bytes, every item read, then Close.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>

#include "common/error_state.h"
#include "formats/udf/udf_reader.h"
#include "tests/fuzz/fuzz_input_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::span<const std::uint8_t> head(data, std::min(size, kub::kHeadBytes));
    std::u16string path = kub::fuzz::input_file(data, size, "udf_reader_fuzz.iso");
    kub::UdfReader reader(nullptr);
    std::int32_t offset = 0;
    try {
        if (reader.Open(path, head, offset, 0)) {
            // Each item is a file identifier of at least 40 bytes of directory data, and the
            // directories open at once hold no more than the image; 255 levels of them.
            for (std::size_t n = 0;; ++n) {
                kub::ItemHeader item;
                if (reader.ReadItem(item) != kub::kItemRead) break;
                if (n > 256 * (size / 40 + 1)) __builtin_trap();
            }
            kub::ArchiveSummary summary;
            reader.Close(summary);
        }
    } catch (const kub::KUB_EXIT&) {
    }
    kub::ErrorState::reset();
    return 0;
}

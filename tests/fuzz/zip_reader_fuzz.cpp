// libFuzzer target: the ZIP reader over arbitrary bytes under a ".zip" name (so a head without
// a local header is still looked at), every entry read, then the comment search.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>

#include "common/error_state.h"
#include "formats/archive_reader.h"
#include "formats/zip/zip_reader.h"
#include "tests/fuzz/fuzz_input_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::u16string path = kub::fuzz::input_file(data, size, "zip_reader_fuzz.zip");
    std::span<const std::uint8_t> head(data, std::min(size, kub::kHeadBytes));
    kub::ZipReader reader(nullptr);
    std::int32_t offset = 0;
    if (reader.Open(path, head, offset, 0)) {
        // The next record position only grows, so the listing ends; the bound is a safety net
        // that makes a fault show as a failure instead of a timeout.
        for (std::size_t n = 0; n <= size; ++n) {
            kub::ItemHeader item;
            if (reader.ReadItem(item) != kub::kItemRead) break;
            if (n == size) __builtin_trap();
        }
        kub::ArchiveSummary summary;
        reader.Close(summary);
    }
    (void)kub::ReadZipComment(path);
    kub::ErrorState::reset();
    return 0;
}

// libFuzzer target: the ISO 9660 reader over arbitrary bytes, every item read, then Close.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>

#include "common/error_state.h"
#include "formats/iso/iso_reader.h"
#include "tests/fuzz/fuzz_input_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::span<const std::uint8_t> head(data, std::min(size, kub::kHeadBytes));
    std::u16string path = kub::fuzz::input_file(data, size, "iso_reader_fuzz.iso");
    kub::IsoReader reader(nullptr);
    std::int32_t offset = 0;
    try {
        if (reader.Open(path, head, offset, 0)) {
            // Every item consumes a path table record (8 bytes at least) or a directory record
            // (a byte at least) of the image, so the count stays below the image size.
            for (std::size_t n = 0;; ++n) {
                kub::ItemHeader item;
                if (reader.ReadItem(item) != kub::kItemRead) break;
                if (n > size) __builtin_trap();
            }
            kub::ArchiveSummary summary;
            reader.Close(summary);
        }
    } catch (const kub::KUB_EXIT&) {
    }
    kub::ErrorState::reset();
    return 0;
}

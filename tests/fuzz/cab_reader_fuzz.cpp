// libFuzzer target: the cabinet reader over arbitrary bytes: every entry read, then Close, and
// the next cabinet's name taken from the same bytes.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>

#include "common/error_state.h"
#include "formats/cab/cab_reader.h"
#include "tests/fuzz/fuzz_input_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::u16string path = kub::fuzz::input_file(data, size, "cab_reader_fuzz.cab");
    std::span<const std::uint8_t> head(data, std::min(size, kub::kHeadBytes));
    kub::CabReader reader(nullptr);
    std::int32_t offset = 0;
    try {
        if (reader.Open(path, head, offset, 0)) {
            // cFiles bounds the listing.
            for (int n = 0;; ++n) {
                kub::ItemHeader item;
                if (reader.ReadItem(item) != kub::kItemRead) break;
                if (n > 0xFFFF) __builtin_trap();
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

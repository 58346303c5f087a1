// libFuzzer target: the tar reader over arbitrary bytes named as a bzip2, xz and compress tar, so
// that the bytes are read through those stream readers (when they start with the right magic):
// every item read, then Close (which ends the inner stream).
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>

#include "common/error_state.h"
#include "formats/tar/tar_reader.h"
#include "tests/fuzz/fuzz_input_file.h"

namespace {

void list(const std::u16string& path, std::span<const std::uint8_t> head) {
    kub::TarReader reader(nullptr);
    std::u16string name = path;
    std::int32_t offset = 0;
    try {
        if (reader.Open(name, head, offset, 0)) {
            // Positions only grow by whole blocks and every stream is finite, so this ends.
            for (;;) {
                kub::ItemHeader item;
                if (reader.ReadItem(item) != kub::kItemRead) break;
            }
            kub::ArchiveSummary summary;
            reader.Close(summary);
        }
    } catch (const kub::KUB_EXIT&) {
    }
    kub::ErrorState::reset();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::span<const std::uint8_t> head(data, std::min(size, kub::kHeadBytes));
    list(kub::fuzz::input_file(data, size, "compressed_tar_fuzz.tar.bz2"), head);
    list(kub::fuzz::input_file(data, size, "compressed_tar_fuzz.txz"), head);
    list(kub::fuzz::input_file(data, size, "compressed_tar_fuzz.taz"), head);
    return 0;
}

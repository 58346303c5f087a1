// libFuzzer target: the tar reader over arbitrary bytes, once as a plain tar (named .tar, so the
// header test is not strict) and once as a compressed tar (named .tar.gz, read through the gzip
// stream when the bytes start like gzip), every item read, then Close.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>

#include "common/error_state.h"
#include "formats/tar/tar_reader.h"
#include "tests/fuzz/fuzz_input_file.h"

namespace {

void list(std::u16string path, std::span<const std::uint8_t> head, std::size_t size) {
    kub::TarReader reader(nullptr);
    std::int32_t offset = 0;
    try {
        if (reader.Open(path, head, offset, 0)) {
            // Positions only grow by whole blocks, so the listing ends; the bound makes a fault
            // show as a failure instead of a timeout. A compressed stream may expand its input
            // 1032 times.
            std::size_t limit = (size + 1) * 1032 / 512 + 16;
            for (std::size_t n = 0;; ++n) {
                kub::ItemHeader item;
                if (reader.ReadItem(item) != kub::kItemRead) break;
                if (n > limit) __builtin_trap();
            }
            kub::ArchiveSummary summary;
            reader.Close(summary);
        }
    } catch (const kub::KUB_EXIT&) {
    }
    if (kub::TarReader::long_name_nesting() != 0) __builtin_trap();
    kub::ErrorState::reset();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::span<const std::uint8_t> head(data, std::min(size, kub::kHeadBytes));
    list(kub::fuzz::input_file(data, size, "tar_reader_fuzz.tar"), head, size);
    list(kub::fuzz::input_file(data, size, "tar_reader_fuzz.tar.gz"), head, size);
    return 0;
}

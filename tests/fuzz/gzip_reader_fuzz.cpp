// libFuzzer target: the gzip reader over arbitrary bytes: the item, then the whole stream read in
// pieces with a SkipTo between them, then CloseStream.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "common/error_state.h"
#include "formats/gzip/gzip_reader.h"
#include "tests/fuzz/fuzz_input_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::u16string path = kub::fuzz::input_file(data, size, "gzip_reader_fuzz.gz");
    std::span<const std::uint8_t> head(data, std::min(size, kub::kHeadBytes));
    kub::GzipReader reader(nullptr);
    std::int32_t offset = 0;
    try {
        if (reader.Open(path, head, offset, 0)) {
            kub::ItemHeader item;
            reader.ReadItem(item);
            if (reader.OpenStream(path)) {
                std::vector<std::uint8_t> buffer(700);
                bool error = false;
                std::uint64_t position = 0;
                for (int round = 0; round < 64; ++round) {
                    std::size_t got = reader.ReadStream(buffer, error);
                    if (got == 0) break;
                    position += got;
                    std::int64_t reached = reader.SkipTo(position + 3000);
                    if (reached < 0) break;
                    position = static_cast<std::uint64_t>(reached);
                }
                reader.CloseStream();
            }
            kub::ArchiveSummary summary;
            reader.Close(summary);
        }
    } catch (const kub::KUB_EXIT&) {
        // Out of memory is the one thing the reader may raise.
    }
    kub::ErrorState::reset();
    return 0;
}

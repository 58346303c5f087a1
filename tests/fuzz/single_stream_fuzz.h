#pragma once
// The shared body of the single-stream reader targets (gzip, bzip2, xz, compress): the item,
// then the whole stream read in pieces with a SkipTo between them, then CloseStream.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "common/error_state.h"
#include "formats/archive_reader.h"
#include "tests/fuzz/fuzz_input_file.h"

namespace kub::fuzz {

inline void read_single_stream(SingleStreamReader& reader, const std::uint8_t* data, std::size_t size,
                               const char* file_name) {
    std::u16string path = input_file(data, size, file_name);
    std::span<const std::uint8_t> head(data, std::min(size, kHeadBytes));
    std::int32_t offset = 0;
    try {
        if (reader.Open(path, head, offset, 0)) {
            ItemHeader item;
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
            ArchiveSummary summary;
            reader.Close(summary);
        }
    } catch (const KUB_EXIT&) {
        // Out of memory is the one thing a reader may raise.
    }
    ErrorState::reset();
}

}  // namespace kub::fuzz

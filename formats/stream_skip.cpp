#include "formats/stream_skip.h"

#include <algorithm>
#include <array>

namespace kub {

std::int64_t SkipByReading(SingleStreamReader& reader, std::uint64_t delivered, std::uint64_t position,
                           std::int64_t when_data_ends) {
    if (position < delivered) return kSkipToFailed;
    std::array<std::uint8_t, 8192> piece;
    while (delivered < position) {
        std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(position - delivered, piece.size()));
        bool error = false;
        std::size_t got = reader.ReadStream(std::span<std::uint8_t>(piece.data(), want), error);
        if (error) return kSkipToFailed;
        if (got == 0) return when_data_ends;
        delivered += got;
    }
    return static_cast<std::int64_t>(delivered);
}

}  // namespace kub

#include "common/language/language_marker.h"

#include <algorithm>
#include <string_view>
#include <vector>

namespace kub {
namespace {

// The marker line is "***messages***"; its last character is not compared, so a file whose
// marker was cut by an editor still loads.
constexpr std::string_view kMarker = "***messages**";

// The last offsets a block tests, as distances from the block's end (the UTF-16LE distance
// equals the overlap, so no offset falls between two blocks).
constexpr std::size_t kAnsiTail = 16;
constexpr std::size_t kUtf16Tail = 32;
static_assert(kMarker.size() <= kAnsiTail && 2 * kMarker.size() <= kUtf16Tail);
static_assert(kMarkerBlockOverlap >= kUtf16Tail && kMarkerBlockOverlap < kMarkerBlockSize);

bool ansi_marker_at(const std::uint8_t* p) {
    for (std::size_t i = 0; i < kMarker.size(); ++i)
        if (p[i] != static_cast<std::uint8_t>(kMarker[i])) return false;
    return true;
}

bool utf16_marker_at(const std::uint8_t* p) {
    for (std::size_t i = 0; i < kMarker.size(); ++i)
        if (p[2 * i] != static_cast<std::uint8_t>(kMarker[i]) || p[2 * i + 1] != 0) return false;
    return true;
}

}  // namespace

std::optional<LanguageMarker> find_language_marker(const ReadAt& read) {
    std::vector<std::uint8_t> block(kMarkerBlockSize);
    std::uint64_t start = 0;
    for (unsigned n = 0; n < kMarkerMaxBlocks; ++n) {
        std::ptrdiff_t got = read(start, block);
        if (got <= 0) return std::nullopt;
        std::size_t length = std::min(static_cast<std::size_t>(got), block.size());
        for (std::size_t j = 0; j + kAnsiTail <= length; ++j) {
            if (ansi_marker_at(&block[j])) return LanguageMarker{start + j, LanguageEncoding::kAnsi};
            if (j + kUtf16Tail <= length && utf16_marker_at(&block[j]))
                return LanguageMarker{start + j, LanguageEncoding::kUtf16le};
        }
        if (length < block.size()) return std::nullopt;  // the end of the file
        start += length - kMarkerBlockOverlap;
    }
    return std::nullopt;
}

}  // namespace kub

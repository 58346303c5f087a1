#include "formats/sevenzip/sevenzip_signature.h"

#include <cstring>

#include "formats/byte_search.h"

namespace kub::sevenzip {

std::optional<std::uint32_t> find_signature(std::span<const std::uint8_t> head) {
    if (head.size() < kSignature.size() + 1) return std::nullopt;
    // A signature must leave one byte after it. Candidates found with find_byte, at memory speed.
    const std::uint8_t* const begin = head.data();
    const std::uint8_t* const last = begin + (head.size() - kSignature.size() - 1);
    for (const std::uint8_t* p = begin; p <= last; ++p) {
        p = find_byte(p, kSignature[0], static_cast<std::size_t>(last - p) + 1);
        if (!p) break;
        // The head is at most 1 MiB, so every position fits 32 bits.
        if (std::memcmp(p, kSignature.data(), kSignature.size()) == 0) return static_cast<std::uint32_t>(p - begin);
    }
    return std::nullopt;
}

}  // namespace kub::sevenzip

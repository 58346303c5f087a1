#include "formats/sevenzip/sevenzip_signature.h"

#include <algorithm>

namespace kub::sevenzip {

std::optional<std::uint32_t> find_signature(std::span<const std::uint8_t> head) {
    if (head.size() < kSignature.size() + 1) return std::nullopt;
    // The head is at most 1 MiB, so every position fits 32 bits.
    std::span<const std::uint8_t> searched = head.first(head.size() - 1);
    auto found = std::search(searched.begin(), searched.end(), kSignature.begin(), kSignature.end());
    if (found == searched.end()) return std::nullopt;
    return static_cast<std::uint32_t>(found - searched.begin());
}

}  // namespace kub::sevenzip

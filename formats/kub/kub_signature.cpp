#include "formats/kub/kub_signature.h"

#include <algorithm>
#include <cstring>

#include "formats/byte_search.h"
#include "formats/kub/kub_layout.h"

namespace kub::kubfmt {

namespace {

bool starts_with(std::span<const std::uint8_t> bytes, std::size_t at, const std::uint8_t* what,
                 std::size_t n) {
    if (at > bytes.size() || bytes.size() - at < n) return false;
    return std::equal(what, what + n, bytes.begin() + static_cast<std::ptrdiff_t>(at));
}

// Bytes the search block must hold before an untagged module is held against a marker in it.
constexpr std::size_t kTagCheckMinimumBlock = 32;

bool has_sfx_tag(std::span<const std::uint8_t> head) {
    return starts_with(head, kSfxTagOffset, kSfxTag, sizeof kSfxTag);
}

}  // namespace

Generation signature_at(std::span<const std::uint8_t> bytes, std::size_t at) {
    if (starts_with(bytes, at, kGen1Marker, kGen1MarkerSize)) return kGenerationOldest;
    if (!starts_with(bytes, at, kBlockSignature, sizeof kBlockSignature)) return kGenerationNone;
    if (bytes.size() - at < kSignatureSize) return kGenerationNone;
    switch (bytes[at + sizeof kBlockSignature]) {
        case kGen2Version: return kGenerationBlock;
        case kGen3Version: return kGenerationFive;
        case kGen4Version: return kGenerationNewer;
        default: return kGenerationNone;
    }
}

std::optional<SignatureMatch> find_signature(std::span<const std::uint8_t> head) {
    std::span<const std::uint8_t> first = head.first(std::min(head.size(), kSignatureSize));
    if (Generation g = signature_at(first, 0); g != kGenerationNone) return SignatureMatch{g, 0};
    if (head.size() <= kSignatureSize) return std::nullopt;

    std::span<const std::uint8_t> block =
        head.subspan(kSignatureSize, std::min(head.size() - kSignatureSize, kSfxSearchBytes));
    // Every signature starts with the same byte: find_byte finds its candidates at memory speed.
    const std::uint8_t* const begin = block.data();
    const std::uint8_t* const end = begin + block.size();
    for (const std::uint8_t* p = begin; p < end; ++p) {
        p = find_byte(p, kGen1Marker[0], static_cast<std::size_t>(end - p));
        if (p == nullptr) break;
        const std::size_t i = static_cast<std::size_t>(p - begin);
        Generation g = signature_at(block, i);
        if (g == kGenerationNone) continue;
        // The oldest marker is short enough to occur by chance: behind the first position it
        // counts only in a tagged module, or in a search block too short to be one.
        if (g == kGenerationOldest && i > 0 && block.size() >= kTagCheckMinimumBlock && !has_sfx_tag(head))
            continue;
        return SignatureMatch{g, kSignatureSize + i};
    }
    return std::nullopt;
}

}  // namespace kub::kubfmt

#pragma once
// Recognition of a KUB archive by its signature, at the file start or behind a self-extracting
// module.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace kub::kubfmt {

// The header generations; kGenerationNewer is recognised only to be refused.
enum Generation : int {
    kGenerationNone = 0,
    kGenerationOldest = 1,  // marker "KE~^"
    kGenerationBlock = 2,   // block headers with 16-bit checksums
    kGenerationFive = 3,    // headers with variable-length integers
    kGenerationNewer = 4,
};

// The generation whose signature starts at `at`, or kGenerationNone. The whole signature must lie
// inside `bytes`.
Generation signature_at(std::span<const std::uint8_t> bytes, std::size_t at);

struct SignatureMatch {
    Generation generation = kGenerationNone;
    std::uint64_t offset = 0;  // the self-extracting module's size; 0 at the file start
};

// Finds the archive in the first bytes of a file: its first 7 bytes and, behind them, at most
// kSfxSearchBytes more. A signature at the start wins; otherwise the first position that holds
// one, except that a generation-1 marker there counts only when the file has "KSFX" at 28..31
// (or is shorter than 32 bytes).
std::optional<SignatureMatch> find_signature(std::span<const std::uint8_t> head);

}  // namespace kub::kubfmt

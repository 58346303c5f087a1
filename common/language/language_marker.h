#pragma once
// Finding the start of the translation part of a language file. A language file may carry any
// preamble (a description, a byte-order mark, a signature block); the translations begin at a
// marker line, written either in the ANSI code page or in UTF-16LE, and the marker's encoding is
// the encoding of everything after it.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>

namespace kub {

// Reads up to buffer.size() bytes at an absolute offset; returns the count read (0 at the end)
// or a negative value when the read fails.
using ReadAt = std::function<std::ptrdiff_t(std::uint64_t offset, std::span<std::uint8_t> buffer)>;

enum class LanguageEncoding { kAnsi, kUtf16le };

struct LanguageMarker {
    std::uint64_t offset = 0;
    LanguageEncoding encoding = LanguageEncoding::kAnsi;
};

inline constexpr std::size_t kMarkerBlockSize = 8192;
inline constexpr unsigned kMarkerMaxBlocks = 128;
// Consecutive blocks share this many bytes so that a marker across a block border is seen
// whole in one of them. It must cover the UTF-16LE marker, not only the single-byte one.
inline constexpr std::size_t kMarkerBlockOverlap = 32;

// The first marker within the first kMarkerMaxBlocks blocks, or nothing.
std::optional<LanguageMarker> find_language_marker(const ReadAt& read);

}  // namespace kub

#pragma once
// Finding a ZIP archive inside a file: the first local header in the head, and the central
// directory through the end records found by a bounded backwards search.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>

namespace kub::zip {

// Reads up to buffer.size() bytes at an absolute offset; the count read (0 on failure).
using ReadAt = std::function<std::size_t(std::uint64_t offset, std::span<std::uint8_t> buffer)>;

// Position of the first plausible local header in the head: 0 for a head that starts with an
// end record (an empty archive), else the first "PK\3\4" whose method fits in one byte below 110
// and whose name length is below 1024. None when the head holds no such header.
std::optional<std::uint32_t> find_first_local_header(std::span<const std::uint8_t> head);

// Window geometry of the end record search: 64 windows of 1 KiB, overlapping by 4 bytes, the
// first covering the last 1006 bytes of the file (an end record of 22 bytes and most of a short
// comment), about 64 KiB in all.
inline constexpr std::size_t kEndSearchWindow = 1024;
inline constexpr std::size_t kEndSearchFirstBack = 1006;
inline constexpr std::size_t kEndSearchStep = 1020;
inline constexpr int kEndSearchMaxWindows = 64;

struct CentralDirectoryLocation {
    std::uint64_t offset = 0;   // where the end record says the central directory starts
    std::uint64_t size = 0;     // its size as recorded
    std::uint64_t end_at = 0;   // where the record that follows the directory starts
    bool zip64 = false;
};

// Searches backwards from the end of a file of `file_size` bytes for the end record, or for the
// zip64 locator and the zip64 end record it points to.
std::optional<CentralDirectoryLocation> find_central_directory(const ReadAt& read_at,
                                                               std::uint64_t file_size);

// The start of the central directory: the recorded offset when a directory header or end record
// is there; otherwise, for an archive with bytes prepended after it was made (a self-extracting
// stub glued in front), the offset moved by the size of what was prepended, when that lands on
// one. The recorded offset when neither does.
std::uint64_t settle_central_directory_start(const ReadAt& read_at,
                                             const CentralDirectoryLocation& where);

}  // namespace kub::zip

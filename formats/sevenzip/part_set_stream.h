#pragma once
// The bytes the outside library reads: one archive file, or the parts name.7z.001, name.7z.002,
// ... presented as one concatenated sequence.
//
// State: the open parts in order with their sizes and start positions in the sequence, and one
// absolute read position. A read finds the part that holds the position, reads from it and goes
// on into the following parts until the count is met or the last part ends; a position past the
// end is allowed and reads nothing. Every loop is bounded by the part count (at most 999).
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "common/files/disk_file.h"

namespace kub::sevenzip {

// Part numbers run from 001 to this.
inline constexpr int kMaxPartNumber = 999;

enum class SeekOrigin : std::uint32_t { kSet = 0, kCurrent = 1, kEnd = 2 };

enum class StreamStatus {
    kOk,
    kReadFailed,
    kBadOrigin,      // an origin above 2
    kBadPosition,    // a position before the start (or beyond 2^63 - 1)
};

class PartSetStream {
public:
    // Opens the file; for a name ending in ".7z.001" (any case) with a ".7z.002" beside it, the
    // parts numbered on from 001 for as long as they exist. False when a file cannot be opened
    // (nothing stays open then).
    bool open(std::u16string_view path);

    StreamStatus read(void* data, std::uint32_t size, std::uint32_t& got);
    StreamStatus seek(std::int64_t offset, SeekOrigin origin, std::uint64_t& new_position);
    std::uint64_t size() const { return total_size_; }
    std::size_t part_count() const { return parts_.size(); }

private:
    struct Part {
        std::unique_ptr<DiskFile> file;
        std::uint64_t start = 0;  // position of its first byte in the sequence
        std::uint64_t size = 0;
    };
    bool add_part(std::u16string_view name);

    std::vector<Part> parts_;
    std::uint64_t total_size_ = 0;
    std::uint64_t position_ = 0;
};

// The names of the parts of a set whose first part is `path` (ending in ".7z.001"): 001, 002,
// ... up to the first number that names no existing file. Empty when `path` is not such a name.
std::vector<std::u16string> part_names(std::u16string_view path);

}  // namespace kub::sevenzip

#pragma once
// BufferedInputFile: a DiskFile read through a 16 KiB buffer, for readers that take their
// archive a few bytes at a time (gzip, compress, ISO 9660, LZH, UUE).
//
// State: `buffer_[offset_, fill_)` holds the bytes that follow the caller's position; the file's
// own position is just past `buffer_[fill_)`. So the caller's position is the file's position
// minus the bytes still buffered, and every seek empties the buffer.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "common/files/disk_file.h"

namespace kub {

class BufferedInputFile : public DiskFile {
public:
    static constexpr std::size_t kBufferSize = 16384;

    bool Open(std::u16string_view name, unsigned flags = 0) override;
    // What is buffered first; a rest below the buffer size is served by one refill, a larger
    // rest is read straight into `buffer`. The bytes delivered by both steps, or -1 when nothing
    // could be delivered because the file failed.
    std::int64_t Read(void* buffer, std::size_t size) override;
    bool Seek(std::int64_t offset, SeekMethod method = SeekMethod::begin) override;
    std::int64_t Tell() override;

    // One byte, or -1 at the end of the file or on a failure.
    int ReadByte() {
        if (offset_ < fill_) return buffer_[offset_++];
        return ReadByteSlow();
    }

private:
    int ReadByteSlow();
    bool Refill();

    std::array<std::uint8_t, kBufferSize> buffer_{};
    std::size_t fill_ = 0;
    std::size_t offset_ = 0;
};

}  // namespace kub

#include "formats/buffered_input_file.h"

#include <cstring>

#include "formats/read_progress.h"

namespace kub {

bool BufferedInputFile::Open(std::u16string_view name, unsigned flags) {
    fill_ = 0;
    offset_ = 0;
    return DiskFile::Open(name, flags);
}

bool BufferedInputFile::Refill() {
    offset_ = 0;
    fill_ = 0;
    std::int64_t got = DiskFile::Read(buffer_.data(), buffer_.size());
    if (got <= 0) return false;
    fill_ = static_cast<std::size_t>(got);
    note_archive_bytes_read(fill_);
    return true;
}

std::int64_t BufferedInputFile::Read(void* buffer, std::size_t size) {
    auto* out = static_cast<std::uint8_t*>(buffer);
    std::size_t buffered = fill_ - offset_;
    std::size_t first = size < buffered ? size : buffered;
    if (first != 0) std::memcpy(out, buffer_.data() + offset_, first);
    offset_ += first;
    std::size_t rest = size - first;
    if (rest == 0) return static_cast<std::int64_t>(first);
    if (rest >= kBufferSize) {
        std::int64_t got = DiskFile::Read(out + first, rest);
        if (got < 0) return first != 0 ? static_cast<std::int64_t>(first) : -1;
        note_archive_bytes_read(static_cast<std::size_t>(got));
        return static_cast<std::int64_t>(first) + got;
    }
    if (!Refill()) return static_cast<std::int64_t>(first);
    std::size_t second = rest < fill_ ? rest : fill_;
    std::memcpy(out + first, buffer_.data(), second);
    offset_ = second;
    return static_cast<std::int64_t>(first + second);
}

int BufferedInputFile::ReadByteSlow() {
    if (!Refill()) return -1;
    return buffer_[offset_++];
}

std::int64_t BufferedInputFile::Tell() {
    std::int64_t position = DiskFile::Tell();
    if (position < 0) return position;
    return position - static_cast<std::int64_t>(fill_ - offset_);
}

bool BufferedInputFile::Seek(std::int64_t offset, SeekMethod method) {
    std::size_t buffered = fill_ - offset_;
    fill_ = 0;
    offset_ = 0;
    // Bring the file to the caller's position first, so a relative seek counts from there.
    if (buffered != 0 && !DiskFile::Seek(-static_cast<std::int64_t>(buffered), SeekMethod::current))
        return false;
    return DiskFile::Seek(offset, method);
}

}  // namespace kub

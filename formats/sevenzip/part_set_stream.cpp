#include "formats/sevenzip/part_set_stream.h"

#include <algorithm>

#include "common/files/file_helpers.h"

namespace kub::sevenzip {

namespace {

constexpr std::u16string_view kFirstPartSuffix = u".7z.001";

bool ends_with_first_part_suffix(std::u16string_view path) {
    if (path.size() < kFirstPartSuffix.size()) return false;
    std::u16string_view tail = path.substr(path.size() - kFirstPartSuffix.size());
    for (std::size_t i = 0; i < tail.size(); ++i) {
        char16_t c = tail[i];
        if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
        if (c != kFirstPartSuffix[i]) return false;
    }
    return true;
}

std::u16string numbered_name(std::u16string_view path, int number) {
    std::u16string name(path.substr(0, path.size() - 3));
    name.push_back(static_cast<char16_t>(u'0' + number / 100));
    name.push_back(static_cast<char16_t>(u'0' + number / 10 % 10));
    name.push_back(static_cast<char16_t>(u'0' + number % 10));
    return name;
}

}  // namespace

std::vector<std::u16string> part_names(std::u16string_view path) {
    std::vector<std::u16string> names;
    if (!ends_with_first_part_suffix(path)) return names;
    for (int number = 1; number <= kMaxPartNumber; ++number) {
        std::u16string name = numbered_name(path, number);
        if (file_attributes(name) == os::kInvalidAttributes) break;
        names.push_back(std::move(name));
    }
    return names;
}

bool PartSetStream::add_part(std::u16string_view name) {
    Part part;
    part.file = std::make_unique<DiskFile>();
    part.file->report_errors = false;
    if (!part.file->Open(name)) return false;
    std::int64_t length = part.file->FileLength();
    part.size = length > 0 ? static_cast<std::uint64_t>(length) : 0;
    part.start = total_size_;
    total_size_ += part.size;
    parts_.push_back(std::move(part));
    return true;
}

bool PartSetStream::open(std::u16string_view path) {
    parts_.clear();
    total_size_ = 0;
    position_ = 0;
    std::vector<std::u16string> names = part_names(path);
    if (names.size() < 2) names.assign(1, std::u16string(path));
    for (const std::u16string& name : names) {
        if (!add_part(name)) {
            parts_.clear();
            total_size_ = 0;
            return false;
        }
    }
    return true;
}

StreamStatus PartSetStream::read(void* data, std::uint32_t size, std::uint32_t& got) {
    got = 0;
    auto* out = static_cast<std::uint8_t*>(data);
    for (Part& part : parts_) {
        if (got == size) break;
        std::uint64_t end = part.start + part.size;
        if (position_ >= end) continue;
        std::uint64_t offset = position_ - part.start;
        std::uint64_t wanted = std::min<std::uint64_t>(size - got, part.size - offset);
        if (!part.file->Seek(static_cast<std::int64_t>(offset), SeekMethod::begin))
            return StreamStatus::kReadFailed;
        std::int64_t n = part.file->Read(out + got, static_cast<std::size_t>(wanted));
        if (n < 0) return StreamStatus::kReadFailed;
        got += static_cast<std::uint32_t>(n);
        position_ += static_cast<std::uint64_t>(n);
        // A part that shrank since it was measured ends the data here rather than leaving a gap.
        if (static_cast<std::uint64_t>(n) < wanted) break;
    }
    return StreamStatus::kOk;
}

StreamStatus PartSetStream::seek(std::int64_t offset, SeekOrigin origin, std::uint64_t& new_position) {
    std::uint64_t base = 0;
    switch (origin) {
        case SeekOrigin::kSet: base = 0; break;
        case SeekOrigin::kCurrent: base = position_; break;
        case SeekOrigin::kEnd: base = total_size_; break;
        default: return StreamStatus::kBadOrigin;
    }
    // Every position stays within 0 .. 2^63 - 1.
    std::int64_t target = 0;
    if (__builtin_add_overflow(static_cast<std::int64_t>(base), offset, &target) || target < 0)
        return StreamStatus::kBadPosition;
    position_ = static_cast<std::uint64_t>(target);
    new_position = position_;
    return StreamStatus::kOk;
}

}  // namespace kub::sevenzip

#include "formats/kub/kub_quick_open.h"

#include <algorithm>
#include <cstring>
#include <span>

#include "common/checksum/crc32.h"
#include "formats/byte_reader.h"
#include "formats/kub/kub_layout.h"
#include "formats/kub/kub_vint.h"

namespace kub::kubfmt {

namespace {
constexpr std::size_t kRecordCrcSize = 4;
}

QuickOpenCache::QuickOpenCache(ByteSource& file, std::uint64_t qo_header_position,
                               std::uint64_t data_position, std::uint64_t data_size)
    : file_(file),
      qo_header_position_(qo_header_position),
      data_position_(data_position),
      data_size_(data_size) {
    position_ = file_.tell();
}

void QuickOpenCache::restart() {
    buffer_.clear();
    buffer_origin_ = 0;
    next_record_ = 0;
    have_record_ = false;
}

bool QuickOpenCache::load_buffer(std::uint64_t data_offset) {
    std::uint64_t left = data_size_ - data_offset;
    std::size_t size = static_cast<std::size_t>(std::min<std::uint64_t>(left, kQuickOpenBufferSize));
    buffer_.resize(size);
    buffer_origin_ = data_offset;
    if (!file_.seek(data_position_ + data_offset)) return false;
    std::size_t got = read_fully(file_, buffer_.data(), size);
    buffer_.resize(got);
    return got == size;
}

bool QuickOpenCache::take_next_record() {
    have_record_ = false;
    if (next_record_ >= data_size_) return false;
    // A record is parsed in the buffer; when it does not lie there whole, the buffer is refilled
    // from the record's start, and a record longer than the buffer is inconsistent.
    for (bool reloaded = false;; reloaded = true) {
        bool buffered = next_record_ >= buffer_origin_ && next_record_ - buffer_origin_ < buffer_.size();
        if (!buffered || reloaded) {
            if (!load_buffer(next_record_)) break;
        }
        std::size_t at = static_cast<std::size_t>(next_record_ - buffer_origin_);
        std::span<const std::uint8_t> rest(buffer_.data() + at, buffer_.size() - at);
        std::uint64_t size = 0;
        std::size_t size_length = 0;
        bool sized = decode_vint(rest, kRecordCrcSize, size, size_length);
        if (sized && (size == 0 || size > data_size_ - next_record_)) break;
        std::uint64_t total = kRecordCrcSize + size_length + size;
        if (!sized || total > rest.size()) {
            if (reloaded || buffer_origin_ == next_record_) break;
            continue;
        }
        if (total > data_size_ - next_record_) break;

        std::span<const std::uint8_t> record = rest.first(static_cast<std::size_t>(total));
        ByteReader fields(record);
        fields.seek(kRecordCrcSize + size_length);
        read_vint(fields);  // flags
        std::uint64_t offset = read_vint(fields);
        std::uint64_t length = read_vint(fields);
        if (fields.overrun() || length > fields.remaining() || offset > qo_header_position_) break;

        record_valid_ = le32(record, 0) == crc32(record.data() + kRecordCrcSize,
                                                 record.size() - kRecordCrcSize);
        record_start_ = qo_header_position_ - offset;
        record_length_ = length;
        record_data_ = at + fields.position();
        next_record_ += total;
        have_record_ = true;
        return true;
    }
    active_ = false;
    return false;
}

std::int64_t QuickOpenCache::read(std::uint8_t* buffer, std::size_t size) {
    while (active_) {
        if (!have_record_ && !take_next_record()) break;
        if (position_ >= record_start_ && position_ - record_start_ >= record_length_) {
            have_record_ = false;  // passed its end: on to the next one
            continue;
        }
        bool inside = record_valid_ && position_ >= record_start_ &&
                      size <= record_length_ - (position_ - record_start_);
        if (!inside) break;
        std::memcpy(buffer, buffer_.data() + record_data_ + (position_ - record_start_), size);
        position_ += size;
        served_ += size;
        return static_cast<std::int64_t>(size);
    }
    if (!file_.seek(position_)) return -1;
    std::int64_t got = file_.read(buffer, size);
    if (got > 0) position_ += static_cast<std::uint64_t>(got);
    return got;
}

bool QuickOpenCache::seek(std::uint64_t position) {
    if (active_ && position < position_ && (!have_record_ || position < record_start_)) restart();
    position_ = position;
    return true;
}

}  // namespace kub::kubfmt

#include "formats/decoded_bytes.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace kub {

namespace {
// Delivered bytes at the front are moved out once there are this many of them.
constexpr std::size_t kCompactThreshold = 0x20000;
}  // namespace

bool DecodedBytes::Append(std::span<const std::uint8_t> bytes) {
    std::size_t fill = bytes_.size();
    if (bytes.size() > bytes_.capacity() - fill) {
        try {
            bytes_.reserve(fill + bytes.size() + fill / 4);
        } catch (const std::bad_alloc&) {
            return false;
        }
    }
    bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
    return true;
}

std::size_t DecodedBytes::Deliver(std::uint8_t* out, std::size_t count) {
    std::size_t n = std::min(count, waiting());
    if (out != nullptr && n != 0) std::memcpy(out, bytes_.data() + read_offset_, n);
    read_offset_ += n;
    if (read_offset_ == bytes_.size()) {
        bytes_.clear();
        read_offset_ = 0;
    } else if (read_offset_ > kCompactThreshold) {
        bytes_.erase(bytes_.begin(), bytes_.begin() + static_cast<std::ptrdiff_t>(read_offset_));
        read_offset_ = 0;
    }
    delivered_ += n;
    return n;
}

void DecodedBytes::Release() {
    std::vector<std::uint8_t>().swap(bytes_);
    read_offset_ = 0;
}

}  // namespace kub

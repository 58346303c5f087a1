#pragma once
// The one way header fields are read from untrusted bytes.
//
// Integers are assembled byte by byte (never by casting structs over buffers). A field that lies
// wholly or partly beyond the bytes that were read reads as zero (never as the bytes of it that
// happen to exist) and does not move the cursor; the cursor remembers that it ran past the end (a
// sticky flag), so a parser can read a whole header and check once.
#include <cstddef>
#include <cstdint>
#include <span>

namespace kub {

inline bool field_fits(std::span<const std::uint8_t> bytes, std::size_t offset, unsigned width) {
    return offset <= bytes.size() && bytes.size() - offset >= width;
}

// Little- and big-endian loads at an offset of a byte span; a field not wholly inside reads as zero.
inline std::uint64_t load_le(std::span<const std::uint8_t> bytes, std::size_t offset, unsigned width) {
    if (!field_fits(bytes, offset, width)) return 0;
    std::uint64_t value = 0;
    for (unsigned i = 0; i < width; ++i) value |= std::uint64_t{bytes[offset + i]} << (8 * i);
    return value;
}

inline std::uint64_t load_be(std::span<const std::uint8_t> bytes, std::size_t offset, unsigned width) {
    if (!field_fits(bytes, offset, width)) return 0;
    std::uint64_t value = 0;
    for (unsigned i = 0; i < width; ++i) value = (value << 8) | bytes[offset + i];
    return value;
}

inline std::uint16_t le16(std::span<const std::uint8_t> b, std::size_t off) {
    return static_cast<std::uint16_t>(load_le(b, off, 2));
}
inline std::uint32_t le32(std::span<const std::uint8_t> b, std::size_t off) {
    return static_cast<std::uint32_t>(load_le(b, off, 4));
}
inline std::uint64_t le64(std::span<const std::uint8_t> b, std::size_t off) { return load_le(b, off, 8); }
inline std::uint16_t be16(std::span<const std::uint8_t> b, std::size_t off) {
    return static_cast<std::uint16_t>(load_be(b, off, 2));
}
inline std::uint32_t be32(std::span<const std::uint8_t> b, std::size_t off) {
    return static_cast<std::uint32_t>(load_be(b, off, 4));
}

// A forward cursor over a byte span with a sticky overrun flag.
class ByteReader {
public:
    explicit ByteReader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

    std::uint8_t u8() { return static_cast<std::uint8_t>(take_le(1)); }
    std::uint16_t u16() { return static_cast<std::uint16_t>(take_le(2)); }
    std::uint32_t u32() { return static_cast<std::uint32_t>(take_le(4)); }
    std::uint64_t u64() { return take_le(8); }
    std::uint16_t u16be() { return static_cast<std::uint16_t>(take_be(2)); }
    std::uint32_t u32be() { return static_cast<std::uint32_t>(take_be(4)); }

    // The next n bytes as a span (shorter when the data ends; the overrun flag is then set).
    std::span<const std::uint8_t> bytes(std::size_t n) {
        std::size_t start = pos_ < bytes_.size() ? pos_ : bytes_.size();
        std::size_t available = bytes_.size() - start;
        if (n > available) overrun_ = true;
        std::size_t taken = n < available ? n : available;
        advance(n);
        return bytes_.subspan(start, taken);
    }

    void skip(std::size_t n) { advance(n); }
    void seek(std::size_t pos) {
        pos_ = pos;
        if (pos_ > bytes_.size()) overrun_ = true;
    }

    std::size_t position() const { return pos_; }
    std::size_t remaining() const { return pos_ < bytes_.size() ? bytes_.size() - pos_ : 0; }
    bool overrun() const { return overrun_; }
    std::span<const std::uint8_t> data() const { return bytes_; }

private:
    std::uint64_t take_le(unsigned width) {
        if (remaining() < width) {
            overrun_ = true;
            return 0;
        }
        std::uint64_t v = load_le(bytes_, pos_, width);
        pos_ += width;
        return v;
    }
    std::uint64_t take_be(unsigned width) {
        if (remaining() < width) {
            overrun_ = true;
            return 0;
        }
        std::uint64_t v = load_be(bytes_, pos_, width);
        pos_ += width;
        return v;
    }
    void advance(std::size_t n) {
        // Saturate instead of wrapping: a huge length from a header must not bring the cursor back.
        if (n > SIZE_MAX - pos_) {
            pos_ = SIZE_MAX;
            overrun_ = true;
            return;
        }
        pos_ += n;
        if (pos_ > bytes_.size()) overrun_ = true;
    }

    std::span<const std::uint8_t> bytes_;
    std::size_t pos_ = 0;
    bool overrun_ = false;
};

}  // namespace kub

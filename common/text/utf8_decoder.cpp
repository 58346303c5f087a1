#include "common/text/encoding.h"

namespace kub {

// UTF-8 decoder. State: `i` is the offset of the next sequence in bytes; out holds the units of
// every complete, valid sequence before it and never more than size - 1 units. A sequence is
// a lead byte (0x00-0x7F alone, 0xC0-0xDF, 0xE0-0xEF or 0xF0-0xF7 followed by 1, 2 or 3 bytes)
// and its continuation bytes (0x80-0xBF); code points above 0xFFFF become surrogate pairs.
bool utf8_to_wide(std::string_view bytes, std::u16string& out, std::size_t size) {
    constexpr char32_t kMaxCodePoint = 0x10FFFF;
    out.clear();
    if (size == 0) return true;
    const std::size_t capacity = size - 1;
    std::size_t i = 0;
    while (i < bytes.size() && out.size() < capacity) {
        unsigned char lead = static_cast<unsigned char>(bytes[i]);
        char32_t code_point;
        std::size_t extra;
        if (lead < 0x80) {
            code_point = lead;
            extra = 0;
        } else if (lead >= 0xC0 && lead <= 0xDF) {
            code_point = lead & 0x1F;
            extra = 1;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            code_point = lead & 0x0F;
            extra = 2;
        } else if (lead >= 0xF0 && lead <= 0xF7) {
            code_point = lead & 0x07;
            extra = 3;
        } else {
            return false;  // a stray continuation byte or no lead byte at all
        }
        if (bytes.size() - i - 1 < extra) return false;
        for (std::size_t k = 1; k <= extra; ++k) {
            unsigned char next = static_cast<unsigned char>(bytes[i + k]);
            if (next < 0x80 || next > 0xBF) return false;
            code_point = code_point << 6 | (next & 0x3F);
        }
        if (code_point > kMaxCodePoint) return false;
        // The terminator, also when spelled in more bytes than needed: a buffer would end here.
        if (code_point == 0) break;
        if (code_point > 0xFFFF) {
            if (capacity - out.size() < 2) break;
            out.push_back(static_cast<char16_t>((code_point >> 10) + 0xD7C0));
            out.push_back(static_cast<char16_t>(0xDC00 + (code_point & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(code_point));
        }
        i += extra + 1;
    }
    return true;
}

}  // namespace kub

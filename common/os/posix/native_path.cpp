#include "common/os/posix/native_path.h"

#include <cstdint>

#include "common/os/posix/utf8_code_point.h"

namespace kub::os::posix {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

void append_utf16(std::u16string& out, char32_t c) {
    if (c < 0x10000) {
        out += static_cast<char16_t>(c);
    } else {
        c -= 0x10000;
        out += static_cast<char16_t>(0xD800 + (c >> 10));
        out += static_cast<char16_t>(0xDC00 + (c & 0x3FF));
    }
}

}  // namespace

std::string to_native_path(std::u16string_view path) {
    // The system's long-path forms name the same file here.
    std::string out;
    if (path.starts_with(u"\\\\?\\UNC\\")) {
        path.remove_prefix(7);
        out += '/';  // the network path's first separator
    } else if (path.starts_with(u"\\\\?\\")) {
        path.remove_prefix(4);
    }
    out.reserve(path.size());
    for (std::size_t i = 0; i < path.size(); ++i) {
        char32_t c = path[i];
        if (c == u'\\') {
            c = u'/';
        } else if (c >= 0xD800 && c <= 0xDBFF && i + 1 < path.size() && path[i + 1] >= 0xDC00 &&
                   path[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (path[i + 1] - 0xDC00);
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            c = kReplacement;
        }
        append_utf8_code_point(out, c);
    }
    return out;
}

std::u16string from_native_name(std::string_view name) {
    std::u16string out;
    out.reserve(name.size());
    std::size_t i = 0;
    while (i < name.size()) {
        const auto lead = static_cast<unsigned char>(name[i]);
        std::size_t length = lead < 0x80                    ? 1
                             : lead >= 0xC2 && lead <= 0xDF ? 2
                             : lead >= 0xE0 && lead <= 0xEF ? 3
                             : lead >= 0xF0 && lead <= 0xF4 ? 4
                                                            : 0;
        char32_t c = length == 1   ? lead
                     : length == 2 ? lead & 0x1F
                     : length == 3 ? lead & 0x0F
                                   : lead & 0x07;
        bool valid = length != 0 && name.size() - i >= length;
        for (std::size_t k = 1; valid && k < length; ++k) {
            const auto next = static_cast<unsigned char>(name[i + k]);
            valid = (next & 0xC0) == 0x80;
            c = (c << 6) | (next & 0x3F);
        }
        const char32_t min_value = length == 3 ? 0x800 : length == 4 ? 0x10000 : 0;
        if (valid && (c < min_value || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))) valid = false;
        if (!valid) {
            append_utf16(out, kReplacement);
            ++i;
            continue;
        }
        append_utf16(out, c);
        i += length;
    }
    return out;
}

}  // namespace kub::os::posix

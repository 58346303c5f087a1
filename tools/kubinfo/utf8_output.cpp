#include "tools/kubinfo/utf8_output.h"

#include <cstdio>

namespace kub::tool {

namespace {

void append_code_point(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

template <typename Emit>
void for_each_code_point(std::u16string_view text, Emit emit) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
            emit(0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00));
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            emit(0xFFFD);
        } else {
            emit(c);
        }
    }
}

}  // namespace

std::string to_utf8(std::u16string_view text) {
    std::string out;
    for_each_code_point(text, [&](char32_t cp) { append_code_point(out, cp); });
    return out;
}

void append_json_string(std::string& out, std::u16string_view text) {
    for_each_code_point(text, [&](char32_t cp) {
        if (cp == u'"' || cp == u'\\') {
            out.push_back('\\');
            out.push_back(static_cast<char>(cp));
        } else if (cp < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(cp));
            out += escaped;
        } else {
            append_code_point(out, cp);
        }
    });
}

}  // namespace kub::tool

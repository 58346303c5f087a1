#include <iconv.h>

#include <array>
#include <cerrno>
#include <string>

#include "common/os/os_text.h"

// Code pages through iconv. The ANSI and OEM code pages are a setting of the process rather than
// of the machine, so the native tools and tests can behave as the shipped Simplified-Chinese
// system (936 for both) or as a Western one (1252 and 437).
namespace kub::os {
namespace {

constexpr unsigned kShippedCodePage = 936;
constexpr unsigned kUtf8CodePage = 65001;
constexpr char kNarrowReplacement = '?';
constexpr char16_t kWideReplacement = u'?';

unsigned g_code_pages[2] = {kShippedCodePage, kShippedCodePage};

std::string iconv_name(unsigned code_page) {
    if (code_page == kUtf8CodePage) return "UTF-8";
    return "CP" + std::to_string(code_page);
}

// An iconv descriptor for one direction of one code page, reopened when the code page changes.
class Converter {
  public:
    Converter(bool to_wide) : to_wide_(to_wide) {}
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;
    ~Converter() { close(); }

    iconv_t get(unsigned code_page) {
        if (cd_ != invalid() && code_page == code_page_) {
            ::iconv(cd_, nullptr, nullptr, nullptr, nullptr);
            return cd_;
        }
        close();
        std::string narrow = iconv_name(code_page);
        cd_ = to_wide_ ? ::iconv_open("UTF-16LE", narrow.c_str())
                       : ::iconv_open(narrow.c_str(), "UTF-16LE");
        code_page_ = code_page;
        return cd_;
    }

    static iconv_t invalid() { return reinterpret_cast<iconv_t>(-1); }

  private:
    void close() {
        if (cd_ != invalid()) ::iconv_close(cd_);
        cd_ = invalid();
    }

    bool to_wide_;
    iconv_t cd_ = invalid();
    unsigned code_page_ = 0;
};

// One pair per code page kind and thread: iconv descriptors carry shift state.
Converter& converter(CodePage page, bool to_wide) {
    thread_local Converter converters[2][2] = {{Converter(false), Converter(true)},
                                               {Converter(false), Converter(true)}};
    return converters[page == CodePage::kOem][to_wide];
}

bool can_convert(unsigned code_page) {
    iconv_t cd = ::iconv_open("UTF-16LE", iconv_name(code_page).c_str());
    if (cd == Converter::invalid()) return false;
    ::iconv_close(cd);
    return true;
}

// Runs iconv over the whole input. Input it cannot take (an invalid or unmappable sequence, or an
// incomplete one at the end) is skipped `skip` bytes at a time and stands as one replacement.
template <typename Emit, typename Replace>
void convert_all(iconv_t cd, const char* in, size_t in_left, size_t skip, Emit emit,
                 Replace replace) {
    std::array<char, 1024> buffer;
    while (in_left > 0) {
        char* in_ptr = const_cast<char*>(in);
        char* out_ptr = buffer.data();
        size_t out_left = buffer.size();
        size_t result = ::iconv(cd, &in_ptr, &in_left, &out_ptr, &out_left);
        int error = errno;
        in = in_ptr;
        emit(buffer.data(), buffer.size() - out_left);
        if (result != static_cast<size_t>(-1) || error == E2BIG) continue;
        size_t step = in_left < skip ? in_left : skip;
        in += step;
        in_left -= step;
        replace();
        ::iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
}

// Every ANSI and OEM code page keeps the 7-bit range as ASCII: such text needs no converter,
// and most names in archives are plain ASCII.
bool all_ascii(std::string_view text) {
    for (char c : text)
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    return true;
}

bool all_ascii(std::u16string_view text) {
    for (char16_t unit : text)
        if (unit >= 0x80) return false;
    return true;
}

}  // namespace

unsigned code_page_number(CodePage page) {
    return g_code_pages[page == CodePage::kOem];
}

bool select_code_pages(unsigned ansi, unsigned oem) {
    if (!can_convert(ansi) || !can_convert(oem)) return false;
    g_code_pages[0] = ansi;
    g_code_pages[1] = oem;
    return true;
}

bool narrow_to_wide(CodePage page, std::string_view text, std::u16string& out) {
    out.clear();
    if (all_ascii(text)) {
        out.assign(text.begin(), text.end());
        return true;
    }
    iconv_t cd = converter(page, true).get(code_page_number(page));
    if (cd == Converter::invalid()) return false;
    convert_all(
        cd, text.data(), text.size(), 1,
        [&](const char* bytes, size_t count) {
            for (size_t i = 0; i + 1 < count; i += 2)
                out.push_back(static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                                    static_cast<unsigned char>(bytes[i + 1]) << 8));
        },
        [&] { out.push_back(kWideReplacement); });
    return true;
}

bool wide_to_narrow(CodePage page, std::u16string_view text, std::string& out) {
    out.clear();
    if (all_ascii(text)) {
        for (char16_t unit : text) out.push_back(static_cast<char>(unit));
        return true;
    }
    iconv_t cd = converter(page, false).get(code_page_number(page));
    if (cd == Converter::invalid()) return false;
    std::string bytes;
    bytes.reserve(text.size() * 2);
    for (char16_t unit : text) {
        bytes.push_back(static_cast<char>(unit & 0xFF));
        bytes.push_back(static_cast<char>(unit >> 8));
    }
    convert_all(
        cd, bytes.data(), bytes.size(), 2,
        [&](const char* chars, size_t count) { out.append(chars, count); },
        [&] { out.push_back(kNarrowReplacement); });
    return true;
}

bool is_ansi_lead_byte(unsigned char byte) {
    // UTF-8 has sequences of up to four bytes, which no two-byte step can walk; the system
    // reports no lead bytes for it either.
    if (code_page_number(CodePage::kAnsi) == kUtf8CodePage) return false;
    iconv_t cd = converter(CodePage::kAnsi, true).get(code_page_number(CodePage::kAnsi));
    if (cd == Converter::invalid()) return false;
    char in = static_cast<char>(byte);
    char* in_ptr = &in;
    size_t in_left = 1;
    char out[8];
    char* out_ptr = out;
    size_t out_left = sizeof(out);
    // A lead byte alone is an incomplete character, which iconv reports as EINVAL.
    return ::iconv(cd, &in_ptr, &in_left, &out_ptr, &out_left) == static_cast<size_t>(-1) &&
           errno == EINVAL;
}

}  // namespace kub::os

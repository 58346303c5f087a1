#include "common/text/encoding.h"

#include "common/text/double_byte_table.h"
#include "common/os/os.h"

namespace kub {
namespace {

template <typename Char>
std::basic_string_view<Char> up_to_terminator(std::basic_string_view<Char> text) {
    return text.substr(0, text.find(Char(0)));
}

bool is_high_surrogate(char16_t unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}

// Cuts a converted text to a buffer of size units without splitting a surrogate pair.
bool fit_wide(std::u16string& out, std::size_t size) {
    if (size != 0 && out.size() < size) return true;
    std::size_t cut = size == 0 ? 0 : size - 1;
    if (cut > 0 && is_high_surrogate(out[cut - 1])) --cut;
    out.resize(cut);
    return false;
}

// Cuts ANSI text to a buffer of size bytes without splitting a double-byte character.
bool fit_ansi(std::string& out, std::size_t size) {
    if (size != 0 && out.size() < size) return true;
    std::size_t limit = size == 0 ? 0 : size - 1;
    std::size_t cut = 0;
    for (std::size_t next = next_char_pos(out, 0); cut < out.size() && next <= limit;
         next = next_char_pos(out, next))
        cut = next;
    out.resize(cut);
    return false;
}

bool narrow_to_wide_bounded(os::CodePage page, std::string_view text, std::u16string& out,
                            std::size_t size) {
    if (!os::narrow_to_wide(page, up_to_terminator(text), out)) {
        out.clear();
        return false;
    }
    return fit_wide(out, size);
}

}  // namespace

bool ansi_to_wide(std::string_view text, std::u16string& out, std::size_t size) {
    return narrow_to_wide_bounded(os::CodePage::kAnsi, text, out, size);
}

bool oem_to_wide(std::string_view text, std::u16string& out, std::size_t size) {
    return narrow_to_wide_bounded(os::CodePage::kOem, text, out, size);
}

bool wide_to_ansi(std::u16string_view text, std::string& out, std::size_t size) {
    if (!os::wide_to_narrow(os::CodePage::kAnsi, up_to_terminator(text), out)) {
        out.clear();
        return false;
    }
    return fit_ansi(out, size);
}

std::string oem_to_ansi(std::string_view text) {
    std::u16string wide;
    std::string ansi;
    if (os::narrow_to_wide(os::CodePage::kOem, up_to_terminator(text), wide))
        os::wide_to_narrow(os::CodePage::kAnsi, wide, ansi);
    return ansi;
}

}  // namespace kub

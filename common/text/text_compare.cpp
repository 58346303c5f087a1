#include "common/text/text_compare.h"

#include "common/os/os.h"

namespace kub {

int compare_text(std::u16string_view a, std::u16string_view b) {
    return os::compare_ignoring_case(a, b);
}

int compare_text_n(std::u16string_view a, std::u16string_view b, std::size_t n) {
    return os::compare_ignoring_case(a.substr(0, n), b.substr(0, n));
}

std::u16string to_upper_text(std::u16string_view text) {
    return os::to_upper(text);
}
std::u16string to_lower_text(std::u16string_view text) {
    return os::to_lower(text);
}

char16_t to_upper_char(char16_t ch) {
    if (ch == u'i') return u'I';
    std::u16string upper = os::to_upper(std::u16string_view(&ch, 1));
    return upper.size() == 1 ? upper[0] : ch;
}

}  // namespace kub

#include "common/language/lang_format.h"

#include "common/language/lang_string.h"

namespace kub {

std::u16string replace_placeholder(std::u16string_view text, std::u16string_view arg) {
    std::u16string out(text);
    const std::size_t at = out.find(u"%s");
    if (at != std::u16string::npos) out.replace(at, 2, arg);
    return out;
}

std::u16string LangStringWith(unsigned id, std::u16string_view arg) {
    return replace_placeholder(LangString(id), arg);
}

}  // namespace kub

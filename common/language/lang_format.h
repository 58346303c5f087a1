#pragma once
// Texts with one placeholder: the first "%s" of the text replaced by an argument.
#include <string>
#include <string_view>

namespace kub {

// `text` with its first "%s" replaced by `arg`; a translation may leave the placeholder out.
std::u16string replace_placeholder(std::u16string_view text, std::u16string_view arg);

// The same over text `id` (LangString).
std::u16string LangStringWith(unsigned id, std::u16string_view arg);

}  // namespace kub

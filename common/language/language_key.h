#pragma once
// The key under which a language file stores the translation of a built-in text: the CRC-32 of
// the kind character, the context and the text (both in the ANSI code page), as eight lowercase
// hexadecimal digits. Keying by the built-in text means translations follow the texts, not ids.
#include <array>
#include <cstddef>
#include <string_view>

namespace kub {

enum class TranslationKind : char {
    kString = 's',  // string-table texts, no context
    kDialog = '$',  // dialog texts; the context is the dialog's resource name
};

// Only this much of a text's ANSI form counts for its key.
inline constexpr std::size_t kKeyTextMaxBytes = 4095;
inline constexpr std::size_t kKeyDigits = 8;

using LanguageKey = std::array<char16_t, kKeyDigits>;

LanguageKey language_key(TranslationKind kind, std::u16string_view context, std::u16string_view text);

}  // namespace kub

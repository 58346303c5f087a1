#include "common/language/language_key.h"

#include <cstdint>
#include <string>

#include "common/checksum/crc32.h"
#include "common/text/encoding.h"

namespace kub {

LanguageKey language_key(TranslationKind kind, std::u16string_view context, std::u16string_view text) {
    std::string ansi_context;
    std::string ansi_text;
    wide_to_ansi(context, ansi_context);
    wide_to_ansi(text, ansi_text);
    if (ansi_text.size() > kKeyTextMaxBytes) ansi_text.resize(kKeyTextMaxBytes);

    std::uint32_t crc = 0xFFFFFFFFu;
    const char kind_char = static_cast<char>(kind);
    crc = crc32_update(crc, &kind_char, 1);
    crc = crc32_update(crc, ansi_context.data(), ansi_context.size());
    crc = crc32_update(crc, ansi_text.data(), ansi_text.size());
    crc = ~crc;

    static constexpr char16_t kHex[] = u"0123456789abcdef";
    LanguageKey key;
    for (std::size_t i = 0; i < kKeyDigits; ++i)
        key[i] = kHex[(crc >> (4 * (kKeyDigits - 1 - i))) & 0xF];
    return key;
}

}  // namespace kub

#include "tests/support/writers/language_file_writer.h"

namespace kub::test {

namespace {

void append_utf16le(std::string& bytes, std::u16string_view text) {
    for (char16_t c : text) {
        bytes.push_back(static_cast<char>(c & 0xFF));
        bytes.push_back(static_cast<char>(c >> 8));
    }
}

}  // namespace

LanguageFileWriter::LanguageFileWriter() {
    append_utf16le(bytes_, u"\xFEFF; test translation\r\n***messages***\r\n");
}

LanguageFileWriter& LanguageFileWriter::dialog_text(std::u16string_view dialog,
                                                    std::u16string_view text,
                                                    std::u16string_view translation) {
    add(TranslationKind::kDialog, dialog, text, translation);
    return *this;
}

LanguageFileWriter& LanguageFileWriter::string_text(std::u16string_view text,
                                                    std::u16string_view translation) {
    add(TranslationKind::kString, {}, text, translation);
    return *this;
}

void LanguageFileWriter::add(TranslationKind kind, std::u16string_view context,
                             std::u16string_view text, std::u16string_view translation) {
    const LanguageKey key = language_key(kind, context, text);
    std::u16string line(key.begin(), key.end());
    line += u"=\"";
    line += translation;
    line += u"\"\r\n";
    append_utf16le(bytes_, line);
}

}  // namespace kub::test

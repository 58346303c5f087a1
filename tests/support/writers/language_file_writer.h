#pragma once
// Language string files as a translator writes them: UTF-16LE with a byte order mark, the marker
// line, then one line per translation keyed by the built-in text.
#include <string>
#include <string_view>

#include "common/language/language_key.h"

namespace kub::test {

class LanguageFileWriter {
  public:
    LanguageFileWriter();
    // A translation of `text` (a dialog text under its dialog's name, or a string-table text).
    LanguageFileWriter& dialog_text(std::u16string_view dialog, std::u16string_view text,
                                    std::u16string_view translation);
    LanguageFileWriter& string_text(std::u16string_view text, std::u16string_view translation);
    const std::string& bytes() const { return bytes_; }

  private:
    void add(TranslationKind kind, std::u16string_view context, std::u16string_view text,
             std::u16string_view translation);
    std::string bytes_;
};

}  // namespace kub::test

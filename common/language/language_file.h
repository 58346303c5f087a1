#pragma once
// Translations of built-in texts from a language string file.
//
// From its marker on, the file is a list of lines "xxxxxxxx=\"text\"", where xxxxxxxx is the
// key of a built-in text (language_key.h). Loaded, the file becomes one UTF-16 text whose lines
// are separated by kLineSeparator, plus an index of line starts sorted by their first eight
// characters. The object is one per process in the deliverables (language_file()); tests make
// their own.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "common/language/language_key.h"
#include "common/language/language_marker.h"

namespace kub {

inline constexpr std::size_t kLanguageTextMaxChars = 262144;
inline constexpr std::size_t kLanguageReadMaxBytes = 524288;
// Output size of a translation (units, terminator included) unless the caller gives another.
inline constexpr std::size_t kTranslationSize = 512;
// A value on the file's last line, which no separator ends, is taken to at most this many units.
inline constexpr std::size_t kLastLineValueMaxChars = 255;
inline constexpr char16_t kLineSeparator = 0x0C;
inline constexpr unsigned kFactorPercent = 100;

// Width and height of a dialog in percent of its built-in size.
struct SizeFactors {
    unsigned width = kFactorPercent;
    unsigned height = kFactorPercent;
    bool given() const { return width != kFactorPercent || height != kFactorPercent; }
};

class LanguageFile {
public:
    // Reads the translation part through `read`; false (and translation off) when there is no
    // marker or nothing after it. Direction is not settled here (settle_direction).
    bool load(const ReadAt& read);
    // The same from a file on disk, opened shared for reading and writing.
    bool load(std::u16string_view path);
    void unload();
    bool loaded() const { return loaded_; }

    // The translation of `text`, at most size - 1 units; the text itself (cut likewise) when no
    // file is loaded or no line matches.
    std::u16string translate(std::u16string_view text, TranslationKind kind,
                             std::u16string_view context = {},
                             std::size_t size = kTranslationSize) const;

    SizeFactors size_factors(std::u16string_view dialog_name) const;

    // Right to left when the resource source holds a dialog named "RTL" or the file translates
    // "LTR" to "RTL".
    void settle_direction(bool source_has_rtl_dialog);
    bool right_to_left() const { return right_to_left_; }

private:
    void unescape();
    void build_index();
    // Start of the line keyed by `key`, or npos.
    std::size_t find_line(const LanguageKey& key) const;

    std::u16string text_;
    std::vector<std::size_t> index_;
    bool loaded_ = false;
    bool right_to_left_ = false;
};

// The process's language file.
LanguageFile& language_file();

// Loads the process's language file: `name`, or the file of that name in the language folder;
// a bare name lies beside the executable. Then settles the direction, which a dialog named "RTL"
// in the resource source also decides, so the language module is loaded first.
bool load_language_file(std::u16string_view name);

}  // namespace kub

#pragma once
// A list of strings stored one after another, each with its terminator, in one array, read back
// in order through a read position.
#include <cstddef>
#include <string_view>

#include "common/text/array.h"

namespace kub {

class StringList {
  public:
    // Longest entry made by add_words, in UTF-16 units including the terminator.
    static constexpr std::size_t kMaxEntryUnits = 2048;

    void add(std::u16string_view text);

    // Adds each word of a command-like text, prefixed by `prefix`: words are separated by
    // spaces, and a word that starts with a double quote runs to the next double quote (quotes
    // not kept). Entries are cut to kMaxEntryUnits - 1 units.
    void add_words(std::u16string_view text, std::u16string_view prefix = {});

    // The next string from the read position, or false at the end. The view stays valid until
    // the list is changed.
    bool next(std::u16string_view& text);

    void rewind() { read_pos_ = 0; }
    void clear();
    std::size_t size() const { return count_; }

  private:
    Array<char16_t> chars_;
    std::size_t count_ = 0;
    std::size_t read_pos_ = 0;
};

}  // namespace kub

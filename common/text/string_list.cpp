#include "common/text/string_list.h"

#include <algorithm>
#include <cstdint>
#include <string>

namespace kub {

void StringList::add(std::u16string_view text) {
    // Stored strings end at their terminator, so one with an embedded NUL ends there too.
    text = text.substr(0, text.find(u'\0'));
    // A view into this list (from next) would dangle once the array grows.
    auto at_text = reinterpret_cast<std::uintptr_t>(text.data());
    auto base = reinterpret_cast<std::uintptr_t>(chars_.data());
    if (!text.empty() && at_text >= base && at_text < base + chars_.size() * sizeof(char16_t)) {
        std::u16string copy(text);
        add(copy);
        return;
    }
    std::size_t at = chars_.size();
    chars_.add(text.size() + 1);
    std::copy(text.begin(), text.end(), chars_.data() + at);
    chars_[at + text.size()] = u'\0';
    ++count_;
}

void StringList::add_words(std::u16string_view text, std::u16string_view prefix) {
    std::size_t i = 0;
    std::u16string entry;
    while (true) {
        while (i < text.size() && text[i] == u' ') ++i;
        if (i >= text.size()) break;
        std::size_t start = i;
        std::size_t end;
        if (text[i] == u'"') {
            start = ++i;
            while (i < text.size() && text[i] != u'"') ++i;
            end = i;
            if (i < text.size()) ++i;  // past the closing quote
        } else {
            while (i < text.size() && text[i] != u' ') ++i;
            end = i;
        }
        entry.assign(prefix);
        entry.append(text.substr(start, end - start));
        if (entry.size() > kMaxEntryUnits - 1) entry.resize(kMaxEntryUnits - 1);
        add(entry);
    }
}

bool StringList::next(std::u16string_view& text) {
    if (read_pos_ >= chars_.size()) return false;
    const char16_t* start = chars_.data() + read_pos_;
    std::size_t length = std::char_traits<char16_t>::length(start);
    text = std::u16string_view(start, length);
    read_pos_ += length + 1;
    return true;
}

void StringList::clear() {
    chars_.clear();
    count_ = 0;
    read_pos_ = 0;
}

}  // namespace kub

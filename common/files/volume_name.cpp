#include "common/files/volume_name.h"

#include <algorithm>

#include "common/text/bounded_string.h"
#include "common/text/char_class.h"
#include "common/files/path_ops.h"
#include "common/text/text_compare.h"

namespace kub {
namespace {

constexpr std::u16string_view kDefaultExtension = u"kub";

// Adds one to the digit at `pos`; true when it carries.
bool increment_digit(std::u16string& name, std::size_t pos) {
    if (name[pos] == u'9') {
        name[pos] = u'0';
        return true;
    }
    ++name[pos];
    return false;
}

void normalise_extension(std::u16string& name, std::size_t size) {
    const std::u16string_view ext = extension(name);
    if (ext.empty()) {
        append_bounded(name, u".kub", size);
    } else if (ext == u".") {
        if (name.size() + 3 < size) name += kDefaultExtension;
    } else if (compare_text(ext.substr(1), u"exe") == 0 ||
               compare_text(ext.substr(1), u"sfx") == 0) {
        replace_extension(name, kDefaultExtension, size);
    }
}

// k09 gives k10, k99 gives l00; without two digits after the first character, k00.
bool advance_old_style(std::u16string& name, std::size_t size, std::size_t dot) {
    const bool counted =
        name.size() > dot + 3 && is_digit(name[dot + 2]) && is_digit(name[dot + 3]);
    if (!counted) {
        name.resize(std::min(name.size(), dot + 2));
        append_bounded(name, u"00", size);
        return true;
    }
    if (increment_digit(name, dot + 3) && increment_digit(name, dot + 2)) {
        // The carry reaches the first character; past a digit there it cannot go on.
        char16_t& first = name[dot + 1];
        first = first == u'9' ? u'A' : static_cast<char16_t>(first + 1);
    }
    return true;
}

bool advance_new_style(std::u16string& name, std::size_t size) {
    // The counter lives in the name part: digits in the folder belong to another name.
    const std::size_t start = name_offset(name);
    std::size_t end = name.size();  // one past the last digit of the counter
    while (end > start && !is_digit(name[end - 1])) --end;
    if (end == start) return false;
    std::size_t first = end - 1;
    while (first > start && is_digit(name[first - 1])) --first;

    // A digit between this run and the dot before it ends the counter instead, provided the
    // name part's first dot lies before that digit.
    const std::size_t first_dot = name.find(u'.', start);
    for (std::size_t i = first; i > start && name[i - 1] != u'.'; --i) {
        if (!is_digit(name[i - 1])) continue;
        if (first_dot != std::u16string::npos && first_dot < i - 1) {
            end = i;
            first = end - 1;
            while (first > start && is_digit(name[first - 1])) --first;
        }
        break;
    }

    bool all_nines = true;
    for (std::size_t i = first; i < end; ++i) all_nines = all_nines && name[i] == u'9';
    if (all_nines && name.size() + 2 > size) return false;
    std::size_t pos = end;
    while (pos > first && increment_digit(name, pos - 1)) --pos;
    if (pos == first) name.insert(first, 1, u'1');
    return true;
}

}  // namespace

bool AdvanceVolumeName(std::u16string& name, std::size_t size, bool old_style) {
    normalise_extension(name, size);
    if (!old_style) return advance_new_style(name, size);
    const std::u16string_view ext = extension(name);
    if (ext.empty()) return false;
    return advance_old_style(name, size, name.size() - ext.size());
}

}  // namespace kub

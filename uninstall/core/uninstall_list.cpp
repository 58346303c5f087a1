#include "uninstall/core/uninstall_list.h"

#include <array>

#include "common/files/path_ops.h"
#include "common/os/os.h"

namespace kub::setup {

namespace {

bool is_trailing_blank(char c) {
    return c == '\r' || c == '\n' || c == ' ' || c == '\t';
}

// Names the system gives to devices in every folder, with or without an extension.
constexpr std::array<std::u16string_view, 6> kDeviceNames = {u"CON", u"PRN", u"AUX", u"NUL",
                                                             u"CONIN$", u"CONOUT$"};
constexpr std::array<std::u16string_view, 2> kNumberedDeviceNames = {u"COM", u"LPT"};

bool is_device_name(std::u16string_view step) {
    // The system looks at the name before the first dot, with trailing spaces ignored.
    std::u16string_view stem = step.substr(0, step.find(u'.'));
    while (!stem.empty() && stem.back() == u' ') stem.remove_suffix(1);
    const std::u16string upper = os::to_upper(stem);
    for (const std::u16string_view name : kDeviceNames)
        if (upper == name) return true;
    if (upper.size() == 4) {
        // COM1 to COM9 and LPT1 to LPT9, and the superscript digits the system accepts too.
        const char16_t digit = upper[3];
        const bool numbered = (digit >= u'1' && digit <= u'9') || digit == u'\u00B9' ||
                              digit == u'\u00B2' || digit == u'\u00B3';
        for (const std::u16string_view name : kNumberedDeviceNames)
            if (numbered && std::u16string_view(upper).substr(0, 3) == name) return true;
    }
    return false;
}

// A step of dots and spaces alone: "." is harmless but pointless, "..", "..." and ". ." all
// climb or confuse, so none is taken.
bool is_dot_step(std::u16string_view step) {
    return !step.empty() && step.find_first_not_of(u". ") == std::u16string_view::npos;
}

}  // namespace

std::string_view trim_list_line(std::string_view line) {
    while (!line.empty() && is_trailing_blank(line.back())) line.remove_suffix(1);
    return line;
}

bool is_safe_list_entry(std::u16string_view entry) {
    if (entry.empty() || is_separator(entry.front())) return false;
    for (const char16_t c : entry) {
        if (c < 0x20 || c == u':' || c == u'*' || c == u'?' || c == u'<' || c == u'>' ||
            c == u'|' || c == u'"')
            return false;
    }
    std::size_t start = 0;
    while (start <= entry.size()) {
        std::size_t end = start;
        while (end < entry.size() && !is_separator(entry[end])) ++end;
        const std::u16string_view step = entry.substr(start, end - start);
        // An empty step ("a\\b") is how "\\?\" and server names begin; none is needed here.
        if (step.empty() && end < entry.size()) return false;
        if (is_dot_step(step) || is_device_name(step)) return false;
        start = end + 1;
    }
    return true;
}

void UninstallListReader::rewind() {
    std::rewind(stream_);
}

bool UninstallListReader::next(std::u16string& entry) {
    std::string line;
    for (;;) {
        line.clear();
        bool too_long = false;
        int c = std::getc(stream_);
        if (c == EOF) return false;
        for (; c != EOF && c != '\n'; c = std::getc(stream_)) {
            if (line.size() < kListLineBytes)
                line += static_cast<char>(c);
            else if (!is_trailing_blank(static_cast<char>(c)))
                too_long = true;
        }
        if (too_long) continue;
        const std::string_view trimmed = trim_list_line(line);
        if (trimmed.empty()) continue;
        std::u16string converted;
        if (!os::narrow_to_wide(os::CodePage::kAnsi, trimmed, converted)) continue;
        if (!is_safe_list_entry(converted)) continue;
        entry = std::move(converted);
        return true;
    }
}

}  // namespace kub::setup

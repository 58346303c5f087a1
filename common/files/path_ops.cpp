#include "common/files/path_ops.h"

#include <algorithm>

#include "common/os/os.h"
#include "common/text/text_compare.h"

namespace kub {
namespace {

constexpr std::u16string_view kExtendedPrefix = u"\\\\?\\";
constexpr std::u16string_view kUncPrefix = u"\\\\?\\UNC";
constexpr char16_t kReplacementChar = u'_';

bool starts_with_two_separators(std::u16string_view path) {
    return path.size() >= 2 && is_separator(path[0]) && is_separator(path[1]);
}

bool assign_if_fits(std::u16string& out, std::u16string value, std::size_t size) {
    if (value.size() >= size) return false;
    out = std::move(value);
    return true;
}

}  // namespace

std::size_t name_offset(std::u16string_view path) {
    const auto separator = path.find_last_of(u"\\/");
    if (separator != std::u16string_view::npos) return separator + 1;
    if (path.size() >= 2 && is_drive_colon(path[1])) return 2;
    return 0;
}

std::u16string_view name_part(std::u16string_view path) {
    return path.substr(name_offset(path));
}

void replace_name(std::u16string& path, std::u16string_view name, std::size_t size) {
    path.resize(name_offset(path));
    path += name;
    cut_to_size(path, size);
}

std::u16string folder_part(std::u16string_view path) {
    return std::u16string(path.substr(0, name_offset(path)));
}

void cut_name(std::u16string& path) {
    std::size_t end = name_offset(path);
    if (end > 0 && is_separator(path[end - 1])) {
        const std::size_t separator = end - 1;
        const bool drive_root = separator == 2 && is_drive_colon(path[1]);
        if (separator != 0 && !drive_root) end = separator;
    }
    path.resize(end);
}

std::u16string_view extension(std::u16string_view path) {
    const std::size_t start = name_offset(path);
    const auto dot = path.find_last_of(u'.');
    if (dot == std::u16string_view::npos || dot < start) return {};
    return path.substr(dot);
}

bool has_extension(std::u16string_view path, std::u16string_view ext) {
    const std::u16string_view own = extension(path);
    return !own.empty() && compare_text(own.substr(1), ext) == 0;
}

void replace_extension(std::u16string& path, std::u16string_view ext, std::size_t size) {
    path.resize(path.size() - extension(path).size());
    if (!ext.empty()) {
        path += u'.';
        path += ext;
    }
    cut_to_size(path, size);
}

void append_separator(std::u16string& path, std::size_t size) {
    if (!path.empty() && !is_separator(path.back()) && path.size() + 2 <= size) path += u'\\';
}

char16_t last_char(std::u16string_view path) {
    return path.empty() ? u'\0' : path.back();
}

bool has_wildcards(std::u16string_view path) {
    return path.find_first_of(u"*?") != std::u16string_view::npos;
}

bool has_drive_letter(std::u16string_view path) {
    if (path.size() < 2 || !is_drive_colon(path[1])) return false;
    const char16_t letter = to_upper_char(path[0]);
    return letter >= u'A' && letter <= u'Z';
}

bool is_absolute(std::u16string_view path) {
    return starts_with_two_separators(path) ||
           (has_drive_letter(path) && path.size() > 2 && is_separator(path[2]));
}

std::u16string root_of_path(std::u16string_view path) {
    if (has_drive_letter(path)) return std::u16string{path[0], u':', u'\\'};
    if (!starts_with_two_separators(path)) return {};
    // \\server\share\ : skip the server, then the share; keep the separator after it.
    const auto after_server = path.find_first_of(u"\\/", 2);
    if (after_server == std::u16string_view::npos) return std::u16string(path);
    const auto after_share = path.find_first_of(u"\\/", after_server + 1);
    if (after_share == std::u16string_view::npos) return std::u16string(path);
    return std::u16string(path.substr(0, after_share + 1));
}

std::u16string to_backslashes(std::u16string_view path) {
    std::u16string out(path);
    std::replace(out.begin(), out.end(), u'/', u'\\');
    return out;
}

std::string to_backslashes(std::string_view path) {
    std::string out(path);
    std::replace(out.begin(), out.end(), '/', '\\');
    return out;
}

std::u16string wide_or_narrow_name(std::string_view narrow, std::u16string_view wide) {
    if (!wide.empty()) return std::u16string(wide);
    std::u16string out;
    os::narrow_to_wide(os::CodePage::kAnsi, narrow, out);
    return out;
}

std::string_view narrow_name_part(std::string_view path) {
    std::size_t start = path.size() >= 2 && path[1] == ':' ? 2 : 0;
    for (std::size_t i = 0; i < path.size(); ++i) {
        const auto byte = static_cast<unsigned char>(path[i]);
        if (byte == '\\' || byte == '/') {
            start = i + 1;
        } else if (os::is_ansi_lead_byte(byte) && i + 1 < path.size() && path[i + 1] != '\0') {
            ++i;
        }
    }
    return path.substr(start);
}

void SanitiseName(std::u16string& name, bool strict) {
    for (std::size_t i = 0; i < name.size(); ++i) {
        const char16_t c = name[i];
        const bool before_separator = i + 1 < name.size() && is_separator(name[i + 1]);
        bool replace = c == u'?' || c == u'*';
        if (strict) {
            replace = replace || c < 32 || c == u'<' || c == u'>' || c == u'|' || c == u'"';
        }
        if (c == u':') {
            // Only the colon of a drive ("X:\") names something; anywhere else it would open an
            // alternate data stream.
            replace = !(i == 1 && before_separator && has_drive_letter(name));
        } else if (c == u' ' && before_separator) {
            replace = true;
        } else if (c == u'.' && before_separator) {
            // "." and ".." stay: they are path components, not names ending in a dot.
            replace = i != 0 && name[i - 1] != u'.' && !is_separator(name[i - 1]);
        }
        if (replace) name[i] = kReplacementChar;
    }
}

bool ExtendedLengthPath(std::u16string_view path, std::u16string& out, std::size_t size) {
    if (path.empty()) return false;
    // Only relative and rooted paths need the current folder.
    if (has_drive_letter(path) || starts_with_two_separators(path)) {
        return ExtendedLengthPath(path, out, size, {});
    }
    return ExtendedLengthPath(path, out, size, os::current_directory());
}

bool ExtendedLengthPath(std::u16string_view path, std::u16string& out, std::size_t size,
                        std::u16string_view current_folder) {
    if (path.empty()) return false;
    std::u16string result;
    if (has_drive_letter(path)) {
        result.append(kExtendedPrefix).append(path);
    } else if (starts_with_two_separators(path)) {
        result.append(kUncPrefix).append(path.substr(1));
    } else if (is_separator(path[0])) {
        // Without a drive to put in front, a rooted path has no extended form.
        if (!has_drive_letter(current_folder)) return false;
        result.append(kExtendedPrefix).append(current_folder.substr(0, 2)).append(path);
    } else {
        std::u16string folder(
            current_folder.substr(0, std::min(current_folder.size(), kMaxPathLength)));
        append_separator(folder);
        if (path.size() >= 2 && path[0] == u'.' && is_separator(path[1])) path.remove_prefix(2);
        result.append(kExtendedPrefix).append(folder).append(path);
    }
    return assign_if_fits(out, std::move(result), size);
}

}  // namespace kub

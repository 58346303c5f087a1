#pragma once
// Path text operations. A separator is "\" or "/". Functions that grow a path take the size of
// the buffer it lives in (terminator included) and cut the result to it.
#include <cstddef>
#include <string>
#include <string_view>

#include "common/files/path_limits.h"

namespace kub {

constexpr bool is_separator(char16_t c) {
    return c == u'\\' || c == u'/';
}
constexpr bool is_drive_colon(char16_t c) {
    return c == u':';
}

// Offset of the name part: after the last separator, else after "X:", else 0.
std::size_t name_offset(std::u16string_view path);
std::u16string_view name_part(std::u16string_view path);
void replace_name(std::u16string& path, std::u16string_view name,
                  std::size_t size = kPathBufferSize);
// Everything before the name part, trailing separator included.
std::u16string folder_part(std::u16string_view path);
// Drops the name part and the separator before it, keeping a root: C:\a\f gives C:\a,
// C:\f gives C:\ and \f gives \.
void cut_name(std::u16string& path);

// The extension from its dot on ("." alone for a name ending in a dot); empty when the name part
// has no dot.
std::u16string_view extension(std::u16string_view path);
// Compares the text after the dot with `ext`, ignoring case.
bool has_extension(std::u16string_view path, std::u16string_view ext);
// Removes the extension, then appends "." and `ext` unless `ext` is empty.
void replace_extension(std::u16string& path, std::u16string_view ext,
                       std::size_t size = kPathBufferSize);
// Appends "\" to a non-empty path that does not end in a separator, when it has room.
void append_separator(std::u16string& path, std::size_t size = kPathBufferSize);
// The last character; 0 for an empty path.
char16_t last_char(std::u16string_view path);

bool has_wildcards(std::u16string_view path);
bool has_drive_letter(std::u16string_view path);
// "\\..." or "X:\...".
bool is_absolute(std::u16string_view path);
// "X:\" for a drive path, "\\server\share\" for a network path, else empty.
std::u16string root_of_path(std::u16string_view path);

std::u16string to_backslashes(std::u16string_view path);
std::string to_backslashes(std::string_view path);

// The wide name when there is one, else the narrow name read in the ANSI code page.
std::u16string wide_or_narrow_name(std::string_view narrow, std::u16string_view wide);
// Name part of a narrow ANSI path; the trail byte of a double-byte character is never taken for
// a separator.
std::string_view narrow_name_part(std::string_view path);

// Makes a name safe to create: replaces "?" and "*" (strict: also < > | " and control
// characters), colons except a drive's, and a space or dot that ends a component, with "_".
void SanitiseName(std::u16string& name, bool strict);

// The "\\?\" form of a path, for paths beyond the system's normal length. Relative paths are
// resolved against the current folder. False when empty or when the result would not fit.
bool ExtendedLengthPath(std::u16string_view path, std::u16string& out,
                        std::size_t size = kPathBufferSize);
// The same against a given current folder.
bool ExtendedLengthPath(std::u16string_view path, std::u16string& out, std::size_t size,
                        std::u16string_view current_folder);

}  // namespace kub

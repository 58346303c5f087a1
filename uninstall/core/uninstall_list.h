#pragma once
// The installer's uninstall list ("Uninstall.lst" in the program folder): ANSI text, one path
// relative to the program folder per line. The list is input from outside this program, so an
// entry is used only when it cannot name anything outside the program folder.
#include <cstddef>
#include <cstdio>
#include <string>
#include <string_view>

namespace kub::setup {

inline constexpr std::u16string_view kUninstallListName = u"Uninstall.lst";
// A line is read up to this many bytes; a longer one names no file we could remove as written.
inline constexpr std::size_t kListLineBytes = 2047;
// A composed path (program folder and entry) keeps at most this many characters.
inline constexpr std::size_t kListPathLength = 4096;

// The line without its trailing carriage returns, line feeds, spaces and tabs.
std::string_view trim_list_line(std::string_view line);

// True for a path that stays inside the folder it is appended to: not absolute or rooted, no
// drive letter or other colon (alternate streams), no ".." step (nor a step of dots and spaces
// alone, which the system reads the same way), no device name such as "NUL" or "COM1", no
// wildcard and no control character. Separators are "\" and "/".
bool is_safe_list_entry(std::u16string_view entry);

// Reads the list line by line from a stream opened in binary mode, any number of times over.
class UninstallListReader {
  public:
    explicit UninstallListReader(std::FILE* stream) : stream_(stream) {}

    // Back to the first line.
    void rewind();
    // The next non-empty entry, trimmed and converted from the ANSI code page; false at the end.
    // Lines longer than kListLineBytes, and entries is_safe_list_entry refuses, are skipped.
    bool next(std::u16string& entry);

  private:
    std::FILE* stream_;
};

}  // namespace kub::setup

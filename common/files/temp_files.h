#pragma once
// Temporary folder, unique names, temporary files and folders.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <string_view>

#include "common/files/path_limits.h"

namespace kub {

// The folder for temporary files, with a trailing separator: the "TempFolder" setting (under
// "Paths", environment variables expanded) when it names an existing folder, or when it is empty
// and `accept_missing` is set (the result is then empty); else the system's temporary folder;
// else "\kubtemp\".
void TempFolderPath(std::u16string& out, std::size_t size, bool accept_missing);

// Appends "<i>.<nnn>" to `path` for the first counter i that names nothing yet; nnn comes from
// the current time, so two processes rarely race for the same name. False, with `path` as it was,
// when the name would not fit in `size` units or 1000 names were taken.
bool AppendUniqueSuffix(std::u16string& path, std::size_t size);

// The same with the time-derived number and the existence test given.
bool append_unique_suffix(std::u16string& path, std::size_t size, std::uint32_t seed,
                          const std::function<bool(std::u16string_view)>& exists);

// A new file in the temporary folder, named by the prefix and a unique suffix, open for binary
// writing; `path` receives its name. Null when it cannot be made.
std::FILE* create_temp_file(std::u16string_view prefix, std::u16string& path);
// A new folder named alike; false when it cannot be made.
bool create_temp_folder(std::u16string_view prefix, std::u16string& path);

}  // namespace kub

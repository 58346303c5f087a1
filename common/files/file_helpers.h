#pragma once
// File operations by path. Each is tried once more on the "\\?\" form of the path when the first
// try fails, so paths beyond the system's normal length work.
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

#include "common/os/os.h"
#include "common/files/path_ops.h"

namespace kub {

// Runs `call` on `path`; when it returns `failure`, runs it once more on the long-path form.
template <typename Result, typename Call>
Result with_long_path_retry(std::u16string_view path, Result failure, Call call) {
    Result result = call(path);
    if (result != failure) return result;
    std::u16string long_path;
    if (!ExtendedLengthPath(path, long_path)) return result;
    return call(std::u16string_view(long_path));
}

// os::kInvalidAttributes when the path does not name anything.
std::uint32_t file_attributes(std::u16string_view path);
bool set_file_attributes(std::u16string_view path, std::uint32_t attributes);
bool delete_file(std::u16string_view path);
bool file_exists(std::u16string_view path);

// A buffered stream shared with every other opener; `mode` as for fopen.
std::FILE* open_file_stream(std::u16string_view path, const char* mode);

enum class CreateFolderResult : int { ok = 0, failed = 1, path_missing = 2 };
// Creates a folder, then gives it `attributes` unless they are 0.
CreateFolderResult create_folder(std::u16string_view path, std::uint32_t attributes = 0);

// Bytes available to the caller on the volume holding the folder of `path`; 0 when unknown, or
// when the available count's high half exceeds the total's (an answer not to be trusted).
std::uint64_t free_disk_space(std::u16string_view path);

}  // namespace kub

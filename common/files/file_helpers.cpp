#include "common/files/file_helpers.h"

namespace kub {

std::uint32_t file_attributes(std::u16string_view path) {
    return with_long_path_retry(path, os::kInvalidAttributes, os::get_attributes);
}

bool set_file_attributes(std::u16string_view path, std::uint32_t attributes) {
    return with_long_path_retry(path, false, [attributes](std::u16string_view p) {
        return os::set_attributes(p, attributes);
    });
}

bool delete_file(std::u16string_view path) {
    return with_long_path_retry(path, false, os::delete_file);
}

bool file_exists(std::u16string_view path) {
    return file_attributes(path) != os::kInvalidAttributes;
}

std::FILE* open_file_stream(std::u16string_view path, const char* mode) {
    return with_long_path_retry(path, static_cast<std::FILE*>(nullptr),
                                [mode](std::u16string_view p) { return os::open_stream(p, mode); });
}

CreateFolderResult create_folder(std::u16string_view path, std::uint32_t attributes) {
    if (!with_long_path_retry(path, false, os::create_directory)) {
        const os::FileError error = os::last_file_error();
        return error == os::FileError::not_found || error == os::FileError::path_not_found
                   ? CreateFolderResult::path_missing
                   : CreateFolderResult::failed;
    }
    if (attributes != 0) set_file_attributes(path, attributes);
    return CreateFolderResult::ok;
}

std::uint64_t free_disk_space(std::u16string_view path) {
    const std::u16string folder = folder_part(path);
    std::uint64_t available = 0;
    std::uint64_t total = 0;
    const auto query = [&](std::u16string_view p) { return os::free_space(p, available, total); };
    if (!with_long_path_retry(std::u16string_view(folder), false, query)) return 0;
    if ((available >> 32) > (total >> 32)) return 0;
    return available;
}

}  // namespace kub

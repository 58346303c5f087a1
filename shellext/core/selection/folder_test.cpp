#include "shellext/core/selection/folder_test.h"

#include "common/files/file_helpers.h"
#include "common/os/os.h"
#include "common/files/path_ops.h"

namespace kub {

bool is_folder_path(std::u16string_view path) {
    if (is_separator(last_char(path))) return true;
    // File content is a stream, which the shell never counts as a folder, whatever namespace
    // presents it (a compressed folder is one): only directories and paths the file system does
    // not know need the shell's answer, which takes it a millisecond or more.
    const std::uint32_t attributes = file_attributes(path);
    if (attributes != os::kInvalidAttributes && (attributes & os::kAttrDirectory) == 0) return false;
    bool folder = false;
    if (os::shell_folder_test(path, folder)) return folder;
    return attributes != os::kInvalidAttributes && (attributes & os::kAttrDirectory) != 0;
}

}  // namespace kub

#include "shellext/core/selection/folder_test.h"

#include "common/files/file_helpers.h"
#include "common/os/os.h"
#include "common/files/path_ops.h"

namespace kub {

bool is_folder_path(std::u16string_view path) {
    if (is_separator(last_char(path))) return true;
    bool folder = false;
    if (os::shell_folder_test(path, folder)) return folder;
    const std::uint32_t attributes = file_attributes(path);
    return attributes != os::kInvalidAttributes && (attributes & os::kAttrDirectory) != 0;
}

}  // namespace kub

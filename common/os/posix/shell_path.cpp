#include <cstddef>

#include "common/os/os_shell_path.h"

namespace kub::os {
namespace {

bool is_slash(char16_t c) { return c == u'\\' || c == u'/'; }

}  // namespace

// There are no drive letters here: a "\\server\share\" root stands for a network drive, every
// other root for the local disk, so settings that depend on the drive type can be exercised.
DriveType drive_type(std::u16string_view root) {
    if (root.size() >= 2 && is_slash(root[0]) && is_slash(root[1])) return DriveType::network;
    return DriveType::fixed;
}

// No shell here: the attributes decide.
bool shell_folder_test(std::u16string_view, bool&) { return false; }

}  // namespace kub::os

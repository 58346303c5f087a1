#pragma once
// What the system knows about a path beyond its attributes: the type of the drive it lives on
// and whether the shell shows it as a folder.
#include <string_view>

namespace kub::os {

enum class DriveType { unknown, no_root, removable, fixed, network, optical, ram_disk };

// The type of the drive with this root ("C:\" or "\\server\share\"); an empty root means the
// drive of the current folder.
DriveType drive_type(std::u16string_view root);

// Asks the shell whether it presents `path` as a browsable folder that is not backed by a file
// stream (a compressed folder is a stream, not a folder). Returns false when the shell cannot be
// asked at all, leaving `folder` alone; the caller then judges by the file attributes.
bool shell_folder_test(std::u16string_view path, bool& folder);

}  // namespace kub::os

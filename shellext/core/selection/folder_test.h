#pragma once
// Whether a selected path is a folder in the sense of the menu: a browsable folder that is not
// file content. Compressed folders and other file-backed namespaces are files here.
#include <string_view>

namespace kub {

// A path ending in a separator is a folder; otherwise the shell is asked where it can be, and
// the directory attribute decides where it cannot.
bool is_folder_path(std::u16string_view path);

}  // namespace kub

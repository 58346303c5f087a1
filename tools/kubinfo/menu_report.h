#pragma once
// kubinfo --menu: the context menu a selection would get, and how each of its commands would
// start the archiver, so the menu can be looked at without Windows.
#include <string>
#include <vector>

namespace kub::tool {

// The whole report for a selection of `paths` (in order); `drop_folder` set for a right-drag
// menu. Temporary list files and e-mail folders made on the way are removed again.
std::string menu_report(const std::vector<std::u16string>& paths,
                        const std::u16string& drop_folder);

}  // namespace kub::tool

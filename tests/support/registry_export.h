#pragma once
// A registry subtree as text, for tests that compare everything a procedure left in a key with an
// expected export. Keys and values are sorted by name ignoring case (the system enumerates values
// in creation order, the native registry by name), one line each, UTF-8:
//
//   [HKCR\.kub]
//   @="Korvex"
//   "Exist"=dword:00000001
//   "Data"=hex(3):01,ff
//
// A missing key gives the empty text. Paths are taken as given: no settings key composition.
#include <string>
#include <string_view>

#include "common/os/os.h"

namespace kub::test {

std::string export_registry_tree(os::RegistryRoot root, std::u16string_view path);

// Replaces every occurrence of `text` (as UTF-8) in `exported` by `name`, so expected exports can
// name a test's scratch folder.
std::string replace_all(std::string exported, std::string_view text, std::string_view name);
std::string to_utf8(std::u16string_view text);

}  // namespace kub::test

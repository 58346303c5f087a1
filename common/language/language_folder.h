#pragma once
// The language folder rule: the user may keep language files, the language module and the help
// file in a folder of their own, named by the "LanguageFolder" setting. A file found there wins
// over the one at its default place.
#include <string>
#include <string_view>

namespace kub {

// `default_path`, or the file of the same name in the language folder when it exists there.
std::u16string apply_language_folder(std::u16string_view default_path);

}  // namespace kub

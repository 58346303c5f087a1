#include "shellext/settings/profile_value.h"

#include <string>

#include "common/registry/registry_access.h"

namespace kub {

std::u16string profile_key(std::int32_t n) {
    std::u16string key = u"Profiles\\";
    for (char c : std::to_string(n)) key.push_back(static_cast<char16_t>(c));
    return key;
}

std::uint32_t ReadProfileValue(std::int32_t selector, std::u16string_view name,
                               std::u16string* text, std::size_t capacity,
                               std::uint32_t default_value) {
    using namespace ProfileSettings;
    std::int32_t menu_profiles_before = 0;
    for (std::int32_t n = 0; n < kMaxProfileCount; ++n) {
        const std::u16string key = profile_key(n);
        std::u16string profile_name;
        read_setting_string(key, kName.name, profile_name, u"", kName.capacity);
        if (profile_name.empty()) break;

        const bool in_menu = read_setting_number(key, kAddToMenu.name, kAddToMenu.default_value) != 0;
        bool matches = false;
        if (selector == kDefaultProfileSelector &&
            read_setting_number(key, kDefault.name, kDefault.default_value) != 0) {
            matches = true;
        } else if (in_menu) {
            if (menu_profiles_before == selector) {
                matches = true;
            } else {
                ++menu_profiles_before;
            }
        }
        if (!matches) continue;

        if (text != nullptr) {
            // The text read is given one unit less than the caller's capacity, so the longest
            // text kept is capacity - 2 units.
            text->clear();
            if (capacity >= 2) read_setting_string(key, name, *text, u"", capacity - 1);
        }
        return read_setting_number(key, name, default_value);
    }
    return default_value;
}

}  // namespace kub

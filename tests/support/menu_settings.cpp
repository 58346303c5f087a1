#include "tests/support/menu_settings.h"

#include "common/os/os.h"
#include "common/registry/registry_access.h"
#include "shellext/settings/profile_value.h"

namespace kub::test {

void reset_menu_settings() {
#if !defined(_WIN32)
    os::clear_registry();
#endif
    for (auto key : {u"Setup", u"Profiles", u"Paths"}) {
        delete_registry_tree(RegistryRoot::kCurrentUser, key);
    }
}

void write_profile(int n, const ProfileRecord& profile) {
    const std::u16string key = profile_key(n);
    write_setting_string(key, u"Name", profile.name);
    write_setting_number(key, u"AddToMenu", profile.add_to_menu);
    write_setting_number(key, u"Default", profile.is_default);
    write_setting_number(key, u"ImmExec", profile.immediate);
    write_setting_number(key, u"UseKUB", profile.use_kub);
    if (!profile.archive_name.empty()) write_setting_string(key, u"ArcName", profile.archive_name);
}

void set_menu_item(std::u16string_view value, std::uint32_t number) {
    write_setting_number(u"Setup\\MenuItems", value, number);
}

}  // namespace kub::test

#include "common/registry/settings_key.h"

namespace kub {

namespace {
constexpr std::u16string_view kSettingsRoot = u"Software\\Korvex";
}

std::u16string SettingsKey(os::RegistryRoot root, std::u16string_view name) {
    std::u16string composed;
    if (root != os::RegistryRoot::kCurrentUser) {
        composed = name;
    } else if (!name.empty() && name.front() == u'\\') {
        composed = name.substr(1);
    } else {
        composed = kSettingsRoot;
        if (!name.empty()) {
            composed += u'\\';
            composed += name;
        }
    }
    if (composed.size() > kMaxRegistryKeyNameLength) composed.resize(kMaxRegistryKeyNameLength);
    return composed;
}

}  // namespace kub

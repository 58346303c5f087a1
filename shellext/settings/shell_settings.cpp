#include "shellext/settings/shell_settings.h"

#include "common/os/os.h"
#include "common/registry/registry_access.h"

namespace kub {

std::uint32_t read_setting(const DwordSetting& setting) {
    return read_setting_number(setting.key, setting.name, setting.default_value);
}

std::u16string read_setting(const StringSetting& setting) {
    std::u16string text;
    read_setting_string(setting.key, setting.name, text, u"", setting.capacity);
    if (!setting.expand_environment) return text;
    std::u16string expanded = os::expand_environment_strings(text);
    if (setting.capacity > 0 && expanded.size() >= setting.capacity) {
        expanded.resize(setting.capacity - 1);
    }
    return expanded;
}

}  // namespace kub

#pragma once
// The archiver's settings (HKEY_CURRENT_USER "Software\Korvex") as last read, for a process that
// reads the same few dozen values for every menu. Each registry call is a round trip to the
// system (under Wine to its server), and a menu makes dozens; the values are kept only while the
// system reports no change anywhere below that key, so a changed setting is still seen at the
// next read, and a menu reads what the registry holds when it is built.
//
// Off unless a process turns it on (the extension does at load): setup and the tools write and
// read settings themselves and read straight from the registry.
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "common/os/os.h"

namespace kub {

void set_settings_cache_enabled(bool enabled);

// While one lives on a thread, that thread asks the system whether anything changed only at its
// first read, not at each: one question for a whole menu or command. Scopes nest.
class SettingsReadScope {
  public:
    SettingsReadScope();
    ~SettingsReadScope();
    SettingsReadScope(const SettingsReadScope&) = delete;
    SettingsReadScope& operator=(const SettingsReadScope&) = delete;
};

// A value as the registry stores it. Values longer than kMaxCachedValueBytes are not kept.
inline constexpr std::size_t kMaxCachedValueBytes = 64 * 1024;
struct StoredSetting {
    bool found = false;  // false: the key or the value is missing or cannot be read
    os::RegValueType type = os::RegValueType::kNone;
    std::uint32_t size = 0;        // stored size in bytes
    std::vector<std::byte> bytes;  // the stored bytes
};

// The value `value` of the settings key `key` (relative to "Software\Korvex"), from the cache
// when it is on and the registry unchanged, else read now and kept. nullopt when the cache is off,
// cannot watch the registry or the value is too long to keep: the caller reads it itself.
std::optional<StoredSetting> cached_setting(std::u16string_view key, std::u16string_view value);

}  // namespace kub

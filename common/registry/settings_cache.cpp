#include "common/registry/settings_cache.h"

#include <map>
#include <mutex>
#include <string>

#include "common/registry/registry_access.h"
#include "common/registry/settings_key.h"

namespace kub {
namespace {

struct Cache {
    std::mutex lock;
    bool enabled = false;
    // "Software\Korvex" with everything below it, when it exists; "Software" for its own
    // subkeys, so the archiver's key being made, or deleted and made again, is a change too (a
    // watch need not report the deletion of its own key).
    os::RegKey watched;
    os::RegChangeWatch watch;
    os::RegKey parent;
    os::RegChangeWatch parent_watch;
    bool watching = false;
    std::map<std::u16string, StoredSetting> values;
};

Cache& cache() {
    static Cache instance;
    return instance;
}

thread_local int t_scope_depth = 0;
thread_local bool t_checked_in_scope = false;

// Drops every value and watches again; false when no key can be watched.
bool restart(Cache& c) {
    c.values.clear();
    c.watching = false;
    const os::RegKey user = os::RegKey::root(os::RegistryRoot::kCurrentUser);
    const std::uint32_t access = os::kRegQueryValue | os::kRegNotify;
    if (os::reg_open_key(user, u"Software", access, c.parent) != os::kRegOk ||
        !c.parent_watch.arm(c.parent, false)) {
        return false;
    }
    if (os::reg_open_key(user, SettingsKey(os::RegistryRoot::kCurrentUser, u""), access,
                         c.watched) != os::kRegOk) {
        c.watching = true;  // every value reads as missing until the key appears under Software
        return true;
    }
    c.watching = c.watch.arm(c.watched, true);
    return c.watching;
}

StoredSetting read_stored(std::u16string_view key, std::u16string_view value) {
    StoredSetting stored;
    os::RegKey handle;
    if (os::reg_open_key(os::RegKey::root(os::RegistryRoot::kCurrentUser),
                         SettingsKey(os::RegistryRoot::kCurrentUser, key), os::kRegQueryValue,
                         handle) != os::kRegOk) {
        return stored;
    }
    // Most values fit the first buffer; a longer one is read again at its size.
    std::vector<std::byte> buffer(4096);
    os::RegStatus status = os::reg_query_value(handle, value, stored.type, buffer, stored.size);
    if (status == os::kRegMoreData && stored.size <= kMaxCachedValueBytes) {
        buffer.resize(stored.size);
        status = os::reg_query_value(handle, value, stored.type, buffer, stored.size);
    }
    if (status == os::kRegOk) {
        buffer.resize(stored.size);
        stored.bytes = std::move(buffer);
        stored.found = true;
    } else if (status == os::kRegMoreData) {
        stored.found = true;  // its size alone: too long for any reader's buffer
    }
    return stored;
}

}  // namespace

void set_settings_cache_enabled(bool enabled) {
    Cache& c = cache();
    std::lock_guard<std::mutex> hold(c.lock);
    c.enabled = enabled;
    c.values.clear();
    c.watching = false;
}

SettingsReadScope::SettingsReadScope() {
    ++t_scope_depth;
}

SettingsReadScope::~SettingsReadScope() {
    if (--t_scope_depth == 0) t_checked_in_scope = false;
}

std::optional<StoredSetting> cached_setting(std::u16string_view key, std::u16string_view value) {
    Cache& c = cache();
    std::lock_guard<std::mutex> hold(c.lock);
    // Writers may switch the whole process to the 32-bit view; the cache knows only the default.
    if (!c.enabled || registry_view() != RegistryView::kDefault) return std::nullopt;
    if (t_scope_depth == 0 || !t_checked_in_scope) {
        const bool changed =
            !c.watching || c.parent_watch.changed() || (c.watched.is_open() && c.watch.changed());
        if (changed && !restart(c)) return std::nullopt;
        if (t_scope_depth > 0) t_checked_in_scope = true;
    }
    if (!c.watching) return std::nullopt;
    std::u16string name(key);
    name += u'\0';
    name += value;
    auto found = c.values.find(name);
    if (found == c.values.end())
        found = c.values.emplace(std::move(name), read_stored(key, value)).first;
    // A value too long to keep is read by the caller each time (none of the extension's is).
    if (found->second.found && found->second.bytes.size() != found->second.size)
        return std::nullopt;
    return found->second;
}

}  // namespace kub

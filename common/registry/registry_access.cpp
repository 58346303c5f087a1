#include "common/registry/registry_access.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <optional>
#include <vector>

#include "common/registry/settings_cache.h"

namespace kub {

namespace {

RegistryView g_view = RegistryView::kDefault;

std::uint32_t view_flag() {
    return g_view == RegistryView::k32Bit ? os::kRegView32 : 0;
}

RegStatus open_key(RegistryRoot root, std::u16string_view key, std::uint32_t access,
                   os::RegKey& out) {
    return os::reg_open_key(os::RegKey::root(root), SettingsKey(root, key), access | view_flag(),
                            out);
}

bool is_text(os::RegValueType type) {
    return type == os::RegValueType::kString || type == os::RegValueType::kExpandString;
}

RegStatus write_value(RegistryRoot root, std::u16string_view key, std::u16string_view value,
                      os::RegValueType type, std::span<const std::byte> data) {
    os::RegKey handle;
    RegStatus status = os::reg_create_key(os::RegKey::root(root), SettingsKey(root, key),
                                          os::kRegWrite | view_flag(), handle);
    if (status != os::kRegOk) return status;
    return os::reg_set_value(handle, value, type, data);
}

// One pass of the tree deletion below parent; returns how many keys it deleted. Subkeys are
// reached through their open parent rather than by composed names, so no depth is too deep.
unsigned delete_tree_pass(const os::RegKey& parent, std::u16string_view name) {
    unsigned deleted = 0;
    {
        os::RegKey key;
        if (os::reg_open_key(parent, name, os::kRegRead | view_flag(), key) != os::kRegOk) return 0;
        std::u16string subkey;
        for (std::uint32_t index = 0;; ++index) {
            RegStatus status = os::reg_enum_key(key, index, os::kMaxRegKeyNameLength + 1, subkey);
            if (status == os::kRegMoreData) continue;
            if (status != os::kRegOk) break;
            deleted += delete_tree_pass(key, subkey);
        }
    }
    if (os::reg_delete_key(parent, name, view_flag()) == os::kRegOk) ++deleted;
    return deleted;
}

// The text of a value read whole, as a read into a buffer of `size` characters gives it: a value
// that does not fit is missing. A number or binary value read as text would show its bytes as
// characters, so only text values count.
bool text_of(const StoredSetting& stored, std::size_t size, std::u16string& out) {
    if (!stored.found || stored.size > size * sizeof(char16_t) || !is_text(stored.type) ||
        stored.bytes.size() != stored.size)
        return false;
    const std::size_t units = std::min<std::size_t>(stored.size / 2, size - 1);
    out.resize(units);
    std::memcpy(out.data(), stored.bytes.data(), units * sizeof(char16_t));
    out.resize(std::min(out.size(), out.find(u'\0')));
    return true;
}

// The number of a value read whole, as a 4-byte buffer gives it.
std::optional<std::uint32_t> number_of(const StoredSetting& stored) {
    if (!stored.found || stored.size == 0 || stored.size > 4 ||
        stored.bytes.size() != stored.size || is_text(stored.type) ||
        stored.type == os::RegValueType::kMultiString)
        return std::nullopt;
    std::uint32_t number = 0;
    for (std::size_t i = stored.size; i-- > 0;)
        number = (number << 8) | std::to_integer<std::uint32_t>(stored.bytes[i]);
    return number;
}

// A read through a buffer of `capacity` bytes; a value that does not fit keeps only its size.
StoredSetting read_stored(RegistryRoot root, std::u16string_view key, std::u16string_view value,
                          std::size_t capacity) {
    StoredSetting stored;
    os::RegKey handle;
    if (open_key(root, key, os::kRegQueryValue | os::kRegEnumerateSubKeys, handle) != os::kRegOk)
        return stored;
    stored.bytes.resize(capacity);
    const os::RegStatus status =
        os::reg_query_value(handle, value, stored.type, stored.bytes, stored.size);
    stored.found = status == os::kRegOk;
    stored.bytes.resize(stored.found ? stored.size : 0);
    return stored;
}

bool string_from(const StoredSetting& stored, std::u16string& out, std::u16string_view default_text,
                 std::size_t size) {
    if (text_of(stored, size, out)) return true;
    out.assign(default_text.substr(0, std::min(default_text.size(), size - 1)));
    return false;
}

}  // namespace

void set_registry_view(RegistryView view) {
    g_view = view;
}

RegistryView registry_view() {
    return g_view;
}

RegStatus write_registry_string(RegistryRoot root, std::u16string_view key,
                                std::u16string_view value, std::u16string_view text) {
    std::u16string terminated(text);
    terminated.push_back(u'\0');
    return write_value(root, key, value, os::RegValueType::kString,
                       std::as_bytes(std::span(terminated)));
}

RegStatus write_registry_number(RegistryRoot root, std::u16string_view key,
                                std::u16string_view value, std::uint32_t number) {
    const std::array<std::byte, 4> bytes = {
        std::byte(number & 0xFF), std::byte((number >> 8) & 0xFF), std::byte((number >> 16) & 0xFF),
        std::byte((number >> 24) & 0xFF)};
    return write_value(root, key, value, os::RegValueType::kDword, bytes);
}

bool read_registry_string(RegistryRoot root, std::u16string_view key, std::u16string_view value,
                          std::u16string& out, std::u16string_view default_text, std::size_t size) {
    out.clear();
    if (size == 0) return false;
    return string_from(read_stored(root, key, value, size * sizeof(char16_t)), out, default_text,
                       size);
}

std::uint32_t read_registry_number(RegistryRoot root, std::u16string_view key,
                                   std::u16string_view value, std::uint32_t default_value) {
    return number_of(read_stored(root, key, value, 4)).value_or(default_value);
}


bool registry_key_exists(RegistryRoot root, std::u16string_view key) {
    os::RegKey handle;
    return open_key(root, key, os::kRegQueryValue, handle) == os::kRegOk;
}

RegStatus delete_registry_key(RegistryRoot root, std::u16string_view key) {
    return os::reg_delete_key(os::RegKey::root(root), SettingsKey(root, key), view_flag());
}

RegStatus delete_registry_value(RegistryRoot root, std::u16string_view key,
                                std::u16string_view value) {
    os::RegKey handle;
    RegStatus status = open_key(root, key, os::kRegWrite, handle);
    if (status != os::kRegOk) return status;
    return os::reg_delete_value(handle, value);
}

void delete_registry_tree(RegistryRoot root, std::u16string_view key) {
    const os::RegKey root_key = os::RegKey::root(root);
    const std::u16string name = SettingsKey(root, key);
    // The empty name would be the root itself: everything under it would go.
    if (name.empty()) return;
    // Deleting while enumerating shifts the indexes, so a pass can miss subkeys; the next pass
    // gets them.
    while (delete_tree_pass(root_key, name) != 0) {
    }
}

RegStatus write_setting_string(std::u16string_view key, std::u16string_view value,
                               std::u16string_view text) {
    return write_registry_string(RegistryRoot::kCurrentUser, key, value, text);
}

RegStatus write_setting_number(std::u16string_view key, std::u16string_view value,
                               std::uint32_t number) {
    return write_registry_number(RegistryRoot::kCurrentUser, key, value, number);
}

bool read_setting_string(std::u16string_view key, std::u16string_view value, std::u16string& out,
                         std::u16string_view default_text, std::size_t size) {
    out.clear();
    if (size == 0) return false;
    if (std::optional<StoredSetting> cached = cached_setting(key, value)) {
        return string_from(*cached, out, default_text, size);
    }
    return read_registry_string(RegistryRoot::kCurrentUser, key, value, out, default_text, size);
}

std::uint32_t read_setting_number(std::u16string_view key, std::u16string_view value,
                                  std::uint32_t default_value) {
    if (std::optional<StoredSetting> cached = cached_setting(key, value)) {
        return number_of(*cached).value_or(default_value);
    }
    return read_registry_number(RegistryRoot::kCurrentUser, key, value, default_value);
}

}  // namespace kub

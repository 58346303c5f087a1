#include "common/registry/registry_access.h"

#include <algorithm>
#include <array>
#include <vector>

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
    os::RegKey handle;
    if (open_key(root, key, os::kRegQueryValue | os::kRegEnumerateSubKeys, handle) == os::kRegOk) {
        std::vector<char16_t> buffer(size);
        os::RegValueType type = os::RegValueType::kNone;
        std::uint32_t stored = 0;
        // A number or binary value read as text would show its bytes as characters.
        if (os::reg_query_value(handle, value, type, std::as_writable_bytes(std::span(buffer)),
                                stored) == os::kRegOk &&
            is_text(type)) {
            auto end = buffer.begin() + std::min<std::size_t>(stored / 2, size - 1);
            out.assign(buffer.begin(), std::find(buffer.begin(), end, u'\0'));
            return true;
        }
    }
    out.assign(default_text.substr(0, std::min(default_text.size(), size - 1)));
    return false;
}

std::uint32_t read_registry_number(RegistryRoot root, std::u16string_view key,
                                   std::u16string_view value, std::uint32_t default_value) {
    os::RegKey handle;
    if (open_key(root, key, os::kRegQueryValue | os::kRegEnumerateSubKeys, handle) != os::kRegOk)
        return default_value;
    std::array<std::byte, 4> bytes{};
    os::RegValueType type = os::RegValueType::kNone;
    std::uint32_t stored = 0;
    if (os::reg_query_value(handle, value, type, bytes, stored) != os::kRegOk || stored == 0 ||
        is_text(type) || type == os::RegValueType::kMultiString)
        return default_value;
    std::uint32_t number = 0;
    for (std::size_t i = stored; i-- > 0;)
        number = (number << 8) | std::to_integer<std::uint32_t>(bytes[i]);
    return number;
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
    return read_registry_string(RegistryRoot::kCurrentUser, key, value, out, default_text, size);
}

std::uint32_t read_setting_number(std::u16string_view key, std::u16string_view value,
                                  std::uint32_t default_value) {
    return read_registry_number(RegistryRoot::kCurrentUser, key, value, default_value);
}

}  // namespace kub

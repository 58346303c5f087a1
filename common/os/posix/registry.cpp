// The in-memory registry: the same answers as the system's for the things this code does -
// error codes, access rights, case-insensitive names, keys with subkeys that cannot be deleted
// alone, handles that outlive a deleted key, and the 32-bit view's redirection.
#include <algorithm>
#include <atomic>
#include <cstring>
#include <mutex>

#include "common/os/posix/registry_tree.h"

namespace kub::os {

namespace registry_tree {

namespace {
std::shared_ptr<Node> g_roots[std::size(kAllRoots)];
std::atomic<std::uint64_t> g_changes{0};
}

std::uint64_t change_count() { return g_changes.load(); }
void count_change() { ++g_changes; }

std::shared_ptr<Node> root_node(RegistryRoot which) {
    // Threads may make their first registry call at the same moment.
    static std::mutex lock;
    std::lock_guard<std::mutex> hold(lock);
    auto& slot = g_roots[static_cast<std::size_t>(which)];
    if (!slot) slot = std::make_shared<Node>();
    return slot;
}

const char* root_name(RegistryRoot which) {
    switch (which) {
        case RegistryRoot::kClassesRoot:
            return "HKEY_CLASSES_ROOT";
        case RegistryRoot::kCurrentUser:
            return "HKEY_CURRENT_USER";
        case RegistryRoot::kLocalMachine:
            return "HKEY_LOCAL_MACHINE";
        case RegistryRoot::kUsers:
            return "HKEY_USERS";
    }
    return "";
}

}  // namespace registry_tree

namespace {

using registry_tree::Node;

struct OpenKey {
    std::shared_ptr<Node> node;
    std::uint32_t access = 0;
    bool is_root = false;
    RegistryRoot root = RegistryRoot::kCurrentUser;
};

constexpr std::u16string_view kWow64Node = u"Wow6432Node";

OpenKey* open_of(const RegKey& key) {
    return static_cast<OpenKey*>(key.native_handle());
}

bool same_name(std::u16string_view a, std::u16string_view b) {
    return compare_ignoring_case(a, b) == 0;
}

// The system accepts doubled and trailing separators but not a leading one.
RegStatus split_path(std::u16string_view path, std::vector<std::u16string>& parts) {
    if (!path.empty() && path.front() == u'\\') return kRegBadPathName;
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t end = std::min(path.find(u'\\', start), path.size());
        if (end - start > kMaxRegKeyNameLength) return kRegInvalidParameter;
        if (end > start) parts.emplace_back(path.substr(start, end - start));
        start = end + 1;
    }
    return kRegOk;
}

// What the 64-bit system redirects for a 32-bit view key opened from a root: HKLM\Software
// goes to HKLM\Software\Wow6432Node and HKCR\CLSID to HKCR\Wow6432Node\CLSID.
void redirect_to_32bit_view(RegistryRoot root, std::vector<std::u16string>& parts) {
    if (parts.empty()) return;
    if (root == RegistryRoot::kLocalMachine && same_name(parts[0], u"Software")) {
        if (parts.size() < 2 || !same_name(parts[1], kWow64Node))
            parts.emplace(parts.begin() + 1, kWow64Node);
    } else if (root == RegistryRoot::kClassesRoot && same_name(parts[0], u"CLSID")) {
        parts.emplace(parts.begin(), kWow64Node);
    }
}

RegStatus find_key(const RegKey& parent, std::u16string_view path, std::uint32_t access,
                   bool create, std::shared_ptr<Node>& found) {
    const OpenKey* from = open_of(parent);
    if (!from) return kRegInvalidParameter;
    if (from->node->deleted) return kRegKeyDeleted;
    std::vector<std::u16string> parts;
    if (RegStatus status = split_path(path, parts); status != kRegOk) return status;
    if (from->is_root && (access & kRegView32)) redirect_to_32bit_view(from->root, parts);
    std::shared_ptr<Node> node = from->node;
    for (const auto& part : parts) {
        auto it = node->children.find(part);
        if (it == node->children.end()) {
            if (!create) return kRegNotFound;
            if (node->read_only) return kRegAccessDenied;
            if (node == from->node && !from->is_root && !(from->access & kRegCreateSubKey))
                return kRegAccessDenied;
            auto child = std::make_shared<Node>();
            child->parent = node.get();
            it = node->children.emplace(part, std::move(child)).first;
            registry_tree::count_change();
        }
        node = it->second;
    }
    found = std::move(node);
    return kRegOk;
}

RegStatus open_or_create(const RegKey& parent, std::u16string_view path, std::uint32_t access,
                         bool create, RegKey& key) {
    key.close();
    std::shared_ptr<Node> node;
    RegStatus status = find_key(parent, path, access, create, node);
    if (status != kRegOk) return status;
    if (node->read_only && (access & (kRegSetValue | kRegCreateSubKey)) != 0)
        return kRegAccessDenied;
    const OpenKey* from = open_of(parent);
    key = RegKey::adopt(new OpenKey{std::move(node), access, false, from->root}, true);
    return kRegOk;
}

// The open key behind a handle, when it may still be used with the given right.
RegStatus usable(const RegKey& key, std::uint32_t right, Node*& node) {
    const OpenKey* open = open_of(key);
    if (!open) return kRegInvalidParameter;
    if (open->node->deleted) return kRegKeyDeleted;
    if (!open->is_root && (open->access & right) != right) return kRegAccessDenied;
    if (open->node->read_only && right == kRegSetValue) return kRegAccessDenied;
    node = open->node.get();
    return kRegOk;
}

void mark_deleted(Node& node) {
    node.deleted = true;
    for (auto& [name, child] : node.children) mark_deleted(*child);
}

}  // namespace

RegKey RegKey::root(RegistryRoot which) {
    return adopt(new OpenKey{registry_tree::root_node(which), kRegRead | kRegWrite, true, which},
                 true);
}

void RegKey::close() noexcept {
    delete static_cast<OpenKey*>(handle_);
    handle_ = nullptr;
    owned_ = false;
}

RegStatus reg_open_key(const RegKey& parent, std::u16string_view path, std::uint32_t access,
                       RegKey& key) {
    return open_or_create(parent, path, access, false, key);
}

RegStatus reg_create_key(const RegKey& parent, std::u16string_view path, std::uint32_t access,
                         RegKey& key) {
    return open_or_create(parent, path, access, true, key);
}

RegStatus reg_query_value(const RegKey& key, std::u16string_view name, RegValueType& type,
                          std::span<std::byte> buffer, std::uint32_t& size) {
    Node* node = nullptr;
    if (RegStatus status = usable(key, kRegQueryValue, node); status != kRegOk) return status;
    auto it = node->values.find(std::u16string(name));
    if (it == node->values.end()) return kRegNotFound;
    const auto& data = it->second.data;
    type = it->second.type;
    size = static_cast<std::uint32_t>(data.size());
    if (buffer.data() == nullptr) return kRegOk;
    if (buffer.size() < data.size()) return kRegMoreData;
    std::copy(data.begin(), data.end(), buffer.begin());
    return kRegOk;
}

RegStatus reg_set_value(const RegKey& key, std::u16string_view name, RegValueType type,
                        std::span<const std::byte> data) {
    Node* node = nullptr;
    if (RegStatus status = usable(key, kRegSetValue, node); status != kRegOk) return status;
    auto& value = node->values[std::u16string(name)];
    value.type = type;
    value.data.assign(data.begin(), data.end());
    registry_tree::count_change();
    return kRegOk;
}

RegStatus reg_delete_value(const RegKey& key, std::u16string_view name) {
    Node* node = nullptr;
    if (RegStatus status = usable(key, kRegSetValue, node); status != kRegOk) return status;
    if (node->values.erase(std::u16string(name)) == 0) return kRegNotFound;
    registry_tree::count_change();
    return kRegOk;
}

RegStatus reg_enum_key(const RegKey& key, std::uint32_t index, std::size_t capacity,
                       std::u16string& name) {
    name.clear();
    Node* node = nullptr;
    if (RegStatus status = usable(key, kRegEnumerateSubKeys, node); status != kRegOk) return status;
    if (index >= node->children.size()) return kRegNoMoreItems;
    const auto& found = std::next(node->children.begin(), index)->first;
    if (found.size() >= capacity) return kRegMoreData;
    name = found;
    return kRegOk;
}

RegStatus reg_enum_value(const RegKey& key, std::uint32_t index, std::size_t capacity,
                         std::u16string& name) {
    name.clear();
    Node* node = nullptr;
    if (RegStatus status = usable(key, kRegQueryValue, node); status != kRegOk) return status;
    if (index >= node->values.size()) return kRegNoMoreItems;
    const auto& found = std::next(node->values.begin(), index)->first;
    if (found.size() >= capacity) return kRegMoreData;
    name = found;
    return kRegOk;
}

RegStatus reg_delete_key(const RegKey& parent, std::u16string_view path, std::uint32_t view) {
    std::shared_ptr<Node> node;
    RegStatus status = find_key(parent, path, view & kRegView32, false, node);
    if (status != kRegOk) return status;
    if (!node->parent || !node->children.empty() || node->read_only) return kRegAccessDenied;
    auto& siblings = node->parent->children;
    auto it = std::find_if(siblings.begin(), siblings.end(),
                           [&](const auto& entry) { return entry.second == node; });
    if (it != siblings.end()) siblings.erase(it);
    node->parent = nullptr;
    node->deleted = true;
    registry_tree::count_change();
    return kRegOk;
}

bool set_registry_key_read_only(RegistryRoot root, std::u16string_view path, bool read_only) {
    std::shared_ptr<Node> node;
    if (find_key(RegKey::root(root), path, 0, false, node) != kRegOk) return false;
    node->read_only = read_only;
    return true;
}

void clear_registry() {
    for (RegistryRoot which : registry_tree::kAllRoots) {
        auto root = registry_tree::root_node(which);
        for (auto& [name, child] : root->children) mark_deleted(*child);
        root->children.clear();
        root->values.clear();
    }
    registry_tree::count_change();
}

RegChangeWatch::~RegChangeWatch() = default;

bool RegChangeWatch::arm(const RegKey& key, bool) {
    armed_ = key.is_open();
    seen_ = registry_tree::change_count();
    return armed_;
}

bool RegChangeWatch::changed() const { return !armed_ || registry_tree::change_count() != seen_; }

}  // namespace kub::os

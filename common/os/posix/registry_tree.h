#pragma once
// The native build's registry: one tree per root, held in memory, shared by the registry
// functions of os_registry.h and the text-file loader.
#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "common/os/os_registry.h"
#include "common/os/os_text.h"

namespace kub::os::registry_tree {

// Names compare as the system compares them: ignoring case, case kept as first written. The
// order is also the enumeration order.
struct NameLess {
    bool operator()(const std::u16string& a, const std::u16string& b) const {
        return compare_ignoring_case(a, b) < 0;
    }
};

struct Value {
    RegValueType type = RegValueType::kNone;
    std::vector<std::byte> data;
};

struct Node {
    std::map<std::u16string, std::shared_ptr<Node>, NameLess> children;
    std::map<std::u16string, Value, NameLess> values;
    Node* parent = nullptr;
    // Set when the key is deleted while someone still holds it open.
    bool deleted = false;
    // Writes denied, as for a key whose security lets the caller only read.
    bool read_only = false;
};

inline constexpr RegistryRoot kAllRoots[] = {RegistryRoot::kClassesRoot, RegistryRoot::kCurrentUser,
                                             RegistryRoot::kLocalMachine, RegistryRoot::kUsers};

std::shared_ptr<Node> root_node(RegistryRoot which);

// The system's name of a root ("HKEY_CURRENT_USER").
const char* root_name(RegistryRoot which);

// Changes made to any key so far; every write, deletion and load adds one. Change watches
// compare it.
std::uint64_t change_count();
void count_change();

}  // namespace kub::os::registry_tree

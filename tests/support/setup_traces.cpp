#include "tests/support/setup_traces.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <set>
#include <sstream>
#include <string>

#include "common/registry/registry_access.h"
#include "tests/support/registry_export.h"

namespace kub::test {

namespace {

constexpr auto kClasses = os::RegistryRoot::kClassesRoot;
constexpr auto kMachine = os::RegistryRoot::kLocalMachine;

constexpr const char16_t* kExtensions[] = {
    u".kub", u".zip", u".cab", u".arj", u".lzh", u".lha", u".ace", u".7z",  u".tar",
    u".gz",  u".tgz", u".uue", u".xxe", u".uu",  u".bz2", u".tbz2", u".bz", u".tbz",
    u".jar", u".iso", u".z",   u".taz", u".xz",  u".txz", u".rev"};
constexpr const char16_t* kClassIds[] = {u"{B41DB860-64E4-11D2-9906-E49FADC173CA}",
                                         u"{B41DB860-8EE4-11D2-9906-E49FADC173CA}"};
constexpr const char16_t* kHandlerNames[] = {u"Korvex", u"Korvex32"};
constexpr const char16_t* kHandlerParents[] = {
    u"*\\shellex\\ContextMenuHandlers\\",      u"Folder\\shellex\\ContextMenuHandlers\\",
    u"Folder\\shellex\\DragDropHandlers\\",    u"Drive\\shellex\\DragDropHandlers\\",
    u"Directory\\shellex\\ContextMenuHandlers\\", u"Directory\\shellex\\DragDropHandlers\\"};

}  // namespace

void remove_setup_registry_traces() {
    for (const char16_t* extension : kExtensions) delete_registry_tree(kClasses, extension);
    for (unsigned number = 0; number < 100; ++number) {
        char name[8];
        std::snprintf(name, sizeof name, ".k%02u", number);
        delete_registry_tree(kClasses, std::u16string(name, name + 4));
    }
    for (const char16_t* prog_id : {u"Korvex", u"Korvex.ZIP", u"Korvex.REV"})
        delete_registry_tree(kClasses, prog_id);
    for (const char16_t* id : kClassIds) {
        delete_registry_tree(kClasses, std::u16string(u"CLSID\\") + id);
        delete_registry_tree(kClasses, std::u16string(u"Wow6432Node\\CLSID\\") + id);
        delete_registry_tree(kClasses, std::u16string(u"exefile\\shellex\\PropertySheetHandlers\\") + id);
        delete_registry_value(kMachine,
                              u"Software\\Microsoft\\Windows\\CurrentVersion\\Shell Extensions\\Approved",
                              id);
    }
    for (const char16_t* parent : kHandlerParents)
        for (const char16_t* name : kHandlerNames)
            delete_registry_tree(kClasses, std::u16string(parent) + name);
    delete_registry_tree(kMachine, u"Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Korvex.exe");
    delete_registry_tree(kMachine, u"Software\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Korvex.exe");
    delete_registry_tree(kMachine, u"Software\\Korvex");
    delete_registry_tree(kMachine, u"Software\\Wow6432Node\\Korvex");
    delete_registry_tree(kMachine,
                         u"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Korvex archiver");
    delete_registry_value(kMachine, u"Software\\RegisteredApplications", u"Korvex");
    delete_registry_tree(os::RegistryRoot::kCurrentUser, u"Setup");
}

std::string setup_registry_snapshot(SnapshotScope scope) {
    if (scope == SnapshotScope::kSetupKeys) {
        std::string text;
        for (const char16_t* extension : kExtensions) text += export_registry_tree(kClasses, extension);
        for (const char16_t* tree : {u"Korvex", u"Korvex.ZIP", u"Korvex.REV", u"CLSID\\{B41DB860-64E4-11D2-9906-E49FADC173CA}",
                                     u"CLSID\\{B41DB860-8EE4-11D2-9906-E49FADC173CA}", u"Wow6432Node\\CLSID",
                                     u"*\\shellex", u"Folder\\shellex", u"Directory\\shellex", u"Drive\\shellex",
                                     u"exefile\\shellex"})
            text += export_registry_tree(kClasses, tree);
        for (const char16_t* tree :
             {u"Software\\Korvex", u"Software\\Wow6432Node\\Korvex",
              u"Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Korvex.exe",
              u"Software\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Korvex.exe",
              u"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Korvex archiver",
              u"Software\\Microsoft\\Windows\\CurrentVersion\\Shell Extensions\\Approved",
              u"Software\\RegisteredApplications"})
            text += export_registry_tree(kMachine, tree);
        return text + export_registry_tree(os::RegistryRoot::kCurrentUser, u"Software\\Korvex");
    }
    std::string text = export_registry_tree(kClasses, u"");
    // The root exported whole is labelled "HKCR\\": one separator, as for every other key.
    text = replace_all(text, "[HKCR\\\\", "[HKCR\\");
    text += export_registry_tree(kMachine, u"Software");
    text += export_registry_tree(os::RegistryRoot::kCurrentUser, u"Software");
    return text;
}

namespace {

using KeyMap = std::map<std::string, std::set<std::string>>;

KeyMap parse_export(const std::string& text) {
    KeyMap keys;
    std::istringstream in(text);
    std::set<std::string>* current = nullptr;
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.front() == '[')
            current = &keys[line];
        else if (current)
            current->insert(line);
    }
    return keys;
}

// Keys setup creates only as the way to its own, shared with the system and other programs.
const std::set<std::string>& shared_parent_keys() {
    static const std::set<std::string> keys = {
        "[HKCR\\*\\shellex]", "[HKCR\\*\\shellex\\ContextMenuHandlers]",
        "[HKCR\\Folder\\shellex]", "[HKCR\\Folder\\shellex\\ContextMenuHandlers]",
        "[HKCR\\Folder\\shellex\\DragDropHandlers]", "[HKCR\\Directory\\shellex]",
        "[HKCR\\Directory\\shellex\\ContextMenuHandlers]",
        "[HKCR\\Directory\\shellex\\DragDropHandlers]", "[HKCR\\Drive\\shellex]",
        "[HKCR\\Drive\\shellex\\DragDropHandlers]", "[HKCR\\CLSID]", "[HKCR\\Wow6432Node]",
        "[HKCR\\Wow6432Node\\CLSID]", "[HKCR\\exefile]", "[HKCR\\exefile\\shellex]",
        "[HKCR\\exefile\\shellex\\PropertySheetHandlers]",
        "[HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Shell Extensions\\Approved]",
        "[HKLM\\Software\\RegisteredApplications]", "[HKCU\\Software]"};
    return keys;
}

// Key names compare without case, and HKLM "Software\\Classes" is the machine part of HKCR.
std::string comparable(const std::string& key) {
    std::string name = key;
    for (char& c : name)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    const std::string machine_classes = "[hklm\\software\\classes";
    if (name.compare(0, machine_classes.size(), machine_classes) == 0)
        name = "[hkcr" + name.substr(machine_classes.size());
    return name;
}

// A kept key, or a key on the way to one ("[HKLM\\Software\\Microsoft]").
bool is_kept(const std::string& key, const std::vector<std::string>& also_kept) {
    const std::string name = comparable(key);
    const std::string open = name.substr(0, name.size() - 1);
    const auto on_the_way = [&](const std::string& kept_key) {
        const std::string kept = comparable(kept_key);
        return kept == name || (kept.compare(0, open.size(), open) == 0 && kept[open.size()] == '\\');
    };
    const auto& shared = shared_parent_keys();
    return std::any_of(shared.begin(), shared.end(), on_the_way) ||
           std::any_of(also_kept.begin(), also_kept.end(), on_the_way);
}

}  // namespace

std::vector<std::string> registry_changes(const std::string& before, const std::string& after,
                                          const std::vector<std::string>& also_kept,
                                          const std::vector<std::string_view>& ignored) {
    const KeyMap old_keys = parse_export(before);
    const KeyMap new_keys = parse_export(after);
    const auto skip = [&](const std::string& key) {
        return std::any_of(ignored.begin(), ignored.end(),
                           [&](std::string_view prefix) { return key.rfind(prefix, 0) == 0; });
    };
    std::vector<std::string> changes;
    for (const auto& [key, values] : new_keys) {
        if (skip(key)) continue;
        const auto old = old_keys.find(key);
        if (old == old_keys.end() && !is_kept(key, also_kept)) changes.push_back("+" + key);
        for (const std::string& value : values)
            if (old == old_keys.end() || !old->second.count(value))
                changes.push_back("+" + key + " " + value);
    }
    for (const auto& [key, values] : old_keys) {
        if (skip(key)) continue;
        const auto now = new_keys.find(key);
        if (now == new_keys.end()) changes.push_back("-" + key);
        for (const std::string& value : values)
            if (now == new_keys.end() || !now->second.count(value))
                changes.push_back("-" + key + " " + value);
    }
    return changes;
}

}  // namespace kub::test

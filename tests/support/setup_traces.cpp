#include "tests/support/setup_traces.h"

#include <cstdio>
#include <string>

#include "common/registry/registry_access.h"

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

}  // namespace kub::test

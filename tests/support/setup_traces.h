#pragma once
// Removes everything setup may write to the registry (associations of every archive extension,
// the ProgIDs, both extension classes and their handler keys, the application path in both
// views, capabilities, the installed program entry and the user's setup choices), so a test on
// the real registry of the Wine session starts clean and leaves it as it found it.
#include <string>
#include <string_view>
#include <vector>

namespace kub::test {

void remove_setup_registry_traces();

// Where setup writes, exported (registry_export.h): with kWhole everything under
// HKEY_CLASSES_ROOT and under "Software" of HKEY_LOCAL_MACHINE and HKEY_CURRENT_USER; with
// kSetupKeys only the trees setup writes into (a real registry is large to export whole).
enum class SnapshotScope { kWhole, kSetupKeys };
std::string setup_registry_snapshot(SnapshotScope scope = SnapshotScope::kWhole);

// What `after` holds that `before` did not, and the reverse: "+[key]", "-[key]" for keys,
// "+[key] value" and "-[key] value" for values. Left out: the parent keys setup creates on the
// way to its own and uninstall rightly leaves (handler lists, "CLSID", the approved list...), the
// keys named in `also_kept`, and keys under any of `ignored` (prefixes such as "[HKCU\Software\Wine").
std::vector<std::string> registry_changes(const std::string& before, const std::string& after,
                                          const std::vector<std::string>& also_kept = {},
                                          const std::vector<std::string_view>& ignored = {});

}  // namespace kub::test

#pragma once
// Registry helpers for both deliverables: string and number values, key and tree deletion, and
// the 32-bit view switch. Every key name goes through SettingsKey (settings_key.h), so a name
// under HKEY_CURRENT_USER without a leading backslash is one of the archiver's settings keys.
// Missing keys and values are not errors: reads give the default, deletes do nothing.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "common/os/os.h"
#include "common/registry/settings_key.h"

namespace kub {

using os::RegistryRoot;
using os::RegStatus;

enum class RegistryView { kDefault, k32Bit };

// Process-wide: every key the helpers open or create from now on lies in this view. Set it only
// around single reads and writes (ScopedRegistryView does that).
void set_registry_view(RegistryView view);
RegistryView registry_view();

class ScopedRegistryView {
  public:
    explicit ScopedRegistryView(RegistryView view) : previous_(registry_view()) {
        set_registry_view(view);
    }
    ~ScopedRegistryView() { set_registry_view(previous_); }
    ScopedRegistryView(const ScopedRegistryView&) = delete;
    ScopedRegistryView& operator=(const ScopedRegistryView&) = delete;

  private:
    RegistryView previous_;
};

// Creates the key as needed and stores text (with its terminator) as REG_SZ. Returns the system
// error code; callers look for os::kRegAccessDenied.
RegStatus write_registry_string(RegistryRoot root, std::u16string_view key,
                                std::u16string_view value, std::u16string_view text);
RegStatus write_registry_number(RegistryRoot root, std::u16string_view key,
                                std::u16string_view value, std::uint32_t number);

// Reads a string value as into a buffer of size characters (terminator included): a stored value
// that does not fit reads as missing. On success out holds the stored text, at most size - 1
// characters; on any failure out holds the default (cut alike) and the result is false.
bool read_registry_string(RegistryRoot root, std::u16string_view key, std::u16string_view value,
                          std::u16string& out, std::u16string_view default_text, std::size_t size);

// The stored DWORD, or the default when the key or value is missing, empty or not a number.
std::uint32_t read_registry_number(RegistryRoot root, std::u16string_view key,
                                   std::u16string_view value, std::uint32_t default_value);

bool registry_key_exists(RegistryRoot root, std::u16string_view key);

// Deletes one key; a key with subkeys stays (os::kRegAccessDenied).
RegStatus delete_registry_key(RegistryRoot root, std::u16string_view key);
RegStatus delete_registry_value(RegistryRoot root, std::u16string_view key,
                                std::u16string_view value);

// Deletes a key with everything below it; a missing key is left alone.
void delete_registry_tree(RegistryRoot root, std::u16string_view key);

// The archiver's own settings: the same operations under HKEY_CURRENT_USER.
RegStatus write_setting_string(std::u16string_view key, std::u16string_view value,
                               std::u16string_view text);
RegStatus write_setting_number(std::u16string_view key, std::u16string_view value,
                               std::uint32_t number);
bool read_setting_string(std::u16string_view key, std::u16string_view value, std::u16string& out,
                         std::u16string_view default_text, std::size_t size);
std::uint32_t read_setting_number(std::u16string_view key, std::u16string_view value,
                                  std::uint32_t default_value);

}  // namespace kub

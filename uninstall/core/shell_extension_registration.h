#pragma once
// The shell extension as a COM class and as a handler for archives, files, folders and drives,
// for its 64-bit and its 32-bit build, plus the application capabilities the system's default
// programs settings list.
#include <array>
#include <string_view>

#include "common/registry/registry_access.h"
#include "uninstall/core/integration_settings.h"
#include "uninstall/core/setup_environment.h"

namespace kub::setup {

struct ShellExtensionClass {
    std::u16string_view file_name;    // in the program folder
    std::u16string_view class_id;     // registry form, with braces
    std::u16string_view handler_key;  // name of the handler keys under *, Folder and Drive
    RegistryView class_view;          // where the CLSID key goes
};

// In registration order: the drop handler ends up naming the 64-bit class.
inline constexpr std::array<ShellExtensionClass, 2> kShellExtensionClasses = {{
    {u"kubext32.dll", u"{B41DB860-8EE4-11D2-9906-E49FADC173CA}", u"Korvex32",
     RegistryView::k32Bit},
    {u"kubext.dll", u"{B41DB860-64E4-11D2-9906-E49FADC173CA}", u"Korvex", RegistryView::kDefault},
}};

void register_shell_extension_class(const ShellExtensionClass& extension_class,
                                    const SetupEnvironment& environment);
void unregister_shell_extension_class(const ShellExtensionClass& extension_class);

// Registers both classes when shell integration is chosen, else unregisters them; writes (or
// with `uninstall` removes) the capabilities, and with `uninstall` deletes HKLM
// "Software\Korvex"; then tells the shell.
void update_shell_extension(const IntegrationSettings& settings, bool uninstall,
                            const SetupEnvironment& environment);

}  // namespace kub::setup

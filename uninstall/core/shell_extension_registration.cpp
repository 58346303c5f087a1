#include "uninstall/core/shell_extension_registration.h"

#include <string>

#include "common/files/file_helpers.h"
#include "uninstall/core/registry_names.h"

namespace kub::setup {

namespace {

constexpr auto kClasses = RegistryRoot::kClassesRoot;
constexpr auto kMachine = RegistryRoot::kLocalMachine;

constexpr std::u16string_view kClassName = u"Korvex";
constexpr std::u16string_view kApprovedName = u"Korvex shell extension";

// Handler keys named by the class identifier, under the archiver's ProgIDs and executables.
constexpr std::u16string_view kClassHandlerKeys[] = {
    u"Korvex\\shellex\\ContextMenuHandlers\\",   u"Korvex\\shellex\\PropertySheetHandlers\\",
    u"Korvex.ZIP\\shellex\\ContextMenuHandlers\\", u"Korvex.ZIP\\shellex\\PropertySheetHandlers\\",
    u"exefile\\shellex\\PropertySheetHandlers\\",
};
constexpr std::u16string_view kDropHandlerKeys[] = {
    u"Korvex\\shellex\\DropHandler",
    u"Korvex.ZIP\\shellex\\DropHandler",
};
// Handler keys named by the handler key name, for every file, folder and drive.
constexpr std::u16string_view kNamedHandlerKeys[] = {
    u"*\\shellex\\ContextMenuHandlers\\",
    u"Folder\\shellex\\ContextMenuHandlers\\",
    u"Folder\\shellex\\DragDropHandlers\\",
    u"Drive\\shellex\\DragDropHandlers\\",
};
// Written by earlier versions; removed at unregistration.
constexpr std::u16string_view kFormerNamedHandlerKeys[] = {
    u"Directory\\shellex\\ContextMenuHandlers\\",
    u"Directory\\shellex\\DragDropHandlers\\",
};

std::u16string joined(std::u16string_view prefix, std::u16string_view name) {
    return std::u16string(prefix) + std::u16string(name);
}

std::u16string class_key(const ShellExtensionClass& extension_class) {
    return joined(u"CLSID\\", extension_class.class_id);
}

void write_capabilities() {
    write_registry_string(kMachine, kRegisteredApplicationsKey, u"Korvex", kCapabilitiesKey);
    write_registry_string(kMachine, kCapabilitiesKey, u"ApplicationDescription", u"Korvex");
    // All extensions, associated or not: the default programs settings let the user choose.
    for (std::size_t slot = 0; slot < kFormatSlotCount; ++slot)
        for (const std::u16string_view extension : slot_extensions(slot))
            write_registry_string(kMachine, kFileAssociationsKey, extension, slot_prog_id(slot));
}

}  // namespace

void register_shell_extension_class(const ShellExtensionClass& extension_class,
                                    const SetupEnvironment& environment) {
    const std::u16string dll = environment.in_program_folder(extension_class.file_name);
    const std::u16string_view id = extension_class.class_id;
    if (file_exists(dll)) {
        ScopedRegistryView view(extension_class.class_view);
        const std::u16string key = class_key(extension_class);
        write_registry_string(kClasses, key, u"", kClassName);
        const std::u16string server = key + u"\\InProcServer32";
        write_registry_string(kClasses, server, u"", dll);
        write_registry_string(kClasses, server, u"ThreadingModel", u"Apartment");
    }
    for (const std::u16string_view prefix : kClassHandlerKeys)
        write_registry_string(kClasses, joined(prefix, id), u"", u"");
    for (const std::u16string_view key : kDropHandlerKeys)
        write_registry_string(kClasses, key, u"", id);
    for (const std::u16string_view prefix : kNamedHandlerKeys)
        write_registry_string(kClasses, joined(prefix, extension_class.handler_key), u"", id);
    write_registry_string(kMachine, kApprovedKey, id, kApprovedName);
}

void unregister_shell_extension_class(const ShellExtensionClass& extension_class) {
    const std::u16string_view id = extension_class.class_id;
    const std::u16string key = class_key(extension_class);
    delete_registry_key(kClasses, key + u"\\InProcServer32");
    delete_registry_key(kClasses, key);
    for (const std::u16string_view prefix : kClassHandlerKeys)
        delete_registry_key(kClasses, joined(prefix, id));
    for (const std::u16string_view drop_key : kDropHandlerKeys) delete_registry_key(kClasses, drop_key);
    for (const std::u16string_view prefix : kNamedHandlerKeys)
        delete_registry_key(kClasses, joined(prefix, extension_class.handler_key));
    for (const std::u16string_view prefix : kFormerNamedHandlerKeys)
        delete_registry_key(kClasses, joined(prefix, extension_class.handler_key));
    delete_registry_value(kMachine, kApprovedKey, id);
}

void update_shell_extension(const IntegrationSettings& settings, bool uninstall,
                            const SetupEnvironment& environment) {
    for (const ShellExtensionClass& extension_class : kShellExtensionClasses) {
        if (settings.shell_ext)
            register_shell_extension_class(extension_class, environment);
        else
            unregister_shell_extension_class(extension_class);
    }
    if (environment.vista_or_later) {
        if (uninstall)
            delete_registry_value(kMachine, kRegisteredApplicationsKey, u"Korvex");
        else
            write_capabilities();
    }
    if (uninstall) delete_registry_tree(kMachine, kMachineSettingsKey);
    environment.notify();
}

}  // namespace kub::setup

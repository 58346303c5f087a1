#pragma once
// What the registration code needs from the running program and the system: where the archiver
// lives, which system this is, and the two services only the Windows side can give (telling the
// shell that associations changed, and making shortcuts).
#include <functional>
#include <string>

namespace kub::setup {

struct IntegrationSettings;

struct SetupEnvironment {
    std::u16string program_folder;  // with its trailing separator
    std::u16string uninstall_path;  // full path of the running setup program
    bool vista_or_later = true;
    std::function<void()> notify_association_change;
    std::function<void(const IntegrationSettings&)> update_shortcuts;

    std::u16string in_program_folder(std::u16string_view name) const {
        return program_folder + std::u16string(name);
    }
    void notify() const {
        if (notify_association_change) notify_association_change();
    }
};

}  // namespace kub::setup

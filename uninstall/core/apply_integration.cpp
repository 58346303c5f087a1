#include "uninstall/core/association.h"
#include "uninstall/core/registration.h"
#include "uninstall/core/shell_extension_registration.h"

namespace kub::setup {

bool apply_integration(const IntegrationSettings& settings, const SetupEnvironment& environment) {
    if (!write_application_path(environment)) return false;
    update_shell_extension(settings, false, environment);
    update_associations(settings, environment);
    if (!write_prog_ids(environment)) return false;
    if (environment.update_shortcuts) environment.update_shortcuts(settings);
    return true;
}

}  // namespace kub::setup

#include "tools/kubinfo/menu_report.h"

#include "common/files/file_helpers.h"
#include "common/os/os.h"
#include "formats/archive_analysis.h"
#include "shellext/core/commands/command_kind.h"
#include "shellext/core/commands/menu_command.h"
#include "shellext/core/commands/menu_plan.h"
#include "shellext/core/module_state.h"
#include "shellext/core/selection/selection_analysis.h"
#include "tools/kubinfo/utf8_output.h"

namespace kub::tool {
namespace {

// The identifiers the report numbers commands from, as a shell would pass them.
constexpr std::uint32_t kReportFirstId = 1;

std::string flag_text(bool value) { return value ? "yes" : "no"; }

}  // namespace

std::string menu_report(const std::vector<std::u16string>& paths,
                        const std::u16string& drop_folder) {
    DropFolder.assign(drop_folder);
    SelectionState selection;
    ArchiveAnalysis analysis;
    std::string out;
    if (!analyse_paths(selection, paths.size(), [&](std::size_t i) { return paths[i]; },
                       drop_folder, system_selection_probe(analysis))) {
        return "selection: none\n";
    }
    out += "offers: add=" + flag_text(selection.OfferAdd) +
           " extract=" + flag_text(selection.OfferExtract) +
           " extract-each=" + flag_text(selection.OfferExtractEach) +
           " open-sfx=" + flag_text(selection.OfferOpenSfx) + "\n";

    const MenuPlan plan = plan_menu(selection, 0, kReportFirstId, drop_folder, MenuImageState{});
    record_commands(plan);
    if (plan.cascaded) out += "popup \"Korvex\" id " + std::to_string(plan.popup_id) + "\n";
    for (const MenuItemPlan& item : plan.items) {
        out += plan.cascaded ? "  " : "";
        out += "item id " + std::to_string(item.id) + " kind " + std::to_string(item.kind) +
               " verb " + command_verb(item.kind, plan.profile_count) + ": " + to_utf8(item.text);
        if (item.check_bitmap) out += " [bitmap]";
        if (item.icon) out += " [icon]";
        out += "\n";
    }
    out += "identifiers used: " + std::to_string(plan.identifiers_used) + "\n";

    // The commands run on the whole selection, as InvokeCommand's full capture gives it.
    SelectionState complete;
    for (const std::u16string& path : paths) complete.SelectedPaths.add(path);
    for (const MenuItemPlan& item : plan.items) {
        LaunchRecord record;
        out += "command kind " + std::to_string(item.kind) + ":\n";
        if (!build_menu_command(complete, item.kind, plan.profile_count, drop_folder, record)) {
            out += "  fails\n";
            continue;
        }
        out += "  file: " + to_utf8(record.file) + "\n";
        out += "  parameters: " + to_utf8(record.parameters) + "\n";
        out += "  working folder: " + to_utf8(record.working_folder) + "\n";
        // Nobody will read them: the archiver is not started.
        if (!record.list_file.empty()) delete_file(record.list_file);
        if (!record.mail_folder.empty()) os::remove_directory(record.mail_folder);
    }
    return out;
}

}  // namespace kub::tool

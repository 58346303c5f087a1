#include "shellext/core/commands/add_command_line.h"

#include <vector>

#include "common/text/bounded_string.h"
#include "common/files/path_limits.h"
#include "common/files/file_helpers.h"
#include "common/files/path_ops.h"
#include "shellext/core/commands/list_file.h"
#include "shellext/core/selection/selection_paths.h"
#include "shellext/settings/profile_value.h"

namespace kub {
namespace {

// "X:\" and nothing more.
bool is_drive_root(std::u16string_view path) {
    return path.size() == 3 && has_drive_letter(path) && is_separator(path[2]);
}

// The profile leaves path handling to the extension when it sets none of its path modes.
bool extension_handles_paths(std::int32_t selector) {
    namespace P = ProfileSettings;
    for (const ProfileSetting* mode : {&P::kPathsAbs, &P::kPathsAbsDrive, &P::kPathsNone}) {
        if (ReadProfileValue(selector, mode->name, nullptr, 0, mode->default_value) != 0) {
            return false;
        }
    }
    return true;
}

}  // namespace

std::size_t command_line_capacity(SelectionState& selection, std::size_t extra) {
    return selection_units(selection.SelectedPaths) + 7 * selection.SelectedPaths.size() + extra;
}

bool AddCommandLine(SelectionState& selection, std::u16string& out, const AddOptions& options) {
    const bool extension_paths = extension_handles_paths(options.selector);
    const std::vector<std::u16string> paths = selection_paths(selection.SelectedPaths);
    if (paths.empty()) return false;

    bool drive_roots = paths.size() > 1;
    for (const std::u16string& path : paths) drive_roots = drive_roots && is_drive_root(path);

    std::u16string profile_switch;
    if (options.selector != kDefaultProfileSelector) {
        std::u16string name;
        ReadProfileValue(options.selector, ProfileSettings::kName.name, &name,
                         ProfileSettings::kQuotedNameCapacity, 0);
        profile_switch = u"\"-cp" + name + u"\" ";
    }
    std::u16string_view path_switch;
    if (drive_roots) {
        path_switch = u"-ep3 ";
    } else if (extension_paths) {
        path_switch = u"-ep1 ";
    }

    // Whole switches only: a profile switch that would take the part past its limit (a profile
    // with a very long name) is left out, rather than cut inside its quotes, where it would
    // swallow the switches after it and the archive name. Every other switch is short.
    std::u16string switches = options.move ? u"m " : u"a ";
    std::u16string rest;
    if (options.no_date_name) rest += u"-ag- ";
    if (options.email) rest += u"-ieml. ";
    rest += path_switch;
    rest += kAddSwitchesTail;
    if (switches.size() + profile_switch.size() + rest.size() <= kMaxAddSwitchesLength)
        switches += profile_switch;
    switches += rest;

    const ListFileResult list = ListFile(selection.SelectedPaths, false);
    std::u16string line;
    try {
        line = switches;
        line += options.archive_name;
        if (list.created) {
            line += u" @\"";
            line += list.path;
            line += u'"';
        } else {
            for (const std::u16string& path : paths) {
                std::u16string item;
                copy_bounded(item, path, kPathBufferSize);
                quote_if_needed(item, kPathBufferSize + 2);
                line += u' ';
                line += item;
            }
        }
    } catch (...) {
        if (list.created) delete_file(list.path);
        throw;
    }
    // A cut line would add the wrong files, or to the wrong archive: refuse it instead.
    if (line.size() >= options.capacity) {
        if (list.created) delete_file(list.path);
        return false;
    }
    if (list.created && options.list_file != nullptr) *options.list_file = list.path;
    out = std::move(line);
    return true;
}

}  // namespace kub

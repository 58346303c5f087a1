#include "shellext/core/commands/menu_command.h"

#include <vector>

#include "common/text/bounded_string.h"
#include "common/files/file_helpers.h"
#include "common/files/path_limits.h"
#include "common/files/path_ops.h"
#include "common/files/temp_files.h"
#include "shellext/core/commands/add_command_line.h"
#include "shellext/core/commands/command_kind.h"
#include "shellext/core/commands/derive_names.h"
#include "shellext/core/commands/list_file.h"
#include "shellext/core/selection/selection_paths.h"
#include "shellext/settings/archiver_path.h"
#include "shellext/settings/profile_value.h"

namespace kub {
namespace {

std::u16string quoted(std::u16string_view text) {
    std::u16string out = u"\"";
    out += text;
    out += u'"';
    return out;
}

std::u16string quoted_if_needed(std::u16string text) {
    cut_to_size(text, kPathBufferSize);
    quote_if_needed(text, kPathBufferSize + 2);
    return text;
}

// Destination of "extract here" and "extract each": the first path's folder, or the folder a
// right-drag ended on.
std::u16string here_destination(std::u16string_view first, std::u16string_view drop_folder) {
    std::u16string folder = drop_folder.empty() ? folder_part(first) : std::u16string(drop_folder);
    append_separator(folder);
    return quoted_if_needed(std::move(folder));
}

std::u16string named_destination(std::u16string_view first, std::u16string_view drop_folder) {
    std::u16string folder;
    if (drop_folder.empty()) {
        folder = folder_part(first);
        folder += DeriveFolderName(first);
        append_separator(folder);
    } else {
        folder = drop_folder;
        append_separator(folder);
        folder += DeriveFolderName(first);
        folder += u'\\';
    }
    return quoted_if_needed(std::move(folder));
}

bool is_existing_folder(std::u16string_view path) {
    const std::uint32_t attributes = file_attributes(path);
    return attributes != os::kInvalidAttributes && (attributes & os::kAttrDirectory) != 0;
}

}  // namespace

std::u16string extraction_line(SelectionState& selection, std::u16string_view command,
                               bool separate_folders, std::u16string_view destination,
                               std::u16string* list_file) {
    const std::vector<std::u16string> paths = selection_paths(selection.SelectedPaths);
    std::u16string line(command);
    line += u' ';
    if (paths.empty()) return line;

    const ListFileResult list = ListFile(selection.SelectedPaths, true);
    if (list.created) {
        if (list_file != nullptr) *list_file = list.path;
        line += u"-anf=" + quoted(list.path) + u" -scul ";
    } else {
        for (std::size_t i = 0; i + 1 < paths.size(); ++i) line += u"-an=" + quoted(paths[i]) + u' ';
    }
    if (separate_folders) line += u"-ad ";
    line += u"-- ";
    line += quoted(paths.back());
    line += u' ';
    line += destination;
    return line;
}

bool build_menu_command(SelectionState& selection, std::int32_t kind, std::int32_t profile_count,
                        std::u16string_view drop_folder, LaunchRecord& out) {
    out = LaunchRecord{};
    if (selection.SelectedPaths.size() == 0) return true;
    const std::u16string first = first_selected_path(selection.SelectedPaths);
    const std::size_t capacity = command_line_capacity(selection, kCommandLineExtra);

    std::int32_t selector = kDefaultProfileSelector;
    std::u16string profile_archive_name;
    if (is_profile_kind(kind, profile_count)) {
        selector = kind - kFirstProfileKind;
        const bool immediate =
            ReadProfileValue(selector, ProfileSettings::kImmExec.name, nullptr, 0,
                             ProfileSettings::kImmExec.default_value) != 0;
        ReadProfileValue(selector, ProfileSettings::kArcName.name, &profile_archive_name,
                         ProfileSettings::kArcName.capacity, 0);
        kind = immediate ? kAddArchive : kAddTo;
    }

    constexpr std::u16string_view kExtract = u"x -iext -ow -ver";
    std::u16string parameters;
    std::u16string work_folder;
    AddOptions add;
    add.selector = selector;
    add.capacity = capacity;
    add.list_file = &out.list_file;
    std::u16string archive_name;
    switch (kind) {
        case kExtractTo: {
            std::u16string destination = u"\"?";
            destination += drop_folder;
            destination += u"\\\"";
            parameters = extraction_line(selection, kExtract, false, destination, &out.list_file);
            break;
        }
        case kExtractHere:
            parameters = extraction_line(selection, kExtract, false,
                                         here_destination(first, drop_folder), &out.list_file);
            break;
        case kExtractNamed:
            parameters = extraction_line(selection, kExtract, false,
                                         named_destination(first, drop_folder), &out.list_file);
            break;
        case kExtractSeparate:
            parameters = extraction_line(selection, kExtract, true,
                                         here_destination(first, drop_folder), &out.list_file);
            break;
        case kOpenSfx: {
            const std::vector<std::u16string> paths = selection_paths(selection.SelectedPaths);
            parameters = quoted(paths.back()) + u' ';
            break;
        }
        case kAddTo:
        case kAddArchive:
            // A profile with its own archive name brings it to the archiver itself.
            if (!profile_archive_name.empty()) {
                archive_name.clear();
            } else if (kind == kAddTo) {
                archive_name = u".";
            } else {
                archive_name = DeriveArchiveName(first, selection.SelectedPaths.size(), u"",
                                                 selector);
            }
            add.archive_name = archive_name;
            if (!AddCommandLine(selection, parameters, add)) return false;
            break;
        case kEmailArchive:
            if (!create_temp_folder(kMailFolderPrefix, work_folder)) return false;
            out.mail_folder = work_folder;
            archive_name = DeriveArchiveName(first, selection.SelectedPaths.size(), work_folder,
                                             kDefaultProfileSelector);
            add.archive_name = archive_name;
            add.selector = kDefaultProfileSelector;
            add.email = true;
            if (!AddCommandLine(selection, parameters, add)) {
                discard_launch_leftovers(out);
                return false;
            }
            break;
        case kEmailOptions:
            add.archive_name = u".";
            add.selector = kDefaultProfileSelector;
            add.email = true;
            if (!AddCommandLine(selection, parameters, add)) return false;
            break;
        case kTest:
            parameters = extraction_line(selection, u"t -iext", false, u"", &out.list_file);
            break;
        case kConvert:
            parameters = extraction_line(selection, u"cv -iext", false, u"", &out.list_file);
            break;
        default:
            break;
    }
    // A cut line would extract or add the wrong things: nothing is started instead.
    if (parameters.size() >= capacity) {
        discard_launch_leftovers(out);
        return false;
    }

    if (work_folder.empty()) {
        work_folder = first;
        cut_name(work_folder);
        if (!is_existing_folder(work_folder)) work_folder = u".";
    }
    out.file = ArchiverPath();
    out.parameters = std::move(parameters);
    out.working_folder = std::move(work_folder);
    return true;
}

}  // namespace kub

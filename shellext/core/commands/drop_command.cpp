#include "shellext/core/commands/drop_command.h"

#include <string>

#include "common/text/bounded_string.h"
#include "common/files/path_limits.h"
#include "common/files/path_ops.h"
#include "shellext/core/commands/add_command_line.h"
#include "shellext/settings/archiver_path.h"
#include "shellext/settings/profile_value.h"

namespace kub {

std::uint32_t drop_effect(std::uint32_t key_state, std::uint32_t allowed) {
    std::uint32_t effect;
    if ((allowed & kDropEffectMove) != 0 && (key_state & kKeyShift) != 0) {
        effect = kDropEffectMove;
    } else if ((allowed & kDropEffectCopy) != 0) {
        effect = kDropEffectCopy;
    } else if ((allowed & kDropEffectMove) != 0) {
        effect = kDropEffectMove;
    } else {
        return kDropEffectNone;
    }
    return (key_state & kKeyLeftButton) != 0 ? effect : kDropEffectNone;
}

bool build_drop_command(SelectionState& selection, std::u16string_view archive,
                        std::uint32_t key_state, std::uint32_t allowed, LaunchRecord& out) {
    out = LaunchRecord{};
    std::u16string folder(archive);
    cut_name(folder);
    std::u16string archive_name(archive);
    quote_if_needed(archive_name, kPathBufferSize);

    AddOptions add;
    add.archive_name = archive_name;
    add.selector = kDefaultProfileSelector;
    add.move = (allowed & kDropEffectMove) != 0 && (key_state & kKeyShift) != 0;
    add.no_date_name = true;
    // The archive's own name travels on the line too, whatever its length.
    add.capacity = command_line_capacity(selection, kDropLineExtra + archive_name.size());
    add.list_file = &out.list_file;
    if (!AddCommandLine(selection, out.parameters, add)) return false;
    out.file = ArchiverPath();
    out.working_folder = std::move(folder);
    return true;
}

}  // namespace kub

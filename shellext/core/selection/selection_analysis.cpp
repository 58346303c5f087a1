#include "shellext/core/selection/selection_analysis.h"

#include <new>

#include "common/error_state.h"
#include "common/files/path_ops.h"
#include "formats/archive_analysis.h"
#include "shellext/core/selection/folder_test.h"
#include "shellext/settings/shell_settings.h"

namespace kub {
namespace {

// Whether executables on the path's drive may be opened at all: looking inside files on slow
// network or removable drives can be switched off. The drive's type is asked for only when the
// three settings differ: the system takes longer to tell it than the whole rest of the menu.
bool may_open_executables(const SelectionProbe& probe, std::u16string_view path) {
    const bool local = read_setting(ShellSettings::kSfxLocal) != 0;
    const bool network = read_setting(ShellSettings::kSfxNetwork) != 0;
    const bool other = read_setting(ShellSettings::kSfxOther) != 0;
    if (local == network && network == other) return local;
    switch (probe.drive_type(root_of_path(path))) {
        case os::DriveType::fixed: return local;
        case os::DriveType::network: return network;
        default: return other;
    }
}

}  // namespace

SelectionProbe system_selection_probe(ArchiveAnalysis& analysis) {
    SelectionProbe probe;
    probe.drive_type = [](std::u16string_view root) { return os::drive_type(root); };
    probe.is_self_extracting = [&analysis](std::u16string_view path) {
        return analysis.Analyze(path, true, 0) == kAnalyzeArchive;
    };
    probe.is_archive_name = [&analysis](std::u16string_view path) {
        return analysis.IsArchiveName(path, nullptr, nullptr, true, false, true);
    };
    probe.is_folder = [](std::u16string_view path) { return is_folder_path(path); };
    return probe;
}

bool analyse_paths(SelectionState& selection, std::size_t count,
                   const std::function<std::u16string(std::size_t index)>& fetch,
                   std::u16string_view drop_folder, const SelectionProbe& probe) {
    selection.OfferAdd = selection.OfferExtract = false;
    selection.OfferExtractEach = selection.OfferOpenSfx = false;
    selection.SelectedPaths.clear();
    if (count == 0) return false;

    try {
        selection.OfferExtract = true;
        std::size_t processed = 0;
        int self_extractors = 0;
        for (std::size_t i = 0; i < count; ++i) {
            const std::u16string path = fetch(i);
            selection.SelectedPaths.add(path);
            if (has_extension(path, u"iso")) selection.OfferAdd = true;

            bool archive = false;
            if (has_extension(path, u"exe") && may_open_executables(probe, path)) {
                if (self_extractors >= kMaxOpenedSelfExtractors || probe.is_self_extracting(path)) {
                    if (count == 1) selection.OfferAdd = selection.OfferOpenSfx = true;
                    ++self_extractors;
                    archive = true;
                }
            }
            if (!archive) archive = probe.is_archive_name(path);
            if (archive && probe.is_folder(path)) archive = false;
            if (!archive) {
                selection.OfferExtract = false;
                selection.OfferAdd = true;
                if (i != 0) break;
            }
            if (++processed > 1) selection.OfferAdd = true;
        }
        if (selection.OfferExtract && count > 1) selection.OfferExtractEach = true;
        if (!drop_folder.empty()) selection.OfferAdd = false;
        return true;
    } catch (const std::bad_alloc&) {
    } catch (const KUB_EXIT& code) {
        if (code != KUB_MEMORY_ERROR) throw;
    }
    selection.SelectedPaths.clear();
    return false;
}

}  // namespace kub

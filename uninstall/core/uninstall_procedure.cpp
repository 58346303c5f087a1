#include "uninstall/core/uninstall_procedure.h"

#include <cstdio>

#include "common/files/file_helpers.h"
#include "common/files/path_limits.h"
#include "common/files/path_ops.h"
#include "common/language/lang_format.h"
#include "common/language/lang_string.h"
#include "common/language/language_module.h"
#include "common/registry/registry_access.h"
#include "uninstall/core/association.h"
#include "uninstall/core/registry_names.h"
#include "uninstall/core/self_delete_batch.h"
#include "uninstall/core/shell_extension_registration.h"

namespace kub::setup {

namespace {

constexpr unsigned kMessageCaption = 5106;
constexpr unsigned kConfirmQuestion = 5109;
constexpr unsigned kListError = 5110;
constexpr unsigned kRestartMessage = 5116;

// Files the help viewer makes beside the help file.
constexpr std::u16string_view kHelpIndexFiles[] = {u"korvex.gid", u"korvex.fts"};
constexpr std::u16string_view kProgIdTrees[] = {u"Korvex", u"Korvex.ZIP", u"Korvex.REV", u".rev"};
constexpr std::u16string_view kUserSettingsTree = u"\\Software\\Korvex";

std::u16string kept_text(unsigned id, std::size_t size) {
    std::u16string text = LangString(id);
    cut_to_size(text, size);
    return text;
}

class ListFile {
  public:
    explicit ListFile(std::FILE* stream) : stream_(stream) {}
    ~ListFile() { close(); }
    ListFile(const ListFile&) = delete;
    ListFile& operator=(const ListFile&) = delete;
    std::FILE* get() const { return stream_; }
    void close() {
        if (stream_) std::fclose(stream_);
        stream_ = nullptr;
    }

  private:
    std::FILE* stream_;
};

// The batch file, made fresh: whatever stands at its name is removed first and the file is
// created only if nothing is there then, so a file or link someone else put in the temporary
// folder is neither written through nor run.
bool write_batch_file(const std::u16string& path, const std::u16string& text) {
    std::string narrow;
    if (!os::wide_to_narrow(os::CodePage::kAnsi, text, narrow)) return false;
    kub::delete_file(path);
    const os::NativeFile file = os::create_new_file(path);
    if (file == os::kInvalidFile) return false;
    std::size_t done = 0;
    const bool written = os::write_file(file, narrow.data(), narrow.size(), done) &&
                         done == narrow.size();
    const bool closed = os::close_file(file);
    if (written && closed) return true;
    kub::delete_file(path);
    return false;
}

}  // namespace

std::u16string program_folder_of(std::u16string_view program_path) {
    const std::size_t slash = program_path.rfind(u'\\');
    if (slash == std::u16string_view::npos) return {};
    const bool root = slash > 0 && is_drive_colon(program_path[slash - 1]);
    return std::u16string(program_path.substr(0, root ? slash + 1 : slash));
}

void undo_integration(const SetupEnvironment& environment, bool msi) {
    constexpr auto kClasses = RegistryRoot::kClassesRoot;
    constexpr auto kMachine = RegistryRoot::kLocalMachine;
    const IntegrationSettings cleared;
    update_associations(cleared, environment);
    environment.notify();
    update_shell_extension(cleared, true, environment);
    if (environment.update_shortcuts) environment.update_shortcuts(cleared);
    for (const std::u16string_view tree : kProgIdTrees) delete_registry_tree(kClasses, tree);
    delete_registry_tree(RegistryRoot::kCurrentUser, kUserSettingsTree);
    if (msi) return;
    delete_registry_key(kMachine, kUninstallKey);
    delete_registry_key(kMachine, kAppPathsKey);
    // Setup writes the application path in both views; one left behind would name a program
    // that is gone.
    ScopedRegistryView view(RegistryView::k32Bit);
    delete_registry_key(kMachine, kAppPathsKey);
}

UninstallOutcome run_uninstall(const UninstallRequest& request, UninstallHost& host) {
    UninstallOutcome outcome;
    const std::u16string folder = program_folder_of(request.program_path);
    if (folder.empty()) return outcome;
    os::set_current_directory(folder);
    std::u16string folder_with_separator = folder;
    append_separator(folder_with_separator);

    if (!request.silent) {
        const std::u16string caption = LangString(kMessageCaption);
        if (!host.ask_yes_no(LangString(kConfirmQuestion), caption)) {
            outcome.stage = UninstallStage::kDeclined;
            return outcome;
        }
    }

    // The list is named by its full path: the same file as in the current folder, and still the
    // right one should that folder not have been made current.
    const std::u16string list_path = folder_with_separator + std::u16string(kUninstallListName);
    ListFile list(open_file_stream(list_path, "rb"));
    if (!list.get()) {
        std::u16string text = LangStringWith(kListError, kUninstallListName);
        cut_to_size(text, kListErrorSize);
        host.show_message(text, LangString(kMessageCaption), MessageIcon::kError);
        outcome.stage = UninstallStage::kNoList;
        return outcome;
    }

    // The language module is released below so that it can be deleted too.
    const std::u16string restart_text = kept_text(kRestartMessage, kKeptTextSize);
    const std::u16string caption = kept_text(kMessageCaption, kKeptTextSize);

    undo_integration(host.environment(), request.msi);
    release_language_module();
    if (request.msi) {
        outcome.stage = UninstallStage::kIntegrationOnly;
        return outcome;
    }

    RemovalFileSystem& files = host.files();
    for (const std::u16string_view name : kHelpIndexFiles) {
        const std::u16string path = folder_with_separator + std::u16string(name);
        files.set_attributes(path, 0);
        bool missing = false;
        files.delete_file(path, missing);
    }

    UninstallListReader reader(list.get());
    outcome.removal = remove_listed_entries(reader, folder_with_separator,
                                            name_part(request.program_path), files);
    list.close();
    kub::delete_file(list_path);

    if (outcome.removal.restart_needed && !request.silent)
        host.show_message(restart_text, caption, MessageIcon::kInformation);

    outcome.stage = UninstallStage::kNoBatchFile;
    outcome.batch_path = request.temp_folder + std::u16string(kBatchFileName);
    const auto text = self_delete_batch_text(request.program_path, folder, outcome.batch_path);
    if (!text || request.temp_folder.empty() || !write_batch_file(outcome.batch_path, *text))
        return outcome;

    outcome.command = batch_command(request.comspec, outcome.batch_path);
    os::set_current_directory(u"..");
    host.start_hidden(outcome.command);
    outcome.stage = UninstallStage::kHandedOver;
    return outcome;
}

}  // namespace kub::setup

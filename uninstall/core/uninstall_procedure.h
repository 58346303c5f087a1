#pragma once
// Uninstall mode from start to hand-over: the question, the uninstall list, the integration
// undone, the listed files removed, and the batch file that removes the program and its folder
// after the program has exited. The order of the steps is fixed here; the Windows side supplies
// the message boxes, the shell services and the start of the batch file.
#include <cstdint>
#include <string>
#include <string_view>

#include "uninstall/core/list_removal.h"
#include "uninstall/core/setup_environment.h"

namespace kub::setup {

// The texts are made in buffers of these sizes (terminator included).
inline constexpr std::size_t kListErrorSize = 200;
inline constexpr std::size_t kKeptTextSize = 256;

enum class MessageIcon { kInformation, kQuestion, kError };

class UninstallHost {
  public:
    virtual ~UninstallHost() = default;
    // True only for "Yes".
    virtual bool ask_yes_no(std::u16string_view text, std::u16string_view caption) = 0;
    virtual void show_message(std::u16string_view text, std::u16string_view caption,
                              MessageIcon icon) = 0;
    // Program folder, system version, the association change notice (flushed) and shortcuts.
    virtual SetupEnvironment environment() = 0;
    // Starts `command` as a hidden process and does not wait for it.
    virtual void start_hidden(const std::u16string& command) = 0;
    virtual RemovalFileSystem& files() = 0;
};

struct UninstallRequest {
    std::u16string program_path;  // the running uninstall program
    std::u16string temp_folder;   // with its trailing separator
    std::u16string comspec;       // the command processor; empty when the variable is absent
    bool silent = false;
    bool msi = false;
};

// How far the procedure came, for the caller and the tests.
enum class UninstallStage {
    kNoProgramFolder,   // the program path has no folder: nothing done
    kDeclined,          // the question was not answered "Yes": nothing done
    kNoList,            // "Uninstall.lst" could not be opened: nothing done
    kIntegrationOnly,   // MSI: integration undone, files left to the installer package
    kNoBatchFile,       // files removed, but the batch file could not be written
    kHandedOver,        // the batch file was started
};

struct UninstallOutcome {
    UninstallStage stage = UninstallStage::kNoProgramFolder;
    RemovalResult removal;
    std::u16string batch_path;
    std::u16string command;
};

// The folder of a program path: everything before the last backslash, keeping the backslash of
// a drive root ("C:\"). Empty when the path has no backslash.
std::u16string program_folder_of(std::u16string_view program_path);

// What uninstall undoes in the registry and the shell, in its order.
void undo_integration(const SetupEnvironment& environment, bool msi);

UninstallOutcome run_uninstall(const UninstallRequest& request, UninstallHost& host);

}  // namespace kub::setup

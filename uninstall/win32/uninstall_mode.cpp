#include "uninstall/win32/uninstall_mode.h"

#include <windows.h>
#include <shlobj.h>

#include <string>

#include "common/os/os.h"
#include "common/os/win32/wide_cast.h"
#include "uninstall/core/uninstall_procedure.h"
#include "uninstall/win32/program_state.h"
#include "uninstall/win32/setup_services.h"

namespace kub::setup {

namespace {

using os::as_wcstr;

UINT icon_flag(MessageIcon icon) {
    switch (icon) {
        case MessageIcon::kQuestion:
            return MB_ICONQUESTION;
        case MessageIcon::kError:
            return MB_ICONERROR;
        case MessageIcon::kInformation:
            break;
    }
    return MB_ICONINFORMATION;
}

class WindowsUninstallHost : public UninstallHost {
  public:
    bool ask_yes_no(std::u16string_view text, std::u16string_view caption) override {
        const std::u16string t(text), c(caption);
        return ::MessageBoxW(nullptr, as_wcstr(t.c_str()), as_wcstr(c.c_str()),
                             MB_YESNO | MB_ICONQUESTION | MB_SETFOREGROUND) == IDYES;
    }
    void show_message(std::u16string_view text, std::u16string_view caption,
                      MessageIcon icon) override {
        const std::u16string t(text), c(caption);
        ::MessageBoxW(nullptr, as_wcstr(t.c_str()), as_wcstr(c.c_str()),
                      icon_flag(icon) | MB_SETFOREGROUND);
    }
    SetupEnvironment environment() override {
        SetupEnvironment environment = make_setup_environment();
        // Uninstall waits until the shell has taken the change in.
        environment.notify_association_change = [] {
            ::SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_FLUSH, nullptr, nullptr);
        };
        return environment;
    }
    void start_hidden(const std::u16string& command) override {
        std::u16string line = command;
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESHOWWINDOW;
        startup.wShowWindow = SW_HIDE;
        PROCESS_INFORMATION process{};
        if (::CreateProcessW(nullptr, as_wcstr(line.data()), nullptr, nullptr, TRUE, 0, nullptr,
                             nullptr, &startup, &process)) {
            ::CloseHandle(process.hThread);
            ::CloseHandle(process.hProcess);
        }
    }
    RemovalFileSystem& files() override { return files_; }

  private:
    RemovalFileSystem files_;
};

// The command processor: the "COMSPEC" variable, or the system's own when it is not set (an
// empty one would leave a command line that starts nothing).
std::u16string command_processor() {
    std::u16string comspec;
    if (os::get_environment_variable(u"COMSPEC", comspec) && !comspec.empty()) return comspec;
    wchar_t system[MAX_PATH] = {};
    const UINT length = ::GetSystemDirectoryW(system, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return {};
    return std::u16string(os::as_u16cstr(system)) + u"\\cmd.exe";
}

}  // namespace

void run_uninstall_mode() {
    const ProgramState& state = program_state();
    UninstallRequest request;
    request.program_path = os::executable_path();
    request.temp_folder = os::temp_path();
    request.comspec = command_processor();
    request.silent = state.silent;
    request.msi = state.msi;
    WindowsUninstallHost host;
    run_uninstall(request, host);
}

}  // namespace kub::setup

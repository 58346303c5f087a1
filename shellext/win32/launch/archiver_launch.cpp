#include "shellext/win32/launch/archiver_launch.h"

#include <windows.h>
#include <shellapi.h>

#include "common/os/win32/wide_cast.h"

namespace kub {

bool launch_archiver(const LaunchRecord& record) {
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = record.wait ? SEE_MASK_NOCLOSEPROCESS : 0;
    info.lpFile = os::as_wcstr(record.file.c_str());
    info.lpParameters = os::as_wcstr(record.parameters.c_str());
    info.lpDirectory = record.working_folder.empty() ? nullptr
                                                     : os::as_wcstr(record.working_folder.c_str());
    info.nShow = SW_SHOWNORMAL;
    if (!::ShellExecuteExW(&info)) return false;
    if (record.wait && info.hProcess != nullptr) {
        ::WaitForSingleObject(info.hProcess, INFINITE);
        ::CloseHandle(info.hProcess);
    }
    return true;
}

}  // namespace kub

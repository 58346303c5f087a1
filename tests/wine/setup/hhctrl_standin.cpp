// A stand-in for the system's help library, put in place of "hhctrl.ocx" in a test prefix: it
// records every HtmlHelpW call (one UTF-8 line each: window given or not, file, command, data)
// in C:\hhctrl_calls.txt. Like the real library it cannot open a file whose path the ANSI code
// page cannot spell: it then returns no window.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

bool ansi_can_spell(const wchar_t* text) {
    BOOL lossy = FALSE;
    const int size = ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text, -1, nullptr, 0,
                                           nullptr, &lossy);
    return size > 0 && !lossy;
}

void record(const std::wstring& line) {
    const int size = ::WideCharToMultiByte(CP_UTF8, 0, line.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(size > 0 ? size : 1), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, line.c_str(), -1, utf8.data(), size, nullptr, nullptr);
    utf8.resize(std::strlen(utf8.c_str()));
    HANDLE file = ::CreateFileW(L"C:\\hhctrl_calls.txt", FILE_APPEND_DATA, FILE_SHARE_READ, nullptr,
                                OPEN_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    utf8 += "\n";
    DWORD done = 0;
    ::WriteFile(file, utf8.data(), static_cast<DWORD>(utf8.size()), &done, nullptr);
    ::CloseHandle(file);
}

}  // namespace

extern "C" HWND WINAPI HtmlHelpW(HWND caller, LPCWSTR file, UINT command, DWORD_PTR data) {
    std::wstring line = caller ? L"window|" : L"none|";
    line += file ? file : L"<null>";
    line += L"|" + std::to_wstring(command) + L"|" + std::to_wstring(data);
    record(line);
    if (command == 0x0012 || !file || !ansi_can_spell(file)) return nullptr;
    // Any window stands for the help viewer the real library would open.
    return caller ? caller : ::GetDesktopWindow();
}

extern "C" HWND WINAPI HtmlHelpA(HWND, LPCSTR, UINT, DWORD_PTR) {
    return nullptr;
}

#pragma once
// What the tests of uninstall.exe look at from outside the program: build-tree paths as Wine
// shows them, the system's special folders, files and registry texts.
#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <string>

namespace kub::setup_test {

// A build-tree path as Wine shows it (drive Z: is the Linux root).
inline std::wstring windows_path(const char* linux_path) {
    std::wstring path = L"Z:";
    for (const char* p = linux_path; *p; ++p)
        path += *p == '/' ? L'\\' : static_cast<wchar_t>(static_cast<unsigned char>(*p));
    return path;
}

inline std::wstring special_folder(int csidl) {
    wchar_t path[MAX_PATH] = {};
    if (FAILED(::SHGetFolderPathW(nullptr, csidl, nullptr, 0, path))) return {};
    return path;
}

inline bool exists(const std::wstring& path) {
    return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

inline void write_file(const std::wstring& path, const std::string& bytes) {
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD done = 0;
    ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &done, nullptr);
    ::CloseHandle(file);
}

// The string value, or "<missing>".
inline std::wstring registry_text(HKEY root, const wchar_t* key, const wchar_t* value) {
    wchar_t buffer[2048] = {};
    DWORD size = sizeof buffer;
    if (::RegGetValueW(root, key, value, RRF_RT_REG_SZ, nullptr, buffer, &size) != ERROR_SUCCESS)
        return L"<missing>";
    return buffer;
}

// A visible dialog with this title, having control `with` and not `without` when given: the
// settings and the completion dialog share their title and some control ids.
inline HWND wait_for_dialog(const wchar_t* title, int with = 0, int without = 0) {
    for (int i = 0; i < 300; ++i) {
        for (HWND window = ::FindWindowExW(nullptr, nullptr, L"#32770", title); window;
             window = ::FindWindowExW(nullptr, window, L"#32770", title)) {
            if (::IsWindowVisible(window) && (with == 0 || ::GetDlgItem(window, with)) &&
                (without == 0 || !::GetDlgItem(window, without))) {
                ::Sleep(150);
                return window;
            }
        }
        ::Sleep(50);
    }
    return nullptr;
}

}  // namespace kub::setup_test

// A stand-in for the archiver: records the parameters it was started with and its working folder
// for the menu tests, and answers the comment dump command ("cw") by writing a UTF-16 file.
//   KUB_FAKE_ARCHIVER_LOG  file that receives "<parameters>\n<working folder>" (UTF-16LE)
#include <windows.h>

#include <string>

namespace {

// The parameters as the shell passed them: everything after the quoted program name and the
// space that follows it.
std::wstring raw_parameters() {
    std::wstring line = ::GetCommandLineW();
    std::size_t at = 0;
    if (!line.empty() && line[0] == L'"') {
        at = line.find(L'"', 1);
        at = at == std::wstring::npos ? line.size() : at + 1;
    } else {
        at = line.find(L' ');
        if (at == std::wstring::npos) at = line.size();
    }
    if (at < line.size() && line[at] == L' ') ++at;
    return line.substr(at);
}

bool write_utf16(const std::wstring& path, const std::wstring& text, bool bom) {
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    if (bom) ::WriteFile(file, "\xFF\xFE", 2, &written, nullptr);
    ::WriteFile(file, text.data(), static_cast<DWORD>(text.size() * sizeof(wchar_t)), &written,
                nullptr);
    ::CloseHandle(file);
    return true;
}

}  // namespace

int wmain() {
    const std::wstring parameters = raw_parameters();
    if (parameters.rfind(L"cw ", 0) == 0) {
        // "cw -y -scuc "<archive>" "<dump>"": slow enough that a caller that does not wait
        // finds no file.
        const std::size_t close = parameters.rfind(L'"');
        const std::size_t open = close == std::wstring::npos ? close : parameters.rfind(L'"', close - 1);
        if (open != std::wstring::npos) {
            ::Sleep(700);
            write_utf16(parameters.substr(open + 1, close - open - 1), L"假注释 comment\r\n", true);
        }
    }
    wchar_t log[MAX_PATH];
    const DWORD length = ::GetEnvironmentVariableW(L"KUB_FAKE_ARCHIVER_LOG", log, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return 2;
    wchar_t folder[MAX_PATH];
    const DWORD folder_length = ::GetCurrentDirectoryW(MAX_PATH, folder);
    // Written aside and renamed, so the test never reads half a record.
    const std::wstring final_name(log, length);
    const std::wstring partial = final_name + L".part";
    if (!write_utf16(partial, parameters + L"\n" + std::wstring(folder, folder_length), false)) return 3;
    return ::MoveFileExW(partial.c_str(), final_name.c_str(), MOVEFILE_REPLACE_EXISTING) ? 0 : 4;
}

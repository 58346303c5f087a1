#include "uninstall/win32/shortcuts.h"

#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <vector>

#include "common/language/lang_string.h"
#include "common/os/win32/wide_cast.h"

namespace kub::setup {

namespace {

using os::as_wcstr;

constexpr unsigned kShortcutDescription = 5115;
constexpr unsigned kHelpName = 5102;
constexpr unsigned kManualName = 5103;
constexpr unsigned kChangesName = 5104;
constexpr unsigned kChangesFile = 5105;
constexpr std::u16string_view kMainLinkName = u"Korvex.lnk";
constexpr std::u16string_view kGroupFolderName = u"Korvex";
constexpr std::size_t kPathLimit = 2047;

template <typename T>
class ComPtr {
  public:
    ComPtr() = default;
    ~ComPtr() {
        if (pointer_) pointer_->Release();
    }
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    T** out() { return &pointer_; }
    T* operator->() const { return pointer_; }
    explicit operator bool() const { return pointer_ != nullptr; }

  private:
    T* pointer_ = nullptr;
};

bool exists(const std::u16string& path) {
    return ::GetFileAttributesW(as_wcstr(path.c_str())) != INVALID_FILE_ATTRIBUTES;
}

bool is_folder(const std::u16string& path) {
    const DWORD attributes = ::GetFileAttributesW(as_wcstr(path.c_str()));
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// The path of a special folder, empty when the system has none.
std::u16string special_folder(int csidl) {
    ITEMIDLIST* list = nullptr;
    if (FAILED(::SHGetSpecialFolderLocation(nullptr, csidl, &list)) || list == nullptr) return {};
    wchar_t buffer[MAX_PATH] = {};
    const bool found = ::SHGetPathFromIDListW(list, buffer);
    ::CoTaskMemFree(list);
    if (!found) return {};
    return std::u16string(os::as_u16cstr(buffer));
}

std::u16string joined(const std::u16string& folder, std::u16string_view name) {
    std::u16string path = folder;
    if (!path.empty() && path.back() != u'\\') path += u'\\';
    path += name;
    if (path.size() > kPathLimit) path.resize(kPathLimit);
    return path;
}

void delete_link(const std::u16string& path) {
    ::DeleteFileW(as_wcstr(path.c_str()));
}

// Files only: shortcuts the user keeps in subfolders stay.
void delete_files_in(const std::u16string& folder) {
    WIN32_FIND_DATAW found;
    HANDLE search = ::FindFirstFileW(as_wcstr(joined(folder, u"*").c_str()), &found);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0)
            ::DeleteFileW(as_wcstr(joined(folder, os::as_u16cstr(found.cFileName)).c_str()));
    } while (::FindNextFileW(search, &found));
    ::FindClose(search);
}

void delete_folder_tree(const std::u16string& folder) {
    // The operation takes a list ended by an empty name.
    std::u16string list = folder;
    list.push_back(u'\0');
    list.push_back(u'\0');
    SHFILEOPSTRUCTW operation = {};
    operation.wFunc = FO_DELETE;
    operation.pFrom = as_wcstr(list.c_str());
    operation.fFlags = FOF_SILENT | FOF_NOCONFIRMATION | FOF_NOERRORUI;
    ::SHFileOperationW(&operation);
}

struct GroupEntry {
    std::u16string link_name;
    std::u16string target_name;
};

void update_group(const std::u16string& programs_folder, bool wanted,
                  const std::vector<GroupEntry>& entries, const std::u16string& program_folder,
                  const std::u16string& description, std::u16string* group_path,
                  bool report_only_when_made) {
    const std::u16string group = joined(programs_folder, kGroupFolderName);
    if (!wanted) {
        if (exists(group)) delete_folder_tree(group);
        return;
    }
    if (group_path && !report_only_when_made) *group_path = group;
    if (exists(group)) delete_files_in(group);
    ::CreateDirectoryW(as_wcstr(group.c_str()), nullptr);
    if (group_path && report_only_when_made && is_folder(group)) *group_path = group;
    for (const GroupEntry& entry : entries) {
        const std::u16string target = program_folder + entry.target_name;
        if (exists(target)) make_shortcut(target, joined(group, entry.link_name), description);
    }
}

}  // namespace

bool make_shortcut(const std::u16string& target, const std::u16string& link,
                   const std::u16string& description) {
    ComPtr<IShellLinkW> shell_link;
    if (FAILED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                  reinterpret_cast<void**>(shell_link.out()))))
        return false;
    ComPtr<IPersistFile> file;
    if (FAILED(shell_link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(file.out()))))
        return false;
    // A link the user changed (hot key, window state) keeps those changes.
    file->Load(as_wcstr(link.c_str()), STGM_READWRITE);
    shell_link->SetPath(as_wcstr(target.c_str()));
    shell_link->SetDescription(as_wcstr(description.c_str()));
    shell_link->SetIconLocation(L"", 0);
    return SUCCEEDED(file->Save(as_wcstr(link.c_str()), TRUE));
}

void update_shortcuts(const IntegrationSettings& settings, const std::u16string& program_folder,
                      bool vista_or_later, std::u16string* group_path) {
    const std::u16string main_target = program_folder + u"Korvex.exe";
    const std::u16string description = LangString(kShortcutDescription);

    std::u16string desktop = special_folder(CSIDL_DESKTOPDIRECTORY);
    if (desktop.empty()) return;
    if (vista_or_later) {
        delete_link(joined(desktop, kMainLinkName));
        desktop = special_folder(CSIDL_COMMON_DESKTOPDIRECTORY);
    }
    if (!desktop.empty()) {
        if (settings.desktop)
            make_shortcut(main_target, joined(desktop, kMainLinkName), description);
        else
            delete_link(joined(desktop, kMainLinkName));
    }

    const std::u16string start_menu =
        special_folder(vista_or_later ? CSIDL_COMMON_STARTMENU : CSIDL_STARTMENU);
    if (!start_menu.empty()) {
        if (settings.start_menu)
            make_shortcut(main_target, joined(start_menu, kMainLinkName), description);
        else
            delete_link(joined(start_menu, kMainLinkName));
    }

    // Names taken now, in the language in use.
    const std::vector<GroupEntry> entries = {
        {std::u16string(kMainLinkName), u"Korvex.exe"},
        {std::u16string(LangString(kHelpName)) + u".lnk", u"Korvex.chm"},
        {std::u16string(LangString(kManualName)) + u".lnk", u"Kub.txt"},
        {std::u16string(LangString(kChangesName)) + u".lnk", LangString(kChangesFile)},
    };
    const std::u16string user_programs = special_folder(CSIDL_PROGRAMS);
    if (!user_programs.empty())
        update_group(user_programs, settings.programs, entries, program_folder, description,
                     group_path, false);
    const std::u16string common_programs = special_folder(CSIDL_COMMON_PROGRAMS);
    if (!common_programs.empty())
        update_group(common_programs, settings.programs, entries, program_folder, description,
                     group_path, true);
}

}  // namespace kub::setup

// uninstall.exe run the way the archiver's installer runs it, in a program folder of its own in
// the session's prefix: what its switches do, its exit codes, and what the registry, the
// shortcuts and the program folder hold afterwards. The shell's side is checked by creating the
// extension the way Explorer does, through HKEY_CLASSES_ROOT alone.
#include <windows.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tests/support/writers/language_file_writer.h"
#include "tests/support/setup_traces.h"
#include "tests/wine/setup/setup_test_helpers.h"
#include "resources/setup_dialog_ids.h"
#include "tests/wine/host/hdrop_data_object.h"
#include "tests/wine/host/shell_host.h"
#include "tests/wine/host/window_photograph.h"

namespace {

using kub::setup_test::exists;
using kub::setup_test::registry_text;
using kub::setup_test::special_folder;
using kub::setup_test::wait_for_dialog;
using kub::setup_test::windows_path;
using kub::setup_test::write_file;

using kub::wine_host::Apartment;
using kub::wine_host::delete_tree;
using kub::wine_host::HdropDataObject;

constexpr wchar_t kDialogTitle[] = L"Korvex 简体中文版安装";
constexpr wchar_t kItemsTitle[] = L"关联菜单项目";
constexpr wchar_t kDescription[] = L"处理 KUB, ZIP 和其它压缩文档格式";

std::string file_bytes(const std::wstring& path) {
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return "<missing>";
    std::string bytes(4096, '\0');
    DWORD done = 0;
    ::ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &done, nullptr);
    ::CloseHandle(file);
    bytes.resize(done);
    return bytes;
}

bool registry_key_exists(HKEY root, const wchar_t* key) {
    HKEY handle = nullptr;
    if (::RegOpenKeyExW(root, key, 0, KEY_READ, &handle) != ERROR_SUCCESS) return false;
    ::RegCloseKey(handle);
    return true;
}

void set_number(const wchar_t* key, const wchar_t* value, DWORD number) {
    ::RegSetKeyValueW(HKEY_CURRENT_USER, key, value, REG_DWORD, &number, sizeof number);
}

struct LinkView {
    std::wstring target;
    std::wstring description;
    WORD hotkey = 0;
};

LinkView read_link(const std::wstring& path) {
    LinkView view;
    IShellLinkW* link = nullptr;
    if (FAILED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                  reinterpret_cast<void**>(&link))))
        return view;
    IPersistFile* file = nullptr;
    if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
        if (SUCCEEDED(file->Load(path.c_str(), STGM_READ))) {
            wchar_t text[MAX_PATH] = {};
            if (SUCCEEDED(link->GetPath(text, MAX_PATH, nullptr, SLGP_RAWPATH))) view.target = text;
            text[0] = 0;
            if (SUCCEEDED(link->GetDescription(text, MAX_PATH))) view.description = text;
            link->GetHotkey(&view.hotkey);
        }
        file->Release();
    }
    link->Release();
    return view;
}

void set_link_hotkey(const std::wstring& path, WORD hotkey) {
    IShellLinkW* link = nullptr;
    ASSERT_TRUE(SUCCEEDED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER,
                                             IID_IShellLinkW, reinterpret_cast<void**>(&link))));
    IPersistFile* file = nullptr;
    ASSERT_TRUE(SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file))));
    EXPECT_TRUE(SUCCEEDED(file->Load(path.c_str(), STGM_READWRITE)));
    link->SetHotkey(hotkey);
    EXPECT_TRUE(SUCCEEDED(file->Save(path.c_str(), TRUE)));
    file->Release();
    link->Release();
}

class SetupProgramTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        folder_ = special_folder(CSIDL_PROGRAM_FILES) + L"\\Korvex\\";
        ::CreateDirectoryW(folder_.c_str(), nullptr);
        const std::wstring uninstall = windows_path(KUB_UNINSTALL_EXE);
        ASSERT_TRUE(::CopyFileW(uninstall.c_str(), (folder_ + L"uninstall.exe").c_str(), FALSE));
        ASSERT_TRUE(::CopyFileW(kub::wine_host::kubext_dll_path().c_str(),
                                (folder_ + L"Kubext.dll").c_str(), FALSE));
        ASSERT_TRUE(::CopyFileW(windows_path(KUB_FAKE_ARCHIVER).c_str(),
                                (folder_ + L"Korvex.exe").c_str(), FALSE));
        // The help file and the list of changes are there; the console manual is not.
        write_file(folder_ + L"Korvex.chm", "help");
        write_file(folder_ + L"WhatsNew.txt", "changes");
    }
    static void TearDownTestSuite() { delete_tree(folder_.substr(0, folder_.size() - 1)); }

    void SetUp() override {
        ASSERT_TRUE(apartment_.ok());
        clean();
    }
    void TearDown() override { clean(); }

    static void clean() {
        kub::test::remove_setup_registry_traces();
        for (int csidl : {CSIDL_PROGRAMS, CSIDL_COMMON_PROGRAMS})
            delete_tree(special_folder(csidl) + L"\\Korvex");
        for (int csidl : {CSIDL_DESKTOPDIRECTORY, CSIDL_COMMON_DESKTOPDIRECTORY, CSIDL_STARTMENU,
                          CSIDL_COMMON_STARTMENU})
            ::DeleteFileW((special_folder(csidl) + L"\\Korvex.lnk").c_str());
        for (const wchar_t* name : {L"kubnew.dat", L"zipnew.dat"})
            ::DeleteFileW((folder_ + name).c_str());
    }

    struct Run {
        DWORD exit_code = STILL_ACTIVE;
        DWORD milliseconds = 0;
    };

    // Starts the program with `switches`; `while_running` gets the chance to drive its windows.
    // The command line starts with the program path, as the system gives it.
    static Run run(const std::wstring& switches, void (*while_running)() = nullptr) {
        Run result;
        std::wstring command = L"\"" + folder_ + L"uninstall.exe\" " + switches;
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process{};
        const DWORD start = ::GetTickCount();
        if (!::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                              folder_.c_str(), &startup, &process)) {
            ADD_FAILURE() << "CreateProcess failed: " << ::GetLastError();
            return result;
        }
        if (while_running) while_running();
        if (::WaitForSingleObject(process.hProcess, 60000) != WAIT_OBJECT_0) {
            ADD_FAILURE() << "uninstall.exe did not end";
            ::TerminateProcess(process.hProcess, 99);
        }
        result.milliseconds = ::GetTickCount() - start;
        ::GetExitCodeProcess(process.hProcess, &result.exit_code);
        ::CloseHandle(process.hThread);
        ::CloseHandle(process.hProcess);
        return result;
    }

    static void expect_registry_untouched() {
        EXPECT_FALSE(registry_key_exists(HKEY_CLASSES_ROOT, L".kub"));
        EXPECT_FALSE(registry_key_exists(HKEY_CLASSES_ROOT, L"Korvex"));
        EXPECT_FALSE(registry_key_exists(HKEY_CURRENT_USER, L"Software\\Korvex\\Setup"));
        EXPECT_FALSE(registry_key_exists(
            HKEY_LOCAL_MACHINE, L"Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Korvex.exe"));
        EXPECT_FALSE(exists(folder_ + L"kubnew.dat"));
    }

    static std::wstring folder_;
    Apartment apartment_;
};

std::wstring SetupProgramTest::folder_;

TEST_F(SetupProgramTest, SilentSetupRegistersTheExtensionSoTheShellFindsIt) {
    const Run result = run(L"/setup /S");
    ASSERT_EQ(result.exit_code, 0u);

    EXPECT_EQ(registry_text(HKEY_CLASSES_ROOT, L".kub", nullptr), L"Korvex");
    EXPECT_EQ(registry_text(HKEY_CLASSES_ROOT, L".zip", nullptr), L"Korvex.ZIP");
    EXPECT_EQ(registry_text(HKEY_CLASSES_ROOT,
                            L"CLSID\\{B41DB860-64E4-11D2-9906-E49FADC173CA}\\InProcServer32", nullptr),
              folder_ + L"kubext.dll");
    EXPECT_EQ(registry_text(HKEY_CLASSES_ROOT, L"*\\shellex\\ContextMenuHandlers\\Korvex", nullptr),
              L"{B41DB860-64E4-11D2-9906-E49FADC173CA}");
    EXPECT_EQ(registry_text(HKEY_CLASSES_ROOT, L"Korvex\\shell\\open\\command", nullptr),
              L"\"" + folder_ + L"Korvex.exe\" \"%1\"");
    EXPECT_EQ(registry_text(HKEY_LOCAL_MACHINE,
                            L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Korvex archiver",
                            L"UninstallString"),
              folder_ + L"uninstall.exe");

    // Explorer's way in: the class from HKCR, a selection, a menu.
    IShellExtInit* init = nullptr;
    ASSERT_TRUE(SUCCEEDED(::CoCreateInstance(kub::wine_host::kShellExtensionClass, nullptr,
                                             CLSCTX_INPROC_SERVER, IID_IShellExtInit,
                                             reinterpret_cast<void**>(&init))));
    wchar_t loaded[MAX_PATH] = {};
    ::GetModuleFileNameW(::GetModuleHandleW(L"kubext.dll"), loaded, MAX_PATH);
    EXPECT_EQ(std::wstring(loaded), folder_ + L"kubext.dll");
    write_file(folder_ + L"sample.kub", "not really");
    HdropDataObject* data = HdropDataObject::create({folder_ + L"sample.kub"});
    ASSERT_TRUE(SUCCEEDED(init->Initialize(nullptr, data, nullptr)));
    IContextMenu* menu = nullptr;
    ASSERT_TRUE(SUCCEEDED(init->QueryInterface(IID_IContextMenu, reinterpret_cast<void**>(&menu))));
    HMENU popup = ::CreatePopupMenu();
    const HRESULT added = menu->QueryContextMenu(popup, 0, 1, 0x7FFF, CMF_NORMAL);
    EXPECT_TRUE(SUCCEEDED(added));
    EXPECT_GT(HRESULT_CODE(added), 0);
    EXPECT_GT(::GetMenuItemCount(popup), 0);
    ::DestroyMenu(popup);
    menu->Release();
    init->Release();
    data->Release();
    ::CoFreeUnusedLibraries();
    ::DeleteFileW((folder_ + L"sample.kub").c_str());
}

TEST_F(SetupProgramTest, TemplatesAreByteExact) {
    ASSERT_EQ(run(L"/setup /S").exit_code, 0u);
    EXPECT_EQ(file_bytes(folder_ + L"zipnew.dat"), std::string("PK\x05\x06", 4) + std::string(18, '\0'));
    EXPECT_EQ(file_bytes(folder_ + L"kubnew.dat"),
              std::string("Kub!\x1A\x07\x00\xCF\x90\x73\x00\x00\x0D\x00", 14) + std::string(6, '\0'));
    EXPECT_EQ(registry_text(HKEY_CLASSES_ROOT, L".zip\\ShellNew", L"FileName"),
              folder_ + L"zipnew.dat");
}

TEST_F(SetupProgramTest, ProgramGroupShortcutsInBothProgramsFolders) {
    ASSERT_EQ(run(L"/setup /S").exit_code, 0u);
    for (int csidl : {CSIDL_PROGRAMS, CSIDL_COMMON_PROGRAMS}) {
        const std::wstring group = special_folder(csidl) + L"\\Korvex\\";
        const LinkView main_link = read_link(group + L"Korvex.lnk");
        EXPECT_EQ(main_link.target, folder_ + L"Korvex.exe");
        EXPECT_EQ(main_link.description, kDescription);
        EXPECT_EQ(read_link(group + L"Korvex 中文帮助.lnk").target, folder_ + L"Korvex.chm");
        EXPECT_EQ(read_link(group + L"最新版本里有哪些新功能.lnk").target, folder_ + L"WhatsNew.txt");
        // No Kub.txt in the program folder, so no console manual shortcut.
        EXPECT_FALSE(exists(group + L"控制台 KUB 中文手册.lnk"));
    }
    // Desktop and start menu are off by default.
    EXPECT_FALSE(exists(special_folder(CSIDL_COMMON_DESKTOPDIRECTORY) + L"\\Korvex.lnk"));
    EXPECT_FALSE(exists(special_folder(CSIDL_COMMON_STARTMENU) + L"\\Korvex.lnk"));
}

TEST_F(SetupProgramTest, RerunKeepsUserChangesAndSubfoldersAndRemovesOldGroupFiles) {
    set_number(L"Software\\Korvex\\Setup\\Links", L"Desktop", 1);
    set_number(L"Software\\Korvex\\Setup\\Links", L"StartMenu", 1);
    ASSERT_EQ(run(L"/setup /S").exit_code, 0u);
    const std::wstring desktop_link = special_folder(CSIDL_COMMON_DESKTOPDIRECTORY) + L"\\Korvex.lnk";
    EXPECT_EQ(read_link(desktop_link).target, folder_ + L"Korvex.exe");
    EXPECT_EQ(read_link(special_folder(CSIDL_COMMON_STARTMENU) + L"\\Korvex.lnk").description,
              kDescription);

    const WORD hotkey = MAKEWORD('K', HOTKEYF_CONTROL | HOTKEYF_ALT);
    set_link_hotkey(desktop_link, hotkey);
    const std::wstring group = special_folder(CSIDL_PROGRAMS) + L"\\Korvex\\";
    write_file(group + L"old.txt", "stale");
    ::CreateDirectoryW((group + L"Mine").c_str(), nullptr);
    write_file(group + L"Mine\\kept.txt", "mine");

    ASSERT_EQ(run(L"/setup /S").exit_code, 0u);
    EXPECT_EQ(read_link(desktop_link).hotkey, hotkey);
    EXPECT_FALSE(exists(group + L"old.txt"));
    EXPECT_TRUE(exists(group + L"Mine\\kept.txt"));
    EXPECT_TRUE(exists(group + L"Korvex.lnk"));

    // Everything off: the links and both groups go.
    set_number(L"Software\\Korvex\\Setup\\Links", L"Desktop", 0);
    set_number(L"Software\\Korvex\\Setup\\Links", L"StartMenu", 0);
    set_number(L"Software\\Korvex\\Setup\\Links", L"Programs", 0);
    ASSERT_EQ(run(L"/setup /S").exit_code, 0u);
    EXPECT_FALSE(exists(desktop_link));
    EXPECT_FALSE(exists(special_folder(CSIDL_COMMON_STARTMENU) + L"\\Korvex.lnk"));
    EXPECT_FALSE(exists(special_folder(CSIDL_PROGRAMS) + L"\\Korvex"));
    EXPECT_FALSE(exists(special_folder(CSIDL_COMMON_PROGRAMS) + L"\\Korvex"));
}

TEST_F(SetupProgramTest, MsiSetupWritesNoUninstallEntry) {
    ASSERT_EQ(run(L"/setup /msi /S").exit_code, 0u);
    EXPECT_EQ(registry_text(HKEY_CLASSES_ROOT, L".kub", nullptr), L"Korvex");
    EXPECT_FALSE(registry_key_exists(
        HKEY_LOCAL_MACHINE, L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Korvex archiver"));
}

void cancel_settings_dialog() {
    HWND dialog = wait_for_dialog(kDialogTitle, KUB_SETUP_SHELL_EXT);
    ASSERT_NE(dialog, nullptr) << "the settings dialog did not appear";
    ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
}

TEST_F(SetupProgramTest, CancellingReturnsOneAndLeavesTheRegistryUntouched) {
    const Run result = run(L"/setup", cancel_settings_dialog);
    EXPECT_EQ(result.exit_code, 1u);
    expect_registry_untouched();
}

TEST_F(SetupProgramTest, SFollowedByALetterIsNotSilent) {
    // The dialog waits for the user, who cancels it.
    const Run result = run(L"/setup /Sx", cancel_settings_dialog);
    EXPECT_EQ(result.exit_code, 1u);
    expect_registry_untouched();
}

TEST_F(SetupProgramTest, WaitSleepsAndChangesNothing) {
    const Run waited = run(L"/wait");
    EXPECT_EQ(waited.exit_code, 0u);
    EXPECT_GE(waited.milliseconds, 2000u);
    const Run other = run(L"/noexp");
    EXPECT_EQ(other.exit_code, 0u);
    EXPECT_LT(other.milliseconds, 2000u);
    expect_registry_untouched();
}

// What the settings dialog showed, seen from outside its process.
struct DialogObservation {
    bool found = false;
    bool kub = false, jar = false, iso = false, desktop = false, start_menu = false, programs = false;
    bool shell_ext = false, cascaded = false, menu_icons = false, cascaded_enabled = false;
    bool after_click_shell_ext = true, after_click_cascaded_enabled = true;
    bool after_click_menu_icons = false, after_click_menu_icons_enabled = true;
    bool after_select_all_jar = false;
    bool items_found = false, items_test = true, items_extr_to = false;
};
DialogObservation g_observed;

bool box(HWND dialog, int id) {
    return ::SendDlgItemMessageW(dialog, id, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void observe_dialog_then_cancel() {
    DialogObservation& seen = g_observed;
    HWND dialog = wait_for_dialog(kDialogTitle, KUB_SETUP_SHELL_EXT);
    if (!dialog) return;
    seen.found = true;
    seen.kub = box(dialog, 5101);
    seen.jar = box(dialog, 5112);
    seen.iso = box(dialog, 5113);
    seen.desktop = box(dialog, 5116);
    seen.start_menu = box(dialog, 5117);
    seen.programs = box(dialog, 5118);
    seen.shell_ext = box(dialog, 5119);
    seen.cascaded = box(dialog, 5120);
    seen.menu_icons = box(dialog, 5121);
    seen.cascaded_enabled = ::IsWindowEnabled(::GetDlgItem(dialog, 5120));
    ::SendDlgItemMessageW(dialog, 5119, BM_CLICK, 0, 0);
    seen.after_click_shell_ext = box(dialog, 5119);
    seen.after_click_cascaded_enabled = ::IsWindowEnabled(::GetDlgItem(dialog, 5120));
    seen.after_click_menu_icons = box(dialog, 5121);
    seen.after_click_menu_icons_enabled = ::IsWindowEnabled(::GetDlgItem(dialog, 5121));
    ::SendDlgItemMessageW(dialog, 5122, BM_CLICK, 0, 0);
    seen.after_select_all_jar = box(dialog, 5112);

    // The context menu items: "Test" switched on and confirmed, then the settings cancelled.
    ::PostMessageW(::GetDlgItem(dialog, 5124), BM_CLICK, 0, 0);
    HWND items = wait_for_dialog(kItemsTitle);
    if (items) {
        seen.items_found = true;
        seen.items_test = box(items, 110);
        seen.items_extr_to = box(items, 101);
        ::SendDlgItemMessageW(items, 110, BM_CLICK, 0, 0);
        ::PostMessageW(items, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        for (int i = 0; i < 100 && ::IsWindow(items); ++i) ::Sleep(50);
    }
    ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
}

TEST_F(SetupProgramTest, DialogShowsTheChoicesAndKeepsContextItemsWhenCancelled) {
    // Another program owns ".jar"; the user chose a desktop shortcut last time.
    ASSERT_EQ(::RegSetKeyValueW(HKEY_CLASSES_ROOT, L".jar", nullptr, REG_SZ, L"jarfile", 16), ERROR_SUCCESS);
    set_number(L"Software\\Korvex\\Setup\\Links", L"Desktop", 1);
    g_observed = DialogObservation{};
    EXPECT_EQ(run(L"/setup", observe_dialog_then_cancel).exit_code, 1u);
    const DialogObservation& seen = g_observed;
    ASSERT_TRUE(seen.found);
    EXPECT_TRUE(seen.kub);
    EXPECT_FALSE(seen.jar);
    EXPECT_TRUE(seen.iso);
    EXPECT_TRUE(seen.desktop);
    EXPECT_FALSE(seen.start_menu);
    EXPECT_TRUE(seen.programs);
    EXPECT_TRUE(seen.shell_ext);
    EXPECT_FALSE(seen.cascaded);
    EXPECT_TRUE(seen.menu_icons);
    EXPECT_TRUE(seen.cascaded_enabled);
    // Shell integration off: the menu's look is greyed but keeps its state.
    EXPECT_FALSE(seen.after_click_shell_ext);
    EXPECT_FALSE(seen.after_click_cascaded_enabled);
    EXPECT_FALSE(seen.after_click_menu_icons_enabled);
    EXPECT_TRUE(seen.after_click_menu_icons);
    EXPECT_TRUE(seen.after_select_all_jar);
    ASSERT_TRUE(seen.items_found);
    EXPECT_FALSE(seen.items_test);
    EXPECT_TRUE(seen.items_extr_to);

    // The items dialog wrote at once; the cancelled settings dialog wrote nothing.
    DWORD test_item = 0, size = sizeof test_item;
    EXPECT_EQ(::RegGetValueW(HKEY_CURRENT_USER, L"Software\\Korvex\\Setup\\MenuItems", L"Test",
                             RRF_RT_REG_DWORD, nullptr, &test_item, &size),
              ERROR_SUCCESS);
    EXPECT_EQ(test_item, 1u);
    EXPECT_FALSE(registry_key_exists(HKEY_CURRENT_USER, L"Software\\Korvex\\Setup\\.kub"));
    EXPECT_EQ(registry_text(HKEY_CLASSES_ROOT, L".jar", nullptr), L"jarfile");
    EXPECT_FALSE(registry_key_exists(HKEY_CLASSES_ROOT, L"Korvex"));
}

// Confirms the settings dialog with this title, then closes the completion dialog that follows.
void confirm_setup_titled(const wchar_t* title) {
    HWND dialog = wait_for_dialog(title, KUB_SETUP_SHELL_EXT);
    ASSERT_NE(dialog, nullptr) << "the settings dialog did not appear";
    ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    HWND done = wait_for_dialog(title, KUB_DONE_HELP, KUB_SETUP_SHELL_EXT);
    ASSERT_NE(done, nullptr) << "the completion dialog did not appear";
    ::PostMessageW(done, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
}

void confirm_settings_dialog() { confirm_setup_titled(kDialogTitle); }

// A top-level window showing the program group folder, waited for up to `milliseconds`.
HWND wait_for_group_window(DWORD milliseconds) {
    for (DWORD waited = 0; waited < milliseconds; waited += 100) {
        if (HWND window = ::FindWindowW(nullptr, L"Korvex")) return window;
        ::Sleep(100);
    }
    return nullptr;
}

TEST_F(SetupProgramTest, ConfirmedSetupOpensTheProgramGroupUnlessToldNotTo) {
    ASSERT_EQ(run(L"/setup /noexplorer", confirm_settings_dialog).exit_code, 0u);
    EXPECT_EQ(registry_text(HKEY_CLASSES_ROOT, L".kub", nullptr), L"Korvex");
    EXPECT_EQ(wait_for_group_window(3000), nullptr);

    ASSERT_EQ(run(L"/setup", confirm_settings_dialog).exit_code, 0u);
    HWND group = wait_for_group_window(15000);
    EXPECT_NE(group, nullptr) << "the program group was not opened";
    if (group) {
        ::PostMessageW(group, WM_CLOSE, 0, 0);
        for (int i = 0; i < 50 && ::IsWindow(group); ++i) ::Sleep(100);
    }
}

bool g_restart_message_seen = false;

void confirm_and_answer_restart_message() {
    confirm_settings_dialog();
    HWND message = wait_for_dialog(L"Korvex 压缩文件管理器");
    g_restart_message_seen = message != nullptr;
    if (message) ::PostMessageW(message, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
}

// An earlier installation's extension, held open as the shell holds a loaded library, for as
// long as the object lives.
class HeldExtension {
  public:
    explicit HeldExtension(const std::wstring& folder) : path_(folder + L"kubext64.dll") {
        HKEY key = nullptr;
        EXPECT_EQ(::RegCreateKeyExW(HKEY_LOCAL_MACHINE,
                                    L"Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Korvex.exe",
                                    0, nullptr, 0, KEY_SET_VALUE | KEY_WOW64_32KEY, nullptr, &key,
                                    nullptr),
                  ERROR_SUCCESS);
        const std::wstring archiver = folder + L"Korvex.exe";
        ::RegSetValueExW(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(archiver.c_str()),
                         static_cast<DWORD>((archiver.size() + 1) * sizeof(wchar_t)));
        ::RegCloseKey(key);
        write_file(path_, "MZ");
        held_ = ::CreateFileW(path_.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              0, nullptr);
    }
    ~HeldExtension() {
        if (held_ != INVALID_HANDLE_VALUE) ::CloseHandle(held_);
        ::DeleteFileW(path_.c_str());
    }
    HeldExtension(const HeldExtension&) = delete;
    HeldExtension& operator=(const HeldExtension&) = delete;
    bool held() const { return held_ != INVALID_HANDLE_VALUE; }

  private:
    std::wstring path_;
    HANDLE held_ = INVALID_HANDLE_VALUE;
};

TEST_F(SetupProgramTest, ExtensionFileStillInUseAsksForARestart) {
    HeldExtension extension(folder_);
    ASSERT_TRUE(extension.held());
    g_restart_message_seen = false;
    EXPECT_EQ(run(L"/setup /noexplorer", confirm_and_answer_restart_message).exit_code, 0u);
    EXPECT_TRUE(g_restart_message_seen);
    // Silent: no message, nothing waits for an answer.
    EXPECT_EQ(run(L"/setup /S").exit_code, 0u);
}

// The restart message of a setup run in English (english_screenshots.sh), photographed.
void confirm_and_photograph_english_restart_message() {
    confirm_setup_titled(L"Korvex Setup");
    HWND message = wait_for_dialog(L"Korvex Archive Manager");
    g_restart_message_seen = message != nullptr;
    if (!message) return;
    ::Sleep(1500);  // drawn
    kub::wine_host::photograph(message, L"restart_message");
    ::PostMessageW(message, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
}

TEST_F(SetupProgramTest, EnglishRestartMessageForScreenshot) {
    wchar_t folder[MAX_PATH];
    const DWORD length = ::GetEnvironmentVariableW(L"KUB_LANGUAGE_FOLDER", folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) GTEST_SKIP() << "only for english_screenshots.sh";
    HeldExtension extension(folder_);
    ASSERT_TRUE(extension.held());
    ::RegSetKeyValueW(HKEY_CURRENT_USER, L"Software\\Korvex\\General", L"LanguageFolder", REG_SZ,
                      folder, (length + 1) * sizeof(wchar_t));
    g_restart_message_seen = false;
    EXPECT_EQ(run(L"/setup /noexplorer", confirm_and_photograph_english_restart_message).exit_code, 0u);
    ::RegDeleteKeyValueW(HKEY_CURRENT_USER, L"Software\\Korvex\\General", L"LanguageFolder");
    EXPECT_TRUE(g_restart_message_seen) << "no English restart message";
}

void cancel_translated_dialog() {
    HWND dialog = wait_for_dialog(L"Korvex Setup");
    ASSERT_NE(dialog, nullptr) << "no dialog with the translated caption";
    wchar_t text[64] = {};
    ::GetDlgItemTextW(dialog, 5119, text, 64);
    EXPECT_STREQ(text, L"Shell integration");
    ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
}

TEST_F(SetupProgramTest, LanguageFileBesideTheProgramTranslatesDialogAndTexts) {
    kub::test::LanguageFileWriter language;
    language.dialog_text(u"SETUPDLG", u"Korvex 简体中文版安装", u"Korvex Setup")
        .dialog_text(u"SETUPDLG", u"集成 Korvex 到外壳中(&I)", u"Shell integration")
        .string_text(u"Korvex 压缩文件", u"Korvex archive");
    write_file(folder_ + L"uninstall.lng", language.bytes());
    EXPECT_EQ(run(L"/setup", cancel_translated_dialog).exit_code, 1u);
    ASSERT_EQ(run(L"/setup /S").exit_code, 0u);
    ::DeleteFileW((folder_ + L"uninstall.lng").c_str());
    // The ProgID's description is a text of the string table, translated.
    EXPECT_EQ(registry_text(HKEY_CLASSES_ROOT, L"Korvex", nullptr), L"Korvex archive");
    EXPECT_EQ(registry_text(HKEY_CLASSES_ROOT, L"Korvex.ZIP", nullptr), L"Korvex ZIP 压缩文件");
}

// With a language folder the dialogs carry the English titles.
bool shown_in_english() { return ::GetEnvironmentVariableW(L"KUB_LANGUAGE_FOLDER", nullptr, 0) != 0; }

// Not a check: holds both dialogs on the display for setup_dialogs_screenshots.sh.
void hold_dialogs_for_screenshot() {
    wchar_t seconds_text[8] = {};
    ::GetEnvironmentVariableW(L"KUB_SETUP_SHOW_SECONDS", seconds_text, 8);
    const DWORD hold = static_cast<DWORD>(_wtoi(seconds_text)) * 1000;
    const bool english = shown_in_english();
    HWND dialog = wait_for_dialog(english ? L"Korvex Setup" : kDialogTitle, KUB_SETUP_SHELL_EXT);
    ASSERT_NE(dialog, nullptr);
    ::Sleep(hold);
    ::PostMessageW(::GetDlgItem(dialog, 5124), BM_CLICK, 0, 0);
    HWND items = wait_for_dialog(english ? L"Context Menu Items" : kItemsTitle);
    ASSERT_NE(items, nullptr);
    ::Sleep(hold);
    ::PostMessageW(items, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    ::Sleep(300);
    ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
}

TEST_F(SetupProgramTest, ShowForScreenshot) {
    if (::GetEnvironmentVariableW(L"KUB_SETUP_SHOW_SECONDS", nullptr, 0) == 0)
        GTEST_SKIP() << "only for the screenshot script";
    // english_screenshots.sh gives a language folder: the program loads its translation.
    wchar_t folder[MAX_PATH];
    const DWORD length = ::GetEnvironmentVariableW(L"KUB_LANGUAGE_FOLDER", folder, MAX_PATH);
    if (shown_in_english() && length < MAX_PATH)
        ::RegSetKeyValueW(HKEY_CURRENT_USER, L"Software\\Korvex\\General", L"LanguageFolder",
                          REG_SZ, folder, (length + 1) * sizeof(wchar_t));
    EXPECT_EQ(run(L"/setup", hold_dialogs_for_screenshot).exit_code, 1u);
    ::RegDeleteKeyValueW(HKEY_CURRENT_USER, L"Software\\Korvex\\General", L"LanguageFolder");
}

}  // namespace

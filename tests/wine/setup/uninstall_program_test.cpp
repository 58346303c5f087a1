// uninstall.exe run as the system's "uninstall" command runs it, in a throwaway prefix where
// "uninstall.exe /setup /S" has just installed the integration: what is left of the registry,
// the shortcuts and the program folder afterwards, what is left to the next system start, and
// the help calls of the setup dialogs (recorded by the stand-in help library the script puts in
// place of the system's). uninstall_in_fresh_prefix.sh runs the groups in order.
#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "resources/setup_dialog_ids.h"
#include "tests/support/setup_traces.h"
#include "tests/wine/host/window_photograph.h"
#include "tests/wine/setup/setup_test_helpers.h"

namespace {

using kub::setup_test::exists;
using kub::setup_test::registry_text;
using kub::setup_test::special_folder;
using kub::setup_test::wait_for_dialog;
using kub::setup_test::windows_path;
using kub::setup_test::write_file;

constexpr wchar_t kSetupTitle[] = L"Korvex 简体中文版安装";
constexpr wchar_t kItemsTitle[] = L"关联菜单项目";
constexpr wchar_t kMessageCaption[] = L"卸载 Korvex";
constexpr wchar_t kCallLog[] = L"C:\\hhctrl_calls.txt";

// The strings of PendingFileRenameOperations: pairs of source and target ("" = delete).
std::vector<std::wstring> pending_renames() {
    std::vector<wchar_t> buffer(65536);
    DWORD size = static_cast<DWORD>(buffer.size() * sizeof(wchar_t));
    std::vector<std::wstring> strings;
    if (::RegGetValueW(HKEY_LOCAL_MACHINE, L"System\\CurrentControlSet\\Control\\Session Manager",
                       L"PendingFileRenameOperations", RRF_RT_REG_MULTI_SZ, nullptr, buffer.data(),
                       &size) != ERROR_SUCCESS)
        return strings;
    const std::size_t count = size / sizeof(wchar_t);
    for (std::size_t at = 0; at < count;) {
        std::wstring item(buffer.data() + at);
        at += item.size() + 1;
        if (at <= count) strings.push_back(item);
    }
    while (!strings.empty() && strings.back().empty() && strings.size() % 2 == 1) strings.pop_back();
    return strings;
}

std::vector<std::wstring> call_log() {
    std::vector<std::wstring> lines;
    std::ifstream in("C:\\hhctrl_calls.txt", std::ios::binary);
    for (std::string line; std::getline(in, line);) {
        std::wstring wide(static_cast<std::size_t>(line.size()) + 1, L'\0');
        const int length = ::MultiByteToWideChar(CP_UTF8, 0, line.data(), static_cast<int>(line.size()),
                                                 wide.data(), static_cast<int>(wide.size()));
        wide.resize(static_cast<std::size_t>(length > 0 ? length : 0));
        lines.push_back(wide);
    }
    return lines;
}

void wait_until_closed(HWND window) {
    for (int i = 0; i < 100 && ::IsWindow(window); ++i) ::Sleep(50);
}

// F1 from the keyboard, to the dialog in the foreground.
void press_f1(HWND dialog) {
    ::SetForegroundWindow(dialog);
    ::Sleep(200);
    INPUT keys[2] = {};
    keys[0].type = keys[1].type = INPUT_KEYBOARD;
    keys[0].ki.wVk = keys[1].ki.wVk = VK_F1;
    keys[1].ki.dwFlags = KEYEVENTF_KEYUP;
    ::SendInput(2, keys, sizeof(INPUT));
    ::Sleep(500);
}

class UninstallProgramTest : public ::testing::Test {
  protected:
    static std::wstring folder() { return special_folder(CSIDL_PROGRAM_FILES) + L"\\Korvex\\"; }

    // The program folder as the archiver's installer leaves it.
    static void install_files(const std::wstring& into) {
        ::CreateDirectoryW(into.c_str(), nullptr);
        ASSERT_TRUE(::CopyFileW(windows_path(KUB_UNINSTALL_EXE).c_str(), (into + L"uninstall.exe").c_str(), FALSE));
        ASSERT_TRUE(::CopyFileW(windows_path(KUB_KUBEXT_DLL).c_str(), (into + L"Kubext.dll").c_str(), FALSE));
        ASSERT_TRUE(::CopyFileW(windows_path(KUB_FAKE_ARCHIVER).c_str(), (into + L"Korvex.exe").c_str(), FALSE));
        write_file(into + L"Korvex.chm", "help");
        write_file(into + L"WhatsNew.txt", "changes");
    }

    struct Run {
        DWORD exit_code = STILL_ACTIVE;
    };
    static Run run(const std::wstring& in, const std::wstring& switches,
                   void (*while_running)() = nullptr) {
        Run result;
        std::wstring command = L"\"" + in + L"uninstall.exe\" " + switches;
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process{};
        if (!::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                              in.c_str(), &startup, &process)) {
            ADD_FAILURE() << "CreateProcess failed: " << ::GetLastError();
            return result;
        }
        if (while_running) while_running();
        if (::WaitForSingleObject(process.hProcess, 30000) != WAIT_OBJECT_0) {
            ADD_FAILURE() << "uninstall.exe did not end";
            ::TerminateProcess(process.hProcess, 99);
        }
        ::GetExitCodeProcess(process.hProcess, &result.exit_code);
        ::CloseHandle(process.hThread);
        ::CloseHandle(process.hProcess);
        return result;
    }

    // The batch file waits two seconds through a second instance, then removes the program.
    static bool wait_for_batch(const std::wstring& in) {
        for (int i = 0; i < 200; ++i) {
            if (!exists(in + L"uninstall.exe") && !exists(temp_batch())) return true;
            ::Sleep(100);
        }
        return false;
    }
    static std::wstring temp_batch() {
        wchar_t temp[MAX_PATH] = {};
        ::GetTempPathW(MAX_PATH, temp);
        return std::wstring(temp) + L"Uninstall_Kub.Bat";
    }

    void SetUp() override { ::SetCurrentDirectoryW(L"C:\\"); }
};

TEST_F(UninstallProgramTest, SilentUninstallLeavesNothingSetupWroteAndHandsTheHeldFileToTheRestart) {
    const std::wstring in = folder();
    const std::string before = kub::test::setup_registry_snapshot();
    install_files(in);
    ASSERT_EQ(run(in, L"/setup /S").exit_code, 0u);
    ASSERT_EQ(registry_text(HKEY_CLASSES_ROOT, L".kub", nullptr), L"Korvex");
    const std::wstring user_group = special_folder(CSIDL_PROGRAMS) + L"\\Korvex";
    const std::wstring common_group = special_folder(CSIDL_COMMON_PROGRAMS) + L"\\Korvex";
    ASSERT_TRUE(exists(user_group + L"\\Korvex.lnk"));

    // The installer's list: files, nested folders before their files, the extension (held by
    // this process as the shell holds it), the program itself and the list.
    ::CreateDirectoryW((in + L"Lang").c_str(), nullptr);
    ::CreateDirectoryW((in + L"Lang\\Old").c_str(), nullptr);
    write_file(in + L"Lang\\Old\\x.lng", "x");
    write_file(in + L"Lang\\y.lng", "y");
    write_file(in + L"Uninstall.lst",
               "Korvex.exe\r\nKorvex.chm\r\nWhatsNew.txt\r\nLang\r\nLang\\Old\r\nLang\\Old\\x.lng\r\n"
               "Lang\\y.lng\r\nKubext.dll\r\nkubnew.dat\r\nzipnew.dat\r\nuninstall.exe\r\nUninstall.lst\r\n");
    HMODULE held = ::LoadLibraryW((in + L"Kubext.dll").c_str());
    ASSERT_NE(held, nullptr);

    ASSERT_EQ(run(in, L"/S").exit_code, 0u);
    EXPECT_TRUE(wait_for_batch(in)) << "the batch file did not remove the program";

    const std::vector<std::string> changes =
        kub::test::registry_changes(before, kub::test::setup_registry_snapshot(), {},
                                    {"[HKCU\\Software\\Wine", "[HKLM\\Software\\Wine"});
    for (const std::string& change : changes) ADD_FAILURE() << "registry: " << change;

    for (int csidl : {CSIDL_DESKTOPDIRECTORY, CSIDL_COMMON_DESKTOPDIRECTORY, CSIDL_STARTMENU,
                      CSIDL_COMMON_STARTMENU})
        EXPECT_FALSE(exists(special_folder(csidl) + L"\\Korvex.lnk"));
    EXPECT_FALSE(exists(user_group));
    EXPECT_FALSE(exists(common_group));
    for (const wchar_t* name : {L"Korvex.exe", L"Korvex.chm", L"WhatsNew.txt", L"Lang", L"kubnew.dat",
                                L"zipnew.dat", L"Uninstall.lst", L"uninstall.exe", L"Kubext.dll"})
        EXPECT_FALSE(exists(in + name)) << "left: " << std::string(name, name + wcslen(name));
    EXPECT_TRUE(exists(in + L"Kubext.dll.0.tmp"));
    const std::vector<std::wstring> pending = pending_renames();
    const std::wstring scheduled = L"\\??\\" + in + L"Kubext.dll.0.tmp";
    bool found = false;
    for (std::size_t i = 0; i + 1 < pending.size(); i += 2)
        found = found || (pending[i] == scheduled && pending[i + 1].empty());
    EXPECT_TRUE(found) << "not scheduled for deletion at restart";
    ::FreeLibrary(held);
}

// After "wineboot -r": what uninstall left to the restart is gone.
TEST_F(UninstallProgramTest, AfterRestartTheHeldFileIsGone) {
    const std::wstring in = folder();
    EXPECT_FALSE(exists(in + L"Kubext.dll.0.tmp"));
    for (const std::wstring& item : pending_renames())
        EXPECT_EQ(item.find(L"Kubext.dll"), std::wstring::npos);
    ::RemoveDirectoryW(in.c_str());
}

bool g_list_error_seen = false;
std::wstring g_list_error_text;

void answer_list_error() {
    HWND message = wait_for_dialog(kMessageCaption);
    g_list_error_seen = message != nullptr;
    if (!message) return;
    wchar_t text[256] = {};
    ::GetDlgItemTextW(message, 0xFFFF, text, 256);
    g_list_error_text = text;
    ::PostMessageW(message, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
}

TEST_F(UninstallProgramTest, WithoutAListTheErrorShowsEvenWhenSilentAndNothingChanges) {
    const std::wstring in = folder();
    install_files(in);
    ASSERT_EQ(run(in, L"/setup /S").exit_code, 0u);
    EXPECT_EQ(run(in, L"/S", answer_list_error).exit_code, 0u);
    EXPECT_TRUE(g_list_error_seen);
    EXPECT_EQ(g_list_error_text, L"无法打开列表文件 Uninstall.lst");
    EXPECT_EQ(registry_text(HKEY_CLASSES_ROOT, L".kub", nullptr), L"Korvex");
    EXPECT_TRUE(exists(in + L"uninstall.exe"));
    EXPECT_TRUE(exists(special_folder(CSIDL_PROGRAMS) + L"\\Korvex\\Korvex.lnk"));
}

TEST_F(UninstallProgramTest, AHostileListDeletesNothingOutsideTheProgramFolder) {
    const std::wstring in = folder();
    install_files(in);
    const std::wstring outside = special_folder(CSIDL_PROGRAM_FILES) + L"\\outside.txt";
    write_file(outside, "keep");
    write_file(L"C:\\outside.txt", "keep");
    write_file(L"C:\\x", "keep");
    write_file(special_folder(CSIDL_WINDOWS) + L"\\x", "keep");
    write_file(in + L"inside.txt", "go");
    write_file(in + L"Uninstall.lst",
               "..\\outside.txt\r\n..\\..\\outside.txt\r\n../outside.txt\r\nC:\\windows\\x\r\n"
               "\\\\?\\C:\\x\r\n\\x\r\nC:\\outside.txt\r\na:stream\r\nNUL\r\ninside.txt\r\n");
    ASSERT_EQ(run(in, L"/S").exit_code, 0u);
    EXPECT_TRUE(wait_for_batch(in));
    for (const std::wstring& kept : {outside, std::wstring(L"C:\\outside.txt"), std::wstring(L"C:\\x"),
                                     special_folder(CSIDL_WINDOWS) + L"\\x"}) {
        EXPECT_TRUE(exists(kept)) << "deleted outside the program folder";
        ::DeleteFileW(kept.c_str());
    }
    EXPECT_FALSE(exists(in + L"inside.txt"));
}

// The help calls the dialogs make, in order.
void drive_help_in_setup_dialogs() {
    HWND dialog = wait_for_dialog(kSetupTitle, KUB_SETUP_SHELL_EXT);
    ASSERT_NE(dialog, nullptr);
    press_f1(dialog);
    ::SendMessageW(::GetDlgItem(dialog, KUB_SETUP_HELP), BM_CLICK, 0, 0);
    ::PostMessageW(::GetDlgItem(dialog, KUB_SETUP_MENU_ITEMS), BM_CLICK, 0, 0);
    HWND items = wait_for_dialog(kItemsTitle);
    ASSERT_NE(items, nullptr);
    press_f1(items);
    ::PostMessageW(items, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    wait_until_closed(items);
    ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);

    HWND done = wait_for_dialog(kSetupTitle, KUB_DONE_HELP, KUB_SETUP_SHELL_EXT);
    ASSERT_NE(done, nullptr) << "no completion dialog";
    wchar_t folder_text[MAX_PATH] = {};
    ::GetDlgItemTextW(done, KUB_DONE_FOLDER, folder_text, MAX_PATH);
    EXPECT_EQ(std::wstring(folder_text) + L"\\", special_folder(CSIDL_PROGRAM_FILES) + L"\\Korvex\\");
    press_f1(done);  // no topic: nothing
    ::SendMessageW(::GetDlgItem(done, KUB_DONE_HELP), BM_CLICK, 0, 0);
    ::PostMessageW(done, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
}

TEST_F(UninstallProgramTest, DialogsOpenTheirHelpTopicsAndTheCompletionDialogTheContents) {
    const std::wstring in = folder();
    install_files(in);
    ::DeleteFileW(kCallLog);
    EXPECT_EQ(run(in, L"/setup /noexplorer", drive_help_in_setup_dialogs).exit_code, 0u);
    const std::wstring file = in + L"korvex.chm";
    const std::vector<std::wstring> expected = {
        L"window|" + file + L"::/html/HELPIntegrationSettings.htm|0|0",
        L"window|" + file + L"::/html/HELPIntegrationSettings.htm|0|0",
        L"window|" + file + L"::/html/HELPContextItems.htm|0|0",
        L"window|" + file + L"|1|0",
        L"none|<null>|18|0",
    };
    EXPECT_EQ(call_log(), expected);
}

void press_help_then_cancel() {
    HWND dialog = wait_for_dialog(kSetupTitle, KUB_SETUP_SHELL_EXT);
    ASSERT_NE(dialog, nullptr);
    ::SendMessageW(::GetDlgItem(dialog, KUB_SETUP_HELP), BM_CLICK, 0, 0);
    ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
}

TEST_F(UninstallProgramTest, AHelpFileOnAPathTheCodePageCannotSpellIsRetriedOnceByItsShortPath) {
    const std::wstring in = special_folder(CSIDL_PROGRAM_FILES) + L"\\Korvex \u0950\\";
    install_files(in);
    ::DeleteFileW(kCallLog);
    EXPECT_EQ(run(in, L"/setup", press_help_then_cancel).exit_code, 1u);
    const std::vector<std::wstring> calls = call_log();
    ASSERT_EQ(calls.size(), 3u);
    EXPECT_EQ(calls[0], L"window|" + in + L"korvex.chm::/html/HELPIntegrationSettings.htm|0|0");
    wchar_t short_folder[MAX_PATH] = {};
    ASSERT_GT(::GetShortPathNameW(in.c_str(), short_folder, MAX_PATH), 0u);
    EXPECT_NE(std::wstring(short_folder), in);
    EXPECT_EQ(calls[1], L"window|" + std::wstring(short_folder) +
                            L"korvex.chm::/html/HELPIntegrationSettings.htm|0|0");
    EXPECT_EQ(calls[2], L"none|<null>|18|0");
}

// Not a check: holds the completion dialog on the display for the screenshot; with a language
// folder the dialogs carry the English title.
void hold_done_dialog() {
    const wchar_t* title =
        ::GetEnvironmentVariableW(L"KUB_LANGUAGE_FOLDER", nullptr, 0) ? L"Korvex Setup" : kSetupTitle;
    HWND dialog = wait_for_dialog(title, KUB_SETUP_SHELL_EXT);
    ASSERT_NE(dialog, nullptr);
    ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    HWND done = wait_for_dialog(title, KUB_DONE_HELP, KUB_SETUP_SHELL_EXT);
    ASSERT_NE(done, nullptr);
    // Tells a photographer outside the test that the setup dialog has made way for this one.
    ::CloseHandle(::CreateFileW(L"C:\\done_dialog_shown", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    ::Sleep(3000);
    // The dialog itself, when a folder for photographs is given.
    kub::wine_host::photograph(done, L"setup_done_dialog");
    ::Sleep(3000);
    ::PostMessageW(done, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
}

TEST_F(UninstallProgramTest, ShowCompletionDialogForScreenshot) {
    if (::GetEnvironmentVariableW(L"KUB_SHOW_DONE_DIALOG", nullptr, 0) == 0)
        GTEST_SKIP() << "only for the screenshot";
    const std::wstring in = folder();
    install_files(in);
    wchar_t language[MAX_PATH];
    const DWORD length = ::GetEnvironmentVariableW(L"KUB_LANGUAGE_FOLDER", language, MAX_PATH);
    if (length > 0 && length < MAX_PATH)
        ::RegSetKeyValueW(HKEY_CURRENT_USER, L"Software\\Korvex\\General", L"LanguageFolder",
                          REG_SZ, language, (length + 1) * sizeof(wchar_t));
    EXPECT_EQ(run(in, L"/setup /noexplorer", hold_done_dialog).exit_code, 0u);
}

}  // namespace

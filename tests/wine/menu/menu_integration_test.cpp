// The menu of Kubext.dll as Explorer meets it: the registered DLL initialised with CF_HDROP data
// objects, QueryContextMenu into a real HMENU, InvokeCommand and Drop starting a fake archiver
// registered for the prefix, whose recorded command line and working folder are compared byte
// for byte.
#include <windows.h>
#include <shlobj.h>
#include <wrl/client.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "shellext/core/pages/comment_dump.h"
#include "shellext/win32/launch/archiver_launch.h"
#include "tests/support/writers/kub_writer.h"
#include "tests/wine/host/hdrop_data_object.h"
#include "tests/wine/host/shell_host.h"

namespace kub::wine_host {
namespace {

using Microsoft::WRL::ComPtr;

constexpr UINT kFirstId = 200;

// The build tree as Wine shows it: through drive Z:.
std::wstring windows_path(const char* unix_path) {
    return std::wstring(L"Z:") + std::wstring(unix_path, unix_path + std::strlen(unix_path));
}

std::wstring slashes_to_backslashes(std::wstring path) {
    for (wchar_t& c : path) {
        if (c == L'/') c = L'\\';
    }
    return path;
}

void set_string(HKEY root, const wchar_t* key, const wchar_t* name, const std::wstring& value) {
    HKEY handle;
    ASSERT_EQ(::RegCreateKeyExW(root, key, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &handle, nullptr),
              ERROR_SUCCESS);
    ::RegSetValueExW(handle, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                     static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    ::RegCloseKey(handle);
}

void set_number(const wchar_t* key, const wchar_t* name, DWORD value) {
    HKEY handle;
    ASSERT_EQ(::RegCreateKeyExW(HKEY_CURRENT_USER, key, 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                                &handle, nullptr),
              ERROR_SUCCESS);
    ::RegSetValueExW(handle, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
    ::RegCloseKey(handle);
}

void write_bytes(const std::wstring& path, const std::vector<std::uint8_t>& bytes) {
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    ::CloseHandle(file);
}

std::vector<std::uint8_t> sfx_archive() {
    test::Gen3Archive kub;
    kub.sfx = test::sfx_stub(4096);
    kub.items.resize(1);
    kub.items[0].name = "inside.txt";
    return test::build(kub);
}

struct Started {
    std::wstring parameters;
    std::wstring folder;
};

std::string narrow(const std::wstring& text) {
    std::string out;
    for (wchar_t c : text) out += c < 0x80 ? static_cast<char>(c) : '?';
    return out;
}

std::wstring test_name() {
    const char* name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
    return std::wstring(name, name + std::strlen(name));
}

class MenuIntegrationTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        ASSERT_EQ(register_in_process_server(kShellExtensionClassText, kubext_dll_path()),
                  ERROR_SUCCESS);
        const std::wstring archiver = slashes_to_backslashes(windows_path(KUB_FAKE_ARCHIVER));
        set_string(HKEY_LOCAL_MACHINE,
                   L"Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Korvex.exe", nullptr,
                   archiver);
        set_string(HKEY_LOCAL_MACHINE, L"Software\\Korvex", L"exe64", archiver);
    }
    static void TearDownTestSuite() {
        unregister_in_process_server(kShellExtensionClassText);
        ::RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, L"Software\\Korvex", L"exe64");
        ::RegDeleteTreeW(HKEY_LOCAL_MACHINE,
                         L"Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Korvex.exe");
    }

    void SetUp() override {
        ASSERT_TRUE(apartment_.ok());
        for (const wchar_t* key : {L"Software\\Korvex\\Setup", L"Software\\Korvex\\Profiles"}) {
            ::RegDeleteTreeW(HKEY_CURRENT_USER, key);
        }
        folder_ = scratch_.path() + L"\\我的 文件";
        // A run cut short may have left the folder behind.
        ASSERT_TRUE(::CreateDirectoryW(folder_.c_str(), nullptr) ||
                    ::GetLastError() == ERROR_ALREADY_EXISTS);
        archive_ = folder_ + L"\\档案 一.kub";
        zip_ = folder_ + L"\\备份.zip";
        document_ = folder_ + L"\\报告 final.txt";
        sfx_ = folder_ + L"\\安装 程序.exe";
        write_bytes(archive_, {'x'});
        write_bytes(zip_, {'x'});
        write_bytes(document_, {'d'});
        write_bytes(sfx_, sfx_archive());
        log_ = scratch_.path() + L"\\started.log";
        ::SetEnvironmentVariableW(L"KUB_FAKE_ARCHIVER_LOG", log_.c_str());
    }
    void TearDown() override {
        for (const wchar_t* key : {L"Software\\Korvex\\Setup", L"Software\\Korvex\\Profiles"}) {
            ::RegDeleteTreeW(HKEY_CURRENT_USER, key);
        }
    }

    ComPtr<IContextMenu> menu_for(const std::vector<std::wstring>& paths,
                                  const std::wstring& drop_folder = {}) {
        ComPtr<IShellExtInit> init;
        EXPECT_EQ(::CoCreateInstance(kShellExtensionClass, nullptr, CLSCTX_INPROC_SERVER,
                                     IID_IShellExtInit, reinterpret_cast<void**>(init.GetAddressOf())),
                  S_OK);
        if (!init) return nullptr;
        HdropDataObject* data = HdropDataObject::create(paths);
        ItemList folder = drop_folder.empty() ? nullptr : folder_item_list(drop_folder);
        EXPECT_EQ(init->Initialize(folder.get(), data, nullptr), S_OK);
        data->Release();
        ComPtr<IContextMenu> menu;
        init.As(&menu);
        return menu;
    }

    // Texts and identifiers of a menu's items, in order.
    static std::vector<std::pair<UINT, std::wstring>> items_of(HMENU menu) {
        std::vector<std::pair<UINT, std::wstring>> items;
        for (int i = 0; i < ::GetMenuItemCount(menu); ++i) {
            wchar_t text[256] = {};
            MENUITEMINFOW info{};
            info.cbSize = sizeof info;
            info.fMask = MIIM_ID | MIIM_STRING;
            info.dwTypeData = text;
            info.cch = 255;
            ::GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &info);
            items.emplace_back(info.wID, text);
        }
        return items;
    }

    Started invoke(IContextMenu* menu, UINT offset) {
        ::DeleteFileW(log_.c_str());
        CMINVOKECOMMANDINFO info{};
        info.cbSize = sizeof info;
        info.lpVerb = MAKEINTRESOURCEA(offset);
        info.nShow = SW_SHOWNORMAL;
        EXPECT_EQ(menu->InvokeCommand(&info), S_OK);
        return wait_for_start();
    }

    Started wait_for_start() {
        for (int i = 0; i < 300; ++i) {
            HANDLE file = ::CreateFileW(log_.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                        OPEN_EXISTING, 0, nullptr);
            if (file != INVALID_HANDLE_VALUE) {
                std::wstring text(::GetFileSize(file, nullptr) / sizeof(wchar_t), L'\0');
                DWORD read = 0;
                ::ReadFile(file, text.data(), static_cast<DWORD>(text.size() * sizeof(wchar_t)),
                           &read, nullptr);
                ::CloseHandle(file);
                const std::size_t split = text.rfind(L'\n');
                if (split == std::wstring::npos) return {text, {}};
                return {text.substr(0, split), text.substr(split + 1)};
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        ADD_FAILURE() << "the fake archiver was not started";
        return {};
    }

    Apartment apartment_;
    // One folder per test: the shell removes a folder tree asynchronously enough that reusing a
    // name can meet the previous test's files.
    ScratchFolder scratch_{L"kubmenu-" + test_name()};
    std::wstring folder_, archive_, zip_, document_, sfx_, log_;
};

TEST_F(MenuIntegrationTest, DocumentMenuAndItsAddCommands) {
    set_string(HKEY_CURRENT_USER, L"Software\\Korvex\\Profiles\\0", L"Name", L"最佳 Best");
    set_number(L"Software\\Korvex\\Profiles\\0", L"AddToMenu", 1);
    set_number(L"Software\\Korvex\\Profiles\\0", L"ImmExec", 1);
    ComPtr<IContextMenu> menu = menu_for({document_});
    ASSERT_TRUE(menu);
    HMENU popup = ::CreatePopupMenu();
    EXPECT_EQ(menu->QueryContextMenu(popup, 0, kFirstId, kFirstId + 1000, CMF_NORMAL),
              MAKE_HRESULT(SEVERITY_SUCCESS, 0, 5));
    const std::vector<std::pair<UINT, std::wstring>> expected = {
        {kFirstId, L"添加到压缩文件(&A)..."},
        {kFirstId + 1, L"添加到 \"报告 final.kub\"(&T)"},
        {kFirstId + 2, L"最佳 Best"},
        {kFirstId + 3, L"压缩并 E-mail..."},
        {kFirstId + 4, L"压缩到 \"报告 final.kub\" 并 E-mail"},
    };
    EXPECT_EQ(items_of(popup), expected);
    ::DestroyMenu(popup);

    const std::wstring quoted_document = L"\"" + document_ + L"\"";
    struct Case {
        UINT offset;
        std::wstring parameters;
    };
    const Case cases[] = {
        {0, L"a -ep1  -scul -r0 -iext -- . " + quoted_document},
        {1, L"a -ep1  -scul -r0 -iext -- \"报告 final.kub\" " + quoted_document},
        {2, L"a \"-cp最佳 Best\" -ep1  -scul -r0 -iext -- \"报告 final.kub\" " + quoted_document},
        {3, L"a -ieml. -ep1  -scul -r0 -iext -- . " + quoted_document},
    };
    for (const Case& c : cases) {
        const Started started = invoke(menu.Get(), c.offset);
        EXPECT_EQ(started.parameters, c.parameters) << c.offset << ": " << narrow(started.parameters);
        EXPECT_EQ(started.folder, folder_);
    }
    // E-mail: the archive is made inside a fresh temporary folder, which is also the working folder.
    const Started mail = invoke(menu.Get(), 4);
    EXPECT_NE(mail.folder.find(L"Kub$ML"), std::wstring::npos) << narrow(mail.folder);
    EXPECT_EQ(mail.parameters, L"a -ieml. -ep1  -scul -r0 -iext -- \"" + mail.folder +
                                   L"\\报告 final.kub\" " + quoted_document);
    EXPECT_NE(::GetFileAttributesW(mail.folder.c_str()) & FILE_ATTRIBUTE_DIRECTORY, 0u);
}

TEST_F(MenuIntegrationTest, ArchiveMenuExtractionCommandsAndVerbs) {
    set_number(L"Software\\Korvex\\Setup\\MenuItems", L"Test", 1);
    set_number(L"Software\\Korvex\\Setup\\MenuItems", L"Convert", 1);
    ComPtr<IContextMenu> menu = menu_for({archive_});
    ASSERT_TRUE(menu);
    HMENU popup = ::CreatePopupMenu();
    EXPECT_EQ(menu->QueryContextMenu(popup, 0, kFirstId, kFirstId + 1000, CMF_NORMAL),
              MAKE_HRESULT(SEVERITY_SUCCESS, 0, 5));
    const std::vector<std::pair<UINT, std::wstring>> expected = {
        {kFirstId, L"解压文件(&A)..."},
        {kFirstId + 1, L"解压到当前文件夹(&X)"},
        {kFirstId + 2, L"解压到 档案 一\\(&E)"},
        {kFirstId + 3, L"测试压缩文件(&I)"},
        {kFirstId + 4, L"转换压缩文件..."},
    };
    EXPECT_EQ(items_of(popup), expected);
    ::DestroyMenu(popup);

    const std::wstring quoted_archive = L"\"" + archive_ + L"\" ";
    const std::wstring cases[] = {
        L"x -iext -ow -ver -- " + quoted_archive + L"\"?\\\"",
        L"x -iext -ow -ver -- " + quoted_archive + L"\"" + folder_ + L"\\\"",
        L"x -iext -ow -ver -- " + quoted_archive + L"\"" + folder_ + L"\\档案 一\\\"",
        L"t -iext -- " + quoted_archive,
        L"cv -iext -- " + quoted_archive,
    };
    for (UINT offset = 0; offset < 5; ++offset) {
        const Started started = invoke(menu.Get(), offset);
        EXPECT_EQ(started.parameters, cases[offset]) << offset << ": " << narrow(started.parameters);
        EXPECT_EQ(started.folder, folder_);
    }

    // Verbs and help texts, ANSI and wide; validation queries write nothing.
    char ansi[100];
    wchar_t wide[100];
    EXPECT_EQ(menu->GetCommandString(2, GCS_VERBA, nullptr, ansi, sizeof ansi), S_OK);
    EXPECT_STREQ(ansi, "Korvex_Extract");
    EXPECT_EQ(menu->GetCommandString(0, GCS_VERBW, nullptr, reinterpret_cast<char*>(wide), 100), S_OK);
    EXPECT_STREQ(wide, L"Korvex_ExtractTo");
    EXPECT_EQ(menu->GetCommandString(3, GCS_HELPTEXTW, nullptr, reinterpret_cast<char*>(wide), 100), S_OK);
    EXPECT_STREQ(wide, L"检查压缩文档的错误");
    EXPECT_EQ(menu->GetCommandString(3, GCS_HELPTEXTA, nullptr, ansi, sizeof ansi), S_OK);
    wchar_t back[100] = {};
    ::MultiByteToWideChar(CP_ACP, 0, ansi, -1, back, 100);
    EXPECT_STREQ(back, L"检查压缩文档的错误");
    std::strcpy(ansi, "untouched");
    EXPECT_EQ(menu->GetCommandString(1, GCS_VALIDATEA, nullptr, ansi, sizeof ansi), S_OK);
    EXPECT_STREQ(ansi, "untouched");
    EXPECT_EQ(menu->GetCommandString(5, GCS_VERBA, nullptr, ansi, sizeof ansi), E_INVALIDARG);

    // An ANSI verb selects its command; a verb of no current command fails.
    ::DeleteFileW(log_.c_str());
    CMINVOKECOMMANDINFO info{};
    info.cbSize = sizeof info;
    info.lpVerb = "Korvex_Test";
    EXPECT_EQ(menu->InvokeCommand(&info), S_OK);
    EXPECT_EQ(wait_for_start().parameters, L"t -iext -- " + quoted_archive);
    set_number(L"Software\\Korvex\\Setup\\MenuItems", L"Test", 0);
    popup = ::CreatePopupMenu();
    menu->QueryContextMenu(popup, 0, kFirstId, kFirstId + 1000, CMF_NORMAL);
    ::DestroyMenu(popup);
    EXPECT_EQ(menu->InvokeCommand(&info), E_FAIL);
}

TEST_F(MenuIntegrationTest, TwoArchivesSelfExtractorAndRightDrag) {
    ComPtr<IContextMenu> both = menu_for({archive_, zip_});
    HMENU popup = ::CreatePopupMenu();
    EXPECT_EQ(both->QueryContextMenu(popup, 0, kFirstId, kFirstId + 1000, CMF_NORMAL),
              MAKE_HRESULT(SEVERITY_SUCCESS, 0, 8));
    ::DestroyMenu(popup);
    // Offsets: 5 6 8 7 0 1 3 2; extraction of each is offset 6.
    Started started = invoke(both.Get(), 6);
    EXPECT_EQ(started.parameters, L"x -iext -ow -ver -an=\"" + archive_ + L"\" -ad -- \"" + zip_ +
                                      L"\" \"" + folder_ + L"\\\"");

    ComPtr<IContextMenu> sfx = menu_for({sfx_});
    popup = ::CreatePopupMenu();
    EXPECT_EQ(sfx->QueryContextMenu(popup, 0, kFirstId, kFirstId + 1000, CMF_NORMAL),
              MAKE_HRESULT(SEVERITY_SUCCESS, 0, 8));
    EXPECT_EQ(items_of(popup)[7].second, L"用 Korvex 打开(&W)");
    ::DestroyMenu(popup);
    started = invoke(sfx.Get(), 7);
    EXPECT_EQ(started.parameters, L"\"" + sfx_ + L"\" ");

    const std::wstring target = scratch_.path() + L"\\输出 Out";
    ASSERT_TRUE(::CreateDirectoryW(target.c_str(), nullptr) ||
                ::GetLastError() == ERROR_ALREADY_EXISTS);
    ComPtr<IContextMenu> drag = menu_for({archive_}, target);
    popup = ::CreatePopupMenu();
    EXPECT_EQ(drag->QueryContextMenu(popup, 0, kFirstId, kFirstId + 1000, CMF_NORMAL),
              MAKE_HRESULT(SEVERITY_SUCCESS, 0, 3));
    EXPECT_EQ(items_of(popup)[2].second, L"解压到 输出 Out\\档案 一\\(&E)");
    ::DestroyMenu(popup);
    started = invoke(drag.Get(), 2);
    EXPECT_EQ(started.parameters, L"x -iext -ow -ver -- \"" + archive_ + L"\" \"" + target +
                                      L"\\档案 一\\\"");
}

TEST_F(MenuIntegrationTest, CascadedMenuAndDefaultOnly) {
    set_number(L"Software\\Korvex\\Setup", L"CascadedMenu", 1);
    ComPtr<IContextMenu> menu = menu_for({archive_});
    HMENU popup = ::CreatePopupMenu();
    ::AppendMenuW(popup, MF_STRING, 1, L"打开");
    EXPECT_EQ(menu->QueryContextMenu(popup, 1, kFirstId, kFirstId + 1000, CMF_NORMAL),
              MAKE_HRESULT(SEVERITY_SUCCESS, 0, 3));
    ASSERT_EQ(::GetMenuItemCount(popup), 2);
    EXPECT_EQ(items_of(popup)[1], std::make_pair(kFirstId, std::wstring(L"Korvex")));
    HMENU sub = ::GetSubMenu(popup, 1);
    ASSERT_NE(sub, nullptr);
    EXPECT_EQ(items_of(sub).size(), 3u);
    EXPECT_EQ(items_of(sub)[0].first, kFirstId);
    ::DestroyMenu(popup);

    popup = ::CreatePopupMenu();
    EXPECT_EQ(menu->QueryContextMenu(popup, 0, kFirstId, kFirstId + 1000, CMF_DEFAULTONLY),
              MAKE_HRESULT(SEVERITY_SUCCESS, 0, 0));
    EXPECT_EQ(::GetMenuItemCount(popup), 0);
    ::DestroyMenu(popup);
}

TEST_F(MenuIntegrationTest, DropOntoAnArchive) {
    ComPtr<IPersistFile> file;
    ASSERT_EQ(::CoCreateInstance(kShellExtensionClass, nullptr, CLSCTX_INPROC_SERVER,
                                 IID_IPersistFile, reinterpret_cast<void**>(file.GetAddressOf())),
              S_OK);
    const std::wstring target = folder_ + L"\\目标 档案.kub";
    ASSERT_EQ(file->Load(target.c_str(), 0), S_OK);
    ComPtr<IDropTarget> drop;
    ASSERT_EQ(file.As(&drop), S_OK);
    HdropDataObject* data = HdropDataObject::create({document_, sfx_});
    DWORD effect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
    EXPECT_EQ(drop->DragEnter(data, MK_LBUTTON, POINTL{}, &effect), S_OK);
    EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_COPY));
    effect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
    EXPECT_EQ(drop->DragOver(MK_LBUTTON | MK_SHIFT, POINTL{}, &effect), S_OK);
    EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_MOVE));

    const std::wstring tail = L"-ag- -ep1  -scul -r0 -iext -- \"" + target + L"\" \"" +
                              document_ + L"\" \"" + sfx_ + L"\"";
    for (DWORD keys : {DWORD{MK_LBUTTON}, DWORD{MK_LBUTTON | MK_SHIFT}}) {
        ::DeleteFileW(log_.c_str());
        effect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
        EXPECT_EQ(drop->Drop(data, keys, POINTL{}, &effect), S_OK);
        const Started started = wait_for_start();
        EXPECT_EQ(started.parameters, ((keys & MK_SHIFT) ? L"m " : L"a ") + tail)
            << narrow(started.parameters);
        EXPECT_EQ(started.folder, folder_);
    }
    data->Release();
    HdropDataObject* empty = HdropDataObject::create({}, false);
    effect = DROPEFFECT_COPY;
    EXPECT_EQ(drop->Drop(empty, MK_LBUTTON, POINTL{}, &effect), E_FAIL);
    empty->Release();
}

TEST_F(MenuIntegrationTest, CommentDumpWaitsForTheArchiver) {
    const auto start = std::chrono::steady_clock::now();
    const std::optional<std::u16string> text =
        run_comment_dump(reinterpret_cast<const char16_t*>(archive_.c_str()), launch_archiver);
    const auto elapsed = std::chrono::steady_clock::now() - start;
    ASSERT_TRUE(text.has_value());
    EXPECT_EQ(*text, u"\uFEFF假注释 comment\r\n");
    EXPECT_GE(elapsed, std::chrono::milliseconds(600));
    const Started started = wait_for_start();
    const std::size_t dump = started.parameters.rfind(L" \"");
    ASSERT_NE(dump, std::wstring::npos);
    EXPECT_EQ(started.parameters.substr(0, dump), L"cw -y -scuc \"" + archive_ + L"\"");
    const std::wstring dump_file = started.parameters.substr(dump + 2, started.parameters.size() - dump - 3);
    EXPECT_NE(dump_file.find(L"Kub$CS"), std::wstring::npos);
    EXPECT_EQ(::GetFileAttributesW(dump_file.c_str()), INVALID_FILE_ATTRIBUTES);
}

// Not a check: shows the menu on the display for the screenshot script (KUB_SHOW_MENU_SECONDS).
TEST_F(MenuIntegrationTest, ShowForScreenshot) {
    const char* seconds = std::getenv("KUB_SHOW_MENU_SECONDS");
    if (seconds == nullptr) GTEST_SKIP() << "only for menu_screenshot.sh";
    const char* mode = std::getenv("KUB_MENU_MODE");
    const bool cascaded = mode != nullptr && std::string(mode) == "cascaded";
    set_number(L"Software\\Korvex\\Setup", L"CascadedMenu", cascaded ? 1 : 0);
    set_number(L"Software\\Korvex\\Setup\\MenuItems", L"Test", 1);
    // With a language folder (english_screenshots.sh) the extension loads its translation, and
    // the host's own items and the profile read in English too.
    const char* language_folder = std::getenv("KUB_LANGUAGE_FOLDER");
    const bool english = language_folder != nullptr;
    if (english) {
        const std::string folder(language_folder);
        set_string(HKEY_CURRENT_USER, L"Software\\Korvex\\General", L"LanguageFolder",
                   std::wstring(folder.begin(), folder.end()));
    }
    set_string(HKEY_CURRENT_USER, L"Software\\Korvex\\Profiles\\0", L"Name",
               english ? L"Best compression" : L"最佳压缩 Best");
    set_number(L"Software\\Korvex\\Profiles\\0", L"AddToMenu", 1);
    // KUB_MENU_ARCHIVE_ONLY: the menu of one archive, with the extraction commands.
    ComPtr<IContextMenu> menu = std::getenv("KUB_MENU_ARCHIVE_ONLY")
                                    ? menu_for({archive_})
                                    : menu_for({archive_, document_});
    HMENU popup = ::CreatePopupMenu();
    ::AppendMenuW(popup, MF_STRING, 1, english ? L"&Open" : L"打开(&O)");
    ::AppendMenuW(popup, MF_SEPARATOR, 0, nullptr);
    menu->QueryContextMenu(popup, 2, kFirstId, kFirstId + 1000, CMF_NORMAL);
    ::AppendMenuW(popup, MF_SEPARATOR, 0, nullptr);
    ::AppendMenuW(popup, MF_STRING, 2, english ? L"P&roperties" : L"属性(&R)");
    if (english) {
        ::RegDeleteKeyValueW(HKEY_CURRENT_USER, L"Software\\Korvex\\General", L"LanguageFolder");
        // Every item the extension added reads in English.
        for (int i = 0; i < ::GetMenuItemCount(popup); ++i) {
            wchar_t text[256] = {};
            ::GetMenuStringW(popup, static_cast<UINT>(i), text, 256, MF_BYPOSITION);
            for (const wchar_t* c = text; *c; ++c)
                EXPECT_FALSE(*c >= 0x3000 && *c <= 0x9FFF) << "Chinese in menu item " << i;
        }
    }

    HWND window = ::CreateWindowExW(0, L"STATIC", L"menu", WS_POPUP | WS_VISIBLE, 0, 0, 1, 1,
                                    nullptr, nullptr, nullptr, nullptr);
    ::SetForegroundWindow(window);
    const UINT milliseconds = static_cast<UINT>(std::atoi(seconds)) * 1000;
    // Ends the menu loop after the photograph; in cascaded mode first opens the submenu.
    ::SetTimer(nullptr, 0, milliseconds, [](HWND, UINT, UINT_PTR id, DWORD) {
        ::KillTimer(nullptr, id);
        ::EndMenu();
    });
    if (cascaded) {
        ::SetTimer(nullptr, 0, 1500, [](HWND, UINT, UINT_PTR id, DWORD) {
            ::KillTimer(nullptr, id);
            for (BYTE key : {BYTE{VK_DOWN}, BYTE{VK_DOWN}, BYTE{VK_RIGHT}}) {
                ::keybd_event(key, 0, 0, 0);
                ::keybd_event(key, 0, KEYEVENTF_KEYUP, 0);
            }
        });
    }
    ::TrackPopupMenu(popup, TPM_LEFTALIGN | TPM_TOPALIGN, 40, 40, 0, window, nullptr);
    ::DestroyMenu(popup);
    ::DestroyWindow(window);
}

}  // namespace
}  // namespace kub::wine_host

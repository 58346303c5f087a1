// The archive information page and the comment page as Explorer gets them: AddPages of the
// registered Kubext.dll hands its pages to a real property sheet, whose controls are read back.
// The page procedure is also driven directly with chosen summaries for values no small archive
// produces.
#include <windows.h>

#include <commctrl.h>
#include <prsht.h>
#include <shlobj.h>
#include <wrl/client.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <memory>
#include <string>
#include <vector>

#include "common/os/win32/wide_cast.h"
#include "resources/info_page_ids.h"
#include "shellext/win32/pages/info_pages.h"
#include "formats/format_registry.h"
#include "tests/support/writers/kub_writer.h"
#include "tests/support/writers/zip_builder.h"
#include "tests/wine/host/hdrop_data_object.h"
#include "tests/wine/host/shell_host.h"
#include "tests/wine/host/window_photograph.h"

namespace kub::wine_host {
namespace {

using Microsoft::WRL::ComPtr;

constexpr wchar_t kAppPathsKey[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Korvex.exe";

std::wstring archiver_path() {
    std::wstring path =
        L"Z:" + std::wstring(KUB_FAKE_ARCHIVER, KUB_FAKE_ARCHIVER + std::strlen(KUB_FAKE_ARCHIVER));
    for (wchar_t& c : path) {
        if (c == L'/') c = L'\\';
    }
    return path;
}

void write_file(const std::wstring& path, const void* bytes, std::size_t size) {
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    ::WriteFile(file, bytes, static_cast<DWORD>(size), &written, nullptr);
    ::CloseHandle(file);
}
void write_file(const std::wstring& path, const test::Bytes& bytes) {
    write_file(path, bytes.data(), bytes.size());
}
void write_file(const std::wstring& path, const std::string& bytes) {
    write_file(path, bytes.data(), bytes.size());
}

void pump_messages(DWORD milliseconds) {
    const DWORD start = ::GetTickCount();
    do {
        MSG message;
        while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&message);
            ::DispatchMessageW(&message);
        }
        ::Sleep(10);
    } while (::GetTickCount() - start < milliseconds);
}

BOOL CALLBACK collect_page(HPROPSHEETPAGE page, LPARAM pages) {
    reinterpret_cast<std::vector<HPROPSHEETPAGE>*>(pages)->push_back(page);
    return TRUE;
}

BOOL CALLBACK refuse_page(HPROPSHEETPAGE, LPARAM refused) {
    ++*reinterpret_cast<int*>(refused);
    return FALSE;
}

// What one page shows.
struct PageView {
    std::vector<std::wstring> text;  // by control id - 4101
    std::vector<bool> visible;
    std::vector<bool> bold;  // shares the title's font
};

constexpr int kFirstId = KUB_INFO_TITLE;
constexpr int kLastId = KUB_INFO_KUB_ROWS_LINE;

PageView view_page(HWND page) {
    PageView view;
    HFONT title_font =
        reinterpret_cast<HFONT>(::SendDlgItemMessageW(page, KUB_INFO_TITLE, WM_GETFONT, 0, 0));
    for (int id = kFirstId; id <= kLastId; ++id) {
        std::vector<wchar_t> buffer(40000, L'\0');
        ::GetDlgItemTextW(page, id, buffer.data(), static_cast<int>(buffer.size()));
        view.text.emplace_back(buffer.data());
        HWND control = ::GetDlgItem(page, id);
        view.visible.push_back(control != nullptr &&
                               (::GetWindowLongW(control, GWL_STYLE) & WS_VISIBLE) != 0);
        view.bold.push_back(reinterpret_cast<HFONT>(::SendMessageW(control, WM_GETFONT, 0, 0)) ==
                            title_font);
    }
    return view;
}

// A modeless sheet over the pages, shown on the session's display, each page looked at in turn.
std::vector<PageView> show_sheet(std::vector<HPROPSHEETPAGE> pages, const std::wstring& name) {
    std::vector<PageView> views;
    PROPSHEETHEADERW header{};
    header.dwSize = sizeof header;
    header.dwFlags = PSH_MODELESS | PSH_NOAPPLYNOW;
    // The host's own caption, in the language the pages are shown in.
    header.pszCaption =
        ::GetEnvironmentVariableW(L"KUB_LANGUAGE_FOLDER", nullptr, 0) ? L"Properties" : L"属性";
    header.nPages = static_cast<UINT>(pages.size());
    header.phpage = pages.data();
    HWND sheet = reinterpret_cast<HWND>(::PropertySheetW(&header));
    EXPECT_NE(sheet, nullptr);
    if (sheet == nullptr) return views;
    ::SetWindowPos(sheet, HWND_TOP, 20, 20, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
    for (int i = 0; i < static_cast<int>(pages.size()); ++i) {
        ::SendMessageW(sheet, PSM_SETCURSEL, static_cast<WPARAM>(i), 0);
        pump_messages(300);
        HWND page = reinterpret_cast<HWND>(::SendMessageW(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
        views.push_back(view_page(page));
        wine_host::photograph(sheet, name + L"_" + std::to_wstring(i + 1));
    }
    ::DestroyWindow(sheet);
    pump_messages(50);
    return views;
}

const std::wstring& text(const PageView& v, int id) {
    return v.text.at(static_cast<std::size_t>(id - kFirstId));
}
bool visible(const PageView& v, int id) {
    return v.visible.at(static_cast<std::size_t>(id - kFirstId));
}
bool bold(const PageView& v, int id) {
    return v.bold.at(static_cast<std::size_t>(id - kFirstId));
}

// Every value row of the information page, as a person reads it.
struct PageTexts {
    const wchar_t* title;
    const wchar_t* version;
    const wchar_t* hosts;
    const wchar_t* files;
    const wchar_t* total_size;
    const wchar_t* archive_size;
    const wchar_t* ratio;
    const wchar_t* sfx_size;
    const wchar_t* comment;
    const wchar_t* password;
    // KUB archives only; null where the rows are hidden.
    const wchar_t* dictionary = nullptr;
    const wchar_t* recovery = nullptr;
    const wchar_t* lock = nullptr;
};

void expect_page(const PageView& v, const PageTexts& expected) {
    const std::pair<int, const wchar_t*> rows[] = {
        {KUB_INFO_TITLE, expected.title},
        {KUB_INFO_VERSION, expected.version},
        {KUB_INFO_HOSTS, expected.hosts},
        {KUB_INFO_FILES, expected.files},
        {KUB_INFO_TOTAL_SIZE, expected.total_size},
        {KUB_INFO_ARCHIVE_SIZE, expected.archive_size},
        {KUB_INFO_RATIO, expected.ratio},
        {KUB_INFO_SFX_SIZE, expected.sfx_size},
        {KUB_INFO_COMMENT, expected.comment},
        {KUB_INFO_PASSWORD, expected.password},
        {KUB_INFO_DICTIONARY, expected.dictionary ? expected.dictionary : L""},
        {KUB_INFO_RECOVERY, expected.recovery ? expected.recovery : L""},
        {KUB_INFO_LOCK, expected.lock ? expected.lock : L""},
    };
    for (const auto& [id, value] : rows) EXPECT_EQ(text(v, id), value) << "control " << id;
}

void expect_kub_rows(const PageView& v, bool shown) {
    for (int id : {KUB_INFO_DICTIONARY_LABEL, KUB_INFO_RECOVERY_LABEL, KUB_INFO_LOCK_LABEL,
                   KUB_INFO_KUB_ROWS_LINE}) {
        EXPECT_EQ(visible(v, id), shown) << id;
    }
    if (!shown) {
        for (int id : {KUB_INFO_DICTIONARY, KUB_INFO_RECOVERY, KUB_INFO_LOCK})
            EXPECT_EQ(text(v, id), L"") << id;
    }
}

std::wstring comment_of(const PageView& comment_page) {
    return text(comment_page, KUB_COMMENT_EDIT);
}

class InfoPagesTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        ASSERT_EQ(register_in_process_server(kShellExtensionClassText, kubext_dll_path()),
                  ERROR_SUCCESS);
        HKEY key;
        ASSERT_EQ(::RegCreateKeyExW(HKEY_LOCAL_MACHINE, kAppPathsKey, 0, nullptr, 0, KEY_SET_VALUE,
                                    nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        const std::wstring archiver = archiver_path();
        ::RegSetValueExW(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(archiver.c_str()),
                         static_cast<DWORD>((archiver.size() + 1) * sizeof(wchar_t)));
        ::RegCloseKey(key);
        INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES};
        ::InitCommonControlsEx(&controls);
    }
    static void TearDownTestSuite() {
        unregister_in_process_server(kShellExtensionClassText);
        ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, kAppPathsKey);
    }
    void SetUp() override {
        ASSERT_TRUE(apartment_.ok());
        ::SetEnvironmentVariableW(L"KUB_FAKE_ARCHIVER_LOG",
                                  (scratch_.path() + L"\\started.log").c_str());
    }
    void TearDown() override { ::CoFreeUnusedLibraries(); }

    // AddPages of a fresh object initialised with `paths`; the pages it handed over.
    std::vector<HPROPSHEETPAGE> pages_for(const std::vector<std::wstring>& paths,
                                          LPFNSVADDPROPSHEETPAGE callback = collect_page,
                                          LPARAM callback_parameter = 0) {
        std::vector<HPROPSHEETPAGE> pages;
        ComPtr<IShellExtInit> init;
        EXPECT_EQ(
            ::CoCreateInstance(kShellExtensionClass, nullptr, CLSCTX_INPROC_SERVER,
                               IID_IShellExtInit, reinterpret_cast<void**>(init.GetAddressOf())),
            S_OK);
        if (!init) return pages;
        HdropDataObject* data = HdropDataObject::create(paths);
        init->Initialize(nullptr, data, nullptr);
        data->Release();
        ComPtr<IShellPropSheetExt> sheet_extension;
        EXPECT_EQ(init.As(&sheet_extension), S_OK);
        if (callback == collect_page) callback_parameter = reinterpret_cast<LPARAM>(&pages);
        EXPECT_EQ(sheet_extension->AddPages(callback, callback_parameter), S_OK);
        return pages;
    }

    std::wstring file(const std::wstring& name) { return scratch_.path() + L"\\" + name; }

    Apartment apartment_;
    ScratchFolder scratch_{L"info_pages"};
};

std::string zip_with_comment(const std::string& comment) {
    test::ZipLayout layout;
    layout.entries.resize(1);
    layout.entries[0].name = "a.txt";
    layout.entries[0].data = "data";
    layout.archive_comment = comment;
    return test::build_zip(layout);
}

TEST_F(InfoPagesTest, ZipWithCommentHidesTheKubRowsAndShowsTheComment) {
    const std::wstring path = file(L"注释.zip");
    write_file(path, zip_with_comment("Hello"));
    std::vector<PageView> views = show_sheet(pages_for({path}), L"info_zip_comment");
    ASSERT_EQ(views.size(), 2u);
    const PageView& v = views[0];
    EXPECT_EQ(text(v, KUB_INFO_TITLE), L"ZIP 压缩文件");
    EXPECT_EQ(text(v, KUB_INFO_FILES), L"1");
    EXPECT_EQ(text(v, KUB_INFO_RATIO), L"100%");
    EXPECT_EQ(text(v, KUB_INFO_SFX_SIZE), L"0 字节");
    EXPECT_EQ(text(v, KUB_INFO_COMMENT), L"存在");
    EXPECT_TRUE(bold(v, KUB_INFO_COMMENT));
    EXPECT_EQ(text(v, KUB_INFO_PASSWORD), L"不存在");
    EXPECT_FALSE(bold(v, KUB_INFO_PASSWORD));
    expect_kub_rows(v, false);
    expect_page(v, {.title = L"ZIP 压缩文件", .version = L"2.0", .hosts = L"DOS", .files = L"1",
                    .total_size = L"4", .archive_size = L"4", .ratio = L"100%",
                    .sfx_size = L"0 字节", .comment = L"存在", .password = L"不存在"});
    EXPECT_EQ(comment_of(views[1]), L"Hello");
}

// A solid self-extracting KUB archive with a recovery record and a comment.
test::Bytes solid_sfx_kub() {
    test::Gen2Archive archive;
    archive.sfx = test::sfx_stub(5000);
    archive.main_flags = 0x0008 | 0x0040;  // solid, recovery record of unknown size
    test::Gen2Item comment;
    comment.type = 0x7A;
    comment.name = "CMT";
    comment.packed_size = comment.unpacked_size = 12;
    archive.items.push_back(comment);
    for (const char* name : {"a.txt", "b.txt"}) {
        test::Gen2Item item;
        item.name = name;
        item.packed_size = 50;
        item.unpacked_size = 100;
        item.version = 29;
        item.flags = 6 << 5;  // 4096 KB dictionary
        archive.items.push_back(item);
    }
    return test::build(archive);
}

TEST_F(InfoPagesTest, SolidSelfExtractingKubWithItsCommentFromTheArchiver) {
    const std::wstring path = file(L"安装 程序.exe");
    write_file(path, solid_sfx_kub());
    std::vector<PageView> views = show_sheet(pages_for({path}), L"info_solid_sfx_kub");
    ASSERT_EQ(views.size(), 2u);
    const PageView& v = views[0];
    EXPECT_EQ(text(v, KUB_INFO_TITLE), L"固实的 自解压格式 KUB 压缩文件");
    EXPECT_EQ(text(v, KUB_INFO_VERSION), L"2.9");
    EXPECT_EQ(text(v, KUB_INFO_FILES), L"2");
    EXPECT_EQ(text(v, KUB_INFO_TOTAL_SIZE), L"200");
    EXPECT_EQ(text(v, KUB_INFO_ARCHIVE_SIZE), L"100");
    EXPECT_EQ(text(v, KUB_INFO_RATIO), L"50%");
    EXPECT_EQ(text(v, KUB_INFO_SFX_SIZE), L"5,000 字节");
    EXPECT_EQ(text(v, KUB_INFO_DICTIONARY), L"4 MB");
    EXPECT_EQ(text(v, KUB_INFO_RECOVERY), L"存在");
    EXPECT_TRUE(bold(v, KUB_INFO_RECOVERY));
    EXPECT_EQ(text(v, KUB_INFO_LOCK), L"不存在");
    EXPECT_FALSE(bold(v, KUB_INFO_LOCK));
    expect_kub_rows(v, true);
    expect_page(v, {.title = L"固实的 自解压格式 KUB 压缩文件", .version = L"2.9", .hosts = L"Windows",
                    .files = L"2", .total_size = L"200", .archive_size = L"100", .ratio = L"50%",
                    .sfx_size = L"5,000 字节", .comment = L"存在", .password = L"不存在",
                    .dictionary = L"4 MB", .recovery = L"存在", .lock = L"不存在"});
    // The fake archiver writes its dump with a byte order mark.
    EXPECT_EQ(comment_of(views[1]), L"假注释 comment\r\n");
}

// With a language folder (english_screenshots.sh runs this alone, so the library loads its
// translation on its first use here) the pages read in English.
TEST_F(InfoPagesTest, EnglishPagesFromTheLanguageFolder) {
    wchar_t folder[MAX_PATH];
    const DWORD length = ::GetEnvironmentVariableW(L"KUB_LANGUAGE_FOLDER", folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) GTEST_SKIP() << "only for english_screenshots.sh";
    ::RegSetKeyValueW(HKEY_CURRENT_USER, L"Software\\Korvex\\General", L"LanguageFolder", REG_SZ,
                      folder, (length + 1) * sizeof(wchar_t));
    const std::wstring path = file(L"notes.zip");
    write_file(path, zip_with_comment("Hello"));
    std::vector<PageView> views = show_sheet(pages_for({path}), L"english_info_zip_comment");
    ::RegDeleteKeyValueW(HKEY_CURRENT_USER, L"Software\\Korvex\\General", L"LanguageFolder");
    ASSERT_EQ(views.size(), 2u);
    expect_page(views[0], {.title = L"ZIP archive", .version = L"2.0", .hosts = L"DOS",
                           .files = L"1", .total_size = L"4", .archive_size = L"4",
                           .ratio = L"100%", .sfx_size = L"0 bytes", .comment = L"Present",
                           .password = L"Absent"});
    EXPECT_EQ(comment_of(views[1]), L"Hello");

    const std::wstring kub = file(L"setup.exe");
    write_file(kub, solid_sfx_kub());
    ::RegSetKeyValueW(HKEY_CURRENT_USER, L"Software\\Korvex\\General", L"LanguageFolder", REG_SZ,
                      folder, (length + 1) * sizeof(wchar_t));
    views = show_sheet(pages_for({kub}), L"english_info_solid_sfx_kub");
    ::RegDeleteKeyValueW(HKEY_CURRENT_USER, L"Software\\Korvex\\General", L"LanguageFolder");
    ASSERT_EQ(views.size(), 2u);
    expect_page(views[0], {.title = L"Solid self-extracting KUB archive", .version = L"2.9",
                           .hosts = L"Windows", .files = L"2", .total_size = L"200",
                           .archive_size = L"100", .ratio = L"50%", .sfx_size = L"5,000 bytes",
                           .comment = L"Present", .password = L"Absent", .dictionary = L"4 MB",
                           .recovery = L"Present", .lock = L"Absent"});
}

test::Gen3Archive gen3_with_item(std::uint64_t packed, std::uint64_t unpacked) {
    test::Gen3Archive archive;
    archive.items.resize(1);
    archive.items[0].name = "file.bin";
    archive.items[0].packed_size = packed;
    archive.items[0].unpacked_size = unpacked;
    return archive;
}

TEST_F(InfoPagesTest, SecondVolumeOfAKubSet) {
    test::Gen3Archive archive = gen3_with_item(300, 1000);
    archive.archive_flags = 0x0001 | 0x0002;
    archive.volume_number = 1;
    const std::wstring path = file(L"set.part2.kub");
    write_file(path, test::build(archive));
    std::vector<PageView> views = show_sheet(pages_for({path}), L"info_second_volume");
    ASSERT_EQ(views.size(), 1u);
    EXPECT_EQ(text(views[0], KUB_INFO_TITLE), L"KUB 5.0 压缩分卷");
    EXPECT_EQ(text(views[0], KUB_INFO_VERSION), L"5.0");
    EXPECT_EQ(text(views[0], KUB_INFO_RATIO), L"30%");
    expect_page(views[0], {.title = L"KUB 5.0 压缩分卷", .version = L"5.0", .hosts = L"Windows",
                           .files = L"1", .total_size = L"1,000", .archive_size = L"300",
                           .ratio = L"30%", .sfx_size = L"0 字节", .comment = L"不存在",
                           .password = L"不存在", .dictionary = L"128 KB", .recovery = L"不存在",
                           .lock = L"不存在"});
}

TEST_F(InfoPagesTest, RatiosAboveAHundredAndZero) {
    struct Case {
        const wchar_t* name;
        std::uint64_t packed, unpacked;
        const wchar_t *ratio, *total, *archive;
    } cases[] = {{L"ratio_112.kub", 112, 100, L"112%", L"100", L"112"},
                 {L"ratio_0.kub", 0, 0, L"0%", L"0", L"0"}};
    for (const Case& c : cases) {
        const std::wstring path = file(c.name);
        write_file(path, test::build(gen3_with_item(c.packed, c.unpacked)));
        std::vector<PageView> views =
            show_sheet(pages_for({path}), L"info_" + std::wstring(c.name).substr(0, std::wcslen(c.name) - 4));
        ASSERT_EQ(views.size(), 1u);
        expect_page(views[0], {.title = L"KUB 5.0 压缩文件", .version = L"5.0", .hosts = L"Windows",
                               .files = L"1", .total_size = c.total, .archive_size = c.archive,
                               .ratio = c.ratio, .sfx_size = L"0 字节", .comment = L"不存在",
                               .password = L"不存在", .dictionary = L"128 KB",
                               .recovery = L"不存在", .lock = L"不存在"});
    }
}

TEST_F(InfoPagesTest, Zip64Archive) {
    test::ZipLayout layout;
    layout.zip64_end = true;
    layout.entries.resize(2);
    layout.entries[0].name = "one.txt";
    layout.entries[0].data = std::string(1000, 'x');
    layout.entries[1].name = "two.txt";
    layout.entries[1].data = "2";
    const std::wstring path = file(L"big.zip");
    write_file(path, test::build_zip(layout));
    std::vector<PageView> views = show_sheet(pages_for({path}), L"info_zip64");
    ASSERT_EQ(views.size(), 1u);
    EXPECT_EQ(text(views[0], KUB_INFO_FILES), L"2");
    EXPECT_EQ(text(views[0], KUB_INFO_TOTAL_SIZE), L"1,001");
    EXPECT_EQ(text(views[0], KUB_INFO_COMMENT), L"不存在");
    expect_kub_rows(views[0], false);
    expect_page(views[0], {.title = L"ZIP64 压缩文件", .version = L"2.0", .hosts = L"DOS",
                           .files = L"2", .total_size = L"1,001", .archive_size = L"1,001",
                           .ratio = L"100%", .sfx_size = L"0 字节", .comment = L"不存在",
                           .password = L"不存在"});
}

TEST_F(InfoPagesTest, NoPageForTwoFilesNonArchivesAndUnreadableFiles) {
    const std::wstring a = file(L"a.zip"), b = file(L"b.zip"), text_file = file(L"readme.txt");
    write_file(a, zip_with_comment(""));
    write_file(b, zip_with_comment(""));
    write_file(text_file, std::string("just text"));
    EXPECT_TRUE(pages_for({a, b}).empty());
    EXPECT_TRUE(pages_for({text_file}).empty());
    EXPECT_TRUE(pages_for({file(L"missing.kub")}).empty());
    EXPECT_EQ(pages_for({a}).size(), 1u);  // and it is an archive on its own
}

TEST_F(InfoPagesTest, RefusedPagesAreDestroyed) {
    const std::wstring path = file(L"c.zip");
    write_file(path, zip_with_comment("comment"));
    int refused = 0;
    EXPECT_TRUE(pages_for({path}, refuse_page, reinterpret_cast<LPARAM>(&refused)).empty());
    // The comment page is still tried after the first is refused.
    EXPECT_EQ(refused, 2);
}

TEST_F(InfoPagesTest, CommentIsCutAtCtrlZAndAt32000Units) {
    const std::wstring cut = file(L"ctrlz.zip"), long_comment = file(L"long.zip");
    write_file(cut, zip_with_comment("shown\nline\x1Anot shown"));
    // The longest comment the ZIP reader looks for (its end record searched in the last 33,024
    // bytes); longer KUB comments are cut the same way.
    write_file(long_comment, zip_with_comment(std::string(33000, 'c')));
    std::vector<PageView> views = show_sheet(pages_for({cut}), L"comment_ctrlz");
    ASSERT_EQ(views.size(), 2u);
    EXPECT_EQ(comment_of(views[1]), L"shown\r\nline");
    views = show_sheet(pages_for({long_comment}), L"comment_long");
    ASSERT_EQ(views.size(), 2u);
    EXPECT_EQ(comment_of(views[1]), std::wstring(32000, L'c'));
}

// The page procedure of this test program (linked in, with the same templates and texts) over
// summaries chosen field by field.
PageView page_for_summary(const ArchiveSummary& summary, const std::wstring& name) {
    PROPSHEETPAGEW record{};
    record.dwSize = sizeof record;
    record.hInstance = ::GetModuleHandleW(nullptr);
    record.pszTemplate = kInfoPageTemplate;
    record.pfnDlgProc = info_page_procedure;
    set_page_parameter(record, std::make_unique<ArchiveSummary>(summary));
    HPROPSHEETPAGE page = ::CreatePropertySheetPageW(&record);
    EXPECT_NE(page, nullptr);
    std::vector<PageView> views = show_sheet({page}, name);
    return views.empty() ? PageView{} : views[0];
}

TEST(InfoPageValues, VersionsDictionaryAndRecoveryRecord) {
    struct Case {
        std::uint32_t version;
        const wchar_t* version_text;
        std::uint64_t recovery;
        const wchar_t* recovery_text;
        bool recovery_bold;
    } cases[] = {
        {0x0209, L"2.9", ~std::uint64_t{0}, L"存在", true},
        {0x0500, L"5.0", 0, L"不存在", false},
        {0x0214, L"2.20", 1024 * 1024, L"1 MB", false},
        {0, L"未知", 0, L"不存在", false},
    };
    for (const Case& c : cases) {
        ArchiveSummary s;
        s.FormatName = u"KUB";
        s.ReaderIndex = kKubReaderIndex;
        s.MaxUnpackVersion = c.version;
        s.MaxDictSizeKB = 4096;
        s.RecoverySize = c.recovery;
        s.IsLocked = true;
        s.TotalUnpacked = 1000;
        s.TotalPacked = 250;
        const PageView v = page_for_summary(s, L"summary_" + std::to_wstring(c.version));
        ASSERT_FALSE(v.text.empty());
        EXPECT_EQ(text(v, KUB_INFO_VERSION), c.version_text);
        EXPECT_EQ(text(v, KUB_INFO_DICTIONARY), L"4 MB");
        EXPECT_EQ(text(v, KUB_INFO_RECOVERY), c.recovery_text);
        EXPECT_EQ(bold(v, KUB_INFO_RECOVERY), c.recovery_bold);
        EXPECT_EQ(text(v, KUB_INFO_LOCK), L"存在");
        EXPECT_TRUE(bold(v, KUB_INFO_LOCK));
        EXPECT_EQ(text(v, KUB_INFO_RATIO), L"25%");
    }
    ArchiveSummary unknown_dictionary;
    unknown_dictionary.ReaderIndex = kKubReaderIndex;
    EXPECT_EQ(text(page_for_summary(unknown_dictionary, L"summary_unknown_dictionary"),
                   KUB_INFO_DICTIONARY),
              L"未知");
}

// A page accepted by the sheet but never opened is destroyed uninitialised: it frees what AddPages
// gave it then, as a refused page does and an opened page does at initialisation. (The pages of
// the extension linked into this program, so its count of live parameters can be read.)
TEST_F(InfoPagesTest, PagesFreeTheirParametersWhetherShownOrNot) {
    const std::wstring path = file(L"pages.zip");
    write_file(path, zip_with_comment("Hello"));
    SelectionState selection;
    selection.SelectedPaths.add(os::as_u16cstr(path.c_str()));
    const std::size_t before = page_parameters_alive();

    std::vector<HPROPSHEETPAGE> pages;
    EXPECT_EQ(add_info_pages(selection, collect_page, reinterpret_cast<LPARAM>(&pages)), S_OK);
    ASSERT_EQ(pages.size(), 2u);
    EXPECT_EQ(page_parameters_alive(), before + 2);
    for (HPROPSHEETPAGE page : pages) ::DestroyPropertySheetPage(page);
    EXPECT_EQ(page_parameters_alive(), before);

    int refused = 0;
    EXPECT_EQ(add_info_pages(selection, refuse_page, reinterpret_cast<LPARAM>(&refused)), S_OK);
    EXPECT_EQ(refused, 2);
    EXPECT_EQ(page_parameters_alive(), before);

    pages.clear();
    EXPECT_EQ(add_info_pages(selection, collect_page, reinterpret_cast<LPARAM>(&pages)), S_OK);
    const std::vector<PageView> views = show_sheet(pages, L"pages_freed");
    ASSERT_EQ(views.size(), 2u);
    EXPECT_EQ(text(views[0], KUB_INFO_TITLE), L"ZIP 压缩文件");
    EXPECT_EQ(page_parameters_alive(), before);
}

}  // namespace
}  // namespace kub::wine_host

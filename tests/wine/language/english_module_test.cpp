// The shipped English language module and language files as the programs load them, and what
// a foreign or damaged kublng.dll in the language folder does: nothing but fall back.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "common/language/lang_string.h"
#include "common/language/language_file.h"
#include "common/language/language_module.h"
#include "common/os/os.h"
#include "common/os/win32/dialog_language.h"
#include "common/os/win32/wide_cast.h"
#include "common/registry/registry_access.h"
#include "resources/builtin_strings.h"

namespace kub {
namespace {

namespace fs = std::filesystem;

constexpr const char16_t* kDialogs[] = {u"SETUPDLG", u"SETUPCONTEXTITEMS", u"DONEDLG",
                                        u"EXTARCINFODLG", u"EXTCMTARCINFODLG"};
// The programs' base paths lie in a folder without language files: only the language folder
// can supply them.
constexpr std::u16string_view kBase = u"C:\\windows\\temp\\kub-nowhere\\uninstall.exe";
constexpr std::u16string_view kFile = u"C:\\windows\\temp\\kub-nowhere\\uninstall.lng";

bool has_cjk(std::u16string_view text) {
    for (char16_t c : text)
        if ((c >= 0x3000 && c <= 0x9FFF) || (c >= 0xFF00 && c <= 0xFFEF)) return true;
    return false;
}

fs::path unix_build_path(const char* path) { return fs::path(std::string("Z:") + path); }

std::vector<char> read_bytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<char>(std::istreambuf_iterator<char>(in), {});
}

void write_bytes(const fs::path& path, const std::vector<char>& bytes) {
    std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// Offset of a UTF-16LE text in the bytes, or npos; the last one before `before` when given.
std::size_t find_utf16(const std::vector<char>& bytes, std::u16string_view text,
                       std::size_t before = std::string_view::npos) {
    std::string pattern;
    for (char16_t c : text) {
        pattern.push_back(static_cast<char>(c & 0xFF));
        pattern.push_back(static_cast<char>(c >> 8));
    }
    std::string_view all(bytes.data(), bytes.size());
    return before == std::string_view::npos ? all.find(pattern) : all.rfind(pattern, before);
}

INT_PTR CALLBACK translated_procedure(HWND dialog, UINT message, WPARAM, LPARAM parameter) {
    if (message == WM_INITDIALOG)
        ::SetWindowLongPtrW(dialog, GWLP_USERDATA, parameter);
    const auto* name = reinterpret_cast<const char16_t*>(::GetWindowLongPtrW(dialog, GWLP_USERDATA));
    if (name != nullptr) os::prepare_dialog_message(dialog, message, name, false);
    return message == WM_INITDIALOG ? TRUE : FALSE;
}

std::u16string text_of(HWND window) {
    wchar_t buffer[1024];
    int n = ::GetWindowTextW(window, buffer, 1024);
    return std::u16string(os::as_u16cstr(buffer), n > 0 ? static_cast<std::size_t>(n) : 0);
}

// The dialog as a program shows it (from the module dialog_source picks, translated), with its
// caption and every control's text.
std::vector<std::u16string> dialog_texts(const char16_t* name, HWND parent) {
    std::u16string resource(name);
    // As the programs do: a template the system refuses is taken from the own module instead.
    HWND dialog = nullptr;
    for (os::ModuleHandle module : {dialog_source(name), own_resource_module()}) {
        dialog = ::CreateDialogParamW(static_cast<HINSTANCE>(module), os::as_wcstr(resource.c_str()),
                                      parent, translated_procedure, reinterpret_cast<LPARAM>(name));
        if (dialog) break;
    }
    EXPECT_NE(dialog, nullptr) << "dialog cannot be made";
    if (!dialog) return {};
    std::vector<std::u16string> texts{text_of(dialog)};
    for (HWND child = ::GetWindow(dialog, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
        texts.push_back(text_of(child));
    ::DestroyWindow(dialog);
    return texts;
}

class EnglishModuleTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ::LoadLibraryW(L"riched20.dll"); }
    void SetUp() override {
        english_ = unix_build_path(KUB_ENGLISH_DIR);
        scratch_ = fs::temp_directory_path() / ("kub-english-" + std::to_string(::GetCurrentProcessId()));
        fs::create_directories(scratch_);
        parent_ = ::CreateWindowExW(0, L"STATIC", L"parent", WS_POPUP, 0, 0, 10, 10, nullptr,
                                    nullptr, nullptr, nullptr);
    }
    void TearDown() override {
        release_language_module();
        language_file().unload();
        delete_registry_value(RegistryRoot::kCurrentUser, u"General", u"LanguageFolder");
        ::DestroyWindow(parent_);
        std::error_code ignored;
        fs::remove_all(scratch_, ignored);
    }
    // Loads the language module and the language file as uninstall.exe does, with this folder
    // as the language folder (none when empty).
    void load_with_folder(const fs::path& folder) {
        if (folder.empty())
            delete_registry_value(RegistryRoot::kCurrentUser, u"General", u"LanguageFolder");
        else
            ASSERT_EQ(write_setting_string(u"General", u"LanguageFolder", folder.u16string()), os::kRegOk);
        load_language_module(os::own_module(), kBase);
        load_language_file(kFile);
    }
    // A folder holding only a kublng.dll made of these bytes.
    fs::path folder_with_module(const char* name, const std::vector<char>& bytes) {
        fs::path folder = scratch_ / name;
        fs::create_directories(folder);
        write_bytes(folder / "kublng.dll", bytes);
        return folder;
    }
    // The built-in Chinese everywhere, and every dialog made without a crash.
    void expect_built_in_texts() {
        EXPECT_EQ(std::u16string_view(LangString(5106)), u"卸载 Korvex");
        EXPECT_EQ(std::u16string_view(LangString(4150)), u"字节");
        for (const BuiltinString& s : builtin_strings()) (void)LangString(s.id);
        for (const char16_t* name : kDialogs) {
            EXPECT_EQ(dialog_source(name), os::own_module());
            dialog_texts(name, parent_);
        }
        EXPECT_EQ(dialog_texts(u"SETUPDLG", parent_).front(), u"Korvex 简体中文版安装");
    }

    fs::path english_, scratch_;
    HWND parent_ = nullptr;
};

TEST_F(EnglishModuleTest, ModuleAndFileFromTheLanguageFolderShowEveryTextInEnglish) {
    load_with_folder(english_);
    ASSERT_TRUE(language_module_loaded());
    ASSERT_TRUE(language_file().loaded());
    EXPECT_EQ(std::u16string_view(LangString(5106)), u"Uninstall Korvex");
    EXPECT_EQ(std::u16string_view(LangString(4150)), u"bytes");
    for (const char16_t* name : kDialogs) {
        EXPECT_NE(dialog_source(name), os::own_module());
        for (const std::u16string& text : dialog_texts(name, parent_))
            EXPECT_FALSE(has_cjk(text)) << "Chinese left in a dialog";
    }
    EXPECT_EQ(dialog_texts(u"SETUPDLG", parent_).front(), u"Korvex Setup");

    // The module alone holds every text of both programs in English.
    language_file().unload();
    EXPECT_EQ(std::u16string_view(LangString(5106)), u"Uninstall Korvex");
    for (const BuiltinString& s : builtin_strings()) {
        auto text = os::load_module_string(resource_source(), s.id);
        ASSERT_TRUE(text) << "id " << s.id << " missing from kublng.dll";
        EXPECT_FALSE(has_cjk(*text)) << "id " << s.id;
    }
}

TEST_F(EnglishModuleTest, WithoutLanguageFolderOrFilesTheBuiltInChineseStays) {
    load_with_folder({});
    EXPECT_FALSE(language_module_loaded());
    EXPECT_FALSE(language_file().loaded());
    expect_built_in_texts();

    fs::create_directories(scratch_ / "empty");
    load_with_folder(scratch_ / "empty");
    EXPECT_FALSE(language_module_loaded());
    EXPECT_FALSE(language_file().loaded());
    expect_built_in_texts();
}

// A library with code of its own, put where the language module belongs: it is mapped as data
// (its entry never runs) and, having no texts, changes nothing.
TEST_F(EnglishModuleTest, ForeignModuleIsDataOnlyAndChangesNothing) {
    const fs::path foreign = unix_build_path(KUB_FOREIGN_MODULE);
    fs::path folder = folder_with_module("foreign", read_bytes(foreign));
    load_with_folder(folder);
    EXPECT_TRUE(language_module_loaded());
    EXPECT_EQ(::OpenEventW(SYNCHRONIZE, FALSE, L"KubForeignModuleRan"), nullptr);
    expect_built_in_texts();
    release_language_module();

    // The probe itself works: loaded as a library, its entry raises the event.
    HMODULE run = ::LoadLibraryW((folder / "kublng.dll").c_str());
    ASSERT_NE(run, nullptr);
    HANDLE ran = ::OpenEventW(SYNCHRONIZE, FALSE, L"KubForeignModuleRan");
    EXPECT_NE(ran, nullptr);
    if (ran) ::CloseHandle(ran);
    ::FreeLibrary(run);
}

// A file that is no library at all gives the built-in texts. A cut or battered module may still
// hold intact texts and dialogs, which are used; whatever is not intact falls back, so every text
// is there and every dialog can be made.
TEST_F(EnglishModuleTest, DamagedModulesFallBackToTheBuiltInTexts) {
    const std::vector<char> good = read_bytes(english_ / "kublng.dll");
    ASSERT_GT(good.size(), 4096u);
    load_with_folder(folder_with_module("garbage", std::vector<char>(4096, '\x5A')));
    EXPECT_FALSE(language_module_loaded());
    expect_built_in_texts();
    release_language_module();

    std::vector<std::vector<char>> damaged;
    for (std::size_t cut : {good.size() / 2, good.size() - 700, std::size_t{3000}})
        damaged.emplace_back(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(cut));
    for (std::size_t step : {64u, 61u, 7u}) {
        std::vector<char> battered = good;  // headers left, resource directory and data hit
        for (std::size_t i = 1024; i < battered.size(); i += step)
            battered[i] = static_cast<char>(~battered[i]);
        damaged.push_back(battered);
    }
    for (std::size_t n = 0; n < damaged.size(); ++n) {
        SCOPED_TRACE("damage " + std::to_string(n));
        load_with_folder(folder_with_module(("damaged" + std::to_string(n)).c_str(), damaged[n]));
        language_file().unload();  // the module alone decides
        for (const BuiltinString& s : builtin_strings())
            if (s.id >= 5100) {
                EXPECT_NE(*LangString(s.id), u'\0') << "id " << s.id;
            }
        for (const char16_t* name : kDialogs) EXPECT_FALSE(dialog_texts(name, parent_).empty());
        release_language_module();
    }
}

// Damage the system's own readers would walk past: a dialog claiming 65535 controls, a string
// whose length runs far beyond its table. The rest of the module still serves.
TEST_F(EnglishModuleTest, DamagedDialogAndStringTableAreNotUsed) {
    std::vector<char> bytes = read_bytes(english_ / "kublng.dll");
    // The template's caption follows its 26-byte header, an empty menu and an empty class; the
    // completion dialog has the same caption, so the one before the settings dialog's first
    // control is taken.
    std::size_t first_control = find_utf16(bytes, u"Associate Korvex with");
    ASSERT_NE(first_control, std::string_view::npos);
    std::size_t caption = find_utf16(bytes, u"Korvex Setup", first_control);
    ASSERT_NE(caption, std::string_view::npos);
    bytes[caption - 30 + 16] = '\xFF';
    bytes[caption - 30 + 17] = '\xFF';
    std::size_t string = find_utf16(bytes, u"Uninstall Korvex");
    ASSERT_NE(string, std::string_view::npos);
    bytes[string - 2] = '\xFF';
    bytes[string - 1] = '\x7F';
    load_with_folder(folder_with_module("patched", bytes));
    ASSERT_TRUE(language_module_loaded());
    language_file().unload();  // the module alone decides now

    EXPECT_EQ(dialog_source(u"SETUPDLG"), os::own_module());
    EXPECT_EQ(dialog_texts(u"SETUPDLG", parent_).front(), u"Korvex 简体中文版安装");
    EXPECT_NE(dialog_source(u"SETUPCONTEXTITEMS"), os::own_module());
    EXPECT_EQ(dialog_texts(u"SETUPCONTEXTITEMS", parent_).front(), u"Context Menu Items");
    EXPECT_EQ(std::u16string_view(LangString(5106)), u"卸载 Korvex");
    EXPECT_EQ(std::u16string_view(LangString(4150)), u"bytes");
}

}  // namespace
}  // namespace kub

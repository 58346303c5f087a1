// What the library does when a process loads and unloads it: find the archiver, take the
// language module and "kubext.lng" from the archiver's folder, create the comment font; and free
// it all again. Run on the load and unload work linked into the test, with the real registry,
// files and GDI of the Wine prefix.
#include <windows.h>
#include <shlobj.h>
#include <wrl/client.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "common/language/language_file.h"
#include "common/language/language_key.h"
#include "common/language/language_module.h"
#include "common/registry/registry_access.h"
#include "shellext/win32/com/library_lifetime.h"
#include "shellext/win32/menu/module_gdi_objects.h"
#include "shellext/settings/archiver_path.h"
#include "tests/wine/host/hdrop_data_object.h"
#include "tests/wine/host/shell_host.h"

namespace kub::wine_host {
namespace {

constexpr RegistryRoot kHklm = RegistryRoot::kLocalMachine;

std::u16string u16(const std::wstring& text) { return std::u16string(text.begin(), text.end()); }

// A language file in UTF-16LE that translates the built-in texts "解压" to "Extract" and
// "添加到压缩文件(&A)..." (the first command of a document's menu) to "Add to archive(&A)...".
void write_language_file(const std::wstring& path) {
    const LanguageKey key = language_key(TranslationKind::kString, u"", u"解压");
    const LanguageKey add_key = language_key(TranslationKind::kString, u"", u"添加到压缩文件(&A)...");
    std::u16string text = u"\xFEFF; translation\r\n***messages***\r\n";
    text.append(key.begin(), key.end()).append(u"=\"Extract\"\r\n");
    text.append(add_key.begin(), add_key.end()).append(u"=\"Add to archive(&A)...\"\r\n");
    std::ofstream out(std::filesystem::path(path), std::ios::binary);
    out.write(reinterpret_cast<const char*>(text.data()),
              static_cast<std::streamsize>(text.size() * sizeof(char16_t)));
}

class LibraryLoadTest : public ::testing::Test {
protected:
    void SetUp() override {
        remove_values();
        std::ofstream(std::filesystem::path(archiver_.path() + L"\\Korvex.exe")) << "MZ";
        write_language_file(archiver_.path() + L"\\kubext.lng");
        // Any library with resources serves as the language module here.
        ASSERT_TRUE(::CopyFileW(kubext_dll_path().c_str(), (archiver_.path() + L"\\kublng.dll").c_str(),
                                FALSE));
    }
    void TearDown() override {
        on_library_unload();
        language_file().unload();
        remove_values();
    }
    static void remove_values() {
        delete_registry_value(kHklm, kArchiverKey, kArchiverValue);
        delete_registry_tree(kHklm, kAppPathsKey);
    }
    std::u16string archiver_exe() const { return u16(archiver_.path()) + u"\\Korvex.exe"; }

    ScratchFolder archiver_{L"KubArchiverFolder"};
};

TEST_F(LibraryLoadTest, TranslationsComeFromTheRegisteredArchiversFolder) {
    ASSERT_EQ(write_registry_string(kHklm, kAppPathsKey, u"", archiver_exe()), os::kRegOk);
    on_library_load(::GetModuleHandleW(nullptr));
    EXPECT_TRUE(language_module_loaded());
    EXPECT_NE(resource_source(), own_resource_module());
    ASSERT_TRUE(language_file().loaded());
    EXPECT_EQ(language_file().translate(u"解压", TranslationKind::kString), u"Extract");

    on_library_unload();
    EXPECT_FALSE(language_module_loaded());
    EXPECT_EQ(resource_source(), own_resource_module());
}

TEST_F(LibraryLoadTest, Exe64IsTheFallbackWhenAppPathsNamesNoFile) {
    write_registry_string(kHklm, kAppPathsKey, u"", u"C:\\nowhere\\Korvex.exe");
    write_registry_string(kHklm, kArchiverKey, kArchiverValue, archiver_exe());
    on_library_load(::GetModuleHandleW(nullptr));
    EXPECT_TRUE(language_module_loaded());
    ASSERT_TRUE(language_file().loaded());
    EXPECT_EQ(language_file().translate(u"解压", TranslationKind::kString), u"Extract");
}

TEST_F(LibraryLoadTest, NoArchiverMeansBuiltInTexts) {
    on_library_load(::GetModuleHandleW(nullptr));
    EXPECT_FALSE(language_module_loaded());
    EXPECT_FALSE(language_file().loaded());
    EXPECT_EQ(language_file().translate(u"解压", TranslationKind::kString), u"解压");
}

TEST_F(LibraryLoadTest, CommentFontIsCreatedAtLoadAndDeletedAtUnload) {
    on_library_load(::GetModuleHandleW(nullptr));
    EXPECT_EQ(BoldFont, nullptr);
    EXPECT_EQ(MenuIconBitmap, nullptr);
    ASSERT_NE(CommentFont, nullptr);

    HDC screen = ::GetDC(nullptr);
    const int dpi = ::GetDeviceCaps(screen, LOGPIXELSY);
    ::ReleaseDC(nullptr, screen);
    LOGFONTW font{};
    ASSERT_EQ(::GetObjectW(CommentFont, sizeof(font), &font), static_cast<int>(sizeof(font)));
    EXPECT_STREQ(font.lfFaceName, L"Courier New");
    EXPECT_EQ(font.lfHeight, -14 * dpi / 96);
    EXPECT_EQ(font.lfWeight, 500);
    EXPECT_EQ(font.lfCharSet, DEFAULT_CHARSET);
    EXPECT_EQ(font.lfPitchAndFamily, FIXED_PITCH);
    EXPECT_EQ(font.lfWidth, 0);
    EXPECT_EQ(font.lfItalic, 0);
    EXPECT_EQ(font.lfQuality, 0);

    HFONT created = CommentFont;
    on_library_unload();
    EXPECT_EQ(CommentFont, nullptr);
    EXPECT_EQ(::GetObjectType(created), 0u) << "the font outlived the library";
}

using Microsoft::WRL::ComPtr;
using DllGetClassObjectFunction = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
using DllCanUnloadNowFunction = HRESULT(STDAPICALLTYPE*)();

template <class Function>
Function export_of(HMODULE module, const char* name) {
    return reinterpret_cast<Function>(reinterpret_cast<void*>(::GetProcAddress(module, name)));
}

// The first command of a document's menu, from a fresh object of the loaded library.
std::wstring first_menu_text(HMODULE library, const std::wstring& document) {
    const auto get_class_object = export_of<DllGetClassObjectFunction>(library, "DllGetClassObject");
    if (get_class_object == nullptr) return L"<no DllGetClassObject>";
    ComPtr<IClassFactory> factory;
    if (get_class_object(kShellExtensionClass, IID_IClassFactory,
                         reinterpret_cast<void**>(factory.GetAddressOf())) != S_OK) {
        return L"<no factory>";
    }
    ComPtr<IShellExtInit> init;
    if (factory->CreateInstance(nullptr, IID_IShellExtInit,
                                reinterpret_cast<void**>(init.GetAddressOf())) != S_OK) {
        return L"<no object>";
    }
    HdropDataObject* data = HdropDataObject::create({document});
    const HRESULT initialised = init->Initialize(nullptr, data, nullptr);
    data->Release();
    if (initialised != S_OK) return L"<Initialize failed>";
    ComPtr<IContextMenu> menu_handler;
    if (init.As(&menu_handler) != S_OK) return L"<no IContextMenu>";
    HMENU menu = ::CreatePopupMenu();
    menu_handler->QueryContextMenu(menu, 0, 1, 0x7FFF, CMF_NORMAL);
    wchar_t text[128] = {};
    ::GetMenuStringW(menu, 0, text, 128, MF_BYPOSITION);
    ::DestroyMenu(menu);
    return text;
}

// The real DLL loaded by the system loader: its entry point finds the archiver through App Paths
// and loads the translations beside it before the first object is made; unloading runs the
// detach work, and loading again starts afresh.
TEST_F(LibraryLoadTest, RealEntryPointLoadsTranslationsAndUnloadsCleanly) {
    Apartment apartment;
    ASSERT_TRUE(apartment.ok());
    ASSERT_EQ(::GetModuleHandleW(L"Kubext.dll"), nullptr) << "loaded before the test";
    const std::wstring document = archiver_.path() + L"\\notes.txt";
    std::ofstream(std::filesystem::path(document)) << "text";
    ASSERT_EQ(write_registry_string(kHklm, kAppPathsKey, u"", archiver_exe()), os::kRegOk);

    HMODULE library = ::LoadLibraryW(kubext_dll_path().c_str());
    ASSERT_NE(library, nullptr);
    EXPECT_EQ(first_menu_text(library, document), L"Add to archive(&A)...");
    // A thread started and ended while the library is loaded changes nothing.
    HANDLE thread = ::CreateThread(
        nullptr, 0, [](LPVOID) -> DWORD { return 0; }, nullptr, 0, nullptr);
    ASSERT_NE(thread, nullptr);
    ::WaitForSingleObject(thread, INFINITE);
    ::CloseHandle(thread);
    const auto can_unload = export_of<DllCanUnloadNowFunction>(library, "DllCanUnloadNow");
    ASSERT_NE(can_unload, nullptr);
    EXPECT_EQ(can_unload(), S_OK) << "an object or factory outlived its release";
    ASSERT_TRUE(::FreeLibrary(library));
    EXPECT_EQ(::GetModuleHandleW(L"Kubext.dll"), nullptr);

    // Without an archiver the next load has only the built-in texts.
    remove_values();
    library = ::LoadLibraryW(kubext_dll_path().c_str());
    ASSERT_NE(library, nullptr);
    EXPECT_EQ(first_menu_text(library, document), L"添加到压缩文件(&A)...");
    ASSERT_TRUE(::FreeLibrary(library));
}

}  // namespace
}  // namespace kub::wine_host

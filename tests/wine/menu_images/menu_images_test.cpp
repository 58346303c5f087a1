// The menu images made by the image code linked into this test, whose own resources carry the
// built-in bitmap and icon as the extension's do. Theme files come from ImageMagick (fixtures/ in
// the test's working folder); pixels are read back through GDI and compared with the sources.
#include <windows.h>

#include <shlobj.h>
#include <uxtheme.h>
#include <wrl/client.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "common/language/language_module.h"
#include "common/registry/registry_access.h"
#include "shellext/win32/com/library_lifetime.h"
#include "shellext/win32/menu/menu_images.h"
#include "shellext/win32/menu/module_gdi_objects.h"
#include "tests/wine/host/hdrop_data_object.h"
#include "tests/wine/host/shell_host.h"

namespace kub::wine_host {
namespace {

constexpr std::u16string_view kThemesKey = u"Interface\\Themes";
constexpr std::u16string_view kBitmapValue = u"ShellExtBMP";
constexpr std::u16string_view kIconValue = u"ShellExtIcon";
constexpr wchar_t kThemeManagerKey[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\ThemeManager";

std::u16string u16(const std::wstring& text) {
    return std::u16string(text.begin(), text.end());
}

std::wstring fixture(const wchar_t* name) {
    wchar_t full[MAX_PATH];
    const std::wstring relative = std::wstring(L"fixtures\\") + name;
    const DWORD length = ::GetFullPathNameW(relative.c_str(), MAX_PATH, full, nullptr);
    return length > 0 && length < MAX_PATH ? std::wstring(full, length) : relative;
}

std::wstring beside_executable(const char* name) {
    wchar_t exe[MAX_PATH];
    const DWORD length = ::GetModuleFileNameW(nullptr, exe, MAX_PATH);
    std::wstring path(exe, length);
    path.erase(path.find_last_of(L'\\') + 1);
    for (const char* p = name; *p != '\0'; ++p) path += static_cast<wchar_t>(*p);
    return path;
}

// 0xRRGGBB of a colour reference.
std::uint32_t rgb(COLORREF colour) {
    return (GetRValue(colour) << 16) | (GetGValue(colour) << 8) | GetBValue(colour);
}

std::uint32_t menu_colour() {
    return rgb(::GetSysColor(COLOR_MENU));
}

// A bitmap's pixels as 0xAARRGGBB, top row first, read with GetDIBits.
struct Pixels {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> argb;
    std::uint32_t at(int x, int y) const { return argb[static_cast<std::size_t>(y * width + x)]; }
    std::uint32_t rgb_at(int x, int y) const { return at(x, y) & 0xFFFFFF; }
};

Pixels read_pixels(HBITMAP bitmap) {
    Pixels pixels;
    BITMAP shape{};
    if (bitmap == nullptr || ::GetObjectW(bitmap, sizeof(shape), &shape) == 0) return pixels;
    pixels.width = shape.bmWidth;
    pixels.height = shape.bmHeight;
    pixels.argb.assign(static_cast<std::size_t>(shape.bmWidth * shape.bmHeight), 0);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = shape.bmWidth;
    info.bmiHeader.biHeight = -shape.bmHeight;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    HDC screen = ::GetDC(nullptr);
    const int rows = ::GetDIBits(screen, bitmap, 0, static_cast<UINT>(shape.bmHeight),
                                 pixels.argb.data(), &info, DIB_RGB_COLORS);
    ::ReleaseDC(nullptr, screen);
    if (rows != shape.bmHeight) pixels = {};
    return pixels;
}

// The section's memory as stored, first row first: top-down sections keep the top row there.
Pixels section_memory(HBITMAP section) {
    Pixels pixels;
    DIBSECTION dib{};
    if (::GetObjectW(section, sizeof(dib), &dib) != sizeof(dib) || dib.dsBm.bmBits == nullptr ||
        dib.dsBm.bmBitsPixel != 32) {
        return pixels;
    }
    pixels.width = dib.dsBm.bmWidth;
    pixels.height = dib.dsBm.bmHeight;
    const auto* bits = static_cast<const std::uint32_t*>(dib.dsBm.bmBits);
    pixels.argb.assign(bits, bits + pixels.width * pixels.height);
    return pixels;
}

// What the built-in icon should become: colour opaque, masked pixels fully clear. Read from the
// icon's own colour and mask bitmaps, without the imaging component.
Pixels expected_icon_pixels(HMODULE module) {
    HICON icon = static_cast<HICON>(::LoadImageW(module, MAKEINTRESOURCEW(kMenuImageResourceId),
                                                 IMAGE_ICON, kMenuIconSize, kMenuIconSize, 0));
    ICONINFO parts{};
    if (icon == nullptr || !::GetIconInfo(icon, &parts)) return {};
    Pixels colour = read_pixels(parts.hbmColor);
    const Pixels mask = read_pixels(parts.hbmMask);
    ::DeleteObject(parts.hbmColor);
    ::DeleteObject(parts.hbmMask);
    ::DestroyIcon(icon);
    if (colour.argb.size() != mask.argb.size()) return {};
    for (std::size_t i = 0; i < colour.argb.size(); ++i) {
        colour.argb[i] =
            (mask.argb[i] & 0xFFFFFF) != 0 ? 0 : 0xFF000000 | (colour.argb[i] & 0xFFFFFF);
    }
    return colour;
}

void forget_images() {
    if (MenuBitmap != nullptr) ::DeleteObject(MenuBitmap);
    if (MenuIconBitmap != nullptr) ::DeleteObject(MenuIconBitmap);
    MenuBitmap = nullptr;
    MenuIconBitmap = nullptr;
}

class MenuImagesTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(apartment_.ok());
        delete_registry_tree(RegistryRoot::kCurrentUser, kThemesKey);
        forget_images();
    }
    void TearDown() override {
        release_language_module();
        delete_registry_tree(RegistryRoot::kCurrentUser, kThemesKey);
        forget_images();
    }
    static void set_theme(std::u16string_view value, const std::wstring& path) {
        ASSERT_EQ(write_setting_string(kThemesKey, value, u16(path)), os::kRegOk);
    }

    Apartment apartment_;
};

TEST_F(MenuImagesTest, BuiltInBitmapShowsItsBlackInTheMenuColour) {
    refresh_menu_bitmap();
    const Pixels shown = read_pixels(MenuBitmap);
    ASSERT_EQ(shown.width, 13);
    ASSERT_EQ(shown.height, 13);

    HBITMAP source = static_cast<HBITMAP>(::LoadImageW(::GetModuleHandleW(nullptr),
                                                       MAKEINTRESOURCEW(kMenuImageResourceId),
                                                       IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    const Pixels original = read_pixels(source);
    ::DeleteObject(source);
    ASSERT_EQ(original.argb.size(), shown.argb.size());
    int black = 0;
    for (int y = 0; y < 13; ++y) {
        for (int x = 0; x < 13; ++x) {
            if (original.rgb_at(x, y) == 0) {
                ++black;
                EXPECT_EQ(shown.rgb_at(x, y), menu_colour()) << x << "," << y;
            } else {
                EXPECT_EQ(shown.rgb_at(x, y), original.rgb_at(x, y)) << x << "," << y;
            }
        }
    }
    // The corners are background; the box covers the middle.
    EXPECT_EQ(original.rgb_at(0, 0), 0u);
    EXPECT_NE(original.rgb_at(6, 8), 0u);
    EXPECT_GT(black, 20);

    // Unchanged settings keep the bitmap.
    const HBITMAP first = MenuBitmap;
    refresh_menu_bitmap();
    EXPECT_EQ(MenuBitmap, first);
}

TEST_F(MenuImagesTest, ThemeBitmapFileReplacesTheBuiltInOneWhenItLoads) {
    ScratchFolder scratch(L"KubMenuBitmap");
    const std::wstring late = scratch.path() + L"\\late.bmp";
    set_theme(kBitmapValue, late);
    refresh_menu_bitmap();
    EXPECT_EQ(read_pixels(MenuBitmap).width, 13) << "a missing file gives the built-in bitmap";

    // The file appearing later under the same setting is not looked at again.
    ASSERT_TRUE(::CopyFileW(fixture(L"theme.bmp").c_str(), late.c_str(), FALSE));
    const HBITMAP built_in = MenuBitmap;
    refresh_menu_bitmap();
    EXPECT_EQ(MenuBitmap, built_in);

    // A changed setting naming a file that loads: that file, its black in the menu colour.
    set_theme(kBitmapValue, fixture(L"theme.bmp"));
    refresh_menu_bitmap();
    const Pixels shown = read_pixels(MenuBitmap);
    ASSERT_EQ(shown.width, 20);
    ASSERT_EQ(shown.height, 10);
    for (int y = 0; y < 10; ++y) {
        for (int x = 0; x < 20; ++x) {
            EXPECT_EQ(shown.rgb_at(x, y), x < 10 ? menu_colour() : 0x00FF00u) << x << "," << y;
        }
    }

    ASSERT_EQ(delete_registry_value(RegistryRoot::kCurrentUser, kThemesKey, kBitmapValue),
              os::kRegOk);
    refresh_menu_bitmap();
    EXPECT_EQ(read_pixels(MenuBitmap).width, 13);
}

TEST_F(MenuImagesTest, BuiltInIconBecomesATopDownPremultipliedSection) {
    refresh_menu_icon_bitmap();
    ASSERT_NE(MenuIconBitmap, nullptr);
    DIBSECTION dib{};
    ASSERT_EQ(::GetObjectW(MenuIconBitmap, sizeof(dib), &dib), static_cast<int>(sizeof(dib)));
    EXPECT_EQ(dib.dsBm.bmWidth, kMenuIconSize);
    EXPECT_EQ(dib.dsBm.bmHeight, kMenuIconSize);
    EXPECT_EQ(dib.dsBm.bmBitsPixel, 32);

    const Pixels expected = expected_icon_pixels(::GetModuleHandleW(nullptr));
    ASSERT_EQ(expected.width, kMenuIconSize);
    EXPECT_EQ(expected.at(0, 0), 0u) << "the corner is masked";
    EXPECT_EQ(section_memory(MenuIconBitmap).argb, expected.argb);
    EXPECT_EQ(read_pixels(MenuIconBitmap).argb, expected.argb);

    const HBITMAP first = MenuIconBitmap;
    refresh_menu_icon_bitmap();
    EXPECT_EQ(MenuIconBitmap, first);
}

TEST_F(MenuImagesTest, ThemeIconFileGivesIts16PixelImageUntilTheSettingIsCleared) {
    refresh_menu_icon_bitmap();
    const Pixels built_in = section_memory(MenuIconBitmap);
    ASSERT_EQ(built_in.width, kMenuIconSize);

    set_theme(kIconValue, fixture(L"theme.ico"));
    refresh_menu_icon_bitmap();
    const Pixels themed = section_memory(MenuIconBitmap);
    ASSERT_EQ(themed.width, kMenuIconSize);
    ASSERT_EQ(themed.height, kMenuIconSize);
    EXPECT_EQ(themed.at(8, 8), 0xFF2040C0u) << "the 16-pixel image, not the 32-pixel one scaled";
    EXPECT_EQ(themed.at(15, 15), 0u);
    // Half-transparent orange, premultiplied: each colour scaled by alpha / 255.
    const std::uint32_t half = themed.at(1, 1);
    const int alpha = static_cast<int>(half >> 24);
    EXPECT_NEAR(alpha, 128, 1);
    const std::pair<int, int> channels[] = {{0xC8, 16}, {0x64, 8}, {0x28, 0}};
    for (const auto& [colour, shift] : channels) {
        EXPECT_NEAR(static_cast<int>((half >> shift) & 0xFF), colour * alpha / 255, 1) << shift;
    }

    set_theme(kIconValue, fixture(L"other.ico"));
    refresh_menu_icon_bitmap();
    EXPECT_EQ(section_memory(MenuIconBitmap).at(8, 8), 0xFF00C000u);

    ASSERT_EQ(delete_registry_value(RegistryRoot::kCurrentUser, kThemesKey, kIconValue),
              os::kRegOk);
    refresh_menu_icon_bitmap();
    EXPECT_EQ(section_memory(MenuIconBitmap).argb, built_in.argb);

    set_theme(kIconValue, fixture(L"missing.ico"));
    refresh_menu_icon_bitmap();
    EXPECT_EQ(section_memory(MenuIconBitmap).argb, built_in.argb);
}

TEST_F(MenuImagesTest, NoIconImageBeforeWindows6) {
    refresh_menu_icon_bitmap(0x0501);
    EXPECT_EQ(MenuIconBitmap, nullptr);
    refresh_menu_icon_bitmap(0x0600);
    EXPECT_NE(MenuIconBitmap, nullptr);
}

TEST_F(MenuImagesTest, LanguageModuleIsTheSourceOfTheBuiltInImages) {
    ScratchFolder with_images(L"KubMenuImagesFull");
    ScratchFolder without_images(L"KubMenuImagesBare");
    ASSERT_TRUE(::CopyFileW(kubext_dll_path().c_str(),
                            (with_images.path() + L"\\kublng.dll").c_str(), FALSE));
    ASSERT_TRUE(::CopyFileW(beside_executable(KUB_BARE_MODULE).c_str(),
                            (without_images.path() + L"\\kublng.dll").c_str(), FALSE));
    HMODULE own = ::GetModuleHandleW(nullptr);
    refresh_menu_bitmap();
    const Pixels own_bitmap = read_pixels(MenuBitmap);
    forget_images();

    // The extension's library loaded as data serves the same images.
    load_language_module(own, u16(with_images.path() + L"\\Korvex.exe"));
    ASSERT_TRUE(language_module_loaded());
    refresh_menu_bitmap();
    EXPECT_EQ(read_pixels(MenuBitmap).argb, own_bitmap.argb);
    refresh_menu_icon_bitmap();
    EXPECT_EQ(section_memory(MenuIconBitmap).argb, expected_icon_pixels(own).argb);
    forget_images();

    // A module without them: no bitmap at all, the icon from our own resources.
    load_language_module(own, u16(without_images.path() + L"\\Korvex.exe"));
    ASSERT_TRUE(language_module_loaded());
    refresh_menu_bitmap();
    EXPECT_EQ(MenuBitmap, nullptr);
    refresh_menu_icon_bitmap();
    EXPECT_EQ(section_memory(MenuIconBitmap).argb, expected_icon_pixels(own).argb);
}

TEST_F(MenuImagesTest, LibraryUnloadDeletesBothImages) {
    refresh_menu_bitmap();
    refresh_menu_icon_bitmap();
    const HBITMAP bitmap = MenuBitmap;
    const HBITMAP icon = MenuIconBitmap;
    ASSERT_EQ(::GetObjectType(bitmap), static_cast<DWORD>(OBJ_BITMAP));
    ASSERT_EQ(::GetObjectType(icon), static_cast<DWORD>(OBJ_BITMAP));
    on_library_unload();
    EXPECT_EQ(MenuBitmap, nullptr);
    EXPECT_EQ(MenuIconBitmap, nullptr);
    EXPECT_EQ(::GetObjectType(bitmap), 0u);
    EXPECT_EQ(::GetObjectType(icon), 0u);
}

// The shipped library carries the images in the sizes and depths the menu code expects.
TEST(KubextImages, LibraryCarriesTheBuiltInBitmapAndIconGroup) {
    HMODULE dll = ::LoadLibraryExW(kubext_dll_path().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(dll, nullptr);
    HBITMAP bitmap = static_cast<HBITMAP>(::LoadImageW(dll, MAKEINTRESOURCEW(kMenuImageResourceId),
                                                       IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    DIBSECTION dib{};
    ASSERT_EQ(::GetObjectW(bitmap, sizeof(dib), &dib), static_cast<int>(sizeof(dib)));
    EXPECT_EQ(dib.dsBm.bmWidth, 13);
    EXPECT_EQ(dib.dsBm.bmHeight, 13);
    EXPECT_EQ(dib.dsBmih.biBitCount, 8);
    ::DeleteObject(bitmap);

    // GRPICONDIR: reserved, type, count (16 bits each), then 14-byte entries: width, height,
    // colour count, reserved (8 bits), planes, bit count (16), bytes (32), icon id (16).
    HRSRC found = ::FindResourceW(dll, MAKEINTRESOURCEW(kMenuImageResourceId), RT_GROUP_ICON);
    ASSERT_NE(found, nullptr);
    const auto* group = static_cast<const BYTE*>(::LockResource(::LoadResource(dll, found)));
    const DWORD size = ::SizeofResource(dll, found);
    ASSERT_GE(size, 6u);
    const unsigned count = group[4] | (group[5] << 8);
    ASSERT_EQ(size, 6 + 14 * count);
    std::set<std::pair<int, int>> images;
    for (unsigned i = 0; i < count; ++i) {
        const BYTE* entry = group + 6 + 14 * i;
        EXPECT_EQ(entry[0], entry[1]);
        images.insert({entry[0], entry[6] | (entry[7] << 8)});
    }
    const std::set<std::pair<int, int>> expected = {{16, 8}, {32, 8}, {48, 8},
                                                    {16, 4}, {32, 4}, {48, 4}};
    EXPECT_EQ(images, expected);
    ::FreeLibrary(dll);
}

// The images as Explorer sees them: items of a real menu built by the registered library.
class KubextMenuImagesTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        ASSERT_EQ(register_in_process_server(kShellExtensionClassText, kubext_dll_path()),
                  ERROR_SUCCESS);
    }
    static void TearDownTestSuite() { unregister_in_process_server(kShellExtensionClassText); }

    void SetUp() override {
        ASSERT_TRUE(apartment_.ok());
        delete_registry_tree(RegistryRoot::kCurrentUser, kThemesKey);
        ASSERT_EQ(write_setting_number(u"Setup", u"MenuIcons", 1), os::kRegOk);
        ASSERT_EQ(write_setting_number(u"Setup", u"CascadedMenu", 0), os::kRegOk);
        std::ofstream(std::filesystem::path(document_)) << "text";
    }
    void TearDown() override {
        delete_registry_value(RegistryRoot::kCurrentUser, u"Setup", u"MenuIcons");
        delete_registry_value(RegistryRoot::kCurrentUser, u"Setup", u"CascadedMenu");
        ::CoFreeUnusedLibraries();
    }

    struct ItemImages {
        HBITMAP item = nullptr;
        HBITMAP unchecked = nullptr;
    };

    // The images of every item of the menu the library builds for one document.
    std::vector<ItemImages> menu_images() {
        Microsoft::WRL::ComPtr<IShellExtInit> init;
        EXPECT_EQ(
            ::CoCreateInstance(kShellExtensionClass, nullptr, CLSCTX_INPROC_SERVER,
                               IID_IShellExtInit, reinterpret_cast<void**>(init.GetAddressOf())),
            S_OK);
        if (!init) return {};
        HdropDataObject* data = HdropDataObject::create({document_});
        EXPECT_EQ(init->Initialize(nullptr, data, nullptr), S_OK);
        data->Release();
        Microsoft::WRL::ComPtr<IContextMenu> context_menu;
        EXPECT_EQ(init.As(&context_menu), S_OK);
        HMENU menu = ::CreatePopupMenu();
        const HRESULT added = context_menu->QueryContextMenu(menu, 0, 1, 0x7FFF, CMF_NORMAL);
        EXPECT_GT(HRESULT_CODE(added), 0);
        std::vector<ItemImages> images;
        for (int i = 0; i < ::GetMenuItemCount(menu); ++i) {
            MENUITEMINFOW info{};
            info.cbSize = sizeof(info);
            info.fMask = MIIM_BITMAP | MIIM_CHECKMARKS;
            EXPECT_TRUE(::GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &info));
            images.push_back({info.hbmpItem, info.hbmpUnchecked});
        }
        ::DestroyMenu(menu);
        return images;
    }

    Apartment apartment_;
    ScratchFolder folder_{L"KubMenuImagesDocument"};
    std::wstring document_ = folder_.path() + L"\\notes.txt";
};

// Reads a value of the theme manager's key, to put it back as it was.
std::optional<std::wstring> theme_active_value() {
    wchar_t text[16] = {};
    DWORD size = sizeof(text) - sizeof(wchar_t);
    if (::RegGetValueW(HKEY_CURRENT_USER, kThemeManagerKey, L"ThemeActive", RRF_RT_REG_SZ, nullptr,
                       text, &size) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    return std::wstring(text);
}

TEST_F(KubextMenuImagesTest, ItemsShowTheIconUnderVisualStylesAndTheBitmapWithout) {
    if (!::IsAppThemed()) GTEST_SKIP() << "this prefix draws without visual styles";
    const std::vector<ItemImages> themed = menu_images();
    ASSERT_FALSE(themed.empty());
    HMODULE kubext = ::GetModuleHandleW(L"Kubext.dll");
    ASSERT_NE(kubext, nullptr);
    const Pixels icon = expected_icon_pixels(kubext);
    ASSERT_EQ(icon.width, kMenuIconSize);
    for (const ItemImages& item : themed) {
        EXPECT_EQ(item.unchecked, nullptr);
        ASSERT_EQ(item.item, themed.front().item);
        EXPECT_EQ(section_memory(item.item).argb, icon.argb);
    }

    // Switching the visual styles off applies to the next menu; the icon image still exists.
    const std::optional<std::wstring> theme_active = theme_active_value();
    ::EnableTheming(FALSE);
    ASSERT_FALSE(::IsAppThemed());
    const std::vector<ItemImages> classic = menu_images();
    if (theme_active) {
        ::RegSetKeyValueW(HKEY_CURRENT_USER, kThemeManagerKey, L"ThemeActive", REG_SZ,
                          theme_active->c_str(),
                          static_cast<DWORD>((theme_active->size() + 1) * sizeof(wchar_t)));
    } else {
        ::RegDeleteKeyValueW(HKEY_CURRENT_USER, kThemeManagerKey, L"ThemeActive");
    }
    ASSERT_EQ(classic.size(), themed.size());
    for (const ItemImages& item : classic) {
        EXPECT_EQ(item.item, nullptr);
        ASSERT_EQ(item.unchecked, classic.front().unchecked);
    }
    const Pixels bitmap = read_pixels(classic.front().unchecked);
    ASSERT_EQ(bitmap.width, 13);
    ASSERT_EQ(bitmap.height, 13);
    EXPECT_EQ(bitmap.rgb_at(0, 0), menu_colour());
    EXPECT_EQ(bitmap.rgb_at(12, 12), menu_colour());
}

}  // namespace
}  // namespace kub::wine_host

// A real dialog translated, re-laid-out and mirrored through a language file, under Wine.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "common/language/language_file.h"
#include "common/os/win32/dialog_language.h"
#include "common/os/win32/wide_cast.h"

namespace kub {
namespace {

namespace fs = std::filesystem;

constexpr std::u16string_view kDialog = u"KUBLANGTESTDLG";

std::string utf16le(std::u16string_view text) {
    std::string bytes;
    for (char16_t c : text) {
        bytes.push_back(static_cast<char>(c & 0xFF));
        bytes.push_back(static_cast<char>(c >> 8));
    }
    return bytes;
}

std::string line(TranslationKind kind, std::u16string_view context, std::u16string_view text,
                 std::u16string_view value) {
    LanguageKey key = language_key(kind, context, text);
    std::u16string l(key.begin(), key.end());
    l += u"=\"";
    l += value;
    l += u"\"\r\n";
    return utf16le(l);
}

// A UTF-16LE language file for the test dialog; `extra` lines are appended.
fs::path write_language_file(const char* name, const std::string& extra) {
    std::string bytes = utf16le(u"\xFEFF; test translation\r\n***messages***\r\n");
    auto d = TranslationKind::kDialog;
    bytes += line(d, kDialog, u"语言测试", u"Language test");
    bytes += line(d, kDialog, u"压缩文件名称:", u"Archive name:");
    bytes += line(d, kDialog, u"固实的", u"Solid archive");
    bytes += line(d, kDialog, u"确定", u"OK");
    bytes += line(d, kDialog, u"取消", u"Cancel");
    bytes += extra;
    fs::path path = fs::temp_directory_path() / name;
    std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return path;
}

INT_PTR CALLBACK dialog_procedure(HWND dialog, UINT message, WPARAM, LPARAM) {
    os::prepare_dialog_message(dialog, message, kDialog, false);
    return message == WM_INITDIALOG ? TRUE : FALSE;
}

HWND create_dialog() {
    std::u16string name(kDialog);
    return ::CreateDialogParamW(::GetModuleHandleW(nullptr), os::as_wcstr(name.c_str()), nullptr,
                                dialog_procedure, 0);
}

std::u16string text_of(HWND window) {
    wchar_t buffer[512];
    int n = ::GetWindowTextW(window, buffer, 512);
    return std::u16string(os::as_u16cstr(buffer), n > 0 ? static_cast<std::size_t>(n) : 0);
}

RECT client_rect_of(HWND dialog, int id) {
    RECT r{};
    ::GetWindowRect(::GetDlgItem(dialog, id), &r);
    ::MapWindowPoints(HWND_DESKTOP, dialog, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

class LanguageDialogTest : public ::testing::Test {
protected:
    void TearDown() override {
        language_file().unload();
        for (const fs::path& p : files_) fs::remove(p);
    }
    void load(const char* name, const std::string& extra) {
        files_.push_back(write_language_file(name, extra));
        ASSERT_TRUE(load_language_file(files_.back().u16string()));
    }
    std::vector<fs::path> files_;
};

TEST_F(LanguageDialogTest, TextsAreTranslatedAndTheLayoutScaled) {
    HWND plain = create_dialog();
    ASSERT_NE(plain, nullptr);
    RECT plain_client{};
    ::GetClientRect(plain, &plain_client);
    RECT plain_ok = client_rect_of(plain, IDOK);
    RECT plain_combo = client_rect_of(plain, 103);
    RECT plain_dropped{};
    ::SendDlgItemMessageW(plain, 103, CB_GETDROPPEDCONTROLRECT, 0,
                          reinterpret_cast<LPARAM>(&plain_dropped));
    long plain_dropped_height = plain_dropped.bottom - plain_dropped.top;
    EXPECT_EQ(text_of(plain), u"语言测试");
    ::DestroyWindow(plain);

    load("kub-dialog-test.lng", line(TranslationKind::kDialog, kDialog, u"", u"150*120"));
    HWND dialog = create_dialog();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(text_of(dialog), u"Language test");
    EXPECT_EQ(text_of(::GetDlgItem(dialog, 101)), u"Archive name:");
    EXPECT_EQ(text_of(::GetDlgItem(dialog, 104)), u"Solid archive");
    EXPECT_EQ(text_of(::GetDlgItem(dialog, IDOK)), u"OK");
    EXPECT_EQ(text_of(::GetDlgItem(dialog, IDCANCEL)), u"Cancel");
    EXPECT_EQ(text_of(::GetDlgItem(dialog, 102)), u"");

    RECT client{};
    ::GetClientRect(dialog, &client);
    EXPECT_NEAR(client.right, plain_client.right * 150 / 100, 1);
    EXPECT_NEAR(client.bottom, plain_client.bottom * 120 / 100, 1);
    RECT ok = client_rect_of(dialog, IDOK);
    EXPECT_NEAR(ok.left, plain_ok.left * 150 / 100, 1);
    EXPECT_NEAR(ok.top, plain_ok.top * 120 / 100, 1);
    EXPECT_NEAR(ok.right - ok.left, (plain_ok.right - plain_ok.left) * 150 / 100, 1);
    EXPECT_NEAR(ok.bottom - ok.top, (plain_ok.bottom - plain_ok.top) * 120 / 100, 1);
    // The combo box keeps its list, scaled (how much of the box the dropped rectangle counts
    // differs between systems, so only the list is required).
    RECT dropped{};
    ::SendDlgItemMessageW(dialog, 103, CB_GETDROPPEDCONTROLRECT, 0, reinterpret_cast<LPARAM>(&dropped));
    RECT combo = client_rect_of(dialog, 103);
    EXPECT_NEAR(combo.right - combo.left, (plain_combo.right - plain_combo.left) * 150 / 100, 1);
    long plain_list = plain_dropped_height - (plain_combo.bottom - plain_combo.top);
    EXPECT_GE(dropped.bottom - dropped.top, plain_list * 120 / 100 - 1);
    EXPECT_FALSE(::GetWindowLongW(dialog, GWL_EXSTYLE) & WS_EX_LAYOUTRTL);
    ::DestroyWindow(dialog);
}

TEST_F(LanguageDialogTest, RightToLeftLanguageMirrorsTheDialog) {
    load("kub-dialog-rtl.lng", line(TranslationKind::kDialog, u"LTR", u"LTR", u"RTL"));
    ASSERT_TRUE(language_file().right_to_left());
    HWND dialog = create_dialog();
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(::GetWindowLongW(dialog, GWL_EXSTYLE) & WS_EX_LAYOUTRTL);
    // Mirrored: the first label, at the left in the template, now starts at the right.
    RECT client{};
    ::GetClientRect(dialog, &client);
    RECT label{};
    ::GetWindowRect(::GetDlgItem(dialog, 101), &label);
    RECT frame{};
    ::GetWindowRect(dialog, &frame);
    EXPECT_GT(label.right, frame.left + (frame.right - frame.left) / 2);
    ::DestroyWindow(dialog);
}

void pump_for(DWORD milliseconds) {
    DWORD start = ::GetTickCount();
    while (::GetTickCount() - start < milliseconds) {
        MSG message;
        while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&message);
            ::DispatchMessageW(&message);
        }
        ::Sleep(20);
    }
}

// Run by language_dialog_screenshot.sh: the built-in dialog, the translated one (150*120) and
// a right-to-left one side by side, for a person to look at.
TEST_F(LanguageDialogTest, ShowForScreenshot) {
    const char* seconds = std::getenv("KUB_SHOW_DIALOG_SECONDS");
    if (!seconds) GTEST_SKIP() << "only for the screenshot";
    HWND plain = create_dialog();
    ::SetWindowPos(plain, nullptr, 20, 20, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    load("kub-dialog-show.lng", line(TranslationKind::kDialog, kDialog, u"", u"150*120"));
    HWND translated = create_dialog();
    ::SetWindowPos(translated, nullptr, 20, 300, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    load("kub-dialog-show-rtl.lng", line(TranslationKind::kDialog, u"LTR", u"LTR", u"RTL"));
    HWND mirrored = create_dialog();
    ::SetWindowPos(mirrored, nullptr, 600, 20, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    for (HWND w : {plain, translated, mirrored}) ::ShowWindow(w, SW_SHOW);
    pump_for(static_cast<DWORD>(std::atoi(seconds)) * 1000);
    for (HWND w : {plain, translated, mirrored}) ::DestroyWindow(w);
}

}  // namespace
}  // namespace kub

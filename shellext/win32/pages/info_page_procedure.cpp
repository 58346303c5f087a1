// The archive information page: the summary's values in the template's controls, and the ratio
// bar in the strip left of them.
#include <windows.h>

#include <memory>
#include <string>
#include <string_view>

#include "common/language/lang_string.h"
#include "common/text/number_text.h"
#include "common/os/win32/dialog_language.h"
#include "common/os/win32/wide_cast.h"
#include "formats/archive_analysis.h"
#include "formats/summary_text.h"
#include "resources/info_page_ids.h"
#include "shellext/win32/pages/info_pages.h"
#include "shellext/win32/menu/module_gdi_objects.h"
#include "shellext/win32/pages/ratio_bar.h"

namespace kub {
namespace {

constexpr std::u16string_view kDialogName = u"EXTARCINFODLG";
constexpr int kBoldWeight = 700;
// Where the bar stands, and how much of the page's height it leaves free.
constexpr int kBarX = 5;
constexpr int kBarY = 40;
constexpr int kBarMargin = 60;
// The ratio text is read back with this many units (terminator included).
constexpr int kRatioTextSize = 20;

// The page font's face and character set, weight 700, the same character height.
HFONT create_bold_font(HWND page) {
    HFONT page_font = reinterpret_cast<HFONT>(::SendMessageW(page, WM_GETFONT, 0, 0));
    if (page_font == nullptr) page_font = static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
    LOGFONTW font{};
    if (::GetObjectW(page_font, sizeof font, &font) == 0) return nullptr;
    TEXTMETRICW metrics{};
    HDC dc = ::GetDC(page);
    if (dc == nullptr) return nullptr;
    HGDIOBJ old = ::SelectObject(dc, page_font);
    const BOOL measured = ::GetTextMetricsW(dc, &metrics);
    ::SelectObject(dc, old);
    ::ReleaseDC(page, dc);
    if (!measured) return nullptr;
    LOGFONTW bold{};
    bold.lfHeight = -(metrics.tmHeight - metrics.tmInternalLeading);
    bold.lfWeight = kBoldWeight;
    bold.lfCharSet = font.lfCharSet;
    ::wcsncpy(bold.lfFaceName, font.lfFaceName, LF_FACESIZE - 1);
    return ::CreateFontIndirectW(&bold);
}

void set_text(HWND page, int id, const std::u16string& text) {
    ::SetDlgItemTextW(page, id, os::as_wcstr(text.c_str()));
}

void set_bold(HWND page, int id) {
    ::SendDlgItemMessageW(page, id, WM_SETFONT, reinterpret_cast<WPARAM>(BoldFont), FALSE);
}

// The present / absent text; the present one stands out in bold.
void set_presence(HWND page, int id, bool present) {
    set_text(page, id, presence_text(present));
    if (present) set_bold(page, id);
}

void show_summary(HWND page, const ArchiveSummary& s) {
    {
        std::lock_guard<std::recursive_mutex> hold(module_gdi_lock());
        if (BoldFont == nullptr) BoldFont = create_bold_font(page);
    }
    set_bold(page, KUB_INFO_TITLE);
    set_text(page, KUB_INFO_TITLE, summary_title(s));
    set_text(page, KUB_INFO_VERSION, version_text(s.MaxUnpackVersion));
    set_text(page, KUB_INFO_HOSTS, s.HostOSList);
    set_text(page, KUB_INFO_FILES, number_text(s.FileCount));
    set_text(page, KUB_INFO_TOTAL_SIZE, number_text(s.TotalUnpacked));
    set_text(page, KUB_INFO_ARCHIVE_SIZE, number_text(s.TotalPacked));
    set_text(page, KUB_INFO_RATIO, ratio_text(s));
    set_text(page, KUB_INFO_SFX_SIZE, sfx_size_text(s));
    set_presence(page, KUB_INFO_COMMENT, s.HasComment);
    set_presence(page, KUB_INFO_PASSWORD, s.AnyEncrypted);
    if (!shows_kub_rows(s)) {
        for (int id : {KUB_INFO_RECOVERY_LABEL, KUB_INFO_DICTIONARY_LABEL, KUB_INFO_LOCK_LABEL,
                       KUB_INFO_KUB_ROWS_LINE}) {
            ::ShowWindow(::GetDlgItem(page, id), SW_HIDE);
        }
        return;
    }
    set_text(page, KUB_INFO_DICTIONARY, dictionary_text(s));
    set_text(page, KUB_INFO_RECOVERY, recovery_text(s));
    if (s.RecoverySize == ~std::uint64_t{0}) set_bold(page, KUB_INFO_RECOVERY);
    set_presence(page, KUB_INFO_LOCK, s.IsLocked);
}

// The bar's height follows the page; its fill follows the ratio as the page shows it.
void paint_ratio_bar(HWND page) {
    char16_t ratio[kRatioTextSize] = {};
    ::GetDlgItemTextW(page, KUB_INFO_RATIO, os::as_wcstr(ratio), kRatioTextSize);
    const std::uint64_t value = parse_decimal(std::u16string_view(ratio));
    RECT client{};
    ::GetClientRect(page, &client);
    PAINTSTRUCT paint{};
    HDC dc = ::BeginPaint(page, &paint);
    if (dc == nullptr) return;
    RatioBar(kBarX, kBarY, client.bottom - client.top - kBarMargin,
             static_cast<std::int32_t>(value > 0x7FFFFFFF ? 0x7FFFFFFF : value), dc, BoldFont);
    ::EndPaint(page, &paint);
}

}  // namespace

INT_PTR CALLBACK info_page_procedure(HWND page, UINT message, WPARAM, LPARAM lparam) {
    try {
        os::prepare_dialog_message(page, message, kDialogName, true);
        switch (message) {
            case WM_INITDIALOG: {
                const std::unique_ptr<ArchiveSummary> summary =
                    take_page_parameter<ArchiveSummary>(lparam);
                if (summary) show_summary(page, *summary);
                return TRUE;
            }
            case WM_NOTIFY:
                ::SetWindowLongPtrW(page, DWLP_MSGRESULT, 0);
                return FALSE;
            case WM_PAINT:
                paint_ratio_bar(page);
                return FALSE;
            default:
                return FALSE;
        }
    } catch (...) {
        return FALSE;
    }
}

}  // namespace kub

#pragma once
// The archive information page and the comment page of the file property sheet.
#include <shlobj.h>
#include <windows.h>

#include <cstddef>
#include <memory>
#include <utility>

#include "shellext/core/selection/selection_state.h"

namespace kub {

inline constexpr wchar_t kInfoPageTemplate[] = L"EXTARCINFODLG";
inline constexpr wchar_t kCommentPageTemplate[] = L"EXTCMTARCINFODLG";
inline constexpr unsigned kInfoPageTitleId = 4114;
inline constexpr unsigned kCommentPageTitleId = 4115;

// IShellPropSheetExt::AddPages for one selected archive: a full analysis (the whole extension
// stands still meanwhile), then the information page and, with a comment, the comment page.
// Always S_OK; no page for anything but exactly one readable, fully listed archive.
HRESULT add_info_pages(SelectionState& selection, LPFNSVADDPROPSHEETPAGE add_page,
                       LPARAM parameter);

// The page procedures. Each takes its creation parameter (an ArchiveSummary, a std::u16string
// path) at WM_INITDIALOG and frees it.
INT_PTR CALLBACK info_page_procedure(HWND page, UINT message, WPARAM wparam, LPARAM lparam);
INT_PTR CALLBACK comment_page_procedure(HWND page, UINT message, WPARAM wparam, LPARAM lparam);

// What a page record carries to its page. The page takes the value when it is initialised; a
// page the sheet accepted but the user never opened is destroyed without being initialised, and
// its release callback frees the value then, so no properties dialog leaves memory behind.
class PageParameter {
  public:
    PageParameter();
    virtual ~PageParameter();
    PageParameter(const PageParameter&) = delete;
    PageParameter& operator=(const PageParameter&) = delete;
};

template <class Value>
class OwnedPageParameter final : public PageParameter {
  public:
    explicit OwnedPageParameter(std::unique_ptr<Value> value) : value_(std::move(value)) {}
    std::unique_ptr<Value> take() { return std::move(value_); }

  private:
    std::unique_ptr<Value> value_;
};

// The page callback that frees the parameter when the page is released.
UINT CALLBACK release_page_parameter(HWND window, UINT message, PROPSHEETPAGEW* page);

// Hands `value` to the page of `record` (its parameter and release callback). Until the page is
// created from the record, the caller frees it with free_page_parameter.
template <class Value>
void set_page_parameter(PROPSHEETPAGEW& record, std::unique_ptr<Value> value) {
    record.dwFlags |= PSP_USECALLBACK;
    record.pfnCallback = release_page_parameter;
    PageParameter* parameter = new OwnedPageParameter<Value>(std::move(value));
    record.lParam = reinterpret_cast<LPARAM>(parameter);
}
void free_page_parameter(PROPSHEETPAGEW& record);

// At WM_INITDIALOG (lparam: the page's record): the value set_page_parameter handed over.
template <class Value>
std::unique_ptr<Value> take_page_parameter(LPARAM init_parameter) {
    const auto* record = reinterpret_cast<const PROPSHEETPAGEW*>(init_parameter);
    if (record == nullptr || record->lParam == 0) return nullptr;
    auto* parameter = reinterpret_cast<PageParameter*>(record->lParam);
    return static_cast<OwnedPageParameter<Value>*>(parameter)->take();
}

// Parameters of this module not yet released by their pages (for tests).
std::size_t page_parameters_alive();

}  // namespace kub

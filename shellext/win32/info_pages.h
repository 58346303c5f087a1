#pragma once
// The archive information page and the comment page of the file property sheet.
#include <shlobj.h>
#include <windows.h>

#include "shellext/core/selection_state.h"

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

// The page procedures. Each takes its creation parameter (a heap ArchiveSummary, a heap
// std::u16string path) at WM_INITDIALOG and frees it.
INT_PTR CALLBACK info_page_procedure(HWND page, UINT message, WPARAM wparam, LPARAM lparam);
INT_PTR CALLBACK comment_page_procedure(HWND page, UINT message, WPARAM wparam, LPARAM lparam);

}  // namespace kub

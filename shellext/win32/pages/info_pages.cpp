#include "shellext/win32/pages/info_pages.h"

#include <prsht.h>

#include <atomic>
#include <cstddef>
#include <memory>
#include <new>
#include <string>

#include "common/language/lang_string.h"
#include "common/language/language_module.h"
#include "common/os/win32/wide_cast.h"
#include "formats/archive_analysis.h"
#include "shellext/core/module_state.h"
#include "shellext/win32/com/com_guard.h"

namespace kub {
namespace {

// The record up to its activation context, as every supported system reads it.
constexpr UINT kPageRecordSize = 96;
static_assert(offsetof(PROPSHEETPAGEW, hActCtx) + sizeof(HANDLE) == kPageRecordSize);

std::atomic<std::size_t> live_parameters{0};

// Once created, the page owns `parameter`: it takes it when initialised, and its release callback
// frees it when the page is destroyed uninitialised (refused here, or never opened).
template <class Parameter>
void add_page(const wchar_t* page_template, unsigned title_id, DLGPROC procedure,
              std::unique_ptr<Parameter> parameter, LPFNSVADDPROPSHEETPAGE add,
              LPARAM add_parameter) {
    PROPSHEETPAGEW record{};
    record.dwSize = kPageRecordSize;
    record.dwFlags = PSP_USETITLE | PSP_USEREFPARENT;
    record.hInstance = static_cast<HINSTANCE>(dialog_source(os::as_u16cstr(page_template)));
    record.pszTemplate = page_template;
    record.pszTitle = reinterpret_cast<LPCWSTR>(LangString(title_id));
    record.pfnDlgProc = procedure;
    set_page_parameter(record, std::move(parameter));
    // The common controls raise and lower it while the page exists, keeping the library loaded.
    record.pcRefParent = reinterpret_cast<UINT*>(&ModuleRefCount);
    HPROPSHEETPAGE page = ::CreatePropertySheetPageW(&record);
    if (page == nullptr) {
        free_page_parameter(record);
        return;
    }
    if (!add(page, add_parameter)) ::DestroyPropertySheetPage(page);
}

// Raises AnalysisBusy for its lifetime, so the shell's other calls into the extension made from a
// nested message loop return at once instead of re-entering.
class BusyScope {
  public:
    BusyScope() { ++AnalysisBusy; }
    ~BusyScope() { --AnalysisBusy; }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;
};

}  // namespace

PageParameter::PageParameter() { ++live_parameters; }
PageParameter::~PageParameter() { --live_parameters; }

UINT CALLBACK release_page_parameter(HWND, UINT message, PROPSHEETPAGEW* page) {
    if (message == PSPCB_RELEASE && page != nullptr) free_page_parameter(*page);
    // PSPCB_CREATE: the page may be created.
    return 1;
}

void free_page_parameter(PROPSHEETPAGEW& record) {
    delete reinterpret_cast<PageParameter*>(record.lParam);
    record.lParam = 0;
}

std::size_t page_parameters_alive() { return live_parameters.load(); }

HRESULT add_info_pages(SelectionState& selection, LPFNSVADDPROPSHEETPAGE add, LPARAM parameter) {
    com_guard([&]() -> HRESULT {
        if (selection.SelectedPaths.size() != 1 || AnalysisBusy != 0 || add == nullptr) return S_OK;
        std::u16string_view first;
        selection.SelectedPaths.rewind();
        if (!selection.SelectedPaths.next(first)) return S_OK;
        const std::u16string path(first);
        auto analysis = std::make_unique<ArchiveAnalysis>();
        int result;
        {
            BusyScope busy;
            result = analysis->Analyze(path, false, 0);
        }
        if (result != kAnalyzeArchive) return S_OK;
        const ArchiveSummary& summary = analysis->summary();
        auto summary_copy =
            std::unique_ptr<ArchiveSummary>(new (std::nothrow) ArchiveSummary(summary));
        if (!summary_copy) return S_OK;
        const bool has_comment = summary.HasComment;
        add_page(kInfoPageTemplate, kInfoPageTitleId, info_page_procedure, std::move(summary_copy),
                 add, parameter);
        if (has_comment) {
            add_page(kCommentPageTemplate, kCommentPageTitleId, comment_page_procedure,
                     std::make_unique<std::u16string>(path), add, parameter);
        }
        return S_OK;
    });
    return S_OK;
}

}  // namespace kub

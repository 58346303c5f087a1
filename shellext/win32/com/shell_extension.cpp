#include "shellext/win32/com/shell_extension.h"

#include <cwchar>
#include <new>

#include "common/os/win32/wide_cast.h"
#include "common/files/path_limits.h"
#include "common/registry/settings_cache.h"
#include "shellext/core/module_state.h"
#include "shellext/win32/com/class_ids.h"
#include "shellext/win32/com/com_guard.h"
#include "shellext/win32/pages/info_pages.h"
#include "shellext/win32/com/selection_analysis.h"
#include "shellext/win32/com/selection_capture.h"

namespace kub {
namespace {

struct InterfaceEntry {
    const IID* iid;
    void* (*cast)(ShellExtension* object);
};

// IUnknown is answered with the IContextMenu pointer: that is the object's identity.
const InterfaceEntry kInterfaces[] = {
    {&IID_IUnknown, [](ShellExtension* o) -> void* { return static_cast<IContextMenu*>(o); }},
    {&IID_IShellPropSheetExt,
     [](ShellExtension* o) -> void* { return static_cast<IShellPropSheetExt*>(o); }},
    {&IID_IContextMenu, [](ShellExtension* o) -> void* { return static_cast<IContextMenu*>(o); }},
    {&IID_IShellExtInit, [](ShellExtension* o) -> void* { return static_cast<IShellExtInit*>(o); }},
    {&IID_IPersistFile, [](ShellExtension* o) -> void* { return static_cast<IPersistFile*>(o); }},
    {&IID_IDropTarget, [](ShellExtension* o) -> void* { return static_cast<IDropTarget*>(o); }},
};

// The file-system path of a folder item list; empty when the item has none (a virtual folder).
std::u16string folder_path(PCIDLIST_ABSOLUTE folder) {
    char16_t buffer[kPathBufferSize];
    if (!::SHGetPathFromIDListEx(folder, os::as_wcstr(buffer), kPathBufferSize, GPFIDL_DEFAULT)) {
        return {};
    }
    return std::u16string(buffer, ::wcsnlen(os::as_wcstr(buffer), kMaxPathLength));
}

}  // namespace

ShellExtension::ShellExtension() { ++ModuleRefCount; }

ShellExtension::~ShellExtension() { --ModuleRefCount; }

HRESULT ShellExtension::create(REFIID iid, void** out) {
    auto* object = new (std::nothrow) ShellExtension();
    if (object == nullptr) return E_OUTOFMEMORY;
    const HRESULT result = object->QueryInterface(iid, out);
    object->Release();
    return result;
}

STDMETHODIMP ShellExtension::QueryInterface(REFIID iid, void** out) {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    for (const InterfaceEntry& entry : kInterfaces) {
        if (IsEqualIID(iid, *entry.iid)) {
            *out = entry.cast(this);
            AddRef();
            return S_OK;
        }
    }
    return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) ShellExtension::AddRef() { return static_cast<ULONG>(++references_); }

STDMETHODIMP_(ULONG) ShellExtension::Release() {
    const LONG count = --references_;
    if (count <= 0) delete this;
    return static_cast<ULONG>(count);
}

STDMETHODIMP ShellExtension::AddPages(LPFNSVADDPROPSHEETPAGE add_page, LPARAM parameter) {
    SettingsReadScope settings;
    return add_info_pages(selection_, add_page, parameter);
}

STDMETHODIMP ShellExtension::ReplacePage(EXPPS, LPFNSVADDPROPSHEETPAGE, LPARAM) { return E_FAIL; }

STDMETHODIMP ShellExtension::Initialize(PCIDLIST_ABSOLUTE folder, IDataObject* data, HKEY) {
    return com_guard([&]() -> HRESULT {
        if (AnalysisBusy != 0) return S_OK;
        SettingsReadScope settings;
        SelectionDataObject = data;
        // With the shell's registrations a folder comes only with right-drag menus, so a
        // non-empty DropFolder marks a drag-and-drop menu for the whole process.
        DropFolder.assign(folder != nullptr ? folder_path(folder) : std::u16string());
        selection_.SelectedPaths.clear();
        selection_.SelectionComplete = false;
        if (data == nullptr) return E_FAIL;
        return analyse_selection(selection_, data) ? S_OK : E_FAIL;
    });
}

STDMETHODIMP ShellExtension::GetClassID(CLSID* clsid) {
    if (clsid == nullptr) return E_POINTER;
    *clsid = kShellExtensionClassId;
    return S_OK;
}

STDMETHODIMP ShellExtension::IsDirty() { return S_OK; }

STDMETHODIMP ShellExtension::Load(LPCOLESTR file_name, DWORD) {
    if (file_name == nullptr) return E_POINTER;
    return com_guard([&]() -> HRESULT {
        DropTargetPath.assign(os::as_u16cstr(file_name), ::wcsnlen(file_name, kMaxPathLength));
        return S_OK;
    });
}

STDMETHODIMP ShellExtension::Save(LPCOLESTR, BOOL) { return S_OK; }

STDMETHODIMP ShellExtension::SaveCompleted(LPCOLESTR) { return S_OK; }

STDMETHODIMP ShellExtension::GetCurFile(LPOLESTR* file_name) {
    if (file_name != nullptr) *file_name = nullptr;
    return E_FAIL;
}

bool ShellExtension::full_capture(IDataObject* data) {
    if (!capture_full_selection(data, selection_.SelectedPaths)) return false;
    selection_.SelectionComplete = true;
    return true;
}

}  // namespace kub

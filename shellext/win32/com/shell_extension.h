#pragma once
// The extension object: context-menu handler (also for right-drag menus), property-sheet
// handler, drop handler and data-object initialisable extension in one object with one
// reference count. The interfaces are inherited in this order, so the object starts with their
// five interface pointers in the shell's expected slot layout; IContextMenu is its IUnknown.
#include <windows.h>
#include <shlobj.h>
#include <wrl/client.h>

#include <string>

#include "shellext/core/selection/selection_state.h"

namespace kub {

class ShellExtension final : public IShellPropSheetExt,
                             public IContextMenu,
                             public IShellExtInit,
                             public IPersistFile,
                             public IDropTarget {
public:
    // The class factory's CreateInstance after its checks: a new object asked for `iid`.
    static HRESULT create(REFIID iid, void** out);

    ShellExtension(const ShellExtension&) = delete;
    ShellExtension& operator=(const ShellExtension&) = delete;

    // IUnknown, shared by all five interfaces.
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    // IShellPropSheetExt
    STDMETHODIMP AddPages(LPFNSVADDPROPSHEETPAGE add_page, LPARAM parameter) override;
    STDMETHODIMP ReplacePage(EXPPS page_id, LPFNSVADDPROPSHEETPAGE replace_with,
                             LPARAM parameter) override;

    // IContextMenu
    STDMETHODIMP QueryContextMenu(HMENU menu, UINT position, UINT first_id, UINT last_id,
                                  UINT flags) override;
    STDMETHODIMP InvokeCommand(CMINVOKECOMMANDINFO* info) override;
    STDMETHODIMP GetCommandString(UINT_PTR command, UINT type, UINT* reserved, CHAR* name,
                                  UINT capacity) override;

    // IShellExtInit
    STDMETHODIMP Initialize(PCIDLIST_ABSOLUTE folder, IDataObject* data, HKEY prog_id) override;

    // IPersist, IPersistFile
    STDMETHODIMP GetClassID(CLSID* clsid) override;
    STDMETHODIMP IsDirty() override;
    STDMETHODIMP Load(LPCOLESTR file_name, DWORD mode) override;
    STDMETHODIMP Save(LPCOLESTR file_name, BOOL remember) override;
    STDMETHODIMP SaveCompleted(LPCOLESTR file_name) override;
    STDMETHODIMP GetCurFile(LPOLESTR* file_name) override;

    // IDropTarget
    STDMETHODIMP DragEnter(IDataObject* data, DWORD key_state, POINTL point,
                           DWORD* effect) override;
    STDMETHODIMP DragOver(DWORD key_state, POINTL point, DWORD* effect) override;
    STDMETHODIMP DragLeave() override;
    STDMETHODIMP Drop(IDataObject* data, DWORD key_state, POINTL point, DWORD* effect) override;

    // Replaces SelectedPaths by the whole selection of `data` and marks it complete; false when
    // the selection cannot be read (SelectedPaths then empty).
    bool full_capture(IDataObject* data);

    SelectionState& selection() { return selection_; }
    const SelectionState& selection() const { return selection_; }
    IDataObject* selection_data_object() const { return SelectionDataObject.Get(); }
    // The archive that files are dropped on, as given to IPersistFile::Load.
    const std::u16string& drop_target_path() const { return DropTargetPath; }

private:
    ShellExtension();
    ~ShellExtension();

    SelectionState selection_;
    Microsoft::WRL::ComPtr<IDataObject> SelectionDataObject;
    std::u16string DropTargetPath;
    LONG references_ = 1;
};

}  // namespace kub

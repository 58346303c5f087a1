// IDropTarget of the extension object: files dropped onto an archive are added to it.
#include "shellext/core/commands/drop_command.h"
#include "common/registry/settings_cache.h"
#include "shellext/win32/launch/archiver_launch.h"
#include "shellext/win32/com/com_guard.h"
#include "shellext/win32/com/shell_extension.h"

namespace kub {

STDMETHODIMP ShellExtension::DragEnter(IDataObject*, DWORD key_state, POINTL, DWORD* effect) {
    if (effect != nullptr) *effect = drop_effect(key_state, *effect);
    return S_OK;
}

STDMETHODIMP ShellExtension::DragOver(DWORD key_state, POINTL, DWORD* effect) {
    if (effect != nullptr) *effect = drop_effect(key_state, *effect);
    return S_OK;
}

STDMETHODIMP ShellExtension::DragLeave() { return S_OK; }

STDMETHODIMP ShellExtension::Drop(IDataObject* data, DWORD key_state, POINTL, DWORD* effect) {
    return com_guard([&]() -> HRESULT {
        SettingsReadScope settings;
        if (!full_capture(data)) return E_FAIL;
        const DWORD allowed = effect != nullptr ? *effect : DROPEFFECT_NONE;
        LaunchRecord record;
        LaunchLeftovers leftovers(record);
        if (build_drop_command(selection_, DropTargetPath, key_state, allowed, record) &&
            launch_archiver(record)) {
            leftovers.keep();
        }
        return S_OK;
    }, S_OK);  // out of memory: nothing started, as when the command line cannot be made
}

}  // namespace kub

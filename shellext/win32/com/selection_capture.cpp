#include "shellext/win32/com/selection_capture.h"

#include <shellapi.h>

#include <new>

#include "common/error_state.h"
#include "common/os/win32/wide_cast.h"
#include "common/files/path_limits.h"

namespace kub {

DroppedFileList::DroppedFileList(IDataObject* data) {
    if (data == nullptr) return;
    FORMATETC format{CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    if (FAILED(data->GetData(&format, &medium_))) return;
    open_ = true;
    if (medium_.tymed == TYMED_HGLOBAL && medium_.hGlobal != nullptr) {
        count_ = ::DragQueryFileW(static_cast<HDROP>(medium_.hGlobal), 0xFFFFFFFF, nullptr, 0);
    }
}

DroppedFileList::~DroppedFileList() {
    if (open_) ::ReleaseStgMedium(&medium_);
}

std::u16string DroppedFileList::path(UINT index) const {
    if (index >= count_) return {};
    char16_t buffer[kPathBufferSize];
    const UINT length = ::DragQueryFileW(static_cast<HDROP>(medium_.hGlobal), index,
                                         os::as_wcstr(buffer), kPathBufferSize);
    return std::u16string(buffer, length < kPathBufferSize ? length : kMaxPathLength);
}

bool capture_selection(IDataObject* data, StringList& paths) {
    DroppedFileList list(data);
    if (!list.is_open()) return false;
    for (UINT i = 0; i < list.count(); ++i) paths.add(list.path(i));
    return true;
}

bool capture_full_selection(IDataObject* data, StringList& paths) {
    if (data == nullptr) return false;
    DroppedFileList list(data);
    if (!list.is_open()) return false;
    paths.clear();
    if (list.count() == 0) return false;
    try {
        for (UINT i = 0; i < list.count(); ++i) paths.add(list.path(i));
    } catch (const std::bad_alloc&) {
        paths.clear();
        return false;
    } catch (const KUB_EXIT&) {
        paths.clear();
        return false;
    }
    return true;
}

}  // namespace kub

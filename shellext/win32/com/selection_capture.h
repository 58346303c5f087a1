#pragma once
// Reading the selected paths from the shell's data object (the CF_HDROP file list).
#include <windows.h>
#include <objidl.h>

#include <string>

#include "common/text/string_list.h"

namespace kub {

// The file list of a data object, held open for the reader's lifetime so that callers can fetch
// the paths one by one and stop early. Paths come in the shell's order, each cut to
// kMaxPathLength units by the platform.
class DroppedFileList {
public:
    explicit DroppedFileList(IDataObject* data);
    ~DroppedFileList();
    DroppedFileList(const DroppedFileList&) = delete;
    DroppedFileList& operator=(const DroppedFileList&) = delete;

    // False when the data object has no file list.
    bool is_open() const { return open_; }
    UINT count() const { return count_; }
    std::u16string path(UINT index) const;

private:
    STGMEDIUM medium_{};
    bool open_ = false;
    UINT count_ = 0;
};

// Appends every path of the data object's file list to `paths`; false when there is no list.
bool capture_selection(IDataObject* data, StringList& paths);

// Replaces `paths` by the whole selection. False without data object, without a file list, with
// an empty list, or when memory runs out while appending (then `paths` is left empty).
bool capture_full_selection(IDataObject* data, StringList& paths);

}  // namespace kub

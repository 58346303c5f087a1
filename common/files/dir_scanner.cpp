#include "common/files/dir_scanner.h"

#include "common/files/path_limits.h"
#include "common/files/path_ops.h"

namespace kub {
namespace {

// Running out of entries, or finding none, is not a failure of the search.
bool is_search_error(os::FileError error) {
    return error != os::FileError::not_found && error != os::FileError::path_not_found &&
           error != os::FileError::no_more_files;
}

bool is_dot_entry(std::u16string_view name) {
    return name == u"." || name == u"..";
}

}  // namespace

DirScanner::~DirScanner() {
    CloseSearch();
}

void DirScanner::CloseSearch() {
    os::find_close(search_);
    search_ = nullptr;
}

void DirScanner::SetMask(std::u16string_view mask) {
    CloseSearch();
    mask_.assign(mask);
    cut_to_size(mask_, kPathBufferSize);
    first_call_ = true;
}

bool DirScanner::Next(FoundEntry& entry) {
    entry.error = false;
    if (!first_call_ && search_ == nullptr) return false;  // the search already ended
    os::DirEntryInfo info;
    for (;;) {
        bool found;
        if (first_call_) {
            first_call_ = false;
            search_ = os::find_first(mask_, info);
            std::u16string long_mask;
            if (search_ == nullptr && ExtendedLengthPath(mask_, long_mask)) {
                search_ = os::find_first(long_mask, info);
            }
            found = search_ != nullptr;
        } else {
            found = os::find_next(search_, info);
        }
        if (!found) {
            const os::FileError error = os::last_file_error();
            CloseSearch();
            entry.error = is_search_error(error);
            return false;
        }
        if (!is_dot_entry(info.name)) break;
    }
    entry.path = folder_part(mask_);
    entry.path += info.name;
    cut_to_size(entry.path, kPathBufferSize);
    entry.size = info.size;
    entry.attributes = info.attributes;
    entry.creation_time = info.creation_time;
    entry.access_time = info.access_time;
    entry.write_time = info.write_time;
    entry.is_folder = (info.attributes & os::kAttrDirectory) != 0;
    entry.is_reparse_point = (info.attributes & os::kAttrReparsePoint) != 0;
    return true;
}

bool find_one_entry(std::u16string_view path, FoundEntry& entry) {
    if (has_wildcards(path)) return false;
    DirScanner scanner;
    scanner.SetMask(path);
    return scanner.Next(entry);
}

}  // namespace kub

#include "uninstall/core/list_removal.h"

#include <set>

#include "common/files/file_helpers.h"
#include "common/files/path_ops.h"
#include "common/os/os.h"

namespace kub::setup {

std::uint32_t RemovalFileSystem::attributes(std::u16string_view path) {
    return file_attributes(path);
}

bool RemovalFileSystem::set_attributes(std::u16string_view path, std::uint32_t attributes) {
    return set_file_attributes(path, attributes);
}

bool RemovalFileSystem::remove_folder(std::u16string_view path) {
    return with_long_path_retry(path, false,
                                [](std::u16string_view p) { return os::remove_directory(p); });
}

bool RemovalFileSystem::delete_file(std::u16string_view path, bool& missing) {
    missing = false;
    if (kub::delete_file(path)) return true;
    const os::FileError error = os::last_file_error();
    missing = error == os::FileError::not_found || error == os::FileError::path_not_found;
    return false;
}

bool RemovalFileSystem::exists(std::u16string_view path) {
    return file_exists(path);
}

bool RemovalFileSystem::rename(std::u16string_view from, std::u16string_view to) {
    return os::rename_file(from, to);
}

bool RemovalFileSystem::delete_at_restart(std::u16string_view path) {
    return os::move_at_restart(path, u"");
}

std::u16string restart_name(std::u16string_view path, RemovalFileSystem& files) {
    std::u16string name;
    for (unsigned number = 0; number < kRestartNameCount; ++number) {
        name = std::u16string(path) + u".";
        for (const char c : std::to_string(number)) name += static_cast<char16_t>(c);
        name += u".tmp";
        if (!files.exists(name)) break;
    }
    return name;
}

namespace {

bool same_name(std::u16string_view a, std::u16string_view b) {
    return os::compare_ignoring_case(a, b) == 0;
}

class ListPass {
  public:
    ListPass(std::u16string_view program_name, RemovalFileSystem& files, RemovalResult& result)
        : program_name_(program_name), files_(files), result_(result) {}

    // True when the entry was removed.
    bool remove(const std::u16string& path) {
        const std::uint32_t attributes = files_.attributes(path);
        files_.set_attributes(path, 0);
        if (attributes != os::kInvalidAttributes && (attributes & os::kAttrDirectory) != 0)
            return files_.remove_folder(path);
        bool missing = false;
        if (files_.delete_file(path, missing)) return true;
        if (missing || attributes == os::kInvalidAttributes) return false;
        leave_to_restart(path);
        return false;
    }

  private:
    void leave_to_restart(const std::u16string& path) {
        const std::u16string_view name = name_part(path);
        // Both are still in use by this very run; the batch file removes them afterwards.
        if (same_name(name, program_name_) || same_name(name, kUninstallListName)) return;
        std::u16string target = restart_name(path, files_);
        if (!files_.rename(path, target)) target = path;
        // A file whose rename failed is met again by the next pass: scheduled once is enough.
        if (!scheduled_.insert(target).second) return;
        files_.delete_at_restart(target);
        result_.restart_needed = true;
    }

    std::u16string_view program_name_;
    RemovalFileSystem& files_;
    RemovalResult& result_;
    std::set<std::u16string> scheduled_;
};

}  // namespace

RemovalResult remove_listed_entries(UninstallListReader& list, std::u16string_view program_folder,
                                    std::u16string_view program_name, RemovalFileSystem& files) {
    RemovalResult result;
    ListPass pass(program_name, files, result);
    for (;;) {
        ++result.passes;
        unsigned removed = 0;
        list.rewind();
        std::u16string entry;
        while (list.next(entry)) {
            std::u16string path = std::u16string(program_folder) + entry;
            if (path.size() > kListPathLength) continue;
            if (pass.remove(path)) ++removed;
        }
        result.removed += removed;
        if (removed == 0) return result;
    }
}

}  // namespace kub::setup

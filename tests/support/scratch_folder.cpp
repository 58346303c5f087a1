#include "tests/support/scratch_folder.h"

#include "common/files/dir_scanner.h"
#include "common/files/file_helpers.h"
#include "common/os/os.h"
#include "common/files/path_ops.h"
#include "common/files/temp_files.h"

namespace kub::test {

ScratchFolder::ScratchFolder() {
    std::u16string path = os::temp_path() + u"kubtest";
    if (AppendUniqueSuffix(path, kPathBufferSize) &&
        create_folder(path) == CreateFolderResult::ok) {
        path_ = path + u'\\';
    }
}

ScratchFolder::~ScratchFolder() {
    if (!path_.empty()) remove_tree(path_.substr(0, path_.size() - 1));
}

bool ScratchFolder::write_file(std::u16string_view name, std::string_view bytes) const {
    const std::u16string target = *this / name;
    std::FILE* stream = open_file_stream(target, "wb");
    if (stream == nullptr) return false;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), stream) == bytes.size();
    return std::fclose(stream) == 0 && written;
}

bool ScratchFolder::make_folder(std::u16string_view name) const {
    return create_folder(*this / name) == CreateFolderResult::ok;
}

void remove_tree(const std::u16string& path) {
    const std::uint32_t attributes = file_attributes(path);
    if (attributes == os::kInvalidAttributes) return;
    if ((attributes & os::kAttrReparsePoint) != 0) {
        // A link: remove the link, never what it points to.
        if (!delete_file(path)) os::remove_directory(path);
        return;
    }
    if ((attributes & os::kAttrDirectory) == 0) {
        delete_file(path);
        return;
    }
    DirScanner scanner;
    scanner.SetMask(path + u"\\*");
    FoundEntry entry;
    while (scanner.Next(entry)) remove_tree(entry.path);
    with_long_path_retry(std::u16string_view(path), false, os::remove_directory);
}

}  // namespace kub::test

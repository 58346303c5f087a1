#include "shellext/core/commands/list_file.h"

#include <cstdio>
#include <vector>

#include "common/files/file_helpers.h"
#include "common/files/temp_files.h"
#include "shellext/core/selection/selection_paths.h"

namespace kub {
namespace {

void put_unit(std::vector<unsigned char>& bytes, char16_t unit) {
    bytes.push_back(static_cast<unsigned char>(unit & 0xFF));
    bytes.push_back(static_cast<unsigned char>(unit >> 8));
}

}  // namespace

ListFileResult ListFile(StringList& paths, bool leave_out_last) {
    ListFileResult result;
    if (paths.size() < kListFilePathCount && selection_units(paths) < kListFileUnits) return result;

    // A single long path left out for extraction would leave a list of nothing.
    const std::size_t listed = leave_out_last ? paths.size() - 1 : paths.size();
    if (listed == 0) return result;
    std::vector<unsigned char> bytes = {0xFF, 0xFE};
    paths.rewind();
    std::u16string_view path;
    for (std::size_t i = 0; i < listed && paths.next(path); ++i) {
        for (char16_t unit : path) put_unit(bytes, unit);
        put_unit(bytes, u'\r');
        put_unit(bytes, u'\n');
    }

    std::u16string name;
    std::FILE* file = create_temp_file(kListFilePrefix, name);
    if (file == nullptr) return result;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    const bool closed = std::fclose(file) == 0;
    // A list cut short would make the archiver skip files without a word: better to fall back
    // to the command line.
    if (!written || !closed) {
        delete_file(name);
        return result;
    }
    result.created = true;
    result.path = std::move(name);
    return result;
}

}  // namespace kub

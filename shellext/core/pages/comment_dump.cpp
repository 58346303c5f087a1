#include "shellext/core/pages/comment_dump.h"

#include <cstdio>
#include <utility>
#include <vector>

#include "common/files/file_helpers.h"
#include "common/files/path_limits.h"
#include "common/files/path_ops.h"
#include "common/files/temp_files.h"
#include "shellext/settings/archiver_path.h"

namespace kub {
namespace {

// The dump file goes however reading it ends, an allocation failure included.
class DumpFile {
  public:
    explicit DumpFile(std::u16string name) : name_(std::move(name)) {}
    ~DumpFile() {
        if (stream_ != nullptr) std::fclose(stream_);
        delete_file(name_);
    }
    DumpFile(const DumpFile&) = delete;
    DumpFile& operator=(const DumpFile&) = delete;

    std::FILE* open() {
        stream_ = open_file_stream(name_, "rb");
        return stream_;
    }

  private:
    std::u16string name_;
    std::FILE* stream_ = nullptr;
};

}  // namespace

std::optional<std::u16string> run_comment_dump(std::u16string_view archive,
                                               const ArchiverLauncher& launch) {
    std::u16string name;
    TempFolderPath(name, kPathBufferSize, false);
    append_separator(name);
    name += kCommentDumpPrefix;
    if (!AppendUniqueSuffix(name, kPathBufferSize)) return std::nullopt;

    LaunchRecord record;
    record.file = ArchiverPath();
    record.parameters = u"cw -y -scuc \"";
    record.parameters += archive;
    record.parameters += u"\" \"" + name + u"\"";
    record.wait = true;
    DumpFile dump(name);
    if (!launch(record)) return std::nullopt;

    std::FILE* file = dump.open();
    if (file == nullptr) return std::nullopt;
    std::vector<unsigned char> bytes(kMaxCommentDumpBytes);
    const std::size_t read = std::fread(bytes.data(), 1, bytes.size(), file);

    std::u16string text;
    text.reserve(read / 2);
    for (std::size_t i = 0; i + 1 < read; i += 2) {
        text.push_back(static_cast<char16_t>(bytes[i] | (bytes[i + 1] << 8)));
    }
    return text;
}

}  // namespace kub

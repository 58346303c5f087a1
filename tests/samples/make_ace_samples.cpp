// Writes sample ACE archives of the test writer into a folder (no free tool writes the format):
//   make_ace_samples FOLDER
// Used as fuzzing seeds. Exit 0 on success, 1 on a usage or write error.
#include <cstdio>
#include <string>

#include "common/checksum/crc32.h"
#include "tests/support/writers/ace_writer.h"

namespace {

kub::test::AceFile sample_file(const std::string& name, const std::string& data, std::uint16_t flags = 0) {
    kub::test::AceFile f;
    f.name = name;
    f.data = data;
    f.flags = flags;
    f.crc_register = ~kub::crc32(data.data(), data.size());
    return f;
}

bool write(const std::string& path, const std::string& bytes) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_ace_samples FOLDER\n");
        return 1;
    }
    const std::string folder = std::string(argv[1]) + "/";
    kub::test::AceArchive plain;
    plain.main_flags = 0x8000;
    kub::test::AceFile dir = sample_file("docs", "");
    dir.attributes = 0x10;
    plain.files = {dir, sample_file("docs\\a.txt", "hello\n"), sample_file("b.bin", std::string(300, 'b'))};
    plain.other_block_before_files = "other";
    kub::test::AceArchive volume;
    volume.main_flags = 0x0800;
    volume.files = {sample_file("split.bin", std::string(100, 's'), 0x2000)};
    const std::string plain_bytes = kub::test::ace_archive(plain);
    bool ok = write(folder + "plain.ace", plain_bytes) && write(folder + "volume.ace", kub::test::ace_archive(volume)) &&
              write(folder + "sfx.ace", std::string(2000, 'M') + plain_bytes);
    if (!ok) {
        std::fprintf(stderr, "make_ace_samples: cannot write into %s\n", argv[1]);
        return 1;
    }
    return 0;
}

#pragma once
// The folder of tar and gzip files made by GNU tar, bsdtar and gzip
// (tests/support/make-tar-fixtures.sh), with the listings the tools gave.
#include <cstdint>
#include <string>
#include <vector>

namespace kub::test {

struct TarExpectedEntry {
    std::string name;  // UTF-8, as tar -tv shows it, "/" separators, no trailing "/"
    std::uint64_t size = 0;
    bool folder = false;
    char type = '-';  // first letter of the mode tar -tv shows: '-', 'd', 'l', 'h'
};

struct TarFixture {
    std::u16string path;
    std::string name;  // file name, for messages
    std::vector<TarExpectedEntry> entries;  // tar files
    // gzip files (gzip -lvN): the uncompressed size (the last member's), the file size and the
    // name gzip would restore.
    bool gzip_listing = false;
    std::uint64_t gzip_uncompressed = 0;
    std::uint64_t gzip_compressed = 0;
    std::string gzip_name;
};

// The fixture folder (with a trailing separator), made if needed; empty with `error` set when it
// cannot be had. The folder is build/fixtures/tar of the source tree unless KUB_TAR_FIXTURES
// names another.
std::u16string tar_fixture_folder(const std::string& test_data_dir, std::string& error);

// Every file of the folder with a listing beside it, in name order.
std::vector<TarFixture> tar_fixtures(const std::u16string& folder);

}  // namespace kub::test

#pragma once
// The folder of ZIP archives made by independent tools (tests/support/make-zip-fixtures.sh), with
// the listings the tools gave. Natively the folder is made on first use; under Wine the native
// test run must have made it (the Windows build cannot run the tools).
#include <cstdint>
#include <string>
#include <vector>

namespace kub::test {

struct ExpectedEntry {
    std::u16string name;  // with "\" separators
    std::uint64_t size = 0;
    std::uint64_t packed = 0;
    bool folder = false;
};

struct ExpectedListing {
    std::vector<ExpectedEntry> entries;
    bool has_zipinfo = false;  // zipinfo's own totals follow
    std::int64_t zipinfo_entries = 0, zipinfo_unpacked = 0, zipinfo_packed = 0;
};

struct ZipFixture {
    std::u16string path;  // the archive
    std::string name;     // its file name, for messages
    ExpectedListing expected;
};

// The fixture folder (with a trailing separator), made if needed; empty with `error` set when it
// cannot be had. `test_data_dir` is the tests' KUB_TEST_DATA_DIR; the folder is build/fixtures/zip
// of the source tree (shared by the native and the Windows test trees) unless KUB_ZIP_FIXTURES
// names another.
std::u16string zip_fixture_folder(const std::string& test_data_dir, std::string& error);

// Every archive of the folder that has a listing beside it, split/set.zip included.
std::vector<ZipFixture> zip_fixtures(const std::u16string& folder);

}  // namespace kub::test

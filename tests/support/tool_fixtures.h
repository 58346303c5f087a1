#pragma once
// Archives made at test time by independent tools, each with the listing the tool itself gave
// beside it (ARCHIVE.expected, written by list-with-7zz.sh and the fixture scripts). Natively a
// fixture folder is made on first use by its script; under Wine the native test run must have
// made it (the Windows build cannot run the tools).
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

// Reads ARCHIVE.expected; an unreadable file gives an empty listing.
ExpectedListing read_expected_listing(const std::u16string& listing_path);

// How one fixture folder is made.
struct FixtureFolderRecipe {
    const char* folder_name;  // build/fixtures/NAME of the source tree
    const char* environment;  // a variable that may name another folder
    const char* script;       // in tests/support, called with the folder
    const char* marker;       // a file the finished folder holds
};

// The fixture folder (with a trailing separator), made if needed; empty with `error` set when it
// cannot be had. `test_data_dir` is the tests' KUB_TEST_DATA_DIR.
std::u16string tool_fixture_folder(const std::string& test_data_dir, const FixtureFolderRecipe& recipe,
                                   std::string& error);

}  // namespace kub::test

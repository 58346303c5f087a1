#pragma once
// The folder of bzip2, xz and compress files made by the tools themselves
// (tests/support/make-compressed-fixtures.sh): beside each NAME the tool's decoding
// (NAME.decoded) and, for compressed tars, GNU tar's listing (NAME.expected, read by
// tar_fixtures()).
#include <string>
#include <vector>

namespace kub::test {

struct DecodedFixture {
    std::u16string path;
    std::string name;  // file name, for messages
    std::u16string decoded_path;
};

// The fixture folder (with a trailing separator), made if needed; empty with `error` set when it
// cannot be had. build/fixtures/compressed of the source tree unless KUB_COMPRESSED_FIXTURES
// names another.
std::u16string compressed_fixture_folder(const std::string& test_data_dir, std::string& error);

// Every file of the folder with a decoding beside it, in name order.
std::vector<DecodedFixture> decoded_fixtures(const std::u16string& folder);

}  // namespace kub::test

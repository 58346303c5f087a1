#pragma once
// The folder of ZIP archives made by independent tools (tests/support/make-zip-fixtures.sh), with
// the listings the tools gave.
#include <string>
#include <vector>

#include "tests/support/tool_fixtures.h"

namespace kub::test {

struct ZipFixture {
    std::u16string path;  // the archive
    std::string name;     // its file name, for messages
    ExpectedListing expected;
};

// The fixture folder (with a trailing separator), made if needed; empty with `error` set when it
// cannot be had. The folder is build/fixtures/zip of the source tree (shared by the native and the
// Windows test trees) unless KUB_ZIP_FIXTURES names another.
std::u16string zip_fixture_folder(const std::string& test_data_dir, std::string& error);

// Every archive of the folder that has a listing beside it, split/set.zip included.
std::vector<ZipFixture> zip_fixtures(const std::u16string& folder);

}  // namespace kub::test

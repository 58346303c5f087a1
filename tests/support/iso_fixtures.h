#pragma once
// The folder of ISO 9660 and UDF images made by genisoimage, xorriso and mkudffs
// (tests/support/make-iso-fixtures.sh), with the listings isoinfo, xorriso and udfinfo gave.
#include <cstdint>
#include <string>
#include <vector>

namespace kub::test {

struct IsoExpectedEntry {
    std::string name;  // UTF-8, "/" separators, as the tool shows it
    std::uint64_t size = 0;
    bool folder = false;
};

struct IsoFixture {
    std::u16string path;
    std::string name;  // file name, for messages
    std::vector<IsoExpectedEntry> entries;
    std::string udf_revision;  // empty UDF volumes: the revision udfinfo reports ("2.01")
};

// The fixture folder (with a trailing separator), made if needed; empty with `error` set when it
// cannot be had. The folder is build/fixtures/iso of the source tree unless KUB_ISO_FIXTURES
// names another.
std::u16string iso_fixture_folder(const std::string& test_data_dir, std::string& error);

// Every image of the folder with a listing beside it, in name order.
std::vector<IsoFixture> iso_fixtures(const std::u16string& folder);

}  // namespace kub::test

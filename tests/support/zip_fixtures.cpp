#include "tests/support/zip_fixtures.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "common/text/encoding.h"
#include "tests/support/tool_fixture_folder.h"

namespace kub::test {

namespace fs = std::filesystem;

namespace {

std::u16string from_utf8(const std::string& text) {
    std::u16string out;
    utf8_to_wide(text, out);
    return out;
}

ExpectedListing read_listing(const fs::path& file) {
    ExpectedListing listing;
    std::ifstream in(file, std::ios::binary);
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        std::string kind;
        std::getline(fields, kind, '\t');
        if (kind == "item") {
            std::string size, packed, folder, name;
            std::getline(fields, size, '\t');
            std::getline(fields, packed, '\t');
            std::getline(fields, folder, '\t');
            std::getline(fields, name);
            ExpectedEntry e;
            e.name = from_utf8(name);
            std::replace(e.name.begin(), e.name.end(), u'/', u'\\');
            e.size = std::strtoull(size.c_str(), nullptr, 10);
            e.packed = std::strtoull(packed.c_str(), nullptr, 10);
            e.folder = folder == "1";
            listing.entries.push_back(e);
        } else if (kind == "zipinfo") {
            listing.has_zipinfo = true;
            fields >> listing.zipinfo_entries >> listing.zipinfo_unpacked >> listing.zipinfo_packed;
        }
    }
    return listing;
}

}  // namespace

std::u16string zip_fixture_folder(const std::string& test_data_dir, std::string& error) {
    static constexpr ToolFixtureSpec kSpec{"zip", "KUB_ZIP_FIXTURES", "make-zip-fixtures.sh",
                                           "zip_deflate.zip.expected"};
    return tool_fixture_folder(test_data_dir, kSpec, error);
}

std::vector<ZipFixture> zip_fixtures(const std::u16string& folder) {
    std::vector<ZipFixture> out;
    fs::path root(folder);
    std::vector<fs::path> archives;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(root, ec))
        if (entry.path().extension() == ".zip") archives.push_back(entry.path());
    archives.push_back(root / "split" / "set.zip");
    std::sort(archives.begin(), archives.end());
    for (const fs::path& archive : archives) {
        fs::path listing = archive;
        listing += ".expected";
        if (!fs::exists(listing, ec)) continue;
        ZipFixture f;
        f.path = archive.u16string();
        f.name = archive.filename().string();
        f.expected = read_listing(listing);
        out.push_back(std::move(f));
    }
    return out;
}

}  // namespace kub::test

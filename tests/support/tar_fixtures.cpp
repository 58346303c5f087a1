#include "tests/support/tar_fixtures.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "tests/support/tool_fixtures.h"

namespace kub::test {

namespace fs = std::filesystem;

namespace {

std::vector<std::string> split_tabs(const std::string& line) {
    std::vector<std::string> fields;
    std::istringstream in(line);
    std::string field;
    while (std::getline(in, field, '\t')) fields.push_back(field);
    return fields;
}

void read_listing(const fs::path& file, TarFixture& fixture) {
    std::ifstream in(file, std::ios::binary);
    std::string line;
    while (std::getline(in, line)) {
        std::vector<std::string> f = split_tabs(line);
        if (f.size() == 5 && f[0] == "item") {
            TarExpectedEntry e;
            e.size = std::strtoull(f[1].c_str(), nullptr, 10);
            e.folder = f[2] == "1";
            e.type = f[3].empty() ? '-' : f[3][0];
            e.name = f[4];
            fixture.entries.push_back(e);
        } else if (f.size() == 4 && f[0] == "gzip") {
            fixture.gzip_listing = true;
            fixture.gzip_uncompressed = std::strtoull(f[1].c_str(), nullptr, 10);
            fixture.gzip_compressed = std::strtoull(f[2].c_str(), nullptr, 10);
            fixture.gzip_name = f[3];
        }
    }
}

}  // namespace

std::u16string tar_fixture_folder(const std::string& test_data_dir, std::string& error) {
    static constexpr FixtureFolderRecipe kSpec{"tar", "KUB_TAR_FIXTURES", "make-tar-fixtures.sh", "gnu.tar.expected"};
    return tool_fixture_folder(test_data_dir, kSpec, error);
}

std::vector<TarFixture> tar_fixtures(const std::u16string& folder) {
    std::vector<TarFixture> out;
    std::error_code ec;
    std::vector<fs::path> listings;
    for (const auto& entry : fs::directory_iterator(fs::path(folder), ec)) {
        std::string ext = entry.path().extension().string();
        if (ext == ".expected" || ext == ".gzip-expected") listings.push_back(entry.path());
    }
    std::sort(listings.begin(), listings.end());
    for (const fs::path& listing : listings) {
        TarFixture f;
        fs::path archive = listing;
        archive.replace_extension();
        f.path = archive.u16string();
        f.name = archive.filename().string();
        read_listing(listing, f);
        out.push_back(std::move(f));
    }
    return out;
}

}  // namespace kub::test

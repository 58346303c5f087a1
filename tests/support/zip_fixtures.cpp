#include "tests/support/zip_fixtures.h"

#include <algorithm>
#include <filesystem>

namespace kub::test {

namespace fs = std::filesystem;

std::u16string zip_fixture_folder(const std::string& test_data_dir, std::string& error) {
    static constexpr FixtureFolderRecipe kRecipe{"zip", "KUB_ZIP_FIXTURES", "make-zip-fixtures.sh",
                                                 "zip_deflate.zip.expected"};
    return tool_fixture_folder(test_data_dir, kRecipe, error);
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
        f.expected = read_expected_listing(listing.u16string());
        out.push_back(std::move(f));
    }
    return out;
}

}  // namespace kub::test

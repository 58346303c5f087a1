#include "tests/support/iso_fixtures.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "tests/support/tool_fixtures.h"

namespace kub::test {

namespace fs = std::filesystem;

std::u16string iso_fixture_folder(const std::string& test_data_dir, std::string& error) {
    static constexpr FixtureFolderRecipe kRecipe{"iso", "KUB_ISO_FIXTURES", "make-iso-fixtures.sh",
                                           "xorriso_plain.iso.expected"};
    return tool_fixture_folder(test_data_dir, kRecipe, error);
}

std::vector<IsoFixture> iso_fixtures(const std::u16string& folder) {
    std::vector<IsoFixture> out;
    std::error_code ec;
    std::vector<fs::path> listings;
    for (const auto& entry : fs::directory_iterator(fs::path(folder), ec))
        if (entry.path().extension() == ".expected") listings.push_back(entry.path());
    std::sort(listings.begin(), listings.end());
    for (const fs::path& listing : listings) {
        IsoFixture f;
        fs::path image = listing;
        image.replace_extension();
        f.path = image.u16string();
        f.name = image.filename().string();
        std::ifstream in(listing, std::ios::binary);
        std::string line;
        while (std::getline(in, line)) {
            std::vector<std::string> fields;
            std::istringstream split(line);
            std::string field;
            while (std::getline(split, field, '\t')) fields.push_back(field);
            if (fields.size() == 4 && fields[0] == "item") {
                f.entries.push_back({fields[3], std::strtoull(fields[1].c_str(), nullptr, 10), fields[2] == "1"});
            } else if (fields.size() == 2 && fields[0] == "udf") {
                f.udf_revision = fields[1];
            }
        }
        out.push_back(std::move(f));
    }
    return out;
}

}  // namespace kub::test

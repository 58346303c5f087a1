#include "tests/support/compressed_fixtures.h"

#include <algorithm>
#include <filesystem>

#include "tests/support/tool_fixtures.h"

namespace kub::test {

namespace fs = std::filesystem;

std::u16string compressed_fixture_folder(const std::string& test_data_dir, std::string& error) {
    static constexpr FixtureFolderRecipe kSpec{"compressed", "KUB_COMPRESSED_FIXTURES", "make-compressed-fixtures.sh",
                                           "gnu.taz.expected"};
    return tool_fixture_folder(test_data_dir, kSpec, error);
}

std::vector<DecodedFixture> decoded_fixtures(const std::u16string& folder) {
    std::vector<DecodedFixture> out;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(fs::path(folder), ec)) {
        if (entry.path().extension() != ".decoded") continue;
        fs::path archive = entry.path();
        archive.replace_extension();
        out.push_back({archive.u16string(), archive.filename().string(), entry.path().u16string()});
    }
    std::sort(out.begin(), out.end(), [](const auto& a, const auto& b) { return a.name < b.name; });
    return out;
}

}  // namespace kub::test

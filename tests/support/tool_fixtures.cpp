#include "tests/support/tool_fixtures.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "common/text/encoding.h"

namespace kub::test {

namespace fs = std::filesystem;

namespace {

std::u16string from_utf8(const std::string& text) {
    std::u16string out;
    utf8_to_wide(text, out);
    return out;
}

fs::path folder_path(const std::string& test_data_dir, const FixtureFolderRecipe& recipe) {
    if (const char* set = std::getenv(recipe.environment)) return fs::path(set);
    // Resolved by text: the data folder itself need not exist.
    return (fs::path(test_data_dir) / ".." / ".." / "build" / "fixtures" / recipe.folder_name).lexically_normal();
}

}  // namespace

ExpectedListing read_expected_listing(const std::u16string& listing_path) {
    ExpectedListing listing;
    std::ifstream in(fs::path(listing_path), std::ios::binary);
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

std::u16string tool_fixture_folder(const std::string& test_data_dir, const FixtureFolderRecipe& recipe,
                                   std::string& error) {
    fs::path folder = folder_path(test_data_dir, recipe);
    std::error_code ec;
    if (!fs::exists(folder / recipe.marker, ec)) {
#if defined(_WIN32)
        error = "no fixtures in " + folder.string() + ": run the native tests first (they make them)";
        return {};
#else
        fs::path script = (fs::path(test_data_dir) / ".." / "support" / recipe.script).lexically_normal();
        std::string command = "\"" + script.string() + "\" \"" + folder.string() + "\" >/dev/null";
        if (std::system(command.c_str()) != 0) {
            error = std::string("tests/support/") + recipe.script + " failed (are the tools installed?)";
            return {};
        }
#endif
    }
    std::u16string path = folder.lexically_normal().u16string();
    if (!path.empty() && path.back() != u'/' && path.back() != u'\\') path += u'/';
    return path;
}

}  // namespace kub::test

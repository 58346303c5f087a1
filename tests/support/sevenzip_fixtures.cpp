#include "tests/support/sevenzip_fixtures.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>

#include "common/registry/app_paths.h"
#include "common/registry/registry_access.h"
#include "common/text/encoding.h"

namespace kub::test {

namespace fs = std::filesystem;

fs::path filesystem_path(std::u16string text) {
#if !defined(_WIN32)
    std::replace(text.begin(), text.end(), u'\\', u'/');
#endif
    return fs::path(text);
}

std::u16string sevenzip_fixture_folder(const std::string& test_data_dir, std::string& error) {
    static constexpr FixtureFolderRecipe kRecipe{"7z", "KUB_7Z_FIXTURES", "make-7z-fixtures.sh",
                                                 "split/set.7z.001.expected"};
    return tool_fixture_folder(test_data_dir, kRecipe, error);
}

std::vector<SevenZipFixture> sevenzip_fixtures(const std::u16string& folder) {
    std::vector<SevenZipFixture> out;
    fs::path root(folder);
    std::vector<fs::path> archives;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(root, ec)) {
        fs::path listing = entry.path();
        listing += ".expected";
        if (entry.is_regular_file(ec) && fs::exists(listing, ec)) archives.push_back(entry.path());
    }
    archives.push_back(root / "split" / "set.7z.001");
    std::sort(archives.begin(), archives.end());
    for (const fs::path& archive : archives) {
        fs::path listing = archive;
        listing += ".expected";
        if (!fs::exists(listing, ec)) continue;
        SevenZipFixture f;
        f.path = archive.u16string();
        f.name = archive.lexically_relative(root).generic_string();
        f.expected = read_expected_listing(listing.u16string());
        out.push_back(std::move(f));
    }
    return out;
}

std::u16string real_library_file() {
    std::u16string path;
    if (const char* named = std::getenv("KUB_7ZXA")) {
        utf8_to_wide(named, path);
        return path;
    }
#if !defined(_WIN32)
    std::error_code ec;
    if (fs::exists("/usr/lib/p7zip/7z.so", ec)) return u"/usr/lib/p7zip/7z.so";
#endif
    return {};
}

InstalledLibrary::InstalledLibrary(const ScratchFolder& folder, const std::u16string& library) {
    if (folder.path().empty()) return;
    if (!library.empty()) {
        std::error_code ec;
        fs::path target = filesystem_path(folder / u"7zxa.dll");
#if defined(_WIN32)
        fs::copy_file(filesystem_path(library), target, fs::copy_options::overwrite_existing, ec);
#else
        fs::create_symlink(filesystem_path(library), target, ec);
#endif
        if (ec) return;
    }
    ok_ = write_registry_string(RegistryRoot::kLocalMachine, kAppPathsKey, u"", folder / u"korvex.exe") ==
          os::kRegOk;
}

InstalledLibrary::~InstalledLibrary() { delete_registry_key(RegistryRoot::kLocalMachine, kAppPathsKey); }

AppPathsValue::AppPathsValue(const std::u16string& value) {
    write_registry_string(RegistryRoot::kLocalMachine, kAppPathsKey, u"", value);
}

AppPathsValue::~AppPathsValue() { delete_registry_key(RegistryRoot::kLocalMachine, kAppPathsKey); }

}  // namespace kub::test

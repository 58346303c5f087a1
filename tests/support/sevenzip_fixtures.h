#pragma once
// 7z archives made by 7zz (tests/support/make-7z-fixtures.sh) with 7zz's listings, and the real
// extraction library installed for a test the way the archiver's installer leaves it: "7zxa.dll"
// in the folder that the App Paths entry of the archiver's executable points into.
#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/scratch_folder.h"
#include "tests/support/tool_fixtures.h"

namespace kub::test {

struct SevenZipFixture {
    std::u16string path;
    std::string name;  // relative to the folder, for messages
    ExpectedListing expected;
};

// A path of ours (separators "\\" or "/") as std::filesystem takes it on this system.
std::filesystem::path filesystem_path(std::u16string text);

// build/fixtures/7z of the source tree unless KUB_7Z_FIXTURES names another folder.
std::u16string sevenzip_fixture_folder(const std::string& test_data_dir, std::string& error);
std::vector<SevenZipFixture> sevenzip_fixtures(const std::u16string& folder);

// The real library to test with: KUB_7ZXA names it; natively 7-Zip's 7z.so is the default.
// Empty when there is none (the Windows build has one only when KUB_7ZXA names it).
std::u16string real_library_file();

// Points the App Paths entry into `folder` and, unless `library` is empty, puts the library there
// as "7zxa.dll". The entry is removed again when the object goes.
class InstalledLibrary {
public:
    InstalledLibrary(const ScratchFolder& folder, const std::u16string& library);
    ~InstalledLibrary();
    InstalledLibrary(const InstalledLibrary&) = delete;
    InstalledLibrary& operator=(const InstalledLibrary&) = delete;
    bool ok() const { return ok_; }

private:
    bool ok_ = false;
};

// Sets the App Paths entry's value as given (no library is put anywhere); removed when the object
// goes.
class AppPathsValue {
public:
    explicit AppPathsValue(const std::u16string& value);
    ~AppPathsValue();
    AppPathsValue(const AppPathsValue&) = delete;
    AppPathsValue& operator=(const AppPathsValue&) = delete;
};

}  // namespace kub::test

// 7z archives made by 7zz, analysed through the real extraction library and compared with 7zz's
// own listings; and the same archives with no library to be had.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "formats/archive_analysis.h"
#include "formats/format_registry.h"
#include "formats/sevenzip/sevenzip_library.h"
#include "tests/support/ascii_text.h"
#include "tests/support/recorded_analysis.h"
#include "tests/support/scratch_folder.h"
#include "tests/support/fixtures/sevenzip_fixtures.h"

namespace kub {
namespace {

using Result = test::RecordedAnalysis;

Result analyse(const std::u16string& path, bool quick = false) { return test::analyse_recording(path, quick); }

std::string read_bytes(const std::u16string& path) {
    std::ifstream in(test::filesystem_path(path), std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

class SevenZipFixtureTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        folder = test::sevenzip_fixture_folder(KUB_TEST_DATA_DIR, error);
        ASSERT_FALSE(folder.empty()) << error;
        fixtures = test::sevenzip_fixtures(folder);
        ASSERT_EQ(fixtures.size(), 9u);
    }
    const test::SevenZipFixture& fixture(const std::string& name) {
        for (const auto& f : fixtures)
            if (f.name == name) return f;
        ADD_FAILURE() << "no fixture " << name;
        static test::SevenZipFixture none;
        return none;
    }

    std::u16string folder;
    std::vector<test::SevenZipFixture> fixtures;
    test::ScratchFolder library_folder;
};

class WithRealLibrary : public SevenZipFixtureTest {
protected:
    void SetUp() override {
        SevenZipFixtureTest::SetUp();
        std::u16string library = test::real_library_file();
        if (library.empty()) GTEST_SKIP() << "no 7-Zip library here (KUB_7ZXA names one)";
        installed = std::make_unique<test::InstalledLibrary>(library_folder, library);
        ASSERT_TRUE(installed->ok());
    }
    std::unique_ptr<test::InstalledLibrary> installed;
};

// Every item in 7zz's order with its path, sizes and folder flag; the totals over them. The
// archive with encrypted headers is checked on its own below.
TEST_F(WithRealLibrary, ListingsMatch7zz) {
    for (const test::SevenZipFixture& f : fixtures) {
        if (f.name == "encrypted_headers.7z") continue;
        SCOPED_TRACE(f.name);
        Result r = analyse(f.path);
        ASSERT_EQ(r.code, kAnalyzeArchive);
        EXPECT_EQ(r.summary.ReaderIndex, static_cast<std::uint32_t>(kSevenZipReaderIndex));
        EXPECT_EQ(test::ascii_text(r.summary.FormatName), "7-Zip");
        test::expect_items_match(r, f.expected);
        EXPECT_EQ(r.summary.TotalPacked, test::listed_packed_total(f.expected));
        for (const ItemHeader& item : r.items) {
            // A folder carries the attribute the analysis counts files by.
            EXPECT_EQ((item.Attributes & kAttrDirectory) != 0, item.IsDirectory) << test::ascii_text(item.Name);
        }
        EXPECT_FALSE(r.summary.HeadersEncrypted);
    }
}

TEST_F(WithRealLibrary, ItemDetails) {
    Result r = analyse(fixture("lzma2_solid.7z").path);
    ASSERT_EQ(r.code, kAnalyzeArchive);
    const ItemHeader* hello = nullptr;
    for (const ItemHeader& item : r.items)
        if (item.Name == u"a.txt") hello = &item;
    ASSERT_NE(hello, nullptr);
    // CRC-32 of "hello\n".
    EXPECT_EQ(hello->HashKind, kHashCrc32);
    EXPECT_EQ(hello->HashValue[0], 0x20);
    EXPECT_EQ(hello->HashValue[1], 0x30);
    EXPECT_EQ(hello->HashValue[2], 0x3A);
    EXPECT_EQ(hello->HashValue[3], 0x36);
    EXPECT_FALSE(hello->IsEncrypted);
    // Made a moment ago: a time after 2020-01-01 (FILETIME 132223104000000000).
    EXPECT_GT(hello->ModTime, 132223104000000000ull);
    // The folders and the empty file, listed first, have no checksum; every later file has one.
    EXPECT_EQ(r.summary.SummaryHashKind, static_cast<std::uint32_t>(kHashCrc32));
    EXPECT_EQ(r.summary.SfxSize, 0);
    EXPECT_FALSE(r.summary.AnyEncrypted);
    // The Chinese folder name comes through the library's 4-byte (natively) or 2-byte text intact.
    bool chinese = false;
    for (const ItemHeader& item : r.items)
        if (item.Name == u"\u4E2D\u6587\u76EE\u5F55\\\u6587\u4EF6.txt") chinese = true;
    EXPECT_TRUE(chinese);
}

TEST_F(WithRealLibrary, EncryptedDataIsFlaggedPerFile) {
    Result r = analyse(fixture("encrypted_data.7z").path);
    ASSERT_EQ(r.code, kAnalyzeArchive);
    ASSERT_FALSE(r.items.empty());
    for (const ItemHeader& item : r.items) {
        SCOPED_TRACE(test::ascii_text(item.Name));
        // Folders and empty files have no data to encrypt.
        EXPECT_EQ(item.IsEncrypted, !item.IsDirectory && item.UnpackedSize != 0);
    }
    EXPECT_TRUE(r.summary.AnyEncrypted);
    EXPECT_FALSE(r.summary.HeadersEncrypted);
}

// The library asks for a password while opening; it is refused at once, nothing is counted, and
// the archive is still reported, as having encrypted headers.
TEST_F(WithRealLibrary, EncryptedHeadersAnswerAtOnce) {
    const test::SevenZipFixture& f = fixture("encrypted_headers.7z");
    ASSERT_FALSE(f.expected.entries.empty());  // 7zz lists them with the password
    auto start = std::chrono::steady_clock::now();
    Result r = analyse(f.path);
    auto elapsed = std::chrono::steady_clock::now() - start;
    ASSERT_EQ(r.code, kAnalyzeArchive);
    EXPECT_TRUE(r.items.empty());
    EXPECT_EQ(r.summary.ItemCount, 0);
    EXPECT_TRUE(r.summary.HeadersEncrypted);
    EXPECT_TRUE(r.summary.AnyEncrypted);
    EXPECT_EQ(test::ascii_text(r.summary.FormatName), "7-Zip");
    // Nobody waits for a prompt that never comes.
    EXPECT_LT(elapsed, std::chrono::seconds(20));
}

TEST_F(WithRealLibrary, ArchiveBehindAStub) {
    Result r = analyse(fixture("sfx_stub.exe").path);
    ASSERT_EQ(r.code, kAnalyzeArchive);
    EXPECT_EQ(r.summary.SfxSize, 300000);
    EXPECT_EQ(r.items.size(), fixture("sfx_stub.exe").expected.entries.size());
}

TEST_F(WithRealLibrary, PartsAreReadAsOneStream) {
    // set.7z.001 and set.7z.002 exist, set.7z.003 does not.
    Result set = analyse(fixture("split/set.7z.001").path);
    ASSERT_EQ(set.code, kAnalyzeArchive);
    ASSERT_EQ(set.items.size(), 2u);
    EXPECT_EQ(set.items[0].Name, u"random-150k.bin");
    EXPECT_EQ(set.items[0].UnpackedSize, 150000u);
    EXPECT_EQ(set.items[1].Name, u"tree\\a.txt");
    // A lone first part is read as the single file it is.
    Result single = analyse(fixture("single.7z.001").path);
    ASSERT_EQ(single.code, kAnalyzeArchive);
    EXPECT_EQ(single.items.size(), fixture("lzma2_nonsolid.7z").expected.entries.size());
}

// An item stored without a path is named after the archive, as 7zz names it.
TEST_F(WithRealLibrary, ItemWithoutPathIsNamedAfterTheArchive) {
    Result r = analyse(fixture("from_stdin.7z").path);
    ASSERT_EQ(r.items.size(), 1u);
    EXPECT_EQ(r.items[0].Name, u"from_stdin");
    EXPECT_EQ(r.items[0].UnpackedSize, fixture("from_stdin.7z").expected.entries[0].size);
}

// A 7z archive keeps its item list at the end: cut anywhere, it lists nothing, yet stays a 7z
// archive as long as its signature is there.
TEST_F(WithRealLibrary, TruncatedArchivesListNothing) {
    std::string bytes = read_bytes(fixture("lzma2_solid.7z").path);
    ASSERT_GT(bytes.size(), 1000u);
    constexpr int kCuts = 24;
    for (int i = 0; i < kCuts; ++i) {
        std::size_t length = 7 + (bytes.size() - 8) * static_cast<std::size_t>(i) / kCuts;
        SCOPED_TRACE(length);
        ASSERT_TRUE(library_folder.write_file(u"cut.7z", std::string_view(bytes).substr(0, length)));
        Result r = analyse(library_folder / u"cut.7z");
        ASSERT_EQ(r.code, kAnalyzeArchive);
        EXPECT_EQ(test::ascii_text(r.summary.FormatName), "7-Zip");
        EXPECT_EQ(r.summary.ItemCount, 0);
    }
}

// A quick analysis recognises the archive without loading the library.
TEST_F(WithRealLibrary, QuickAnalysisListsNothing) {
    Result r = analyse(fixture("sfx_stub.exe").path, true);
    ASSERT_EQ(r.code, kAnalyzeArchive);
    EXPECT_TRUE(r.items.empty());
    EXPECT_EQ(r.summary.SfxSize, 300000);
    EXPECT_EQ(r.summary.ReaderIndex, static_cast<std::uint32_t>(kSevenZipReaderIndex));
}

// Without a library every 7z archive is still recognised, with its format name and SFX size.
TEST_F(SevenZipFixtureTest, WithoutLibraryTheArchiveIsStillRecognised) {
    struct Case {
        const char* what;
        std::u16string app_path;  // empty: no App Paths entry
    };
    std::vector<Case> cases = {
        {"no App Paths entry", u""},
        {"App Paths into a folder without the library", library_folder / u"korvex.exe"},
        {"App Paths into a folder that does not exist", library_folder / u"missing/korvex.exe"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::unique_ptr<test::AppPathsValue> value;
        if (!c.app_path.empty()) value = std::make_unique<test::AppPathsValue>(c.app_path);
        Result r = analyse(fixture("sfx_stub.exe").path);
        ASSERT_EQ(r.code, kAnalyzeArchive);
        EXPECT_EQ(test::ascii_text(r.summary.FormatName), "7-Zip");
        EXPECT_EQ(r.summary.SfxSize, 300000);
        EXPECT_EQ(r.summary.ReaderIndex, static_cast<std::uint32_t>(kSevenZipReaderIndex));
        EXPECT_EQ(r.summary.ItemCount, 0);
        EXPECT_FALSE(r.summary.HeadersEncrypted);
    }
}

// A library planted in the current folder is never loaded: an App Paths value without a folder,
// or with a relative one, names no library.
TEST_F(SevenZipFixtureTest, PlantedLibraryInTheCurrentFolderIsIgnored) {
    std::u16string library = test::real_library_file();
    if (library.empty()) GTEST_SKIP() << "no 7-Zip library here to plant";
    test::InstalledLibrary planted(library_folder, library);  // puts 7zxa.dll there
    ASSERT_TRUE(planted.ok());
    // The archive beside it: a fixture path without a drive would change with the current folder
    // under Windows.
    ASSERT_TRUE(library_folder.write_file(u"archive.7z", read_bytes(fixture("lzma2_solid.7z").path)));
    std::error_code ec;
    std::filesystem::path previous = std::filesystem::current_path(ec);
    std::filesystem::current_path(test::filesystem_path(library_folder.path()), ec);
    ASSERT_FALSE(ec);
    for (std::u16string value : {u"korvex.exe", u".\\korvex.exe", u"./korvex.exe"}) {
        SCOPED_TRACE(test::ascii_text(value));
        test::AppPathsValue app_path(value);
        if (value == u"korvex.exe") {
            EXPECT_EQ(sevenzip::find_installed_library(), u"");
        }
        Result r = analyse(library_folder / u"archive.7z");
        EXPECT_EQ(r.code, kAnalyzeArchive);
        EXPECT_EQ(r.summary.ItemCount, 0);
    }
    // The same library by its full path is loaded: the refusals above were for the path alone.
    {
        test::AppPathsValue app_path(library_folder / u"korvex.exe");
        EXPECT_EQ(analyse(library_folder / u"archive.7z").summary.ItemCount,
                  static_cast<std::int32_t>(fixture("lzma2_solid.7z").expected.entries.size()));
    }
    std::filesystem::current_path(previous, ec);
}

}  // namespace
}  // namespace kub

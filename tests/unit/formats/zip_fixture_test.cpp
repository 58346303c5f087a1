// ZIP archives made by zip, 7zz and bsdtar, analysed and compared with the tools' own listings.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "formats/archive_analysis.h"
#include "formats/zip/zip_reader.h"
#include "tests/support/ascii_text.h"
#include "tests/support/recorded_analysis.h"
#include "tests/support/fixtures/zip_fixtures.h"

namespace kub {
namespace {

class ZipFixtureTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        folder = test::zip_fixture_folder(KUB_TEST_DATA_DIR, error);
        ASSERT_FALSE(folder.empty()) << error;
        fixtures = test::zip_fixtures(folder);
        ASSERT_GE(fixtures.size(), 19u);
    }
    const test::ZipFixture& fixture(const std::string& name) {
        for (const auto& f : fixtures)
            if (f.name == name) return f;
        ADD_FAILURE() << "no fixture " << name;
        static test::ZipFixture none;
        return none;
    }
    using Result = test::RecordedAnalysis;
    static Result analyse(const std::u16string& path) { return test::analyse_recording(path); }

    std::u16string folder;
    std::vector<test::ZipFixture> fixtures;
};

// Every entry, in directory order, with the sizes and the folder flag the tool reports; the
// totals as zipinfo counts them.
TEST_F(ZipFixtureTest, ListingsMatchTheTools) {
    for (const test::ZipFixture& f : fixtures) {
        SCOPED_TRACE(f.name);
        Result r = analyse(f.path);
        ASSERT_EQ(r.code, kAnalyzeArchive);
        EXPECT_EQ(r.summary.ReaderIndex, static_cast<std::uint32_t>(kZipReaderIndex));
        test::expect_items_match(r, f.expected);
        if (!f.expected.entries.empty()) {
            EXPECT_EQ(r.summary.TotalPacked, test::listed_packed_total(f.expected));
        }
        if (f.expected.has_zipinfo) {
            EXPECT_EQ(r.summary.ItemCount, f.expected.zipinfo_entries);
            EXPECT_EQ(r.summary.TotalUnpacked, f.expected.zipinfo_unpacked);
            // zipinfo leaves the encryption headers out of its packed total; the directory counts them.
            if (!r.summary.AnyEncrypted) {
                EXPECT_EQ(r.summary.TotalPacked, f.expected.zipinfo_packed);
            }
        }
    }
}

TEST_F(ZipFixtureTest, ArchiveFacts) {
    struct Case {
        std::string name;
        std::u16string format;
        std::int64_t sfx;
        bool comment, encrypted;
    };
    const Case cases[] = {
        {"zip_deflate.zip", u"ZIP", 0, false, false},
        {"zip_comments.zip", u"ZIP", 0, true, false},
        {"zip_encrypted.zip", u"ZIP", 0, false, true},
        {"7zz_aes.zip", u"ZIP", 0, false, true},
        {"zip_zip64_extra.zip", u"ZIP64", 0, false, false},
        {"zip64_many_entries.zip", u"ZIP64", 0, false, false},
        {"prepended.zip", u"ZIP", 100000, false, false},
        {"prepended_adjusted.zip", u"ZIP", 100000, false, false},
        {"empty.zip", u"ZIP", 0, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Result r = analyse(fixture(c.name).path);
        ASSERT_EQ(r.code, kAnalyzeArchive);
        EXPECT_EQ(r.summary.FormatName, c.format);
        EXPECT_EQ(r.summary.SfxSize, c.sfx);
        EXPECT_EQ(r.summary.HasComment, c.comment);
        EXPECT_EQ(r.summary.AnyEncrypted, c.encrypted);
    }
    Result many = analyse(fixture("zip64_many_entries.zip").path);
    EXPECT_EQ(many.summary.ItemCount, 65601);
    Result unix_made = analyse(fixture("zip_deflate.zip").path);
    EXPECT_EQ(unix_made.summary.HostOSList, u"Unix");
    EXPECT_EQ(unix_made.summary.SummaryHashKind, kHashCrc32);
}

TEST_F(ZipFixtureTest, CommentsAsTheInformationPageReadsThem) {
    ArchiveAnalysis analysis;
    ASSERT_EQ(analysis.Analyze(fixture("zip_comments.zip").path, true, 0), kAnalyzeArchive);
    std::vector<std::uint8_t> raw = ReadZipComment(fixture("zip_comments.zip").path);
    EXPECT_EQ(std::string(raw.begin(), raw.end()), "archive comment\r\nsecond line");  // zip stores CR LF
}

TEST_F(ZipFixtureTest, SplitSetFromItsFirstAndItsLastPiece) {
    std::u16string last = folder + u"split/set.zip";
    std::u16string first = folder + u"split/set.z01";
    Result from_last = analyse(last);
    Result from_first = analyse(first);
    ASSERT_EQ(from_last.code, kAnalyzeArchive);
    ASSERT_EQ(from_first.code, kAnalyzeArchive);
    EXPECT_EQ(from_first.path, last);
    EXPECT_EQ(from_first.summary.ItemCount, from_last.summary.ItemCount);
    EXPECT_EQ(from_first.summary.TotalUnpacked, from_last.summary.TotalUnpacked);
    EXPECT_EQ(from_first.summary.TotalPacked, from_last.summary.TotalPacked);
    EXPECT_EQ(from_first.summary.SfxSize, 0);
    EXPECT_EQ(from_first.summary.ItemCount, 2);
}

}  // namespace
}  // namespace kub

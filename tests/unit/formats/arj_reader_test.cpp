// ARJ archives made by arj, compared with what arj v lists for each file of them; volume sets,
// comments and damaged headers.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "common/error_state.h"
#include "common/text/encoding.h"
#include "formats/arj/arj_reader.h"
#include "formats/format_registry.h"
#include "tests/support/analysed_archive.h"
#include "tests/support/report_recorder.h"
#include "tests/support/scratch_folder.h"
#include "tests/support/fixtures/tool_fixtures.h"
#include "tests/support/fixtures/tool_listing.h"

namespace kub {
namespace {

using test::analyse_archive;

std::string read_bytes(const std::u16string& path) {
    std::ifstream in(std::filesystem::path(path), std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

std::u16string listed_name(const std::string& utf8) {
    std::u16string out;
    utf8_to_wide(utf8, out);
    for (char16_t& c : out)
        if (c == u'/') c = u'\\';
    return out;
}

class ArjFixtureTest : public ::testing::Test {
protected:
    void SetUp() override {
        static constexpr test::FixtureFolderRecipe kSpec{"arj", "KUB_ARJ_FIXTURES", "make-arj-fixtures.sh",
                                                     "volumes.arj.expected"};
        std::string error;
        folder = test::tool_fixture_folder(KUB_TEST_DATA_DIR, kSpec, error);
        ASSERT_FALSE(folder.empty()) << error;
        ErrorState::reset();
    }
    std::u16string folder;
};

// Each file on its own (volumes not followed), entry by entry.
TEST_F(ArjFixtureTest, ListingsMatchArj) {
    std::vector<test::ToolListing> listings = test::tool_listings(folder);
    ASSERT_EQ(listings.size(), 9u);
    for (const test::ToolListing& listing : listings) {
        SCOPED_TRACE(listing.name);
        test::AnalysedArchive r = analyse_archive(listing.path, kVolumeModeNoFollow);
        ASSERT_EQ(r.code, kAnalyzeArchive);
        EXPECT_EQ(r.summary.ReaderIndex, static_cast<std::uint32_t>(kArjReaderIndex));
        EXPECT_EQ(r.summary.FormatName, u"ARJ");
        if (listing.name == "sfx.exe") {
            EXPECT_GT(r.summary.SfxSize, 10000);
        } else {
            EXPECT_EQ(r.summary.SfxSize, 0);
        }
        EXPECT_EQ(r.summary.IsVolume, listing.name.starts_with("volumes") && listing.name != "volumes.a02");
        EXPECT_EQ(r.summary.HasComment, listing.name == "comment.arj");
        ASSERT_EQ(r.items.size(), listing.records.size());
        for (std::size_t i = 0; i < r.items.size(); ++i) {
            const ItemHeader& got = r.items[i];
            const std::vector<std::string>& want = listing.records[i];
            ASSERT_EQ(want.size(), 5u);
            SCOPED_TRACE(want[4]);
            bool folder_entry = want[3][0] == 'd';
            EXPECT_EQ(got.Name, listed_name(want[4]));
            EXPECT_EQ(got.UnpackedSize, std::stoull(want[1]));
            EXPECT_EQ(got.PackedSize, std::stoull(want[2]));
            EXPECT_EQ(got.IsDirectory, folder_entry);
            EXPECT_EQ((got.Attributes & kAttrDirectory) != 0, folder_entry);
            EXPECT_EQ(got.HostOS, u"MS DOS");
            EXPECT_EQ(got.HashKind, static_cast<std::uint32_t>(kHashCrc32));
            EXPECT_EQ(got.DictSizeKB, 32u);
        }
    }
}

// big.bin runs through all three volumes; each piece carries its own size, and the analysis adds
// them up.
TEST_F(ArjFixtureTest, VolumeSetIsFollowed) {
    test::AnalysedArchive r = analyse_archive(folder + u"volumes.arj", kVolumeModeFollowAll);
    ASSERT_EQ(r.code, kAnalyzeArchive);
    ASSERT_EQ(r.items.size(), 4u);
    EXPECT_TRUE(r.items[0].SplitAfter);
    EXPECT_FALSE(r.items[0].SplitBefore);
    EXPECT_TRUE(r.items[1].SplitBefore);
    EXPECT_TRUE(r.items[1].SplitAfter);
    EXPECT_TRUE(r.items[2].SplitBefore);
    EXPECT_FALSE(r.items[2].SplitAfter);
    EXPECT_EQ(r.summary.ItemCount, 2);
    EXPECT_EQ(r.summary.TotalUnpacked, 150000 + 6);
    EXPECT_TRUE(r.summary.IsVolume);
    EXPECT_TRUE(r.summary.IsFirstVolume);
    EXPECT_TRUE(r.summary.IsLastVolume);
    EXPECT_EQ(r.summary.TotalPacked,
              static_cast<std::int64_t>(r.items[0].PackedSize + r.items[1].PackedSize + r.items[2].PackedSize + 6));
}

TEST_F(ArjFixtureTest, CommentAsGiven) {
    ArjReader reader(nullptr);
    std::vector<std::uint8_t> comment = reader.GetComment(folder + u"comment.arj");
    std::string given = read_bytes(folder + u"comment.arj.comment");
    ASSERT_FALSE(comment.empty());
    std::string text(comment.begin(), comment.end());
    // arj keeps the lines and may end them with CR LF.
    std::string plain;
    for (char c : text)
        if (c != '\r') plain += c;
    EXPECT_EQ(plain + (plain.ends_with('\n') ? "" : "\n"), given);
    EXPECT_TRUE(reader.GetComment(folder + u"files.arj").empty());
    // A self-extracting archive's comment is looked for at offset 0 only.
    EXPECT_TRUE(reader.GetComment(folder + u"sfx.exe").empty());
}

TEST(ArjNamesTest, NextVolumeNames) {
    ArjReader reader(nullptr);
    auto next = [&](std::u16string name) {
        reader.NextVolumeName(name);
        return name;
    };
    EXPECT_EQ(next(u"C:\\d\\name.arj"), u"C:\\d\\name.a01");
    EXPECT_EQ(next(u"NAME.ARJ"), u"NAME.a01");
    EXPECT_EQ(next(u"name.a01"), u"name.a02");
    EXPECT_EQ(next(u"name.a09"), u"name.a10");
    EXPECT_EQ(next(u"name.a99"), u"name.100");
    EXPECT_EQ(next(u"name.100"), u"name.101");
    EXPECT_EQ(next(u"name.999"), u"name.999");  // nothing after it
    EXPECT_EQ(next(u"name"), u"name");
}

// Offsets of the headers of an archive: the main header, then each file header.
std::vector<std::size_t> header_offsets(const std::string& bytes) {
    std::vector<std::size_t> out;
    std::size_t pos = 0;
    bool main = true;
    while (pos + 4 <= bytes.size()) {
        std::size_t size = static_cast<unsigned char>(bytes[pos + 2]) | static_cast<unsigned char>(bytes[pos + 3]) << 8;
        if (size == 0) break;
        out.push_back(pos);
        std::size_t basic = pos + 4;
        std::uint32_t compressed = 0;
        for (int i = 3; i >= 0; --i) compressed = compressed << 8 | static_cast<unsigned char>(bytes[basic + 12 + i]);
        pos = basic + size + 4 + 2;  // CRC and the ending extended size
        if (!main) pos += compressed;
        main = false;
    }
    return out;
}

TEST_F(ArjFixtureTest, DamagedHeadersEndTheListing) {
    test::ScratchFolder scratch;
    const std::string good = read_bytes(folder + u"files.arj");
    std::vector<std::size_t> headers = header_offsets(good);
    ASSERT_GE(headers.size(), 4u);
    struct Case {
        const char* what;
        std::size_t at;
        std::string bytes;
    };
    const std::size_t second = headers[2];
    for (const Case& c : {Case{"size 2601", second + 2, std::string("\x29\x0A", 2)},
                          Case{"bad CRC", second + 4 + 8, std::string("\xFF", 1)},
                          Case{"wrong id", second, std::string("\x61", 1)}}) {
        SCOPED_TRACE(c.what);
        std::string bytes = good;
        bytes.replace(c.at, c.bytes.size(), c.bytes);
        ASSERT_TRUE(scratch.write_file(u"damaged.arj", bytes));
        test::ReportRecorder reports;
        test::AnalysedArchive r = analyse_archive(scratch / u"damaged.arj");
        ASSERT_EQ(r.code, kAnalyzeArchive);
        EXPECT_EQ(r.items.size(), 1u);
        EXPECT_EQ(reports.ids(), std::vector<int>{kMsgDataErrorIn});
        EXPECT_EQ(ErrorState::data().exit_code, KUB_CRC_ERROR);
    }
    // Cut anywhere: never more than the whole archive lists.
    for (std::size_t cut = 0; cut < good.size(); cut += 97) {
        ASSERT_TRUE(scratch.write_file(u"cut.arj", std::string_view(good).substr(0, cut)));
        test::AnalysedArchive r = analyse_archive(scratch / u"cut.arj");
        EXPECT_LE(r.items.size(), headers.size() - 1);
    }
    ErrorState::reset();
}

}  // namespace
}  // namespace kub

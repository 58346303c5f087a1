// LZH archives made by jlha, compared with what lha (lhasa) lists, and headers built field by
// field for the cases jlha does not write on request.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/error_state.h"
#include "common/text/encoding.h"
#include "common/time/common_time.h"
#include "formats/format_registry.h"
#include "tests/support/analysed_archive.h"
#include "tests/support/code_page_scope.h"
#include "tests/support/writers/lzh_builder.h"
#include "tests/support/report_recorder.h"
#include "tests/support/scratch_folder.h"
#include "tests/support/fixtures/tool_fixtures.h"
#include "tests/support/fixtures/tool_listing.h"

namespace kub {
namespace {

using test::analyse_archive;
using test::LzhMember;

std::u16string listed_name(const std::string& utf8) {
    std::u16string out;
    utf8_to_wide(utf8, out);
    for (char16_t& c : out)
        if (c == u'/') c = u'\\';
    return out;
}

std::uint32_t hash16(const ItemHeader& item) { return item.HashValue[0] | item.HashValue[1] << 8; }

TEST(LzhFixtureTest, ListingsMatchLha) {
    static constexpr test::FixtureFolderRecipe kSpec{"lzh", "KUB_LZH_FIXTURES", "make-lzh-fixtures.sh", "sfx.exe.expected"};
    std::string error;
    std::u16string folder = test::tool_fixture_folder(KUB_TEST_DATA_DIR, kSpec, error);
    ASSERT_FALSE(folder.empty()) << error;
    std::vector<test::ToolListing> listings = test::tool_listings(folder);
    ASSERT_EQ(listings.size(), 7u);
    for (const test::ToolListing& listing : listings) {
        SCOPED_TRACE(listing.name);
        test::AnalysedArchive r = analyse_archive(listing.path);
        ASSERT_EQ(r.code, kAnalyzeArchive);
        EXPECT_EQ(r.summary.ReaderIndex, static_cast<std::uint32_t>(kLzhReaderIndex));
        EXPECT_EQ(r.summary.FormatName, u"LZH");
        EXPECT_EQ(r.summary.SfxSize, listing.name == "sfx.exe" ? 30000 : 0);
        ASSERT_EQ(r.items.size(), listing.records.size());
        for (std::size_t i = 0; i < r.items.size(); ++i) {
            const ItemHeader& got = r.items[i];
            const std::vector<std::string>& want = listing.records[i];
            ASSERT_EQ(want.size(), 6u);
            SCOPED_TRACE(want[5]);
            bool folder_entry = want[3] == "-lhd-";
            EXPECT_EQ(got.Name, listed_name(want[5]));
            EXPECT_EQ(got.PackedSize, std::stoull(want[1]));
            EXPECT_EQ(got.UnpackedSize, std::stoull(want[2]));
            EXPECT_EQ(got.IsDirectory, folder_entry);
            EXPECT_EQ(got.Attributes & kAttrDirectory, folder_entry ? kAttrDirectory : 0u);
            EXPECT_EQ(got.HashKind, static_cast<std::uint32_t>(kHashChecksum16));
            EXPECT_EQ(hash16(got), std::stoul(want[4], nullptr, 16));
            EXPECT_EQ(got.DictSizeKB, 8u);
        }
    }
}

class LzhBuiltTest : public ::testing::Test {
protected:
    test::AnalysedArchive list(const std::string& bytes, const char16_t* name = u"built.lzh") {
        EXPECT_TRUE(scratch.write_file(name, bytes));
        return analyse_archive(scratch / name);
    }
    test::ScratchFolder scratch;
};

LzhMember member(int level, const std::string& name, const std::string& data = "data") {
    LzhMember m;
    m.level = level;
    m.data = data;
    if (level == 2) {
        m.extended = {{0x01, name}};
    } else {
        m.name = name;
    }
    return m;
}

TEST_F(LzhBuiltTest, DirectoryNamesAndFolders) {
    LzhMember in_docs = member(2, "a.txt", "hello");
    in_docs.extended = {{0x02, "docs\xFFinner\xFF"}, {0x01, "a.txt"}, {0x40, std::string("\x21\x00", 2)}};
    in_docs.os_id = 'M';
    LzhMember folder = member(2, "");
    folder.method = "-lhd-";
    folder.data.clear();
    folder.extended = {{0x02, "docs\xFF"}};
    LzhMember level0_folder = member(0, "old\\");
    level0_folder.method = "-lhd-";
    level0_folder.data.clear();
    LzhMember unix_attr = member(2, "u.txt");
    unix_attr.os_id = 'U';
    unix_attr.extended = {{0x01, "u.txt"}, {0x40, std::string("\x01\x00", 2)}};
    test::AnalysedArchive r = list(lzh_member(in_docs) + lzh_member(folder) + lzh_member(level0_folder) +
                                   lzh_member(unix_attr) + test::lzh_end());
    ASSERT_EQ(r.code, kAnalyzeArchive);
    ASSERT_EQ(r.items.size(), 4u);
    EXPECT_EQ(r.items[0].Name, u"docs\\inner\\a.txt");
    EXPECT_EQ(r.items[0].Attributes, 0x21u);
    EXPECT_EQ(r.items[0].UnpackedSize, 5u);
    EXPECT_EQ(r.items[0].ModTime, time_from_unix(0x52A17B45));
    EXPECT_EQ(r.items[1].Name, u"docs");
    EXPECT_TRUE(r.items[1].IsDirectory);
    EXPECT_EQ(r.items[1].Attributes, kAttrDirectory);
    EXPECT_EQ(r.items[2].Name, u"old");
    EXPECT_TRUE(r.items[2].IsDirectory);
    EXPECT_EQ(r.items[3].Attributes, 0u);  // the attribute extension counts for DOS only
    EXPECT_EQ(r.summary.FileCount, 2);
}

TEST_F(LzhBuiltTest, LevelZeroAndOneFields) {
    LzhMember no_crc = member(0, "plain.txt");
    no_crc.level0_crc = false;
    LzhMember with_crc = member(0, "crc.txt");
    with_crc.attribute = 0x3F;  // the volume-label bit is dropped
    with_crc.crc = 0xBEEF;
    LzhMember level1 = member(1, "short");
    level1.extended = {{0x02, "far\xFFpath\xFF"}, {0x7F, std::string(300, 'x')}};
    test::AnalysedArchive r = list(lzh_member(no_crc) + lzh_member(with_crc) + lzh_member(level1) + test::lzh_end());
    ASSERT_EQ(r.code, kAnalyzeArchive);
    ASSERT_EQ(r.items.size(), 3u);
    EXPECT_EQ(r.items[0].HashKind, static_cast<std::uint32_t>(kHashNone));
    EXPECT_EQ(r.items[1].HashKind, static_cast<std::uint32_t>(kHashChecksum16));
    EXPECT_EQ(hash16(r.items[1]), 0xBEEFu);
    EXPECT_EQ(r.items[1].Attributes, 0x2Fu);
    EXPECT_EQ(r.items[1].ModTime, time_from_packed(0x52A17B45));
    EXPECT_EQ(r.items[2].Name, u"far\\path\\short");
    EXPECT_EQ(r.items[2].PackedSize, 4u);  // the extended headers are not data
}

TEST_F(LzhBuiltTest, Utf8NamesReadWithUtf8CodePages) {
    test::CodePageScope utf8(65001, 65001);
    if (!utf8.active()) GTEST_SKIP() << "no UTF-8 code pages here";
    test::AnalysedArchive r = list(lzh_member(member(2, "\xE4\xB8\xAD\xE6\x96\x87.txt")) +
                                   lzh_member(member(1, "\xE6\x96\x87/b.txt")) + test::lzh_end());
    ASSERT_EQ(r.items.size(), 2u);
    EXPECT_EQ(r.items[0].Name, u"\u4E2D\u6587.txt");
    EXPECT_EQ(r.items[1].Name, u"\u6587\\b.txt");
}

// Each damaged header ends the listing after the members before it, with the damage reported.
TEST_F(LzhBuiltTest, DamagedHeadersEndTheListing) {
    LzhMember bad_sum = member(0, "sum.txt");
    bad_sum.checksum = 0x00;
    LzhMember too_big = member(2, "big.txt");
    too_big.extended = {{0x01, "big.txt"}, {0x7F, std::string(4096, 'x')}};
    LzhMember short_ext = member(2, "s.txt");
    short_ext.extended = {{0x01, "s.txt"}};
    std::string short_ext_bytes = lzh_member(short_ext);
    short_ext_bytes[24] = 2;  // first extended size below 3
    LzhMember level0_21 = member(0, "odd.txt");
    level0_21.level0_crc = false;
    std::string level0_21_bytes = lzh_member(level0_21);
    level0_21_bytes.insert(22 + 7, "z");  // one byte after the name: neither CRC nor nothing
    level0_21_bytes[0] = static_cast<char>(level0_21_bytes[0] + 1);
    unsigned sum = 0;
    for (std::size_t i = 2; i < 2u + static_cast<unsigned char>(level0_21_bytes[0]); ++i)
        sum += static_cast<unsigned char>(level0_21_bytes[i]);
    level0_21_bytes[1] = static_cast<char>(sum);

    const std::string first = lzh_member(member(2, "first.txt"));
    for (const std::string& damaged : {lzh_member(bad_sum), lzh_member(too_big), short_ext_bytes, level0_21_bytes}) {
        test::ReportRecorder reports;
        test::AnalysedArchive r = list(first + damaged + lzh_member(member(2, "after.txt")) + test::lzh_end());
        ASSERT_EQ(r.code, kAnalyzeArchive);
        ASSERT_EQ(r.items.size(), 1u);
        EXPECT_EQ(r.items[0].Name, u"first.txt");
        EXPECT_EQ(reports.ids(), std::vector<int>{kMsgDataErrorIn});
        EXPECT_EQ(ErrorState::data().exit_code, KUB_CRC_ERROR);
    }
    ErrorState::reset();
}

// Behind a module, cut anywhere: what is whole is listed, nothing more, and nothing breaks.
TEST_F(LzhBuiltTest, SfxOffsetAndTruncation) {
    std::string archive = lzh_member(member(0, "a.txt")) + lzh_member(member(1, "b.txt")) +
                          lzh_member(member(2, "c.txt")) + test::lzh_end();
    std::string module(1000, 'M');
    test::AnalysedArchive r = list(module + archive, u"sfx.exe");
    ASSERT_EQ(r.code, kAnalyzeArchive);
    EXPECT_EQ(r.summary.SfxSize, 1000);
    EXPECT_EQ(r.items.size(), 3u);
    for (std::size_t cut = 30; cut < archive.size(); ++cut) {
        r = list(archive.substr(0, cut));
        ASSERT_EQ(r.code, kAnalyzeArchive) << cut;
        EXPECT_LE(r.items.size(), 3u);
    }
    ErrorState::reset();
}

// A module full of dashes and near-miss ids in front: the search goes past every one of them.
TEST_F(LzhBuiltTest, SearchPassesNearMissMethodIds) {
    std::string archive = lzh_member(member(1, "a.txt")) + test::lzh_end();
    std::string near_misses = "----lh5 -lhx- -lh5+ -LH5- lh5- -l-lh";
    std::string module = std::string(3, '-') + near_misses + std::string(4093, '-') + near_misses;
    test::AnalysedArchive r = list(module + archive, u"dashes.exe");
    ASSERT_EQ(r.code, kAnalyzeArchive);
    EXPECT_EQ(r.summary.SfxSize, static_cast<std::int64_t>(module.size()));
    ASSERT_EQ(r.items.size(), 1u);
    EXPECT_EQ(r.items[0].Name, u"a.txt");
    EXPECT_EQ(list(module, u"only-dashes.lzh").code, kAnalyzeNotArchive);
}

}  // namespace
}  // namespace kub

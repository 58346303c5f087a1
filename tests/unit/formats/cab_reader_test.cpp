// Cabinets made by gcab, compared with gcab's own listing, and cabinets built field by field for
// what gcab never writes: sets with next-cabinet names (one whose names loop), reserve fields,
// files crossing cabinets, a nonzero reserved field.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "common/text/encoding.h"
#include "common/time/common_time.h"
#include "formats/cab/cab_reader.h"
#include "formats/format_registry.h"
#include "tests/support/analysed_archive.h"
#include "tests/support/ascii_text.h"
#include "tests/support/writers/cab_builder.h"
#include "tests/support/scratch_folder.h"
#include "tests/support/fixtures/tool_fixtures.h"
#include "tests/support/fixtures/tool_listing.h"

namespace kub {
namespace {

using test::analyse_archive;
using test::CabEntry;
using test::CabLayout;

std::string local_text(CommonTime time) {
    LocalTime t;
    if (!time_to_local(time, t)) return "?";
    char text[32];
    std::snprintf(text, sizeof text, "%04u-%02u-%02u %02u:%02u:%02u", t.year, t.month, t.day, t.hour, t.minute,
                  t.second);
    return text;
}

std::u16string wide(const std::string& utf8) {
    std::u16string out;
    utf8_to_wide(utf8, out);
    return out;
}

// gcab -l shows the DOS time as stored: its seconds are even.
TEST(CabFixtureTest, ListingsMatchGcab) {
    static constexpr test::FixtureFolderRecipe kSpec{"cab", "KUB_CAB_FIXTURES", "make-cab-fixtures.sh", "sfx.exe.expected"};
    std::string error;
    std::u16string folder = test::tool_fixture_folder(KUB_TEST_DATA_DIR, kSpec, error);
    ASSERT_FALSE(folder.empty()) << error;
    std::vector<test::ToolListing> listings = test::tool_listings(folder);
    ASSERT_EQ(listings.size(), 5u);
    for (const test::ToolListing& listing : listings) {
        SCOPED_TRACE(listing.name);
        test::AnalysedArchive r = analyse_archive(listing.path);
        ASSERT_EQ(r.code, kAnalyzeArchive);
        EXPECT_EQ(r.summary.ReaderIndex, static_cast<std::uint32_t>(kCabReaderIndex));
        EXPECT_EQ(r.summary.FormatName, u"CAB");
        EXPECT_EQ(r.summary.SfxSize, listing.name == "sfx.exe" ? 30000 : 0);
        EXPECT_FALSE(r.summary.IsVolume);
        ASSERT_EQ(r.items.size(), listing.records.size());
        std::int64_t total = 0;
        for (std::size_t i = 0; i < r.items.size(); ++i) {
            const ItemHeader& got = r.items[i];
            const std::vector<std::string>& want = listing.records[i];
            ASSERT_EQ(want.size(), 5u);
            SCOPED_TRACE(want[4]);
            EXPECT_EQ(got.Name, wide(want[4]));
            EXPECT_EQ(got.UnpackedSize, std::stoull(want[1]));
            EXPECT_EQ(got.Attributes, std::stoul(want[2], nullptr, 16) & 0x3F);
            EXPECT_EQ(local_text(got.ModTime), want[3]);
            EXPECT_EQ(got.PackedSize, UnknownSize);
            EXPECT_EQ(got.UnpackVersion, 0x0103u);
            EXPECT_EQ(got.HostOS, u"Windows");
            EXPECT_FALSE(got.IsDirectory);
            total += static_cast<std::int64_t>(std::stoull(want[1]));
        }
        EXPECT_EQ(r.summary.TotalUnpacked, total);
        // No packed sizes: the analysis takes the file without the module in front.
        std::int64_t file_size = static_cast<std::int64_t>(std::filesystem::file_size(std::filesystem::path(listing.path)));
        if (total != 0) {
            std::int64_t data = file_size - r.summary.SfxSize;
            EXPECT_EQ(r.summary.TotalPacked, 2 * total < data ? total : data);
        }
    }
}

class CabSetTest : public ::testing::Test {
protected:
    void write(const std::u16string& name, const CabLayout& cabinet) { ASSERT_TRUE(scratch.write_file(name, test::cab_file(cabinet))); }
    test::ScratchFolder scratch;
};

CabEntry entry(const std::string& name, std::size_t size, std::uint16_t folder = 0) {
    CabEntry e;
    e.name = name;
    e.data.assign(size, 'c');
    e.folder = folder;
    return e;
}

// Three cabinets; big.bin starts in the first, runs through the second and ends in the third.
// The first has reserve fields in front of its next-cabinet name.
TEST_F(CabSetTest, SetIsFollowedThroughNextCabinetNames) {
    CabLayout first;
    first.entries = {entry("one.txt", 100), entry("big.bin", 4000, 0xFFFE)};
    first.next_cabinet = "set2.cab";
    first.next_disk = "disk 2";
    first.reserve = true;
    first.header_reserve = std::string(20, '\x7f');
    first.folder_reserve = 4;
    first.data_reserve = 8;
    CabLayout second;
    second.entries = {entry("big.bin", 4000, 0xFFFF)};
    second.prev_cabinet = "set1.cab";
    second.prev_disk = "disk 1";
    second.next_cabinet = "set3.cab";
    second.next_disk = "disk 3";
    second.cabinet_index = 1;
    CabLayout third;
    third.entries = {entry("big.bin", 4000, 0xFFFD), entry("sub/last.txt", 7)};
    third.prev_cabinet = "set2.cab";
    third.prev_disk = "disk 2";
    third.cabinet_index = 2;
    write(u"set1.cab", first);
    write(u"set2.cab", second);
    write(u"set3.cab", third);

    CabReader reader(nullptr);
    std::u16string name = scratch / u"set1.cab";
    reader.NextVolumeName(name);
    EXPECT_EQ(name, scratch / u"set2.cab");
    reader.NextVolumeName(name);
    EXPECT_EQ(name, scratch / u"set3.cab");
    reader.NextVolumeName(name);
    EXPECT_EQ(name, u"");

    test::AnalysedArchive r = analyse_archive(scratch / u"set1.cab", kVolumeModeFollowAll);
    ASSERT_EQ(r.code, kAnalyzeArchive);
    ASSERT_EQ(r.items.size(), 5u);
    EXPECT_TRUE(r.items[1].SplitAfter);
    EXPECT_FALSE(r.items[1].SplitBefore);
    EXPECT_TRUE(r.items[2].SplitBefore);  // iFolder 0xFFFF: both
    EXPECT_TRUE(r.items[2].SplitAfter);
    EXPECT_TRUE(r.items[3].SplitBefore);
    EXPECT_FALSE(r.items[3].SplitAfter);
    EXPECT_EQ(r.items[4].Name, u"sub\\last.txt");
    EXPECT_EQ(r.summary.ItemCount, 3);  // the pieces of big.bin count once
    EXPECT_EQ(r.summary.TotalUnpacked, 100 + 4000 + 7);
    EXPECT_TRUE(r.summary.IsVolume);
    EXPECT_TRUE(r.summary.IsFirstVolume);
    EXPECT_TRUE(r.summary.IsLastVolume);

    // Opened at the second cabinet: the set from there on.
    r = analyse_archive(scratch / u"set2.cab", kVolumeModeFollowAll);
    ASSERT_EQ(r.code, kAnalyzeArchive);
    EXPECT_EQ(r.items.size(), 3u);
    EXPECT_FALSE(r.summary.IsFirstVolume);
    EXPECT_TRUE(r.summary.IsLastVolume);
}

TEST_F(CabSetTest, NamesThatLoopEndTheSet) {
    CabLayout a;
    a.entries = {entry("a.txt", 10)};
    a.next_cabinet = "loop2.cab";
    CabLayout b;
    b.entries = {entry("b.txt", 20)};
    b.prev_cabinet = "loop1.cab";
    b.next_cabinet = "LOOP1.CAB";
    write(u"loop1.cab", a);
    write(u"loop2.cab", b);
    write(u"LOOP1.CAB", a);
    test::AnalysedArchive r = analyse_archive(scratch / u"loop1.cab", kVolumeModeFollowAll);
    ASSERT_EQ(r.code, kAnalyzeArchive);
    EXPECT_EQ(r.summary.ItemCount, 2);
    EXPECT_EQ(r.summary.TotalUnpacked, 30);
}

TEST_F(CabSetTest, CabinetWithoutNextFlagEndsTheSet) {
    CabLayout only;
    only.entries = {entry("x", 1)};
    write(u"only.cab", only);
    CabReader reader(nullptr);
    std::u16string name = scratch / u"only.cab";
    reader.NextVolumeName(name);
    EXPECT_EQ(name, u"");
    name = scratch / u"missing.cab";
    reader.NextVolumeName(name);
    EXPECT_EQ(name, u"");
}

// The builder's cabinets are valid for an independent reader too.
#if !defined(_WIN32)
TEST_F(CabSetTest, GcabListsTheBuiltCabinets) {
    if (std::system("command -v gcab >/dev/null 2>&1") != 0) GTEST_SKIP() << "no gcab";
    CabLayout cabinet;
    cabinet.entries = {entry("one.txt", 100), entry("dir/two.bin", 70000)};
    cabinet.reserve = true;
    cabinet.header_reserve = "abcd";
    cabinet.next_cabinet = "n.cab";
    cabinet.next_disk = "d";
    write(u"built.cab", cabinet);
    std::string path;
    wide_to_ansi(scratch / u"built.cab", path);
    std::replace(path.begin(), path.end(), '\\', '/');
    std::string command = "gcab -t '" + path + "' > '" + path + ".lst' 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0);
    std::FILE* f = std::fopen((path + ".lst").c_str(), "rb");
    ASSERT_NE(f, nullptr);
    char text[256] = {};
    std::size_t n = std::fread(text, 1, sizeof text - 1, f);
    std::fclose(f);
    EXPECT_EQ(std::string(text, n), "one.txt\ndir/two.bin\n");
}
#endif

CabEntry with_attribs(const std::string& name, std::uint16_t attribs) {
    CabEntry e = entry(name, 3);
    e.attribs = attribs;
    return e;
}

TEST_F(CabSetTest, EntryFieldsAndRefusals) {
    CabLayout cabinet;
    cabinet.entries = {with_attribs("folder", 0x10 | 0x40), with_attribs("ro.txt", 0x21),
                    with_attribs("\xE4\xB8\xAD.txt", 0x80 | 0x20), with_attribs("bad\xFF.txt", 0x80)};
    cabinet.version_minor = 2;
    write(u"fields.cab", cabinet);
    test::AnalysedArchive r = analyse_archive(scratch / u"fields.cab");
    ASSERT_EQ(r.code, kAnalyzeArchive);
    ASSERT_EQ(r.items.size(), 3u);  // the name that is not UTF-8 ends the listing
    EXPECT_TRUE(r.items[0].IsDirectory);
    EXPECT_EQ(r.items[0].Attributes, 0x10u);
    EXPECT_EQ(r.items[1].Attributes, 0x21u);
    EXPECT_EQ(r.items[2].Name, u"\u4E2D.txt");
    EXPECT_EQ(r.items[0].UnpackVersion, 0x0102u);
    EXPECT_EQ(local_text(r.items[0].ModTime), "2021-03-14 15:09:26");

    cabinet.entries.resize(1);
    cabinet.reserved1 = 1;
    write(u"reserved1.cab", cabinet);
    EXPECT_EQ(analyse_archive(scratch / u"reserved1.cab").code, kAnalyzeNotArchive);
}

// A name without its terminator within 2047 bytes is damage; a cabinet cut anywhere lists what
// is whole and stops.
TEST_F(CabSetTest, LongNamesAndTruncation) {
    CabLayout cabinet;
    cabinet.entries = {entry(std::string(2046, 'n'), 5), entry(std::string(2047, 'm'), 5), entry("after", 5)};
    write(u"long.cab", cabinet);
    test::AnalysedArchive r = analyse_archive(scratch / u"long.cab");
    ASSERT_EQ(r.code, kAnalyzeArchive);
    ASSERT_EQ(r.items.size(), 1u);
    EXPECT_EQ(r.items[0].Name.size(), 2046u);

    CabLayout small;
    small.entries = {entry("a", 1), entry("b", 2), entry("c", 3)};
    std::string bytes = test::cab_file(small);
    for (std::size_t cut = 37; cut < bytes.size(); cut += 3) {
        ASSERT_TRUE(scratch.write_file(u"cut.cab", std::string_view(bytes).substr(0, cut)));
        r = analyse_archive(scratch / u"cut.cab");
        ASSERT_EQ(r.code, kAnalyzeArchive) << cut;
        // Entries start at 44 (36 + folder 8) and take 18 bytes each; the names follow.
        std::size_t whole = cut < 44 ? 0 : std::min<std::size_t>(3, (cut - 44) / 18);
        EXPECT_EQ(r.items.size(), whole) << cut;
    }
}

}  // namespace
}  // namespace kub

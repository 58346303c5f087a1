// UDF volumes: images built field by field for each partition kind and for the volume-structure
// rules, and empty volumes made by mkudffs (plain, CD-R with a virtual allocation table, CD-RW
// with sparing tables).
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "common/error_state.h"
#include "common/time/common_time.h"
#include "formats/archive_analysis.h"
#include "formats/udf/udf_reader.h"
#include "formats/udf/udf_volume.h"
#include "tests/support/fixtures/iso_fixtures.h"
#include "tests/support/scratch_folder.h"
#include "tests/support/writers/udf_writer.h"

namespace kub {
namespace {

using test::UdfImageOptions;
using test::UdfPartitionKind;

struct Listing {
    bool opened = false;
    int last_result = 0;
    std::u16string format;
    std::vector<ItemHeader> items;
};

class UdfVolumes : public ::testing::Test {
protected:
    void SetUp() override { ErrorState::reset(); }

    Listing list_bytes(const std::string& bytes) {
        EXPECT_TRUE(scratch.write_file(u"image.iso", bytes));
        return list_file(scratch / u"image.iso", bytes.substr(0, std::min(bytes.size(), kHeadBytes)));
    }
    Listing list_file(std::u16string path, const std::string& head) {
        Listing l;
        UdfReader reader(nullptr);
        std::int32_t offset = -1;
        auto span = std::span<const std::uint8_t>(reinterpret_cast<const std::uint8_t*>(head.data()), head.size());
        l.opened = reader.Open(path, span, offset, 0);
        if (!l.opened) return l;
        EXPECT_EQ(offset, 0);
        for (int n = 0; n < 100000; ++n) {
            ItemHeader item;
            l.last_result = reader.ReadItem(item);
            if (l.last_result != kItemRead) break;
            l.items.push_back(item);
        }
        ArchiveSummary s;
        reader.Close(s);
        l.format = s.FormatName;
        return l;
    }
    Listing list(const UdfImageOptions& o) { return list_bytes(test::build_udf_image(o)); }

    test::ScratchFolder scratch;
};

std::vector<std::u16string> names(const Listing& l) {
    std::vector<std::u16string> out;
    for (const ItemHeader& h : l.items) out.push_back(h.Name);
    return out;
}

const std::vector<std::u16string> kTree = {u"hello.txt", u"hidden.txt", u"sub", u"sub\\data.bin", u"\u4e2d\u6587.txt"};

// The tag CRC is CRC-CCITT with initial value 0 (the XMODEM check value); the writer of these
// tests seals its descriptors with it, and mkudffs volumes (below) check it independently.
TEST(UdfTagCrc, KnownAnswers) {
    const std::string digits = "123456789";
    EXPECT_EQ(udf::udf_tag_crc({reinterpret_cast<const std::uint8_t*>(digits.data()), digits.size()}), 0x31C3);
    EXPECT_EQ(udf::udf_tag_crc({}), 0);
    const std::uint8_t one[] = {0x01};
    EXPECT_EQ(udf::udf_tag_crc(one), 0x1021);
}

TEST_F(UdfVolumes, EveryPartitionKindListsTheTree) {
    LocalTime written;
    written.year = 2024, written.month = 5, written.day = 6, written.hour = 7, written.minute = 8, written.second = 9;
    const CommonTime expected_time = time_from_local(written);
    for (UdfPartitionKind kind : {UdfPartitionKind::physical, UdfPartitionKind::virtual_table,
                                  UdfPartitionKind::sparable, UdfPartitionKind::metadata}) {
        SCOPED_TRACE(static_cast<int>(kind));
        UdfImageOptions o;
        o.kind = kind;
        o.revision = kind == UdfPartitionKind::metadata ? 0x0250 : 0x0201;
        Listing l = list(o);
        ASSERT_TRUE(l.opened);
        EXPECT_EQ(l.last_result, kNoMoreItems);
        EXPECT_EQ(names(l), kTree);  // the deleted gone.txt never appears
        EXPECT_EQ(l.format, kind == UdfPartitionKind::metadata ? u"UDF 2.50" : u"UDF 2.01");
        ASSERT_EQ(l.items.size(), 5u);
        EXPECT_EQ(l.items[0].UnpackedSize, 11u);
        EXPECT_EQ(l.items[0].PackedSize, 11u);
        EXPECT_EQ(l.items[0].ModTime, expected_time);
        EXPECT_EQ(l.items[0].Attributes, 0u);
        EXPECT_EQ(l.items[1].Attributes, 0x02u);  // hidden
        EXPECT_TRUE(l.items[2].IsDirectory);
        EXPECT_EQ(l.items[2].Attributes, kAttrDirectory);
        EXPECT_EQ(l.items[2].UnpackedSize, 0u);
        EXPECT_EQ(l.items[3].UnpackedSize, 5000u);
        EXPECT_EQ(l.items[4].UnpackedSize, 16u);
    }
}

TEST_F(UdfVolumes, RevisionInTheFormatName) {
    const std::pair<std::uint16_t, const char16_t*> cases[] = {
        {0x0102, u"UDF 1.02"}, {0x0150, u"UDF 1.50"}, {0x0250, u"UDF 2.50"}, {0x0260, u"UDF 2.60"},
        {0x0000, u"UDF"},      {0x0301, u"UDF"},      {0x0300, u"UDF 3.00"}};
    for (auto [revision, format] : cases) {
        UdfImageOptions o;
        o.revision = revision;
        Listing l = list(o);
        ASSERT_TRUE(l.opened) << revision;
        EXPECT_EQ(l.format, format) << revision;
    }
}

TEST_F(UdfVolumes, AnchorOnlyAtBlock512) {
    UdfImageOptions o;
    o.anchor_only_at_512 = true;
    Listing l = list(o);
    ASSERT_TRUE(l.opened);
    EXPECT_EQ(names(l), kTree);
}

TEST_F(UdfVolumes, PartitionDescriptorRules) {
    UdfImageOptions o;
    // The same number again: the later descriptor wins unless its sequence number is lower.
    o.descriptors_before = {{0, 5, 3000}};
    o.main_sequence = 5;
    EXPECT_EQ(names(list(o)), kTree);
    o.main_sequence = 4;
    EXPECT_FALSE(list(o).opened);  // the file set is looked for at block 3000
    // Two others first: the real one is a third with a new number and is not kept.
    o.descriptors_before = {{1, 1, 0}, {2, 1, 0}};
    o.main_sequence = 1;
    EXPECT_FALSE(list(o).opened);
    o.descriptors_before = {{1, 1, 0}};
    EXPECT_TRUE(list(o).opened);
}

TEST_F(UdfVolumes, VirtualPartitionNeedsItsTable) {
    UdfImageOptions o;
    o.kind = UdfPartitionKind::virtual_table;
    o.write_vat = false;
    // Every read through the virtual partition fails, the file set's among them.
    EXPECT_FALSE(list(o).opened);
}

TEST_F(UdfVolumes, SparedPacketIsReadFromItsNewPlace) {
    UdfImageOptions o;
    o.kind = UdfPartitionKind::sparable;
    std::string image = test::build_udf_image(o);
    EXPECT_EQ(names(list_bytes(image)), kTree);
    // The packet's own place holds filler, so the listing above came through the table. A table
    // that cannot be read leaves the map unusable, and the file set with it.
    std::size_t table = image.size() - 2048;
    ASSERT_EQ(image.substr(table + 17, 18), "*UDF Sparing Table");
    std::string broken = image;
    broken[table + 60] ^= 1;  // the mapped location, under the tag's CRC
    EXPECT_FALSE(list_bytes(broken).opened);
}

TEST_F(UdfVolumes, DepthEndsAt256Levels) {
    UdfImageOptions o;
    o.chain_depth = 300;
    Listing l = list(o);
    ASSERT_TRUE(l.opened);
    EXPECT_EQ(l.last_result, kItemDamagedSource);
    std::size_t chain = std::count_if(l.items.begin(), l.items.end(),
                                      [](const ItemHeader& h) { return h.Name.front() == u'd'; });
    EXPECT_EQ(chain, 255u);  // the root and 254 folders open, the 255th listed but not entered
    std::u16string deepest = u"d";
    for (int i = 1; i < 255; ++i) deepest += u"\\d";
    EXPECT_EQ(l.items.back().Name, deepest);
}

TEST_F(UdfVolumes, FolderThatContainsItselfEnds) {
    UdfImageOptions o;
    o.self_loop = true;
    Listing l = list(o);
    ASSERT_TRUE(l.opened);
    EXPECT_EQ(l.last_result, kNoMoreItems);
    std::vector<std::u16string> expected = kTree;
    expected.push_back(u"loop");
    EXPECT_EQ(names(l), expected);
}

TEST_F(UdfVolumes, AllocationDescriptorsContinuedInAFurtherExtent) {
    // The root's second block is recorded only in the allocation extent descriptor; f37.txt to
    // f39.txt lie wholly in it, f36.txt across the two blocks.
    for (UdfPartitionKind kind : {UdfPartitionKind::physical, UdfPartitionKind::metadata}) {
        SCOPED_TRACE(static_cast<int>(kind));
        Listing l = list({.kind = kind, .revision = 0x0250, .root_descriptors_continued = true});
        ASSERT_TRUE(l.opened);
        EXPECT_EQ(l.last_result, kNoMoreItems);
        ASSERT_EQ(l.items.size(), 45u);
        EXPECT_EQ(l.items[5].Name, u"f00.txt");
        EXPECT_EQ(l.items[41].Name, u"f36.txt");
        EXPECT_EQ(l.items[44].Name, u"f39.txt");
        EXPECT_EQ(l.items[44].UnpackedSize, 11u);
    }
    // A descriptor extent that names itself as the next one ends the walk.
    Listing l = list({.root_descriptors_continued = true, .continuation_loop = true});
    ASSERT_TRUE(l.opened);
    EXPECT_EQ(l.last_result, kItemDamagedSource);
    EXPECT_TRUE(l.items.empty());
}

TEST_F(UdfVolumes, BadTagChecksumMakesTheDescriptorUnreadable) {
    std::string image = test::build_udf_image({});
    // The root's file entry: partition block 2.
    std::size_t root = (std::size_t{test::kUdfWriterPartitionStart} + 2) * 2048;
    ASSERT_EQ(image[root], 5);  // 261 = 0x105
    image[root + 4] ^= 0x40;
    Listing l = list_bytes(image);
    ASSERT_TRUE(l.opened);
    EXPECT_EQ(l.last_result, kItemDamagedSource);
    EXPECT_TRUE(l.items.empty());
    EXPECT_EQ(ErrorState::data().exit_code, KUB_CRC_ERROR);
    // A CRC mismatch alone makes it unreadable too, without the error code.
    ErrorState::reset();
    image = test::build_udf_image({});
    image[root + 100] ^= 1;
    l = list_bytes(image);
    EXPECT_EQ(l.last_result, kItemDamagedSource);
    EXPECT_EQ(ErrorState::data().exit_code, KUB_SUCCESS);
}

TEST_F(UdfVolumes, TruncatedAndCutImages) {
    std::string image = test::build_udf_image({.kind = UdfPartitionKind::metadata, .revision = 0x0250});
    for (std::size_t cut : {34816u, 256u * 2048u + 100u, 620u * 2048u, 700u * 2048u}) {
        Listing l = list_bytes(image.substr(0, cut));
        EXPECT_LE(l.items.size(), kTree.size()) << cut;
    }
}

TEST_F(UdfVolumes, MkudffsVolumes) {
    std::string error;
    std::u16string folder = test::iso_fixture_folder(KUB_TEST_DATA_DIR, error);
    ASSERT_FALSE(folder.empty()) << error;
    int seen = 0;
    for (const test::IsoFixture& f : test::iso_fixtures(folder)) {
        if (f.udf_revision.empty()) continue;
        SCOPED_TRACE(f.name);
        ++seen;
        ArchiveAnalysis analysis;
        std::vector<std::u16string> listed;
        analysis.set_item_observer([&](const ItemHeader& h) { listed.push_back(h.Name); });
        ASSERT_EQ(analysis.Analyze(f.path, false, 0), 1);
        std::u16string expected = u"UDF ";
        for (char c : f.udf_revision) expected.push_back(static_cast<char16_t>(c));
        EXPECT_EQ(analysis.summary().FormatName, expected);
        EXPECT_EQ(analysis.summary().ReaderIndex, 7u);
        EXPECT_TRUE(listed.empty());  // a fresh volume: the root only
    }
    EXPECT_EQ(seen, 3);
}

}  // namespace
}  // namespace kub

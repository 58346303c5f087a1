// ACE archives from our writer (no free tool writes the format), read back field by field.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/checksum/crc32.h"
#include "common/error_state.h"
#include "common/time/common_time.h"
#include "formats/ace/ace_reader.h"
#include "formats/format_registry.h"
#include "tests/support/writers/ace_writer.h"
#include "tests/support/analysed_archive.h"
#include "tests/support/report_recorder.h"
#include "tests/support/scratch_folder.h"

namespace kub {
namespace {

using test::AceArchive;
using test::AceFile;
using test::analyse_archive;

AceFile file(const std::string& name, const std::string& data) {
    AceFile f;
    f.name = name;
    f.data = data;
    f.crc_register = ~crc32(data.data(), data.size());
    return f;
}

std::uint32_t hash32(const ItemHeader& item) {
    return item.HashValue[0] | item.HashValue[1] << 8 | item.HashValue[2] << 16 |
           static_cast<std::uint32_t>(item.HashValue[3]) << 24;
}

class AceReaderTest : public ::testing::Test {
protected:
    test::AnalysedArchive list(const std::u16string& name, const std::string& bytes, int mode = 0) {
        EXPECT_TRUE(scratch.write_file(name, bytes));
        return analyse_archive(scratch / name, mode);
    }
    test::ScratchFolder scratch;
};

TEST_F(AceReaderTest, FieldsOfMainAndFileHeaders) {
    AceArchive a;
    a.main_flags = 0x0002 | 0x2000 | 0x4000 | 0x8000;  // comment, recovery record, locked, solid
    a.version_needed = 20;
    a.host = 3;
    AceFile dir = file("docs", "");
    dir.attributes = 0x10;
    AceFile secret = file("docs\\secret.txt", "not really encrypted");
    secret.flags = 0x4000;
    AceFile empty = file("empty", "");
    empty.crc_register = 0xFFFFFFFF;  // the CRC-32 of nothing
    a.files = {dir, secret, empty};
    a.other_block_before_files = "skipped";
    test::AnalysedArchive r = list(u"fields.ace", test::ace_archive(a));
    ASSERT_EQ(r.code, kAnalyzeArchive);
    EXPECT_EQ(r.summary.ReaderIndex, static_cast<std::uint32_t>(kAceReaderIndex));
    EXPECT_EQ(r.summary.FormatName, u"ACE");
    EXPECT_TRUE(r.summary.HasComment);
    EXPECT_EQ(r.summary.RecoverySize, ~std::uint64_t{0});
    EXPECT_TRUE(r.summary.IsLocked);
    EXPECT_TRUE(r.summary.IsSolid);
    EXPECT_FALSE(r.summary.IsVolume);
    EXPECT_EQ(r.summary.HostOSList, u"Unix");
    ASSERT_EQ(r.items.size(), 3u);
    EXPECT_TRUE(r.items[0].IsDirectory);
    EXPECT_EQ(r.items[0].Attributes, 0x10u);
    EXPECT_EQ(r.items[1].Name, u"docs\\secret.txt");
    EXPECT_TRUE(r.items[1].IsEncrypted);
    EXPECT_EQ(r.items[1].UnpackedSize, 20u);
    EXPECT_EQ(r.items[1].PackedSize, 20u);
    EXPECT_EQ(r.items[1].HashKind, static_cast<std::uint32_t>(kHashCrc32));
    EXPECT_EQ(hash32(r.items[1]), crc32("not really encrypted", 20));
    EXPECT_EQ(r.items[1].UnpackVersion, 0x0200u);
    EXPECT_EQ(r.items[1].DictSizeKB, 1024u);
    EXPECT_EQ(r.items[1].ModTime, time_from_packed(0x52A17B45));
    EXPECT_EQ(hash32(r.items[2]), 0u);
    EXPECT_TRUE(r.summary.AnyEncrypted);
}

// A module of 40000 bytes in front: the signature at 40007 of the head.
TEST_F(AceReaderTest, SelfExtractingOffset) {
    AceArchive a;
    a.files = {file("a.txt", "abc")};
    std::string module(40000, 'M');
    test::AnalysedArchive r = list(u"sfx.exe", module + test::ace_archive(a));
    ASSERT_EQ(r.code, kAnalyzeArchive);
    EXPECT_EQ(r.summary.SfxSize, 40000);
    EXPECT_EQ(r.items.size(), 1u);

    // A signature with no sound main header within 256 KiB is no archive.
    std::string fake = std::string(10, 'x') + "**ACE**" + std::string(100, 'y');
    EXPECT_EQ(list(u"fake.ace", fake).code, kAnalyzeNotArchive);
}

TEST_F(AceReaderTest, DamagedHeadersEndTheListing) {
    AceFile bad_crc = file("bad.txt", "x");
    bad_crc.header_crc = 0x1234;
    AceFile long_name = file("name.txt", "x");
    long_name.name = std::string(2048, 'n');
    for (const AceFile& damaged : {bad_crc, long_name}) {
        AceArchive a;
        a.files = {file("first.txt", "1"), damaged, file("after.txt", "2")};
        test::ReportRecorder reports;
        test::AnalysedArchive r = list(u"damaged.ace", test::ace_archive(a));
        ASSERT_EQ(r.code, kAnalyzeArchive);
        ASSERT_EQ(r.items.size(), 1u);
        EXPECT_EQ(r.items[0].Name, u"first.txt");
        EXPECT_EQ(reports.ids(), std::vector<int>{kMsgDataErrorIn});
        EXPECT_EQ(ErrorState::data().exit_code, KUB_CRC_ERROR);
    }
    // Cut anywhere: the whole files before the cut, nothing breaks.
    AceArchive a;
    a.files = {file("one", "11111"), file("two", "22222")};
    std::string bytes = test::ace_archive(a);
    for (std::size_t cut = 20; cut < bytes.size(); ++cut) {
        test::AnalysedArchive r = list(u"cut.ace", bytes.substr(0, cut));
        EXPECT_LE(r.items.size(), 2u);
    }
    ErrorState::reset();
}

TEST(AceNamesTest, NextVolumeNames) {
    auto next = [](std::u16string name) {
        NextAceVolumeName(name);
        return name;
    };
    EXPECT_EQ(next(u"x\\name.ace"), u"x\\name.C00");
    EXPECT_EQ(next(u"name.C00"), u"name.C01");
    EXPECT_EQ(next(u"name.C09"), u"name.C10");
    EXPECT_EQ(next(u"name.C99"), u"name.100");
    EXPECT_EQ(next(u"name.c99"), u"name.100");
    EXPECT_EQ(next(u"name.100"), u"name.101");
    EXPECT_EQ(next(u"name.199"), u"name.200");
    EXPECT_EQ(next(u"name.999"), u"name.999");
    EXPECT_EQ(next(u"name"), u"name");
}

TEST_F(AceReaderTest, VolumeSetIsFollowed) {
    AceArchive first;
    first.main_flags = 0x0800;
    AceFile start = file("big.bin", std::string(100, 'b'));
    start.flags = 0x2000;
    first.files = {file("a.txt", "a"), start};
    AceArchive second = first;
    second.volume_number = 1;
    AceFile rest = file("big.bin", std::string(50, 'b'));
    rest.flags = 0x1000;
    rest.original_size = 150;
    second.files = {rest};
    ASSERT_TRUE(scratch.write_file(u"set.ace", test::ace_archive(first)));
    ASSERT_TRUE(scratch.write_file(u"set.C00", test::ace_archive(second)));
    test::AnalysedArchive r = analyse_archive(scratch / u"set.ace", kVolumeModeFollowAll);
    ASSERT_EQ(r.code, kAnalyzeArchive);
    EXPECT_EQ(r.items.size(), 3u);
    EXPECT_EQ(r.summary.ItemCount, 2);
    EXPECT_TRUE(r.summary.IsVolume);
    EXPECT_TRUE(r.summary.IsFirstVolume);
    EXPECT_TRUE(r.summary.IsLastVolume);
}


}  // namespace
}  // namespace kub

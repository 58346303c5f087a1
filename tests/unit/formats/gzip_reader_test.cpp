// The gzip reader on members built field by field: the one item, its header fields, the stream
// over several members, checksums, truncation and the positions SkipTo accepts.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/error_state.h"
#include "common/time/common_time.h"
#include "formats/format_registry.h"
#include "formats/gzip/gzip_reader.h"
#include "tests/support/code_page_scope.h"
#include "tests/support/writers/gzip_builder.h"
#include "tests/support/report_recorder.h"
#include "tests/support/scratch_folder.h"

namespace kub {
namespace {

using test::GzipMember;
using test::gzip_member;

std::span<const std::uint8_t> bytes_of(const std::string& s) {
    return {reinterpret_cast<const std::uint8_t*>(s.data()), s.size()};
}

class GzipReaderTest : public ::testing::Test {
protected:
    void TearDown() override { ErrorState::reset(); }

    // Writes the file, opens it and reads the one item.
    int item_of(const std::u16string& name, const std::string& content, ItemHeader& item) {
        std::u16string path = scratch / name;
        EXPECT_TRUE(scratch.write_file(name, content));
        GzipReader reader(nullptr);
        std::int32_t offset = 0;
        if (!reader.Open(path, bytes_of(content), offset, 0)) return -1;
        int result = reader.ReadItem(item);
        ItemHeader again;
        EXPECT_EQ(reader.ReadItem(again), kNoMoreItems);
        ArchiveSummary summary;
        reader.Close(summary);
        EXPECT_EQ(summary.FormatName, u"GZIP");
        return result;
    }

    // Everything the stream delivers, read in pieces of `piece` bytes.
    std::string stream_of(const std::string& content, std::size_t piece = 4096) {
        std::u16string path = scratch / u"s.gz";
        EXPECT_TRUE(scratch.write_file(u"s.gz", content));
        GzipReader reader(nullptr);
        std::int32_t offset = 0;
        EXPECT_TRUE(reader.Open(path, bytes_of(content), offset, 0));
        EXPECT_TRUE(reader.OpenStream(path));
        std::string out;
        std::vector<std::uint8_t> buffer(piece);
        bool error = true;
        while (std::size_t got = reader.ReadStream(buffer, error)) {
            EXPECT_FALSE(error);
            out.append(reinterpret_cast<const char*>(buffer.data()), got);
        }
        reader.CloseStream();
        ArchiveSummary summary;
        reader.Close(summary);
        return out;
    }

    test::ScratchFolder scratch;
};

TEST_F(GzipReaderTest, OpenNeedsTheTwoMagicBytes) {
    GzipReader reader(nullptr);
    std::u16string path = scratch / u"x.gz";
    std::int32_t offset = 0;
    ASSERT_TRUE(scratch.write_file(u"x.gz", "\x1f\x8b"));
    EXPECT_TRUE(reader.Open(path, bytes_of("\x1f\x8b"), offset, 0));
    ArchiveSummary summary;
    reader.Close(summary);
    EXPECT_FALSE(reader.Open(path, bytes_of("\x1f"), offset, 0));
    EXPECT_FALSE(reader.Open(path, bytes_of("\x1f\x8c\x08"), offset, 0));
    EXPECT_EQ(reader.GetExtensions(), u"gz|tgz");
}

TEST_F(GzipReaderTest, ItemFromHeaderAndTrailer) {
    GzipMember m;
    m.data = "hello, world\n";
    m.name = "greeting.txt";
    m.mtime = 1700000000;
    std::string file = gzip_member(m);
    ItemHeader item;
    ASSERT_EQ(item_of(u"any.gz", file, item), kItemRead);
    EXPECT_EQ(item.Name, u"greeting.txt");
    EXPECT_EQ(item.UnpackedSize, 13u);
    EXPECT_EQ(item.PackedSize, file.size() - 10);
    EXPECT_EQ(item.ModTime, 133444736000000000u);  // 2023-11-14 22:13:20 UTC
    EXPECT_EQ(item.HostOS, u"UNIX");
    EXPECT_EQ(item.HashKind, static_cast<std::uint32_t>(kHashCrc32));
    // CRC-32 of "hello, world\n", little-endian.
    std::uint32_t crc = item.HashValue[0] | item.HashValue[1] << 8 | item.HashValue[2] << 16 |
                        static_cast<std::uint32_t>(item.HashValue[3]) << 24;
    EXPECT_EQ(crc, 0xF4247453u);
    EXPECT_FALSE(item.IsDirectory);
    EXPECT_FALSE(item.HasItemComment);
}

TEST_F(GzipReaderTest, NamesWithoutAStoredName) {
    GzipMember m;
    m.data = "x";
    ItemHeader item;
    ASSERT_EQ(item_of(u"report.txt.gz", gzip_member(m), item), kItemRead);
    EXPECT_EQ(item.Name, u"report.txt");
    ItemHeader bare;
    ASSERT_EQ(item_of(u"noextension", gzip_member(m), bare), kItemRead);
    EXPECT_EQ(bare.Name, u"noextension.out");
    EXPECT_EQ(GzipDefaultItemName(u"C:\\dir.d\\x.tgz"), u"x");
}

TEST_F(GzipReaderTest, StoredNameEndingInSlashIsADirectory) {
    GzipMember m;
    m.name = "folder/";
    ItemHeader item;
    ASSERT_EQ(item_of(u"d.gz", gzip_member(m), item), kItemRead);
    EXPECT_TRUE(item.IsDirectory);
    EXPECT_EQ(item.Attributes, kAttrDirectory);
}

TEST_F(GzipReaderTest, StoredNameReadInTheAnsiCodePage) {
    test::CodePageScope gbk(936, 936);
    if (!gbk.active()) GTEST_SKIP() << "code page 936 not available";
    GzipMember m;
    m.name = "\xD6\xD0\xCE\xC4.txt";  // 中文.txt in GBK
    ItemHeader item;
    ASSERT_EQ(item_of(u"c.gz", gzip_member(m), item), kItemRead);
    EXPECT_EQ(item.Name, u"中文.txt");
}

TEST_F(GzipReaderTest, LongStoredNameKeeps2047Bytes) {
    GzipMember m;
    m.name = std::string(3000, 'n');
    m.data = "payload";
    std::string file = gzip_member(m);
    ItemHeader item;
    ASSERT_EQ(item_of(u"long.gz", file, item), kItemRead);
    EXPECT_EQ(item.Name, std::u16string(2047, u'n'));
    // The name's rest is taken for compressed data: no reader relies on more than 2048 bytes.
}

TEST_F(GzipReaderTest, ZeroMtimeGivesTheCurrentTime) {
    GzipMember m;
    m.mtime = 0;
    CommonTime before = time_now();
    ItemHeader item;
    ASSERT_EQ(item_of(u"t.gz", gzip_member(m), item), kItemRead);
    EXPECT_GE(item.ModTime, before);
    EXPECT_LE(item.ModTime, time_now());
}

TEST_F(GzipReaderTest, HostSystemTable) {
    struct Case {
        std::uint8_t os;
        const char16_t* host;
    };
    for (Case c : {Case{0, u"MS-DOS"}, Case{3, u"UNIX"}, Case{7, u""}, Case{10, u"Windows NT"}, Case{11, u""},
                   Case{14, u"PRIMOS"}, Case{255, u""}}) {
        GzipMember m;
        m.os = c.os;
        ItemHeader item;
        ASSERT_EQ(item_of(u"h.gz", gzip_member(m), item), kItemRead);
        EXPECT_EQ(item.HostOS, c.host) << int(c.os);
    }
    std::u16string untouched = u"kept";
    EXPECT_FALSE(GzipHostName(15, untouched));
    EXPECT_EQ(untouched, u"kept");
}

TEST_F(GzipReaderTest, SmallFilesKeepTheirSizeAsPackedSize) {
    ItemHeader header_only;
    ASSERT_EQ(item_of(u"ten.gz", std::string("\x1f\x8b\x08\0\0\0\0\0\0\x03", 10), header_only), kItemRead);
    EXPECT_EQ(header_only.PackedSize, 0u);
    ItemHeader nine;
    EXPECT_EQ(item_of(u"nine.gz", std::string("\x1f\x8b\x08\0\0\0\0\0\0", 9), nine), kItemDamagedSource);
}

// Optional fields in RFC 1952 order: the name and the comment come before the header checksum.
TEST_F(GzipReaderTest, EveryOptionalFieldIsSkippedToTheData) {
    GzipMember m;
    m.data = "after every optional field";
    m.extra = std::string("AB\x04\0wxyz", 8);
    m.name = "named";
    m.comment = "a comment";
    m.header_crc = true;
    m.extra_flags = 0x20;  // encrypted
    std::string file = gzip_member(m);
    ItemHeader item;
    ASSERT_EQ(item_of(u"o.gz", file, item), kItemRead);
    EXPECT_EQ(item.Name, u"named");
    EXPECT_TRUE(item.HasItemComment);
    EXPECT_TRUE(item.IsEncrypted);
    EXPECT_EQ(stream_of(file), m.data);
}

TEST_F(GzipReaderTest, ExtraFieldWithoutItsLengthIsDamage) {
    std::string file("\x1f\x8b\x08\x04\0\0\0\0\0\x03\x05", 11);  // FEXTRA, one length byte
    ItemHeader item;
    EXPECT_EQ(item_of(u"e.gz", file, item), kItemDamagedSource);
}

TEST_F(GzipReaderTest, ConcatenatedMembersReadAsOneStream) {
    GzipMember first, second;
    first.data = std::string(70000, 'a') + "end of first";
    first.name = "first";
    second.data = "second member";
    second.comment = "with a comment";
    std::string file = gzip_member(first) + gzip_member(second);
    for (std::size_t piece : {1u, 512u, 100000u}) {
        ErrorState::reset();
        EXPECT_EQ(stream_of(file, piece), first.data + second.data);
        EXPECT_EQ(ErrorState::data().exit_code, KUB_SUCCESS);
    }
    ItemHeader item;
    ASSERT_EQ(item_of(u"two.gz", file, item), kItemRead);
    EXPECT_EQ(item.Name, u"first");
    EXPECT_EQ(item.UnpackedSize, second.data.size());  // the last member's trailer
}

TEST_F(GzipReaderTest, DamagedChecksumIsReportedAndReadingGoesOn) {
    GzipMember first, second;
    first.data = "first";
    first.damage_crc = true;
    second.data = "second";
    test::ReportRecorder recorder;
    EXPECT_EQ(stream_of(gzip_member(first) + gzip_member(second)), "firstsecond");
    EXPECT_EQ(ErrorState::data().exit_code, KUB_CRC_ERROR);
    EXPECT_EQ(recorder.ids(), std::vector<int>{kMsgDataError});
}

TEST_F(GzipReaderTest, DamagedChecksumOfTheLastMemberIsReported) {
    GzipMember only;
    only.data = "only";
    only.damage_crc = true;
    test::ReportRecorder recorder;
    EXPECT_EQ(stream_of(gzip_member(only)), "only");
    EXPECT_EQ(ErrorState::data().exit_code, KUB_CRC_ERROR);
}

TEST_F(GzipReaderTest, TruncatedDataEndsTheStreamWithADataError) {
    GzipMember m;
    m.data = std::string(5000, 'q');
    std::string file = gzip_member(m);
    file.resize(file.size() - 2000);
    test::ReportRecorder recorder;
    std::string got = stream_of(file);
    EXPECT_LT(got.size(), m.data.size());
    EXPECT_EQ(got, m.data.substr(0, got.size()));
    EXPECT_EQ(ErrorState::data().exit_code, KUB_CRC_ERROR);
    ASSERT_FALSE(recorder.reports().empty());
    EXPECT_EQ(recorder.reports()[0].id, kMsgUnexpectedEnd);
    EXPECT_EQ(recorder.reports()[0].text1, scratch / u"s.gz");
}

TEST_F(GzipReaderTest, SkipToMovesForwardOnly) {
    GzipMember m;
    m.data = "0123456789abcdef";
    std::string file = gzip_member(m);
    std::u16string path = scratch / u"k.gz";
    ASSERT_TRUE(scratch.write_file(u"k.gz", file));
    GzipReader reader(nullptr);
    std::int32_t offset = 0;
    ASSERT_TRUE(reader.Open(path, bytes_of(file), offset, 0));
    ASSERT_TRUE(reader.OpenStream(path));
    EXPECT_EQ(reader.SkipTo(10), 10);
    std::uint8_t two[2];
    bool error = false;
    ASSERT_EQ(reader.ReadStream(two, error), 2u);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(two), 2), "ab");
    EXPECT_EQ(reader.SkipTo(11), kSkipToFailed);
    EXPECT_EQ(reader.SkipTo(12), 12);
    EXPECT_EQ(reader.SkipTo(17), kSkipToDataEnded);
    reader.CloseStream();
    ArchiveSummary summary;
    reader.Close(summary);
}

TEST_F(GzipReaderTest, RegisteredAtItsIndex) {
    auto reader = create_format_reader(kGzipReaderIndex, nullptr);
    ASSERT_NE(reader, nullptr);
    EXPECT_EQ(reader->GetExtensions(), u"gz|tgz");
    EXPECT_NE(dynamic_cast<SingleStreamReader*>(reader.get()), nullptr);
}

}  // namespace
}  // namespace kub

// The tar reader on archives built header by header: the name rule, the header tests, the
// numeric fields, long names and their nesting limit, extended headers, and compressed tars.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/error_state.h"
#include "formats/archive_analysis.h"
#include "formats/format_registry.h"
#include "formats/tar/tar_header.h"
#include "formats/tar/tar_reader.h"
#include "tests/support/writers/gzip_builder.h"
#include "tests/support/report_recorder.h"
#include "tests/support/scratch_folder.h"
#include "tests/support/writers/tar_builder.h"

namespace kub {
namespace {

using test::TarHeader;
using test::TarMagic;
using test::tar_end;
using test::tar_header;
using test::tar_member;

std::span<const std::uint8_t> bytes_of(const std::string& s) {
    return {reinterpret_cast<const std::uint8_t*>(s.data()), s.size()};
}

struct Listing {
    bool opened = false;
    std::vector<ItemHeader> items;
    int end = -1;  // the ReadItem result that ended the listing
    std::u16string format;
};

class TarReaderTest : public ::testing::Test {
protected:
    void TearDown() override { ErrorState::reset(); }

    Listing list(const std::u16string& name, const std::string& content) {
        Listing l;
        EXPECT_TRUE(scratch.write_file(name, content));
        std::u16string path = scratch / name;
        TarReader reader(nullptr);
        std::int32_t offset = 0;
        l.opened = reader.Open(path, bytes_of(content), offset, 0);
        if (!l.opened) return l;
        for (int guard = 0; guard < 1000; ++guard) {
            ItemHeader item;
            int r = reader.ReadItem(item);
            if (r != kItemRead) {
                l.end = r;
                break;
            }
            l.items.push_back(item);
        }
        ArchiveSummary summary;
        reader.Close(summary);
        l.format = summary.FormatName;
        EXPECT_EQ(TarReader::long_name_nesting(), 0);
        return l;
    }

    test::ScratchFolder scratch;
};

TEST(TarNames, CompressedTarNamesAreClaimed) {
    for (const char16_t* name : {u"a.tar.gz", u"a.tgz", u"a.tbz2", u"a.TBZ", u"a.taz", u"a.tar.z", u"a.tar.Z",
                                 u"a.tar[3].bz2", u"x.1 tar.gz", u"C:\\dir.tar\\b.TAR.XZ", u"a.tar.bz2", u"a.TXZ"}) {
        EXPECT_TRUE(tar::IsCompressedTarName(name)) << std::string(name, name + std::char_traits<char16_t>::length(name));
    }
    for (const char16_t* name : {u"a.gz", u"a.tar", u"tar.gz", u"a.tar.zip", u"a.tar[x].gz", u"a.tar[12].gz",
                                 u"atar.gz", u"noext", u"dir.tar.gz\\file"}) {
        EXPECT_FALSE(tar::IsCompressedTarName(name)) << std::string(name, name + std::char_traits<char16_t>::length(name));
    }
}

TEST(TarNames, InnerStreamChosenByTheNameEnd) {
    EXPECT_EQ(tar::InnerStreamReaderIndex(u"a.tar.gz"), kGzipReaderIndex);
    EXPECT_EQ(tar::InnerStreamReaderIndex(u"a.tgz"), kGzipReaderIndex);
    EXPECT_EQ(tar::InnerStreamReaderIndex(u"a.tar.xz"), kXzReaderIndex);  // not Z, though it ends in z
    EXPECT_EQ(tar::InnerStreamReaderIndex(u"a.taz"), kZReaderIndex);
    EXPECT_EQ(tar::InnerStreamReaderIndex(u"a.txz"), kXzReaderIndex);
    EXPECT_EQ(tar::InnerStreamReaderIndex(u"a.TBZ"), kBzip2ReaderIndex);
    EXPECT_EQ(tar::InnerStreamReaderIndex(u"a.tar[3].bz2"), kBzip2ReaderIndex);
}

TEST(TarNumbers, OctalAndBase256) {
    auto number = [](const std::string& field) { return tar::ParseNumber(bytes_of(field)); };
    EXPECT_EQ(number("00000000644"), 0644u);
    EXPECT_EQ(number(" \t 17 junk"), 017u);
    EXPECT_EQ(number("778"), 077u);
    EXPECT_EQ(number(std::string("\x80\0\0\0\0\0\0\x01\x02\x03\x04", 11)), 0x01020304u);
    EXPECT_EQ(number(std::string("\x80\xff\xff\xff\xff\xff\xff\xff\xff\xff\xff", 11)), UINT64_MAX);
    EXPECT_EQ(number(""), 0u);
}

TEST(TarHeaderTest, ChecksumAndStrictFields) {
    TarHeader h;
    h.name = "file.txt";
    std::string block = tar_header(h);
    EXPECT_TRUE(tar::PassesHeaderTest(bytes_of(block), true));
    EXPECT_FALSE(tar::PassesHeaderTest(bytes_of(block.substr(0, 511)), false));
    TarHeader bad = h;
    bad.checksum = 1234;
    EXPECT_FALSE(tar::PassesHeaderTest(bytes_of(tar_header(bad)), false));
    TarHeader control = h;
    control.name = "a\x01" "b";
    EXPECT_FALSE(tar::PassesHeaderTest(bytes_of(tar_header(control)), true));
    EXPECT_TRUE(tar::PassesHeaderTest(bytes_of(tar_header(control)), false));
    TarHeader big = h;
    big.base256_size = true;  // 0x80 in the size field is not octal text
    EXPECT_FALSE(tar::PassesHeaderTest(bytes_of(tar_header(big)), true));
    EXPECT_TRUE(tar::PassesHeaderTest(bytes_of(tar_header(big)), false));
}

TEST_F(TarReaderTest, StrictTestUnlessTheNameEndsInTar) {
    TarHeader h;
    h.name = "odd\x1fname";
    std::string archive = tar_member(h, "data") + tar_end();
    EXPECT_FALSE(list(u"x.dat", archive).opened);
    Listing l = list(u"x.TAR", archive);
    ASSERT_TRUE(l.opened);
    ASSERT_EQ(l.items.size(), 1u);
    EXPECT_EQ(l.format, u"TAR");
}

TEST_F(TarReaderTest, MembersSizesTimesAndTheEnd) {
    TarHeader a, b;
    a.name = "a.txt";
    a.size = 5;
    a.mtime = 1700000000;
    b.name = "sub/b.bin";
    b.size = 600;
    std::string archive = tar_member(a, "hello") + tar_member(b, std::string(600, 'b')) + tar_end();
    Listing l = list(u"t.tar", archive);
    ASSERT_EQ(l.items.size(), 2u);
    EXPECT_EQ(l.end, kNoMoreItems);
    EXPECT_EQ(l.items[0].Name, u"a.txt");
    EXPECT_EQ(l.items[0].UnpackedSize, 5u);
    EXPECT_EQ(l.items[0].PackedSize, 5u);
    EXPECT_EQ(l.items[0].ModTime, 133444736000000000u);
    EXPECT_EQ(l.items[0].Attributes, 0u);
    EXPECT_EQ(l.items[1].Name, u"sub\\b.bin");
    EXPECT_EQ(l.items[1].PackedSize, 600u);
    // Without the zero blocks the end of the file ends the listing the same way.
    Listing no_end = list(u"t2.tar", tar_member(a, "hello"));
    EXPECT_EQ(no_end.items.size(), 1u);
    EXPECT_EQ(no_end.end, kNoMoreItems);
}

TEST_F(TarReaderTest, Base256SizeIsRead) {
    TarHeader h;
    h.name = "big";
    h.size = 1000;
    h.base256_size = true;
    Listing l = list(u"b.tar", tar_member(h, std::string(1000, 'x')) + tar_end());
    ASSERT_EQ(l.items.size(), 1u);
    EXPECT_EQ(l.items[0].UnpackedSize, 1000u);
}

TEST_F(TarReaderTest, DirectoriesByTypeModeOrSlash) {
    TarHeader by_type, by_mode, by_slash;
    by_type.name = "t";
    by_type.type = '5';
    by_mode.name = "m";
    by_mode.mode = "0040755";
    by_slash.name = "dir/";
    by_slash.size = 512;  // a directory's data is not skipped: the next header follows at once
    TarHeader after;
    after.name = "after";
    std::string archive = tar_header(by_type) + tar_header(by_mode) + tar_header(by_slash) + tar_header(after) + tar_end();
    Listing l = list(u"d.tar", archive);
    ASSERT_EQ(l.items.size(), 4u);
    for (int i = 0; i < 3; ++i) {
        EXPECT_TRUE(l.items[i].IsDirectory);
        EXPECT_EQ(l.items[i].Attributes, kAttrDirectory);
        EXPECT_EQ(l.items[i].PackedSize, 0u);
    }
    EXPECT_EQ(l.items[2].Name, u"dir");
    EXPECT_EQ(l.items[2].UnpackedSize, 512u);
    EXPECT_EQ(l.items[3].Name, u"after");
}

TEST_F(TarReaderTest, LinksHaveNoData) {
    TarHeader hard, sym, next;
    hard.name = "hard";
    hard.type = '1';
    hard.size = 100;  // some writers record the target's size
    sym.name = "sym";
    sym.type = '2';
    next.name = "next";
    Listing l = list(u"l.tar", tar_header(hard) + tar_header(sym) + tar_header(next) + tar_end());
    ASSERT_EQ(l.items.size(), 3u);
    EXPECT_EQ(l.items[0].PackedSize, 0u);
    EXPECT_EQ(l.items[0].UnpackedSize, 100u);
    EXPECT_EQ(l.items[2].Name, u"next");
}

TEST_F(TarReaderTest, PosixPrefixAndGnuMagic) {
    TarHeader prefixed;
    prefixed.name = "leaf.txt";
    prefixed.prefix = "some/deep/path";
    TarHeader gnu_no_prefix = prefixed;  // GNU magic: the field at 345 is not a prefix
    gnu_no_prefix.magic = TarMagic::kGnu;
    gnu_no_prefix.prefix = "";
    TarHeader slash_prefix = prefixed;
    slash_prefix.prefix = "ends/";
    Listing l = list(u"p.tar", tar_header(prefixed) + tar_header(gnu_no_prefix) + tar_header(slash_prefix) + tar_end());
    ASSERT_EQ(l.items.size(), 3u);
    EXPECT_EQ(l.items[0].Name, u"some\\deep\\path\\leaf.txt");
    EXPECT_EQ(l.items[1].Name, u"leaf.txt");
    EXPECT_EQ(l.items[2].Name, u"ends\\leaf.txt");
}

TEST_F(TarReaderTest, EmptyGnuHeaderIsSkipped) {
    TarHeader empty;
    empty.name = "";
    empty.magic = TarMagic::kGnu;
    TarHeader real;
    real.name = "real";
    Listing l = list(u"g.tar", tar_header(empty) + tar_header(real) + tar_end());
    ASSERT_EQ(l.items.size(), 1u);
    EXPECT_EQ(l.items[0].Name, u"real");
}

TEST_F(TarReaderTest, ExtendedHeadersAreNeverItems) {
    TarHeader pax, global, file;
    pax.name = "PaxHeaders/f";
    pax.type = 'x';
    pax.size = 30;
    global.name = "GlobalHead";
    global.type = 'g';
    global.size = 700;
    file.name = "f";
    file.size = 3;
    std::string archive = tar_member(global, std::string(700, 'g')) + tar_member(pax, std::string(30, 'p')) +
                          tar_member(file, "abc") + tar_end();
    Listing l = list(u"x.tar", archive);
    ASSERT_EQ(l.items.size(), 1u);
    EXPECT_EQ(l.items[0].Name, u"f");
    EXPECT_EQ(l.items[0].UnpackedSize, 3u);
}

TEST_F(TarReaderTest, LongNamesAndLongLinks) {
    std::string long_name = std::string(150, 'n') + "/" + std::string(50, 'm');
    TarHeader l_header, k_header, file;
    l_header.name = "././@LongLink";
    l_header.type = 'L';
    l_header.size = long_name.size() + 1;
    k_header.name = "././@LongLink";
    k_header.type = 'K';
    k_header.size = 300;
    file.name = "short-name";
    file.size = 4;
    std::string archive = tar_member(l_header, long_name + '\0') + tar_member(k_header, std::string(300, 'k')) +
                          tar_member(file, "data") + tar_end();
    Listing l = list(u"n.tar", archive);
    ASSERT_EQ(l.items.size(), 1u);
    std::u16string expected(150, u'n');
    expected += u'\\';
    expected += std::u16string(50, u'm');
    EXPECT_EQ(l.items[0].Name, expected);
    EXPECT_EQ(l.items[0].UnpackedSize, 4u);
    EXPECT_EQ(l.end, kNoMoreItems);
}

// A slash at the end of a name inside a long-name chain does not make a directory.
TEST_F(TarReaderTest, SlashInsideALongNameChainIsNotADirectory) {
    TarHeader l_header, file;
    l_header.name = "././@LongLink";
    l_header.type = 'L';
    l_header.size = 9;
    file.name = "trailing/";
    Listing l = list(u"s.tar", tar_member(l_header, "the/name") + tar_header(file) + tar_end());
    ASSERT_EQ(l.items.size(), 1u);
    EXPECT_FALSE(l.items[0].IsDirectory);
    EXPECT_EQ(l.items[0].Name, u"the\\name");
}

// Five long-name headers in a row: the fifth is not followed but returned itself, named by its
// data; the outer names then replace its name in turn, so the first one's name is shown.
TEST_F(TarReaderTest, FifthLongNameLevelIsNotEntered) {
    std::string archive;
    for (int i = 1; i <= 5; ++i) {
        TarHeader h;
        h.name = "././@LongLink";
        h.type = 'L';
        std::string data = "long" + std::to_string(i);
        h.size = data.size() + 1 + i;  // sizes differ, so the returned header can be told
        archive += tar_member(h, data + std::string(1 + i, '\0'));
    }
    TarHeader file;
    file.name = "file";
    archive += tar_header(file) + tar_end();
    Listing l = list(u"five.tar", archive);
    ASSERT_EQ(l.items.size(), 2u);
    EXPECT_EQ(l.items[0].Name, u"long1");
    EXPECT_EQ(l.items[0].UnpackedSize, 11u);  // the fifth header's size
    EXPECT_EQ(l.items[1].Name, u"file");
}

TEST_F(TarReaderTest, SparseMemberIsReportedAndListed) {
    TarHeader sparse;
    sparse.name = "holes";
    sparse.type = 'S';
    sparse.magic = TarMagic::kGnu;
    sparse.size = 10;
    test::ReportRecorder recorder;
    Listing l = list(u"sp.tar", tar_member(sparse, "0123456789") + tar_end());
    ASSERT_EQ(l.items.size(), 1u);
    EXPECT_EQ(l.items[0].Name, u"holes");
    EXPECT_EQ(ErrorState::data().exit_code, KUB_FATAL_ERROR);
    ASSERT_EQ(recorder.reports().size(), 2u);
    EXPECT_EQ(recorder.reports()[0], (test::RecordedReport{kMsgFatal, u"holes", u""}));
    EXPECT_EQ(recorder.reports()[1], (test::RecordedReport{kMsgUnsupportedFeature, scratch / u"sp.tar", u"sparse file"}));
}

TEST_F(TarReaderTest, DamageAndTruncation) {
    TarHeader good, bad;
    good.name = "good";
    good.size = 2;
    bad.name = "bad";
    bad.checksum = 7;
    Listing damaged = list(u"bad.tar", tar_member(good, "ok") + tar_header(bad) + tar_end());
    EXPECT_EQ(damaged.items.size(), 1u);
    EXPECT_EQ(damaged.end, kItemDamagedSource);

    Listing partial = list(u"partial.tar", tar_member(good, "ok") + std::string(100, 'z'));
    EXPECT_EQ(partial.items.size(), 1u);
    EXPECT_EQ(partial.end, kItemReadFailure);

    TarHeader huge;
    huge.name = "huge";
    huge.size = 1u << 20;  // beyond the file
    Listing beyond = list(u"beyond.tar", tar_header(huge) + tar_end());
    EXPECT_EQ(beyond.items.size(), 1u);
    EXPECT_EQ(beyond.end, kItemBadHeader);

    TarHeader wrapping;
    wrapping.name = "wraps";
    wrapping.size = UINT64_MAX - 100;
    wrapping.base256_size = true;
    Listing wrapped = list(u"wrap.tar", tar_header(wrapping) + tar_end());
    EXPECT_EQ(wrapped.items.size(), 0u);
    EXPECT_EQ(wrapped.end, kItemDamagedSource);
}

TEST_F(TarReaderTest, CompressedTarReadsThroughTheGzipStream) {
    TarHeader a, b;
    a.name = "a";
    a.size = 70000;
    b.name = "b";
    b.size = 1;
    test::GzipMember m;
    m.data = tar_member(a, std::string(70000, 'a')) + tar_member(b, "b") + tar_end();
    m.block_size = 9000;
    Listing l = list(u"c.tgz", test::gzip_member(m));
    ASSERT_TRUE(l.opened);
    EXPECT_EQ(l.format, u"TAR+GZIP");
    ASSERT_EQ(l.items.size(), 2u);
    EXPECT_EQ(l.items[0].UnpackedSize, 70000u);
    EXPECT_EQ(l.items[0].PackedSize, UnknownSize);
    EXPECT_EQ(l.items[1].Name, u"b");
    EXPECT_EQ(l.end, kNoMoreItems);
}

TEST_F(TarReaderTest, CompressedNonTarIsStillTarAndEndsWithDamage) {
    test::GzipMember m;
    m.data = std::string(2000, 'n');
    Listing l = list(u"x.tar.gz", test::gzip_member(m));
    ASSERT_TRUE(l.opened);
    EXPECT_EQ(l.format, u"TAR+GZIP");
    EXPECT_TRUE(l.items.empty());
    EXPECT_EQ(l.end, kItemDamagedSource);
}

// A last piece of 1 to 511 bytes in a compressed tar is the end of the data, not a failure.
TEST_F(TarReaderTest, ShortLastBlockOfACompressedTarEndsTheListing) {
    TarHeader a;
    a.name = "a";
    test::GzipMember m;
    m.data = tar_header(a) + std::string(300, '\0');
    Listing l = list(u"short.tar.gz", test::gzip_member(m));
    ASSERT_EQ(l.items.size(), 1u);
    EXPECT_EQ(l.end, kNoMoreItems);
}

// A .tar.gz that is not gzip at all is taken as a plain tar when its header passes.
TEST_F(TarReaderTest, ClaimedNameWithoutGzipDataFallsBackToPlain) {
    TarHeader a;
    a.name = "plain";
    Listing l = list(u"fake.tar.gz", tar_header(a) + tar_end());
    ASSERT_TRUE(l.opened);
    EXPECT_EQ(l.format, u"TAR");
    ASSERT_EQ(l.items.size(), 1u);
}

TEST_F(TarReaderTest, AnalysisTriesTheTarReaderFirstForCompressedNames) {
    TarHeader a;
    a.name = "inside";
    test::GzipMember m;
    m.data = tar_header(a) + tar_end();
    ASSERT_TRUE(scratch.write_file(u"first.tar.gz", test::gzip_member(m)));
    ArchiveAnalysis analysis;
    ASSERT_EQ(analysis.Analyze(scratch / u"first.tar.gz", false, 0), kAnalyzeArchive);
    EXPECT_EQ(analysis.summary().ReaderIndex, static_cast<std::uint32_t>(kTarReaderIndex));
    EXPECT_EQ(analysis.summary().FormatName, u"TAR+GZIP");
    EXPECT_EQ(analysis.summary().ItemCount, 1);
    // The same bytes as x.gz are one gzip item.
    ASSERT_TRUE(scratch.write_file(u"plain.gz", test::gzip_member(m)));
    ASSERT_EQ(analysis.Analyze(scratch / u"plain.gz", false, 0), kAnalyzeArchive);
    EXPECT_EQ(analysis.summary().ReaderIndex, static_cast<std::uint32_t>(kGzipReaderIndex));
}

}  // namespace
}  // namespace kub

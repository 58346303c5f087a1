// KUB archives through the archive analysis: detection against other readers and multi-volume
// sets.
#include <gtest/gtest.h>

#include <string>

#include "formats/archive_analysis.h"
#include "tests/support/writers/kub_writer.h"
#include "tests/support/scratch_folder.h"
#include "tests/support/writers/zip_builder.h"

namespace kub {
namespace {

using test::Bytes;

std::string as_string(const Bytes& b) { return std::string(b.begin(), b.end()); }

test::Gen2Item file(std::string name, std::uint64_t packed, std::uint64_t unpacked, std::uint16_t flags = 0) {
    test::Gen2Item f;
    f.name = std::move(name);
    f.packed_size = packed;
    f.unpacked_size = unpacked;
    f.flags = flags;
    return f;
}

TEST(KubAnalysis, NearestArchiveWinsOverLaterZip) {
    test::ScratchFolder dir;
    test::Gen3Archive kub;
    kub.sfx = test::sfx_stub(30000);
    kub.items.resize(1);
    kub.items[0].name = "inside.txt";
    Bytes front = test::build(kub);
    ASSERT_LT(front.size(), 50000u);
    front.resize(50000, 0x90);

    test::ZipLayout zip;
    zip.prefix = as_string(front);
    test::ZipEntrySpec entry;
    entry.name = "zipped.txt";
    entry.data = "zip data";
    zip.entries.push_back(entry);
    const std::string both = test::build_zip(zip);
    ASSERT_EQ(both.compare(50000, 4, std::string("PK\x03\x04", 4)), 0);
    ASSERT_TRUE(dir.write_file(u"both.exe", both));

    ArchiveAnalysis analysis;
    ASSERT_EQ(analysis.Analyze(dir / u"both.exe", false, 0), kAnalyzeArchive);
    EXPECT_EQ(analysis.summary().ReaderIndex, static_cast<std::uint32_t>(kKubReaderIndex));
    EXPECT_EQ(analysis.summary().SfxSize, 30000);
    EXPECT_EQ(analysis.summary().FormatName, u"KUB 5.0");
    EXPECT_EQ(analysis.summary().ItemCount, 1);

    // Without the KUB archive in front the ZIP reader finds its archive.
    std::string zip_only = both;
    zip_only[30000] = 'X';
    ASSERT_TRUE(dir.write_file(u"zip.exe", zip_only));
    ArchiveAnalysis other;
    ASSERT_EQ(other.Analyze(dir / u"zip.exe", false, 0), kAnalyzeArchive);
    EXPECT_EQ(other.summary().ReaderIndex, static_cast<std::uint32_t>(kZipReaderIndex));
}

// A set of three volumes with new naming; one item runs through all three.
void write_block_set(const test::ScratchFolder& dir, std::u16string_view stem, std::uint16_t extra_main_flags = 0) {
    for (int v = 0; v < 3; ++v) {
        test::Gen2Archive vol;
        vol.main_flags = static_cast<std::uint16_t>(0x0001 | 0x0010 | extra_main_flags);
        std::uint16_t split = static_cast<std::uint16_t>((v > 0 ? 0x0001 : 0) | (v < 2 ? 0x0002 : 0));
        if (v == 0) vol.items.push_back(file("first.txt", 11, 20));
        vol.items.push_back(file("movie.avi", 50, 150, split));
        if (v == 2) vol.items.push_back(file("notes.txt", 9, 18));
        vol.end_flags = v < 2 ? 0x0001 : 0;
        vol.end_volume_number = static_cast<std::uint16_t>(v);
        std::u16string name = std::u16string(stem) + u".part" + static_cast<char16_t>(u'1' + v) + u".kub";
        ASSERT_TRUE(dir.write_file(name, as_string(test::build(vol))));
    }
}

TEST(KubAnalysis, SetOpenedAtItsSecondVolume) {
    test::ScratchFolder dir;
    write_block_set(dir, u"set");

    ArchiveAnalysis whole;
    ASSERT_EQ(whole.Analyze(dir / u"set.part1.kub", false, 0), kAnalyzeArchive);
    EXPECT_EQ(whole.summary().ItemCount, 3);
    EXPECT_EQ(whole.summary().TotalUnpacked, 20 + 150 + 18);
    EXPECT_EQ(whole.summary().TotalPacked, 11 + 3 * 50 + 9);
    EXPECT_TRUE(whole.summary().IsFirstVolume);
    EXPECT_TRUE(whole.summary().IsLastVolume);
    EXPECT_EQ(whole.summary().VolumeNumber, 1u);

    // From the second volume: the piece there counts as an item, the one in volume 3 does not.
    ArchiveAnalysis from_second;
    ASSERT_EQ(from_second.Analyze(dir / u"set.part2.kub", false, 0), kAnalyzeArchive);
    const ArchiveSummary& s = from_second.summary();
    EXPECT_EQ(s.VolumeNumber, 2u);
    EXPECT_FALSE(s.IsFirstVolume);
    EXPECT_TRUE(s.IsVolume);
    EXPECT_TRUE(s.IsLastVolume);
    EXPECT_EQ(s.ItemCount, 2);
    EXPECT_EQ(s.TotalUnpacked, 150 + 18);
    EXPECT_EQ(s.TotalPacked, 2 * 50 + 9);

    // Without following volumes only the opened one is listed.
    ArchiveAnalysis single;
    ASSERT_EQ(single.Analyze(dir / u"set.part2.kub", false, kVolumeModeNoFollow), kAnalyzeArchive);
    EXPECT_EQ(single.summary().ItemCount, 1);
    EXPECT_EQ(single.summary().VolumeNumber, 2u);
}

TEST(KubAnalysis, FiveFormatSetFromTheMiddle) {
    test::ScratchFolder dir;
    for (int v = 0; v < 3; ++v) {
        test::Gen3Archive vol;
        vol.archive_flags = 0x0001;
        if (v > 0) vol.volume_number = v;
        test::Gen3Item piece;
        piece.name = "disk.img";
        piece.packed_size = 40;
        piece.unpacked_size = 120;
        piece.head_flags = (v > 0 ? 0x0008 : 0) | (v < 2 ? 0x0010 : 0);
        vol.items.push_back(piece);
        std::u16string name = u"img.part" + std::u16string(1, static_cast<char16_t>(u'1' + v)) + u".kub";
        ASSERT_TRUE(dir.write_file(name, as_string(test::build(vol))));
    }
    ArchiveAnalysis a;
    ASSERT_EQ(a.Analyze(dir / u"img.part2.kub", false, 0), kAnalyzeArchive);
    EXPECT_EQ(a.summary().VolumeNumber, 2u);
    EXPECT_FALSE(a.summary().IsFirstVolume);
    EXPECT_TRUE(a.summary().IsLastVolume);
    EXPECT_EQ(a.summary().ItemCount, 1);
    EXPECT_EQ(a.summary().TotalPacked, 80);
    EXPECT_TRUE(a.summary().IsKub5);
}

TEST(KubAnalysis, EncryptedHeadersSkipTheVolumeWalk) {
    test::ScratchFolder dir;
    // The first volume hides its headers; the second would show an item if it were read.
    test::Gen2Archive first;
    first.main_flags = 0x0001 | 0x0010 | 0x0080;
    first.items.push_back(file("hidden", 5, 5, 0x0002));
    ASSERT_TRUE(dir.write_file(u"enc.part1.kub", as_string(test::build(first))));
    test::Gen2Archive second;
    second.main_flags = 0x0001 | 0x0010;
    second.items.push_back(file("visible", 5, 5));
    ASSERT_TRUE(dir.write_file(u"enc.part2.kub", as_string(test::build(second))));

    ArchiveAnalysis a;
    ASSERT_EQ(a.Analyze(dir / u"enc.part1.kub", false, 0), kAnalyzeArchive);
    EXPECT_TRUE(a.summary().HeadersEncrypted);
    EXPECT_TRUE(a.summary().AnyEncrypted);
    EXPECT_EQ(a.summary().ItemCount, 0);
}

TEST(KubAnalysis, UnknownSizesAndHostSystems) {
    test::ScratchFolder dir;
    test::Gen2Archive a;
    test::Gen2Item unknown = file("stream", 7, 0xFFFFFFFF);
    test::Gen2Item known = file("known", 3, 30);
    known.host = 3;
    a.items = {unknown, known};
    ASSERT_TRUE(dir.write_file(u"u.kub", as_string(test::build(a))));
    ArchiveAnalysis analysis;
    ASSERT_EQ(analysis.Analyze(dir / u"u.kub", false, 0), kAnalyzeArchive);
    EXPECT_EQ(analysis.summary().TotalUnpacked, 30);
    EXPECT_EQ(analysis.summary().TotalPacked, 10);
    EXPECT_EQ(analysis.summary().HostOSList, u"Windows, Unix");
    EXPECT_EQ(analysis.summary().SummaryHashKind, static_cast<std::uint32_t>(kHashCrc32));
}

}  // namespace
}  // namespace kub

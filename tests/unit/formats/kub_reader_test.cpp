// The KUB reader on archive files written by the test writer, one generation and one header kind
// at a time.
#include "formats/kub/kub_reader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/time/common_time.h"
#include "common/error_state.h"
#include "formats/kub/kub_archive.h"
#include "tests/support/code_page_scope.h"
#include "tests/support/kub_memory_source.h"
#include "tests/support/writers/kub_writer.h"
#include "tests/support/scratch_folder.h"

namespace kub {
namespace {

using test::Bytes;

struct Listing {
    bool opened = false;
    std::int32_t offset = -1;
    std::vector<ItemHeader> items;
    ArchiveSummary summary;
    std::u16string next_volume;
};

std::string as_string(const Bytes& b) { return std::string(b.begin(), b.end()); }

Listing list(const test::ScratchFolder& dir, std::u16string_view name, const Bytes& bytes,
             bool quick_open = true) {
    EXPECT_TRUE(dir.write_file(name, as_string(bytes)));
    ReaderOptions options;
    options.use_quick_open = quick_open;
    KubArchiveReader reader(&options);
    Listing out;
    std::u16string path = dir / name;
    out.opened = reader.Open(path, {}, out.offset, 0);
    if (!out.opened) return out;
    for (int guard = 0; guard < 10000; ++guard) {
        ItemHeader item;
        if (reader.ReadItem(item) != kItemRead) break;
        out.items.push_back(item);
    }
    reader.Close(out.summary);
    out.next_volume = path;
    reader.NextVolumeName(out.next_volume);
    out.next_volume = out.next_volume.substr(dir.path().size());
    return out;
}

std::vector<std::u16string> names(const Listing& l) {
    std::vector<std::u16string> out;
    for (const ItemHeader& i : l.items) out.push_back(i.Name);
    return out;
}

std::uint32_t hash32(const ItemHeader& i) {
    return i.HashValue[0] | i.HashValue[1] << 8 | i.HashValue[2] << 16 | std::uint32_t{i.HashValue[3]} << 24;
}

constexpr std::uint32_t kDosTime = 0x5A8C6B2F;  // 2025-04-12 13:25:30 local

test::Gen2Item gen2_file(std::string name, std::uint64_t packed, std::uint64_t unpacked) {
    test::Gen2Item f;
    f.name = std::move(name);
    f.packed_size = packed;
    f.unpacked_size = unpacked;
    f.crc = 0xA1B2C3D4;
    f.dos_time = kDosTime;
    return f;
}

TEST(KubReader, OldestFormatItems) {
    test::ScratchFolder dir;
    test::Gen1Archive a;
    a.main_flags = 0x01 | 0x02 | 0x04 | 0x08;
    a.items.push_back({"A:B/C.TXT", 40, 90, 0xBEEF, kDosTime, 0x21, 0x02, 2, {}});
    a.items.push_back({"SUB", 0, 0, 0, kDosTime, 0x10, 0, 0, {}});
    a.items.push_back({"X.BIN", 7, 7, 1, kDosTime, 0x20, 0x01 | 0x04, 0, {}});
    Listing l = list(dir, u"old.kub", test::build(a));
    ASSERT_TRUE(l.opened);
    EXPECT_EQ(l.offset, 0);
    ASSERT_EQ(l.items.size(), 3u);
    const ItemHeader& f = l.items[0];
    EXPECT_EQ(f.Name, u"A_B\\C.TXT");
    EXPECT_EQ(f.HostOS, u"DOS");
    EXPECT_EQ(f.PackedSize, 40u);
    EXPECT_EQ(f.UnpackedSize, 90u);
    EXPECT_EQ(f.ModTime, time_from_packed(kDosTime));
    EXPECT_EQ(f.Attributes, 0x21u);
    EXPECT_EQ(f.DictSizeKB, 64u);
    EXPECT_EQ(f.UnpackVersion, 0x0103u);
    EXPECT_EQ(f.HashKind, kHashChecksum16);
    EXPECT_EQ(hash32(f), 0xBEEFu);
    EXPECT_TRUE(f.SplitAfter);
    EXPECT_FALSE(f.SplitBefore);
    EXPECT_TRUE(l.items[1].IsDirectory);
    EXPECT_EQ(l.items[1].DictSizeKB, 0u);
    EXPECT_EQ(l.items[1].UnpackVersion, 0x0100u);
    EXPECT_TRUE(l.items[2].SplitBefore);
    EXPECT_TRUE(l.items[2].IsEncrypted);

    EXPECT_EQ(l.summary.FormatName, u"KUB");
    EXPECT_FALSE(l.summary.IsKub5);
    EXPECT_TRUE(l.summary.IsVolume);
    EXPECT_EQ(l.summary.VolumeNumber, 1u);
    EXPECT_TRUE(l.summary.HasComment);
    EXPECT_TRUE(l.summary.IsLocked);
    EXPECT_TRUE(l.summary.IsSolid);
    EXPECT_FALSE(l.summary.HeaderErrors);
    EXPECT_EQ(l.next_volume, u"old.k00");  // the oldest format names volumes in the old style
}

TEST(KubReader, BlockFormatFileFields) {
    test::ScratchFolder dir;
    test::Gen2Archive a;
    a.main_flags = 0x0004 | 0x0008;
    test::Gen2Item solid = gen2_file("dir/a:b.txt", 100, 250);
    solid.flags = 0x0010 | (3 << 5);
    a.items.push_back(solid);
    test::Gen2Item folder = gen2_file("dir", 0, 0);
    folder.flags = 0x00E0;
    folder.attributes = 0x10;
    a.items.push_back(folder);
    test::Gen2Item wide = gen2_file("?.txt", 3, 3);
    wide.wide_name = u"\u6587\u4ef6/x.txt";
    a.items.push_back(wide);
    test::Gen2Item unknown = gen2_file("pipe.out", 5, 0xFFFFFFFF);
    a.items.push_back(unknown);
    test::Gen2Item large = gen2_file("big.iso", 6, 0x2540BE400ull);
    large.large_sizes = true;
    a.items.push_back(large);
    test::Gen2Item link = gen2_file("link", 4, 4);
    link.host = 3;
    link.attributes = 0xA1FF;
    a.items.push_back(link);
    test::Gen2Item timed = gen2_file("timed", 2, 2);
    timed.extended_times = test::gen2_extended_times(
        {test::Gen2Time{true, 0, true, 0xABCDEF, 3}, {}, {}, {}});
    timed.salt = true;
    timed.flags = 0x0004;
    a.items.push_back(timed);
    test::Gen2Item beos = gen2_file("be", 1, 1);
    beos.host = 9;
    beos.attributes = 0x1234;
    a.items.push_back(beos);

    Listing l = list(dir, u"block.kub", test::build(a));
    ASSERT_TRUE(l.opened);
    EXPECT_EQ(names(l), (std::vector<std::u16string>{u"dir\\a_b.txt", u"dir", u"\u6587\u4ef6\\x.txt",
                                                     u"pipe.out", u"big.iso", u"link", u"timed", u"be"}));
    const ItemHeader& s = l.items[0];
    EXPECT_EQ(s.HostOS, u"Windows");
    EXPECT_EQ(s.PackedSize, 100u);
    EXPECT_EQ(s.UnpackedSize, 250u);
    EXPECT_EQ(s.DictSizeKB, 512u);
    EXPECT_EQ(s.UnpackVersion, 0x0209u);
    EXPECT_EQ(s.HashKind, kHashCrc32);
    EXPECT_EQ(hash32(s), 0xA1B2C3D4u);
    EXPECT_TRUE(s.IsSolidItem);
    EXPECT_EQ(s.ModTime, time_from_packed(kDosTime));
    EXPECT_TRUE(l.items[1].IsDirectory);
    EXPECT_EQ(l.items[1].DictSizeKB, 0u);
    EXPECT_EQ(l.items[1].Attributes, 0x10u);
    EXPECT_EQ(l.items[3].UnpackedSize, UnknownSize);
    EXPECT_EQ(l.items[4].UnpackedSize, 0x2540BE400ull);
    EXPECT_EQ(l.items[5].HostOS, u"Unix");
    EXPECT_EQ(l.items[5].LinkType, 1u);
    EXPECT_EQ(l.items[5].Attributes, 0x80u);  // Unix attributes are not reported
    EXPECT_EQ(l.items[6].ModTime, time_from_packed(kDosTime) + 0xABCDEF + 10'000'000);
    EXPECT_TRUE(l.items[6].IsEncrypted);
    EXPECT_EQ(l.items[7].HostOS, u"");
    EXPECT_EQ(l.items[7].Attributes, 0x80u);

    EXPECT_EQ(l.summary.FormatName, u"KUB");
    EXPECT_TRUE(l.summary.IsLocked);
    EXPECT_TRUE(l.summary.IsSolid);
    EXPECT_FALSE(l.summary.IsVolume);
    EXPECT_FALSE(l.summary.IsFirstVolume);
    EXPECT_EQ(l.summary.VolumeNumber, 0u);
    EXPECT_FALSE(l.summary.HasComment);
    EXPECT_EQ(l.summary.RecoverySize, 0u);
    EXPECT_FALSE(l.summary.HeaderErrors);
}

TEST(KubReader, FiveFormatFileFieldsAndExtraRecords) {
    test::ScratchFolder dir;
    test::Gen3Archive a;
    a.archive_flags = 0x0004 | 0x0010;
    test::Gen3Item plain;
    plain.name = "dir\\odd/name:x";
    plain.file_flags = 0x0002 | 0x0004;
    plain.unix_time = 1700000000;
    plain.crc = 0x01020304;
    plain.unpacked_size = 5000;
    plain.packed_size = 70;
    plain.compression = 0x40 | (4u << 10);
    plain.attributes = 0x21;
    a.items.push_back(plain);
    test::Gen3Item rich;
    rich.name = "\xE6\x96\x87.txt";
    rich.host = 1;
    rich.attributes = 0x81A4;
    rich.file_flags = 0x0008;
    std::array<std::uint8_t, 32> digest{};
    for (unsigned i = 0; i < 32; ++i) digest[i] = static_cast<std::uint8_t>(i * 3);
    rich.extra = test::gen3_hash_record(digest);
    test::append(rich.extra, test::gen3_version_record(12));
    test::append(rich.extra, test::gen3_owner_record("me", "us"));
    test::append(rich.extra, test::gen3_encryption_record(0, 15));
    test::append(rich.extra, test::gen3_time_record(0x01DA000000000000ull));
    a.items.push_back(rich);
    test::Gen3Item dir_item;
    dir_item.name = "d";
    dir_item.file_flags = 0x0001;
    dir_item.compression = 0x0001 | (2u << 10);  // a version other than 5.0
    dir_item.host = 1;
    a.items.push_back(dir_item);
    test::Gen3Item link;
    link.name = "ln";
    link.extra = test::gen3_redirection_record(2, "target");
    a.items.push_back(link);

    Listing l = list(dir, u"five.kub", test::build(a));
    ASSERT_TRUE(l.opened);
    EXPECT_EQ(names(l), (std::vector<std::u16string>{u"dir_odd\\name_x", u"\u6587.txt;12", u"d", u"ln"}));
    const ItemHeader& p = l.items[0];
    EXPECT_EQ(p.HostOS, u"Windows");
    EXPECT_EQ(p.UnpackedSize, 5000u);
    EXPECT_EQ(p.PackedSize, 70u);
    EXPECT_EQ(p.ModTime, 133444736000000000ull + 0);  // 1700000000 as FILETIME
    EXPECT_EQ(p.Attributes, 0x21u);
    EXPECT_EQ(p.DictSizeKB, 2048u);
    EXPECT_EQ(p.UnpackVersion, 0x0500u);
    EXPECT_EQ(p.HashKind, kHashCrc32);
    EXPECT_EQ(hash32(p), 0x01020304u);
    EXPECT_TRUE(p.IsSolidItem);
    const ItemHeader& r = l.items[1];
    EXPECT_EQ(r.HostOS, u"Unix");
    EXPECT_EQ(r.Attributes, 0x80u);
    EXPECT_EQ(r.UnpackedSize, UnknownSize);
    EXPECT_EQ(r.HashKind, kHashBlake2sp);
    EXPECT_EQ(r.HashValue, digest);
    EXPECT_TRUE(r.IsEncrypted);
    EXPECT_EQ(r.ModTime, 0x01DA000000000000ull);
    EXPECT_TRUE(l.items[2].IsDirectory);
    EXPECT_EQ(l.items[2].Attributes, 0x10u);
    EXPECT_EQ(l.items[2].DictSizeKB, 0u);
    EXPECT_EQ(l.items[2].UnpackVersion, 0u);
    EXPECT_EQ(l.items[3].LinkType, 2u);

    EXPECT_EQ(l.summary.FormatName, u"KUB 5.0");
    EXPECT_TRUE(l.summary.IsKub5);
    EXPECT_TRUE(l.summary.IsSolid);
    EXPECT_TRUE(l.summary.IsLocked);
    EXPECT_FALSE(l.summary.HasComment);
}

TEST(KubReader, StoredNamesInTheSystemCodePage) {
    test::CodePageScope pages(936, 936);
    if (!pages.active()) GTEST_SKIP() << "needs code page 936";
    test::ScratchFolder dir;
    // Without an encoded form the name is OEM text; in 936, CE C4 BC FE is "文件".
    test::Gen2Archive two;
    two.items = {gen2_file("\xCE\xC4\xBC\xFE/a.txt", 1, 1)};
    EXPECT_EQ(names(list(dir, u"oem2.kub", test::build(two))), std::vector<std::u16string>{u"\u6587\u4ef6\\a.txt"});
    test::Gen1Archive one;
    one.items.push_back({"\xCE\xC4\xBC\xFE.TXT", 1, 1, 0, kDosTime, 0x20, 0, 0, {}});
    EXPECT_EQ(names(list(dir, u"oem1.kub", test::build(one))), std::vector<std::u16string>{u"\u6587\u4ef6.TXT"});
    // 5.0 names are UTF-8 whatever the code pages.
    test::Gen3Archive five;
    five.items.resize(1);
    five.items[0].name = "\xE6\x96\x87\xE4\xBB\xB6";
    EXPECT_EQ(names(list(dir, u"utf8.kub", test::build(five))), std::vector<std::u16string>{u"\u6587\u4ef6"});
}

TEST(KubReader, CommentsAndServiceHeadersAreNotItems) {
    test::ScratchFolder dir;
    test::Gen2Archive two;
    test::Gen2Item cmt = gen2_file("CMT", 10, 10);
    cmt.type = 0x7A;
    two.items = {cmt, gen2_file("a", 1, 1)};
    Listing l2 = list(dir, u"c2.kub", test::build(two));
    EXPECT_EQ(names(l2), std::vector<std::u16string>{u"a"});
    EXPECT_TRUE(l2.summary.HasComment);

    cmt.name = "cmt";  // names are compared exactly
    two.items = {cmt, gen2_file("a", 1, 1)};
    EXPECT_FALSE(list(dir, u"c2b.kub", test::build(two)).summary.HasComment);

    test::Gen3Archive five;
    test::Gen3Item cmt3;
    cmt3.type = 3;
    cmt3.name = "CMT";
    cmt3.packed_size = 4;
    test::Gen3Item f;
    f.name = "f";
    five.items = {cmt3, f};
    Listing l3 = list(dir, u"c3.kub", test::build(five));
    EXPECT_EQ(names(l3), std::vector<std::u16string>{u"f"});
    EXPECT_TRUE(l3.summary.HasComment);
}

TEST(KubReader, RecoveryRecordSizeAndPercentage) {
    test::ScratchFolder dir;
    // The "RR" data starts at P = 10,240: 1,024 bytes of recovery data are 10 %.
    test::Gen2Item rr = test::gen2_recovery_service(2);
    rr.write_data = false;
    const std::size_t rr_header = test::gen2_item(rr).size();
    test::Gen2Item file = gen2_file("f", 0, 0);
    const std::size_t before = 7 + test::gen2_main(0).size() + test::gen2_item(file).size();
    file.packed_size = 10240 - before - rr_header;
    test::Gen2Archive a;
    a.main_flags = 0x0040;
    a.items = {file, rr};
    Listing l = list(dir, u"rr.kub", test::build(a));
    EXPECT_EQ(l.summary.RecoverySize, 1024u);
    EXPECT_EQ(l.summary.RecoveryPercent, 10u);

    a.main_flags = 0;  // a record without the main flag is not reported
    EXPECT_EQ(list(dir, u"rr0.kub", test::build(a)).summary.RecoverySize, 0u);

    a.main_flags = 0x0040;
    a.items = {file};  // flag set, record never met
    Listing unmeasured = list(dir, u"rr1.kub", test::build(a));
    EXPECT_EQ(unmeasured.summary.RecoverySize, ~std::uint64_t{0});
    EXPECT_EQ(unmeasured.summary.RecoveryPercent, 0xFFFFFFFFu);

    // The old recovery block gives a size but no percentage.
    Bytes old(test::kSignatureGen2, test::kSignatureGen2 + 7);
    test::append(old, test::gen2_main(0x0040));
    Bytes block;
    test::put_le(block, 0, 4);
    block.push_back(0);
    test::put_le(block, 6, 2);
    test::append(block, Bytes(12, 0));
    test::append(old, test::gen2_block(0x78, 0x8000, block));
    Listing l78 = list(dir, u"rr78.kub", old);
    EXPECT_EQ(l78.summary.RecoverySize, 3072u);
    EXPECT_EQ(l78.summary.RecoveryPercent, 0xFFFFFFFFu);

    test::Gen3Archive five;
    five.archive_flags = 0x0008;
    Listing l3 = list(dir, u"rr5.kub", test::build(five));
    EXPECT_EQ(l3.summary.RecoverySize, ~std::uint64_t{0});
    EXPECT_EQ(l3.summary.RecoveryPercent, 0xFFFFFFFFu);
}

TEST(KubReader, SelfExtractingModules) {
    test::ScratchFolder dir;
    test::Gen2Archive a;
    a.items = {gen2_file("in.txt", 3, 3)};
    a.sfx = test::sfx_stub(70000);
    Listing l = list(dir, u"setup.exe", test::build(a));
    ASSERT_TRUE(l.opened);
    EXPECT_EQ(l.offset, 70000);
    EXPECT_EQ(l.summary.SfxSize, 70000);
    EXPECT_EQ(names(l), std::vector<std::u16string>{u"in.txt"});

    // An oldest-format marker at 1000 without "KSFX" at 28 is passed over for a later archive.
    Bytes mixed = test::sfx_stub(5000);
    const char marker[] = "KE~^";
    std::copy(marker, marker + 4, mixed.begin() + 1000);
    a.sfx = mixed;
    Listing later = list(dir, u"mixed.exe", test::build(a));
    EXPECT_EQ(later.offset, 5000);
    EXPECT_EQ(names(later), std::vector<std::u16string>{u"in.txt"});

    test::Gen1Archive old;
    old.sfx = test::sfx_stub(2000, true);
    old.items.push_back({"OLD.TXT", 1, 1, 0, kDosTime, 0x20, 0, 0, {}});
    Listing tagged = list(dir, u"old.exe", test::build(old));
    EXPECT_EQ(tagged.offset, 2000);
    EXPECT_EQ(names(tagged), std::vector<std::u16string>{u"OLD.TXT"});

    test::Gen3Archive five;
    five.items.resize(1);
    five.items[0].name = "5";
    five.sfx = test::sfx_stub(1048560 - 1);
    EXPECT_EQ(list(dir, u"edge.exe", test::build(five)).offset, 1048559);
    five.sfx = test::sfx_stub(1048567);
    EXPECT_FALSE(list(dir, u"far.exe", test::build(five)).opened);
}

TEST(KubReader, RefusedFiles) {
    test::ScratchFolder dir;
    const Bytes newer = {'K', 'u', 'b', '!', 0x1A, 0x07, 0x02, 0x00, 1, 2, 3, 4, 5, 6, 7, 8};
    EXPECT_FALSE(list(dir, u"newer.kub", newer).opened);
    Bytes reserved = test::build(test::Gen3Archive{});
    reserved[7] = 1;  // the byte after a 5.0 signature must be zero
    EXPECT_FALSE(list(dir, u"reserved.kub", reserved).opened);
    EXPECT_FALSE(list(dir, u"empty.kub", {}).opened);
    EXPECT_FALSE(list(dir, u"text.kub", test::text_bytes("just some text, no archive here")).opened);

    KubArchiveReader reader(nullptr);
    std::int32_t offset = 0;
    std::u16string missing = dir / u"missing.kub";
    EXPECT_FALSE(reader.Open(missing, {}, offset, 0));
#ifndef _WIN32
    std::u16string device = u"/dev/zero";
    EXPECT_FALSE(reader.Open(device, {}, offset, 0));
#endif
}

TEST(KubReader, SignatureWithoutMainHeaderIsStillAnArchive) {
    test::ScratchFolder dir;
    Listing l = list(dir, u"bare.kub", Bytes(test::kSignatureGen2, test::kSignatureGen2 + 7));
    EXPECT_TRUE(l.opened);
    EXPECT_TRUE(l.items.empty());
    EXPECT_FALSE(l.summary.HeaderErrors);
}

TEST(KubReader, VolumeFacts) {
    test::ScratchFolder dir;
    // A 5.0 volume numbered 2 (0-based) is the third, and not the first even though its first
    // item starts in it.
    test::Gen3Archive five;
    five.archive_flags = 0x0001;
    five.volume_number = 2;
    five.items.resize(1);
    five.items[0].name = "fresh";
    Listing third = list(dir, u"v.part3.kub", test::build(five));
    EXPECT_TRUE(third.summary.IsVolume);
    EXPECT_EQ(third.summary.VolumeNumber, 3u);
    EXPECT_FALSE(third.summary.IsFirstVolume);
    EXPECT_EQ(third.next_volume, u"v.part4.kub");

    five.volume_number.reset();
    Listing first = list(dir, u"w.part1.kub", test::build(five));
    EXPECT_EQ(first.summary.VolumeNumber, 1u);
    EXPECT_TRUE(first.summary.IsFirstVolume);

    // Block format: the number is in the end block; the first item decides "first volume".
    test::Gen2Archive two;
    two.main_flags = 0x0001;
    test::Gen2Item piece = gen2_file("piece", 5, 5);
    piece.flags = 0x0001 | 0x0002;
    two.items = {piece};
    two.end_volume_number = 4;
    Listing middle = list(dir, u"m.k03", test::build(two));
    EXPECT_EQ(middle.summary.VolumeNumber, 5u);
    EXPECT_FALSE(middle.summary.IsFirstVolume);
    EXPECT_EQ(middle.next_volume, u"m.k04");

    two.end_volume_number.reset();
    two.main_flags = 0x0001 | 0x0010;
    piece.flags = 0x0002;
    two.items = {piece};
    Listing lead = list(dir, u"n.part1.kub", test::build(two));
    EXPECT_EQ(lead.summary.VolumeNumber, 1u);
    EXPECT_TRUE(lead.summary.IsFirstVolume);
    EXPECT_EQ(lead.next_volume, u"n.part2.kub");
}

TEST(KubReader, EncryptedHeadersListNothing) {
    test::ScratchFolder dir;
    test::Gen2Archive two;
    two.main_flags = 0x0080 | 0x0001 | 0x0010;
    two.items = {gen2_file("hidden", 3, 3)};
    Listing l2 = list(dir, u"e2.part1.kub", test::build(two));
    ASSERT_TRUE(l2.opened);
    EXPECT_TRUE(l2.items.empty());
    EXPECT_TRUE(l2.summary.HeadersEncrypted);
    EXPECT_TRUE(l2.summary.IsVolume);

    test::Gen3Archive five;
    five.encrypted_rest = Bytes(64, 0x5A);
    Listing l3 = list(dir, u"e3.kub", test::build(five));
    ASSERT_TRUE(l3.opened);
    EXPECT_TRUE(l3.items.empty());
    EXPECT_TRUE(l3.summary.HeadersEncrypted);
    EXPECT_EQ(l3.summary.FormatName, u"KUB 5.0");
    EXPECT_FALSE(l3.summary.HeaderErrors);
}

TEST(KubReader, HeaderDamage) {
    test::ScratchFolder dir;
    test::Gen2Archive a;
    a.items = {gen2_file("one", 2, 2), gen2_file("two", 2, 2)};
    Bytes good = test::build(a);
    const std::size_t first = 7 + test::gen2_main(0).size();

    // A checksum mismatch is noted and the walk goes on.
    Bytes flipped = good;
    flipped[first + 16] ^= 0x01;  // a byte of the first file's CRC field
    Listing l = list(dir, u"crc.kub", flipped);
    EXPECT_EQ(names(l), (std::vector<std::u16string>{u"one", u"two"}));
    EXPECT_TRUE(l.summary.HeaderErrors);

    // A header size below 7 ends the walk and is damage.
    Bytes small = good;
    small[first + 5] = 3;
    small[first + 6] = 0;
    Listing s = list(dir, u"small.kub", small);
    EXPECT_TRUE(s.items.empty());
    EXPECT_TRUE(s.summary.HeaderErrors);

    // A file that ends inside a header ends the walk without damage.
    Bytes cut(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(first + 20));
    Listing c = list(dir, u"cut.kub", cut);
    EXPECT_TRUE(c.items.empty());
    EXPECT_FALSE(c.summary.HeaderErrors);

    // 5.0: a header whose data size wraps the position around is damage.
    test::Gen3Item wrap;
    wrap.name = "w";
    wrap.packed_size = ~std::uint64_t{0} - 5;
    Bytes wrapped(test::kSignatureGen3, test::kSignatureGen3 + 8);
    test::append(wrapped, test::gen3_main(0));
    test::append(wrapped, test::gen3_item_header(wrap));
    Listing w = list(dir, u"wrap.kub", wrapped);
    EXPECT_TRUE(w.items.empty());
    EXPECT_TRUE(w.summary.HeaderErrors);
}

TEST(KubReader, UserBreakDuringTheWalk) {
    test::ScratchFolder dir;
    test::Gen3Archive a;
    for (int i = 0; i < 300; ++i) {
        test::Gen3Item s;
        s.type = 3;
        s.name = "S" + std::to_string(i);
        a.items.push_back(s);
    }
    test::Gen3Item f;
    f.name = "after";
    a.items.push_back(f);
    ASSERT_TRUE(dir.write_file(u"many.kub", as_string(test::build(a))));

    KubArchiveReader reader(nullptr);
    std::u16string path = dir / u"many.kub";
    std::int32_t offset = 0;
    ErrorState::reset();
    ASSERT_TRUE(reader.Open(path, {}, offset, 0));
    ErrorState::data().user_break = true;
    ItemHeader item;
    int code = 0;
    try {
        reader.ReadItem(item);
    } catch (KUB_EXIT e) {
        code = e;
    }
    ErrorState::reset();
    EXPECT_EQ(code, KUB_USER_BREAK);
    ArchiveSummary scratch;
    reader.Close(scratch);
}

// ---- Quick-open information ----

test::Gen3Archive quick_open_archive() {
    test::Gen3Archive a;
    for (int i = 0; i < 40; ++i) {
        test::Gen3Item f;
        f.name = "folder/file" + std::to_string(i) + ".dat";
        f.packed_size = 1000 + 37 * i;
        f.unpacked_size = 3 * f.packed_size;
        f.file_flags = 0x0002 | 0x0004;
        f.unix_time = 1600000000 + i;
        f.crc = 0x1000 + i;
        a.items.push_back(f);
    }
    a.quick_open = true;
    return a;
}

bool same_items(const Listing& a, const Listing& b) {
    if (a.items.size() != b.items.size()) return false;
    for (std::size_t i = 0; i < a.items.size(); ++i) {
        const ItemHeader& x = a.items[i];
        const ItemHeader& y = b.items[i];
        if (x.Name != y.Name || x.PackedSize != y.PackedSize || x.UnpackedSize != y.UnpackedSize ||
            x.ModTime != y.ModTime || x.HashValue != y.HashValue || x.Attributes != y.Attributes) {
            return false;
        }
    }
    return true;
}

TEST(KubQuickOpen, SameListingWithAndWithoutTheCache) {
    test::ScratchFolder dir;
    Bytes bytes = test::build(quick_open_archive());
    Listing with = list(dir, u"qo.kub", bytes, true);
    Listing without = list(dir, u"qo.kub", bytes, false);
    ASSERT_EQ(with.items.size(), 40u);
    EXPECT_TRUE(same_items(with, without));
    EXPECT_EQ(with.items[39].Name, u"folder\\file39.dat");
    EXPECT_EQ(with.items[39].PackedSize, 1000u + 37 * 39);
}

TEST(KubQuickOpen, ReadsComeFromTheCopyWhileItIsSound) {
    test::ScratchFolder dir;
    test::Gen3Layout layout;
    Bytes bytes = test::build(quick_open_archive(), &layout);
    ASSERT_EQ(layout.records.size(), 40u);

    // Damage the archive's own copy of the first item name: with the cache the listing still shows
    // the name from the quick-open copy; without it, the damaged name (and a checksum mismatch).
    Bytes altered = bytes;
    const Bytes name = test::text_bytes("folder/file0.dat");
    auto first_name = std::search(altered.begin(), altered.end(), name.begin(), name.end());
    ASSERT_LT(static_cast<std::size_t>(first_name - altered.begin()), layout.items[1]);
    first_name[7] = 'F';
    Listing cached = list(dir, u"alt.kub", altered, true);
    Listing direct = list(dir, u"alt.kub", altered, false);
    ASSERT_EQ(cached.items.size(), 40u);
    EXPECT_EQ(cached.items[0].Name, u"folder\\file0.dat");
    EXPECT_EQ(direct.items[0].Name, u"folder\\File0.dat");
    EXPECT_TRUE(direct.summary.HeaderErrors);

    // A record whose CRC does not match is not used: its read comes from the file.
    Bytes bad_record = altered;
    bad_record[layout.records[0]] ^= 0xFF;
    Listing skipped = list(dir, u"badrec.kub", bad_record, true);
    EXPECT_EQ(skipped.items[0].Name, u"folder\\File0.dat");
    EXPECT_EQ(skipped.items[1].Name, u"folder\\file1.dat");

    // A record whose sizes contradict each other switches the cache off for good; the walk
    // continues on the file and lists everything.
    Bytes inconsistent = bytes;
    inconsistent[layout.records[3] + 4] = 0;  // a record of size 0
    Listing off = list(dir, u"off.kub", inconsistent, true);
    EXPECT_TRUE(same_items(off, list(dir, u"plain.kub", bytes, false)));
}

using test::MemorySource;

TEST(KubQuickOpen, RecordsInOrderAndRestartOnBackwardSeek) {
    test::Gen3Layout layout;
    Bytes bytes = test::build(quick_open_archive(), &layout);
    MemorySource file(bytes);
    kubfmt::QuickOpenCache cache(file, layout.quick_open, layout.quick_open_data, layout.quick_open_size);
    auto read_at = [&](std::size_t at, std::size_t n) {
        std::vector<std::uint8_t> buf(n);
        EXPECT_TRUE(cache.seek(at));
        EXPECT_EQ(cache.read(buf.data(), n), static_cast<std::int64_t>(n));
        EXPECT_TRUE(std::equal(buf.begin(), buf.end(), bytes.begin() + static_cast<std::ptrdiff_t>(at)));
    };
    read_at(layout.items[0], 8);
    EXPECT_EQ(cache.bytes_served(), 8u);
    read_at(layout.items[1] - 8, 8);  // data bytes: not in any record
    EXPECT_EQ(cache.bytes_served(), 8u);
    read_at(layout.items[30], 6);  // later records are taken in order
    EXPECT_EQ(cache.bytes_served(), 14u);
    read_at(layout.items[2], 6);  // back before the current record: restart from the first
    EXPECT_EQ(cache.bytes_served(), 20u);
    EXPECT_TRUE(cache.active());

    Bytes inconsistent = bytes;
    inconsistent[layout.records[3] + 4] = 0;
    MemorySource broken(inconsistent);
    kubfmt::QuickOpenCache off(broken, layout.quick_open, layout.quick_open_data, layout.quick_open_size);
    std::uint8_t buf[4];
    off.seek(layout.items[2]);
    off.read(buf, 4);
    EXPECT_TRUE(off.active());
    off.seek(layout.items[5]);
    off.read(buf, 4);
    EXPECT_FALSE(off.active());
    off.seek(layout.items[0]);
    EXPECT_EQ(off.read(buf, 4), 4);  // from the file now
    EXPECT_FALSE(off.active());
}

}  // namespace
}  // namespace kub

// The ZIP reader on archives built field by field.
#include "formats/zip/zip_reader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "formats/zip/zip_entry.h"
#include "tests/support/code_page_scope.h"
#include "tests/support/scratch_folder.h"
#include "tests/support/writers/zip_builder.h"

namespace kub {
namespace {

using test::ZipEntrySpec;
using test::ZipLayout;

struct Listing {
    bool opened = false;
    std::int32_t offset = -1;
    std::u16string path;
    std::vector<ItemHeader> items;
    int end = -1;  // the ReadItem result that ended the listing
    ArchiveSummary summary;
};

Listing list(const test::ScratchFolder& dir, std::u16string_view name, const std::string& bytes) {
    EXPECT_TRUE(dir.write_file(name, bytes));
    Listing out;
    out.path = dir / name;
    std::span<const std::uint8_t> head(reinterpret_cast<const std::uint8_t*>(bytes.data()),
                                       std::min<std::size_t>(bytes.size(), kHeadBytes));
    ZipReader reader(nullptr);
    out.opened = reader.Open(out.path, head, out.offset, 0);
    if (!out.opened) return out;
    for (int guard = 0; guard < 1000; ++guard) {
        ItemHeader item;
        out.end = reader.ReadItem(item);
        if (out.end != kItemRead) break;
        out.items.push_back(item);
    }
    reader.Close(out.summary);
    return out;
}

ZipEntrySpec entry(std::string name, std::string data = "data") {
    ZipEntrySpec e;
    e.name = std::move(name);
    e.data = std::move(data);
    return e;
}

TEST(ZipReader, EmptyArchiveIsRecognisedWithNoItems) {
    test::ScratchFolder dir;
    Listing l = list(dir, u"empty.bin", test::build_zip({}));
    ASSERT_TRUE(l.opened);
    EXPECT_EQ(l.offset, 0);
    EXPECT_EQ(l.end, kNoMoreItems);
    EXPECT_TRUE(l.items.empty());
    EXPECT_EQ(l.summary.FormatName, u"ZIP");
    EXPECT_EQ(l.summary.SfxSize, 0);
}

TEST(ZipReader, StubInFrontGivesSfxSize) {
    test::ScratchFolder dir;
    ZipLayout layout;
    layout.prefix = std::string(102400, 'x');
    layout.entries = {entry("a.txt"), entry("b.txt", "bbbbbbbb")};
    Listing l = list(dir, u"sfx.exe", test::build_zip(layout));
    ASSERT_TRUE(l.opened);
    EXPECT_EQ(l.offset, 102400);
    EXPECT_EQ(l.summary.SfxSize, 102400);
    ASSERT_EQ(l.items.size(), 2u);
    EXPECT_EQ(l.items[1].Name, u"b.txt");
    EXPECT_EQ(l.items[1].UnpackedSize, 8u);
}

// A stub glued in front after the archive was made leaves the recorded directory offset short by
// the stub's size; the directory is still found where the end record says it ends.
TEST(ZipReader, StubGluedInFrontStillListsTheDirectory) {
    test::ScratchFolder dir;
    ZipLayout layout;
    layout.prefix = std::string(100000, '\x11');
    layout.offsets_include_prefix = false;
    layout.entries = {entry("a.txt"), entry("b.txt")};
    Listing l = list(dir, u"glued.exe", test::build_zip(layout));
    ASSERT_TRUE(l.opened);
    EXPECT_EQ(l.summary.SfxSize, 100000);
    ASSERT_EQ(l.items.size(), 2u);
    EXPECT_EQ(l.end, kNoMoreItems);
}

TEST(ZipReader, SpanningMarkerIsNotAnSfxStub) {
    test::ScratchFolder dir;
    ZipLayout layout;
    layout.spanning_marker = true;
    layout.entries = {entry("a.txt")};
    Listing l = list(dir, u"span.zip", test::build_zip(layout));
    ASSERT_TRUE(l.opened);
    EXPECT_EQ(l.offset, 4);
    EXPECT_EQ(l.summary.SfxSize, 0);
}

TEST(ZipReader, Zip64EndRecordAndSizes) {
    test::ScratchFolder dir;
    ZipLayout layout;
    layout.zip64_end = true;
    ZipEntrySpec big = entry("big.bin");
    big.packed_field = 0xFFFFFFFF;
    big.unpacked_field = 0xFFFFFFFF;
    big.central_extra = test::zip64_extra(0x123456789ull, 0x12345678Aull);
    layout.entries = {entry("small.txt"), big};
    Listing l = list(dir, u"z64.zip", test::build_zip(layout));
    ASSERT_TRUE(l.opened);
    EXPECT_EQ(l.summary.FormatName, u"ZIP64");
    ASSERT_EQ(l.items.size(), 2u);
    EXPECT_EQ(l.items[1].UnpackedSize, 0x123456789ull);
    EXPECT_EQ(l.items[1].PackedSize, 0x12345678Aull);
    EXPECT_EQ(l.end, kNoMoreItems);
}

// A comment near 64 KiB pushes the end record out of the searched range: the local headers are
// walked instead, and what only the directory knows (host, comment) is missing.
TEST(ZipReader, LongCommentFallsBackToTheLocalHeaderWalk) {
    test::ScratchFolder dir;
    ZipLayout layout;
    ZipEntrySpec e = entry("a.txt", "hello");
    e.host = 3;
    layout.entries = {e, entry("b/", "")};
    layout.archive_comment = std::string(65535, 'c');
    Listing l = list(dir, u"long.zip", test::build_zip(layout));
    ASSERT_TRUE(l.opened);
    ASSERT_EQ(l.items.size(), 2u);
    EXPECT_EQ(l.items[0].HostOS, u"DOS");
    EXPECT_EQ(l.items[0].PackedSize, 5u);
    EXPECT_TRUE(l.items[1].IsDirectory);
    EXPECT_EQ(l.end, kNoMoreItems);
    EXPECT_FALSE(l.summary.HasComment);
}

TEST(ZipReader, ShortCommentIsSeenAndRead) {
    test::ScratchFolder dir;
    ZipLayout layout;
    layout.entries = {entry("a.txt")};
    layout.archive_comment = "hello";
    Listing l = list(dir, u"c.zip", test::build_zip(layout));
    ASSERT_TRUE(l.opened);
    EXPECT_EQ(l.end, kNoMoreItems);
    EXPECT_TRUE(l.summary.HasComment);
    std::vector<std::uint8_t> comment = ReadZipComment(l.path);
    EXPECT_EQ(std::string(comment.begin(), comment.end()), "hello");
}

// Text for archive comments: printable, never a signature by itself.
std::string comment_text(std::size_t length) {
    std::string text;
    for (std::size_t i = 0; i < length; ++i) text.push_back(static_cast<char>('a' + i % 26));
    return text;
}

// What a listing shows of its items, for comparing two listings of the same entries.
std::vector<std::string> names_and_sizes(const Listing& l) {
    std::vector<std::string> out;
    for (const ItemHeader& item : l.items)
        out.push_back(std::string(item.Name.begin(), item.Name.end()) + ":" + std::to_string(item.UnpackedSize));
    return out;
}

// The end record is found wherever the comment puts it relative to the 1 KiB search windows,
// including records cut by a window's edge, and a signature inside the comment is not taken for
// the record. Every listing equals the listing without a comment, from the directory.
TEST(ZipReader, EndRecordFoundForEveryCommentLength) {
    test::ScratchFolder dir;
    ZipLayout layout;
    layout.entries = {entry("first.txt", "one"), entry("second.txt", "second")};
    const std::vector<std::string> expected = {"first.txt:3", "second.txt:6"};
    for (std::size_t length = 0; length <= 2100; ++length) {
        layout.archive_comment = comment_text(length);
        Listing l = list(dir, u"c.zip", test::build_zip(layout));
        ASSERT_TRUE(l.opened) << length;
        ASSERT_EQ(names_and_sizes(l), expected) << "comment of " << length << " bytes";
        ASSERT_EQ(l.end, kNoMoreItems) << length;
        ASSERT_EQ(l.summary.HasComment, length > 0) << length;
    }
    for (std::size_t at = 0; at + 4 <= 2100; at += 13) {
        layout.archive_comment = comment_text(2100);
        layout.archive_comment.replace(at, 4, "PK\x05\x06");
        Listing l = list(dir, u"p.zip", test::build_zip(layout));
        ASSERT_TRUE(l.opened) << at;
        ASSERT_EQ(names_and_sizes(l), expected) << "signature planted at " << at;
        ASSERT_TRUE(l.summary.HasComment) << at;
    }
    // A signature followed by zeros looks like the record of an empty archive; it is not the end
    // of this file, so the real record wins.
    layout.archive_comment = std::string("PK\x05\x06", 4) + std::string(60, '\0') + "tail";
    Listing zeros = list(dir, u"z.zip", test::build_zip(layout));
    EXPECT_EQ(names_and_sizes(zeros), expected);
}

TEST(ZipReader, CommentOfAnEmptyArchiveIsFound) {
    test::ScratchFolder dir;
    ZipLayout layout;
    layout.archive_comment = "only a comment";
    ASSERT_TRUE(dir.write_file(u"e.zip", test::build_zip(layout)));
    std::vector<std::uint8_t> comment = ReadZipComment(dir / u"e.zip");
    EXPECT_EQ(std::string(comment.begin(), comment.end()), "only a comment");
    EXPECT_TRUE(ReadZipComment(dir / u"missing.zip").empty());
}

TEST(ZipReader, UnicodePathReplacesTheNameOnlyWhenItsCrcMatches) {
    test::ScratchFolder dir;
    ZipLayout layout;
    ZipEntrySpec good = entry("old-name.txt");
    good.central_extra = test::unicode_path_extra("old-name.txt", "新名字.txt");
    ZipEntrySpec edited = entry("edited.txt");
    edited.central_extra = test::unicode_path_extra("edited.txt", "陈旧.txt", true);
    layout.entries = {good, edited};
    Listing l = list(dir, u"u.zip", test::build_zip(layout));
    ASSERT_EQ(l.items.size(), 2u);
    EXPECT_EQ(l.items[0].Name, u"新名字.txt");
    EXPECT_EQ(l.items[1].Name, u"edited.txt");
}

TEST(ZipReader, NtfsTimeReplacesTheDosTime) {
    test::ScratchFolder dir;
    ZipLayout layout;
    ZipEntrySpec e = entry("t.txt");
    e.central_extra = test::ntfs_time_extra(133000000000000000ull);
    layout.entries = {e};
    Listing l = list(dir, u"t.zip", test::build_zip(layout));
    ASSERT_EQ(l.items.size(), 1u);
    EXPECT_EQ(l.items[0].ModTime, 133000000000000000ull);
}

TEST(ZipReader, NameEncodings) {
    test::CodePageScope gbk(936, 936);
    if (!gbk.active()) GTEST_SKIP() << "code page 936 not available";
    test::ScratchFolder dir;
    ZipLayout layout;
    ZipEntrySpec flagged = entry("中文.txt");  // this source is UTF-8
    flagged.flags = 0x0800;
    ZipEntrySpec unix_utf8 = entry("文件.txt");
    unix_utf8.host = 3;
    unix_utf8.made_by_version = 30;
    ZipEntrySpec dos_gbk = entry("\xD6\xD0\xCE\xC4.txt");  // 中文 in code page 936
    ZipEntrySpec unix_ascii = entry("plain.txt");
    unix_ascii.host = 3;
    layout.entries = {flagged, unix_utf8, dos_gbk, unix_ascii};
    Listing l = list(dir, u"n.zip", test::build_zip(layout));
    ASSERT_EQ(l.items.size(), 4u);
    EXPECT_EQ(l.items[0].Name, u"中文.txt");
    EXPECT_EQ(l.items[1].Name, u"文件.txt");
    EXPECT_EQ(l.items[2].Name, u"中文.txt");
    EXPECT_EQ(l.items[3].Name, u"plain.txt");
}

TEST(ZipReader, DirectoriesAndAttributes) {
    test::ScratchFolder dir;
    ZipLayout layout;
    ZipEntrySpec unix_dir = entry("folder/", "");
    unix_dir.host = 3;
    unix_dir.external_attributes = 0x41ED0000;  // drwxr-xr-x
    ZipEntrySpec dos_dir_attr = entry("dosdir", "");
    dos_dir_attr.external_attributes = 0x10;
    ZipEntrySpec dos_file_with_dir_bit = entry("file", "not empty");
    dos_file_with_dir_bit.external_attributes = 0x31;  // directory bit on a file with data
    ZipEntrySpec dos_dir_by_name = entry("named/", "");
    dos_dir_by_name.external_attributes = 0x00;
    ZipEntrySpec unix_file = entry("a/b.txt");
    unix_file.host = 3;
    unix_file.external_attributes = 0x81A40000;
    layout.entries = {unix_dir, dos_dir_attr, dos_file_with_dir_bit, dos_dir_by_name, unix_file};
    Listing l = list(dir, u"d.zip", test::build_zip(layout));
    ASSERT_EQ(l.items.size(), 5u);

    struct Expect {
        std::u16string name;
        std::uint32_t attributes;
        bool directory;
    };
    const Expect expected[] = {
        {u"folder", 0x10, true}, {u"dosdir", 0x10, true}, {u"file", 0x21, false},
        {u"named", 0x10, true},  {u"a\\b.txt", 0x20, false},
    };
    for (std::size_t i = 0; i < std::size(expected); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(l.items[i].Name, expected[i].name);
        EXPECT_EQ(l.items[i].Attributes, expected[i].attributes);
        EXPECT_EQ(l.items[i].IsDirectory, expected[i].directory);
    }
}

TEST(ZipReader, EntryFacts) {
    test::ScratchFolder dir;
    ZipLayout layout;
    ZipEntrySpec e = entry("secret.txt", "abc");
    e.flags = 0x0001;
    e.comment = "about this file";
    e.version_needed = 45;
    e.host = 11;
    layout.entries = {e, entry("x")};
    Listing l = list(dir, u"f.zip", test::build_zip(layout));
    ASSERT_EQ(l.items.size(), 2u);
    const ItemHeader& item = l.items[0];
    EXPECT_TRUE(item.IsEncrypted);
    EXPECT_TRUE(item.HasItemComment);
    EXPECT_EQ(item.UnpackVersion, 0x0405u);
    EXPECT_EQ(item.DictSizeKB, 32u);
    EXPECT_EQ(item.HostOS, u"Windows");
    EXPECT_EQ(item.HashKind, kHashCrc32);
    // CRC-32 of "abc", little-endian in the first four bytes.
    EXPECT_EQ(item.HashValue[0], 0xC2);
    EXPECT_EQ(item.HashValue[3], 0x35);
    EXPECT_FALSE(l.items[1].IsEncrypted);
    EXPECT_EQ(l.items[1].UnpackVersion, 0x0200u);
}

TEST(ZipReader, HostSystemTable) {
    EXPECT_EQ(zip::host_system_name(0), u"DOS");
    EXPECT_EQ(zip::host_system_name(14), u"Windows VFAT");
    EXPECT_EQ(zip::host_system_name(17), u"Tandem");
    EXPECT_EQ(zip::host_system_name(18), u"");
    EXPECT_EQ(zip::host_system_name(255), u"");
}

TEST(ZipReader, RecognitionByContentAndName) {
    test::ScratchFolder dir;
    ZipLayout layout;
    layout.entries = {entry("a")};
    std::string archive = test::build_zip(layout);
    // Only the directory and end record: no local header in the head.
    std::string tail_only = archive.substr(archive.find("PK\x01\x02"));

    struct Case {
        std::u16string name;
        std::string bytes;
        bool opened;
    };
    const Case cases[] = {
        {u"tail.zip", tail_only, true},
        {u"tail.ZIP", tail_only, true},
        {u"tail.bin", tail_only, false},
        {u"noend.zip", "garbage without any signature", false},
        {u"plain.txt", "just text", false},
        {u"cut.bin", archive.substr(0, 40), true},  // a local header is enough to walk
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.name.begin(), c.name.end()));
        EXPECT_EQ(list(dir, c.name, c.bytes).opened, c.opened);
    }
}

TEST(ZipReader, DamagedDirectoryEndsTheListing) {
    test::ScratchFolder dir;
    ZipLayout layout;
    layout.entries = {entry("a"), entry("b")};
    std::string archive = test::build_zip(layout);
    std::size_t second = archive.find("PK\x01\x02", archive.find("PK\x01\x02") + 4);
    std::string broken = archive;
    broken[second + 2] = 'X';
    Listing l = list(dir, u"broken.zip", broken);
    ASSERT_TRUE(l.opened);
    EXPECT_EQ(l.items.size(), 1u);
    EXPECT_EQ(l.end, kItemBadHeader);

    // A name length running past the end of the file.
    std::string overlong = archive;
    std::size_t first = archive.find("PK\x01\x02");
    overlong[first + 28] = '\xFF';
    overlong[first + 29] = '\xFF';
    Listing o = list(dir, u"overlong.zip", overlong);
    ASSERT_TRUE(o.opened);
    EXPECT_TRUE(o.items.empty());
    EXPECT_EQ(o.end, kItemBadHeader);
}

TEST(ZipReader, SplitPieceSwitchesToTheLastPiece) {
    test::ScratchFolder dir;
    ZipLayout layout;
    layout.spanning_marker = true;
    layout.entries = {entry("one"), entry("two")};
    std::string whole = test::build_zip(layout);
    std::string first_piece = whole.substr(0, whole.find("PK\x01\x02"));
    ASSERT_TRUE(dir.write_file(u"set.zip", whole));
    Listing l = list(dir, u"set.z01", first_piece);
    ASSERT_TRUE(l.opened);
    EXPECT_EQ(l.path, dir / u"set.zip");
    EXPECT_EQ(l.items.size(), 2u);

    // Without the last piece the first one is walked on its own.
    test::ScratchFolder alone;
    Listing w = list(alone, u"solo.z01", first_piece);
    ASSERT_TRUE(w.opened);
    EXPECT_EQ(w.path, alone / u"solo.z01");
    EXPECT_EQ(w.items.size(), 2u);
}

TEST(ZipReader, NextVolumeNames) {
    const std::pair<std::u16string, std::u16string> cases[] = {
        {u"a.zip", u"a.z01"},   {u"a.ZIP", u"a.z01"}, {u"a.z01", u"a.z02"},
        {u"a.z99", u"a.z100"},  {u"A.Z05", u"A.Z06"}, {u"dir\\x.y.z09", u"dir\\x.y.z10"},
        {u"a.jar", u""},        {u"noext", u""},
    };
    ZipReader reader(nullptr);
    for (const auto& [from, to] : cases) {
        std::u16string name = from;
        reader.NextVolumeName(name);
        EXPECT_EQ(name, to) << std::string(from.begin(), from.end());
    }
    EXPECT_EQ(reader.GetExtensions(), u"zip|zipx|z##|jar");
}

}  // namespace
}  // namespace kub

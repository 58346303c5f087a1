#include <gtest/gtest.h>

#include <string>

#include "common/files/path_ops.h"
#include "tests/support/code_page_scope.h"

namespace kub {
namespace {

struct PathCase {
    std::u16string_view path;
    std::u16string_view expected;
};

TEST(NamePart, AfterLastSeparatorOrDriveColon) {
    const PathCase cases[] = {
        {u"C:\\dir\\file.txt", u"file.txt"},
        {u"dir/sub\\name", u"name"},
        {u"a/b", u"b"},
        {u"C:file", u"file"},
        {u"C:", u""},
        {u"file", u"file"},
        {u"dir\\", u""},
        {u"", u""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(name_part(c.path), c.expected) << std::u16string(c.path).size();
    EXPECT_EQ(folder_part(u"C:\\dir\\file.txt"), u"C:\\dir\\");
    EXPECT_EQ(folder_part(u"C:file"), u"C:");
    EXPECT_EQ(folder_part(u"file"), u"");
}

TEST(CutName, KeepsTheRootSeparator) {
    const PathCase cases[] = {
        {u"C:\\file", u"C:\\"}, {u"C:\\a\\file", u"C:\\a"},
        {u"\\file", u"\\"},     {u"C:/a/file", u"C:/a"},
        {u"a\\b\\", u"a\\b"},   {u"file", u""},
        {u"C:file", u"C:"},     {u"\\\\srv\\share\\f", u"\\\\srv\\share"},
    };
    for (const auto& c : cases) {
        std::u16string path(c.path);
        cut_name(path);
        EXPECT_EQ(path, c.expected);
    }
}

TEST(ReplaceName, IsBoundedByTheBuffer) {
    std::u16string path = u"C:\\dir\\old.txt";
    replace_name(path, u"new.kub");
    EXPECT_EQ(path, u"C:\\dir\\new.kub");
    replace_name(path, u"longer-name", 12);
    EXPECT_EQ(path, u"C:\\dir\\long");
}

TEST(Extension, OnlyInTheNamePart) {
    EXPECT_EQ(extension(u"C:\\a.b\\file"), u"");
    EXPECT_EQ(extension(u"arc.part1.kub"), u".kub");
    EXPECT_EQ(extension(u"arc."), u".");
    EXPECT_TRUE(has_extension(u"D:\\x\\ARC.KuB", u"kub"));
    EXPECT_FALSE(has_extension(u"D:\\x.kub\\arc", u"kub"));
    EXPECT_FALSE(has_extension(u"arc.kubx", u"kub"));

    std::u16string path = u"C:\\d.x\\arc.tar.gz";
    replace_extension(path, u"");
    EXPECT_EQ(path, u"C:\\d.x\\arc.tar");
    replace_extension(path, u"kub");
    EXPECT_EQ(path, u"C:\\d.x\\arc.kub");
    path = u"C:\\d.x\\noext";
    replace_extension(path, u"kub");
    EXPECT_EQ(path, u"C:\\d.x\\noext.kub");
    replace_extension(path, u"zip", 14);
    EXPECT_EQ(path, u"C:\\d.x\\noext.");
}

TEST(AppendSeparator, OnlyWhenMissingAndRoomLeft) {
    std::u16string path;
    append_separator(path);
    EXPECT_EQ(path, u"");  // nothing is appended to an empty text
    path = u"C:\\dir";
    append_separator(path);
    EXPECT_EQ(path, u"C:\\dir\\");
    append_separator(path);
    EXPECT_EQ(path, u"C:\\dir\\");
    path = u"abc";
    append_separator(path, 4);  // "abc" fills a 4-unit buffer
    EXPECT_EQ(path, u"abc");
    append_separator(path, 5);
    EXPECT_EQ(path, u"abc\\");
    EXPECT_EQ(last_char(u""), u'\0');
    EXPECT_EQ(last_char(u"ab"), u'b');
}

TEST(PathKinds, DriveAbsoluteWildcardsAndRoots) {
    EXPECT_TRUE(has_drive_letter(u"c:"));
    EXPECT_TRUE(has_drive_letter(u"i:\\"));
    EXPECT_TRUE(has_drive_letter(u"Z:x"));
    EXPECT_FALSE(has_drive_letter(u"1:\\"));
    EXPECT_FALSE(has_drive_letter(u"C"));
    EXPECT_FALSE(has_drive_letter(u"\u00e9:\\"));

    EXPECT_TRUE(is_absolute(u"\\\\server\\share"));
    EXPECT_TRUE(is_absolute(u"C:\\x"));
    EXPECT_TRUE(is_absolute(u"C:/x"));
    EXPECT_FALSE(is_absolute(u"C:x"));
    EXPECT_FALSE(is_absolute(u"\\x"));
    EXPECT_FALSE(is_absolute(u"x"));

    EXPECT_TRUE(has_wildcards(u"a*"));
    EXPECT_TRUE(has_wildcards(u"a?b"));
    EXPECT_FALSE(has_wildcards(u"a.b"));

    const PathCase roots[] = {
        {u"d:\\dir\\f", u"d:\\"},
        {u"\\\\srv\\share\\dir\\f", u"\\\\srv\\share\\"},
        {u"\\\\srv\\share", u"\\\\srv\\share"},
        {u"\\\\srv", u"\\\\srv"},
        {u"\\dir", u""},
        {u"dir", u""},
    };
    for (const auto& c : roots) EXPECT_EQ(root_of_path(c.path), c.expected);
    EXPECT_EQ(to_backslashes(u"a/b\\c/"), u"a\\b\\c\\");
    EXPECT_EQ(to_backslashes(std::string_view("a/b")), "a\\b");
}

TEST(NarrowNames, TrailBytesAreNotSeparators) {
    test::CodePageScope scope(936, 936);
    if (!scope.active()) GTEST_SKIP() << "needs code page 936";
    // 0x81 0x5C is one character in code page 936 whose second byte is the backslash.
    EXPECT_EQ(narrow_name_part("dir\\\x81\x5C"
                               "a"),
              "\x81\x5C"
              "a");
    EXPECT_EQ(narrow_name_part("C:name"), "name");
    EXPECT_EQ(narrow_name_part("a/b"), "b");
    // "\xC4\xE3" is U+4F60 in code page 936.
    EXPECT_EQ(wide_or_narrow_name("\xC4\xE3", u""), u"\u4F60");
    EXPECT_EQ(wide_or_narrow_name("ignored", u"wide"), u"wide");
}

struct SanitiseCase {
    std::u16string_view name;
    bool strict;
    std::u16string_view expected;
};

TEST(SanitiseName, ReplacesWhatCannotBeCreated) {
    const SanitiseCase cases[] = {
        {u"a:b?.txt", true, u"a_b_.txt"},
        {u"a:b?.txt", false, u"a_b_.txt"},
        {u"C:\\dir\\f:s", true, u"C:\\dir\\f_s"},  // a drive's colon stays
        {u"x<y>z|\"q\"*", true, u"x_y_z__q__"},
        {u"x<y>z|\"q\"*", false, u"x<y>z|\"q\"_"},
        {u"tab\there\x1f", true, u"tab_here_"},
        {u"tab\there", false, u"tab\there"},
        {u"folder \\file", false, u"folder_\\file"},
        {u"folder /file ", true, u"folder_/file "},
        {u"dir.\\x", true, u"dir_\\x"},
        {u".\\..\\a..\\x", true, u".\\..\\a..\\x"},
        {u"a\\.\\b", true, u"a\\.\\b"},
    };
    for (const auto& c : cases) {
        std::u16string name(c.name);
        SanitiseName(name, c.strict);
        EXPECT_EQ(name, c.expected) << "strict=" << c.strict;
    }
}

struct LongPathCase {
    std::u16string_view path;
    std::u16string_view expected;
};

TEST(ExtendedLengthPath, PrefixesEveryKindOfPath) {
    const LongPathCase cases[] = {
        {u"C:\\dir\\f", u"\\\\?\\C:\\dir\\f"},
        {u"\\\\srv\\share\\f", u"\\\\?\\UNC\\srv\\share\\f"},
        {u"\\dir\\f", u"\\\\?\\D:\\dir\\f"},
        {u"dir\\f", u"\\\\?\\D:\\work\\dir\\f"},
        {u".\\dir\\f", u"\\\\?\\D:\\work\\dir\\f"},
        {u"./f", u"\\\\?\\D:\\work\\f"},
        {u"..\\f", u"\\\\?\\D:\\work\\..\\f"},
    };
    for (const auto& c : cases) {
        std::u16string out;
        ASSERT_TRUE(ExtendedLengthPath(c.path, out, kPathBufferSize, u"D:\\work"));
        EXPECT_EQ(out, c.expected);
    }
    std::u16string out = u"kept";
    EXPECT_FALSE(ExtendedLengthPath(u"", out, kPathBufferSize, u"D:\\work"));
    EXPECT_EQ(out, u"kept");
    // A rooted path takes the current folder's drive; without one it has no extended form.
    EXPECT_FALSE(ExtendedLengthPath(u"\\dir\\f", out, kPathBufferSize, u"\\\\srv\\share"));
    // The current folder's own trailing separator is not doubled.
    ASSERT_TRUE(ExtendedLengthPath(u"f", out, kPathBufferSize, u"D:\\"));
    EXPECT_EQ(out, u"\\\\?\\D:\\f");
}

TEST(ExtendedLengthPath, FailsWhenTheResultDoesNotFit) {
    std::u16string out;
    // "\\?\C:\f" is 8 units: it needs a buffer of 9.
    EXPECT_TRUE(ExtendedLengthPath(u"C:\\f", out, 9, u""));
    EXPECT_FALSE(ExtendedLengthPath(u"C:\\f", out, 8, u""));
    const std::u16string long_path = u"C:\\" + std::u16string(kMaxPathLength - 3, u'a');
    EXPECT_FALSE(ExtendedLengthPath(long_path, out, kPathBufferSize, u""));
    EXPECT_TRUE(ExtendedLengthPath(long_path, out, kPathBufferSize + 4, u""));
}

}  // namespace
}  // namespace kub

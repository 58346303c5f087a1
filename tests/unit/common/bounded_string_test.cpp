#include <gtest/gtest.h>

#include <string>

#include "common/text/bounded_string.h"
#include "tests/support/code_page_scope.h"

namespace kub {
namespace {

TEST(BoundedCopy, KeepsAtMostSizeMinusOneUnits) {
    std::u16string out = u"old";
    copy_bounded(out, u"abcdef", 4);
    EXPECT_EQ(out, u"abc");
    copy_bounded(out, u"ab", 4);
    EXPECT_EQ(out, u"ab");
    copy_bounded(out, u"xyz", 1);
    EXPECT_EQ(out, u"");
    out = u"kept";
    copy_bounded(out, u"xyz", 0);  // no room even for a terminator: nothing is written
    EXPECT_EQ(out, u"kept");

    std::string narrow;
    copy_bounded(narrow, "abcdef", 3);
    EXPECT_EQ(narrow, "ab");
}

TEST(BoundedAppend, FillsUpToTheBufferAndNoFurther) {
    std::u16string out = u"abc";
    append_bounded(out, u"defgh", 6);
    EXPECT_EQ(out, u"abcde");
    append_bounded(out, u"x", 6);  // full: unchanged
    EXPECT_EQ(out, u"abcde");
    append_bounded(out, u"x", 3);  // already longer than the buffer: unchanged, not cut
    EXPECT_EQ(out, u"abcde");
    append_bounded(out, u"fg", 100);
    EXPECT_EQ(out, u"abcdefg");

    std::string narrow = "ab";
    append_bounded(narrow, "cd", 3);
    EXPECT_EQ(narrow, "ab");
    append_bounded(narrow, "cd", 4);
    EXPECT_EQ(narrow, "abc");
}

TEST(FindLast, WideAndSingleByteText) {
    EXPECT_EQ(find_last(u"C:\\dir\\file", u'\\'), 6u);
    EXPECT_EQ(find_last(u"file", u'\\'), std::u16string_view::npos);
    EXPECT_EQ(find_last("a.b.c", '.'), 3u);
    EXPECT_EQ(find_last("", '.'), std::string_view::npos);
}

using ChineseCodePage = test::CodePageTest<936, 936>;

TEST_F(ChineseCodePage, FindLastIgnoresSecondBytesOfDoubleByteCharacters) {
    // C:\嘰 with 嘰 = 87 5C: the last real backslash is the one at 2.
    EXPECT_EQ(find_last("C:\\\x87\x5C", '\\'), 2u);
    EXPECT_EQ(find_last("\x87\x5C", '\\'), std::string_view::npos);
    EXPECT_EQ(char_after("\x87\x5C"
                         "a",
                         0),
              2u);
}

// GBK bytes of "中文" (D6 D0 CE C4): a cut inside a character drops the whole character.
TEST_F(ChineseCodePage, CopyBoundedCharsCutsBetweenCharacters) {
    const std::string text = "a\xD6\xD0\xCE\xC4";
    std::string out;
    copy_bounded_chars(out, text, 3);  // room for "a" and one byte: not half of 中
    EXPECT_EQ(out, "a");
    copy_bounded_chars(out, text, 4);
    EXPECT_EQ(out, "a\xD6\xD0");
    copy_bounded_chars(out, text, 5);
    EXPECT_EQ(out, "a\xD6\xD0");
    copy_bounded_chars(out, text, 6);
    EXPECT_EQ(out, text);
    copy_bounded_chars(out, text, 0);
    EXPECT_EQ(out, "");
}

TEST(CharAfter, NeverPassesTheEnd) {
    EXPECT_EQ(char_after(u"ab", 0), 1u);
    EXPECT_EQ(char_after(u"ab", 1), 2u);
    EXPECT_EQ(char_after(u"ab", 2), 2u);
    EXPECT_EQ(char_after("ab", 5), 2u);
}

struct QuoteCase {
    std::u16string_view text;
    std::size_t size;
    std::u16string_view expected;
};

TEST(QuoteIfNeeded, Cases) {
    const QuoteCase cases[] = {
        {u"C:\\My Files\\a.kub", 2048, u"\"C:\\My Files\\a.kub\""},
        {u"C:\\dir\\a.kub", 2048, u"C:\\dir\\a.kub"},                    // no space
        {u"\"C:\\My Files\\a.kub\"", 2048, u"\"C:\\My Files\\a.kub\""},  // already enclosed
        {u"\"open only", 2048, u"\"\"open only\""},  // one quote is not enclosure
        {u"a\tb", 2048, u"a\tb"},                    // a tab is not a space
        {u"", 2048, u""},
        {u"a b", 6, u"\"a b\""},    // exactly fits
        {u"a bcd", 6, u"\"a b\""},  // cut inside, quotes kept
        {u"a b", 3, u"a b"},        // no room for any quoting
    };
    for (const QuoteCase& c : cases) {
        std::u16string text(c.text);
        quote_if_needed(text, c.size);
        EXPECT_EQ(text, c.expected) << "size " << c.size;
    }
    std::string narrow = "a b";
    quote_if_needed(narrow, 260);
    EXPECT_EQ(narrow, "\"a b\"");
}

TEST(EndsWithText, IgnoresCase) {
    EXPECT_TRUE(ends_with_text(u"ARCHIVE.KUB", u".kub"));
    EXPECT_TRUE(ends_with_text(u"a.tar.gz", u".TAR.GZ"));
    EXPECT_TRUE(ends_with_text(u"x", u""));
    EXPECT_FALSE(ends_with_text(u"kub", u".kub"));
    EXPECT_FALSE(ends_with_text(u"a.kub.exe", u".kub"));
    EXPECT_TRUE(ends_with_text("SETUP.EXE", ".exe"));
    EXPECT_FALSE(ends_with_text("exe", "a.exe"));
}

TEST_F(ChineseCodePage, EndsWithTextComparesWholeDoubleByteCharacters) {
    // The byte tail "\x5C" of 嘰 is not a character of the text, so it does not end with "\".
    EXPECT_FALSE(ends_with_text("\x87\x5C", "\\"));
    EXPECT_TRUE(ends_with_text("a\\\x87\x5C", "\x87\x5C"));
}

}  // namespace
}  // namespace kub

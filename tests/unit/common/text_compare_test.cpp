#include <gtest/gtest.h>

#include "common/text/char_class.h"
#include "common/text/text_compare.h"

namespace kub {
namespace {

int sign(int value) {
    return (value > 0) - (value < 0);
}

struct CompareCase {
    std::u16string_view a;
    std::u16string_view b;
    int expected;
};

TEST(CompareText, IgnoresCase) {
    const CompareCase cases[] = {
        {u"Archive.KUB", u"archive.kub", 0},
        {u"\u00C9T\u00C9", u"\u00E9t\u00E9", 0},  // beyond ASCII too
        {u"\u0394\u0395\u039B\u03A4\u0391", u"\u03B4\u03B5\u03BB\u03C4\u03B1", 0},
        {u"abc", u"abd", -1},
        {u"ABD", u"abc", 1},
        {u"ab", u"abc", -1},
        {u"", u"", 0},
        {u"", u"a", -1},
        {u"中文", u"中文", 0},
    };
    for (const CompareCase& c : cases) {
        EXPECT_EQ(sign(compare_text(c.a, c.b)), c.expected)
            << std::string(c.a.begin(), c.a.end()) << " / " << std::string(c.b.begin(), c.b.end());
        EXPECT_EQ(sign(compare_text(c.b, c.a)), -c.expected);
    }
}

// Views that point nowhere (an empty std::u16string_view, the empty tail of a cut) are empty
// texts like any other.
TEST(CompareText, EmptyViewsWithoutStorage) {
    const std::u16string_view nothing;
    EXPECT_EQ(compare_text(nothing, nothing), 0);
    EXPECT_EQ(compare_text(nothing, u""), 0);
    EXPECT_LT(compare_text(nothing, u"a"), 0);
    EXPECT_GT(compare_text(u"a", nothing), 0);
    EXPECT_EQ(compare_text_n(nothing, u"", 4), 0);
}

TEST(CompareText, FirstNUnits) {
    EXPECT_EQ(compare_text_n(u"KUBEXT.dll", u"kubext.lng", 6), 0);
    EXPECT_NE(compare_text_n(u"KUBEXT.dll", u"kubext.lng", 8), 0);
    EXPECT_EQ(compare_text_n(u"ab", u"AB", 10), 0);  // n beyond both ends
    EXPECT_LT(compare_text_n(u"ab", u"abc", 10), 0);
    EXPECT_EQ(compare_text_n(u"x", u"y", 0), 0);
}

TEST(Case, WholeStrings) {
    EXPECT_EQ(to_upper_text(u"kub.exe \u00e9\u03b1"), u"KUB.EXE \u00C9\u0391");
    EXPECT_EQ(to_lower_text(u"KUB.EXE \u00C9\u0391"), u"kub.exe \u00e9\u03b1");
    EXPECT_EQ(to_upper_text(u"中文 1"), u"中文 1");
}

TEST(Case, OneCharacter) {
    EXPECT_EQ(to_upper_char(u'i'), u'I');
    EXPECT_EQ(to_upper_char(u'a'), u'A');
    EXPECT_EQ(to_upper_char(u'Z'), u'Z');
    EXPECT_EQ(to_upper_char(u'\u00e9'), u'\u00C9');
    EXPECT_EQ(to_upper_char(u'7'), u'7');
    EXPECT_EQ(to_upper_char(u'中'), u'中');
}

TEST(CharClass, DigitsSpacesLetters) {
    EXPECT_TRUE(is_digit(u'0') && is_digit(u'9') && is_digit('5'));
    EXPECT_FALSE(is_digit(u'/') || is_digit(u':') || is_digit(u'\uFF11'));  // fullwidth one
    EXPECT_TRUE(is_space(u' ') && is_space('\t'));
    EXPECT_FALSE(is_space(u'\n') || is_space(u'\u3000'));  // ideographic space
    EXPECT_TRUE(is_ascii_letter(u'A') && is_ascii_letter(u'z') && is_ascii_letter('q'));
    EXPECT_FALSE(is_ascii_letter(u'@') || is_ascii_letter(u'[') || is_ascii_letter(u'`') ||
                 is_ascii_letter(u'{') || is_ascii_letter(u'\u00e9'));
}

TEST(CharClass, PlainText) {
    EXPECT_TRUE(is_plain_text("Plain text ~ 127\x7F"));
    EXPECT_TRUE(is_plain_text(""));
    EXPECT_FALSE(is_plain_text("tab\there"));
    EXPECT_FALSE(is_plain_text("caf\xE9"));
    EXPECT_FALSE(is_plain_text("\x80"));
    EXPECT_TRUE(is_plain_text(std::string_view("ok\0\x01", 4)));  // bytes after the terminator
}

}  // namespace
}  // namespace kub

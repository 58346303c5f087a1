#include <gtest/gtest.h>

#include <string>

#include "common/text/double_byte_table.h"
#include "common/text/encoding.h"
#include "tests/support/code_page_scope.h"

namespace kub {
namespace {

// GBK bytes of the texts below, from the code page 936 table.
constexpr std::string_view kChineseAnsi =
    "\xD6\xD0\xCE\xC4\\\xD7\xD6\xBD\xDA.txt";  // 中文\字节.txt
constexpr std::u16string_view kChineseWide = u"中文\\字节.txt";

using ChineseCodePage = test::CodePageTest<936, 936>;

TEST_F(ChineseCodePage, RoundTripOfChineseText) {
    std::string narrow;
    ASSERT_TRUE(wide_to_ansi(kChineseWide, narrow));
    EXPECT_EQ(narrow, kChineseAnsi);
    std::u16string wide;
    ASSERT_TRUE(ansi_to_wide(narrow, wide));
    EXPECT_EQ(wide, kChineseWide);
}

TEST_F(ChineseCodePage, TextEndsAtItsTerminator) {
    std::u16string wide;
    ASSERT_TRUE(ansi_to_wide(std::string_view("\xD6\xD0\0\xCE\xC4", 5), wide));
    EXPECT_EQ(wide, u"中");
    std::string narrow;
    ASSERT_TRUE(wide_to_ansi(std::u16string_view(u"中\0文", 3), narrow));
    EXPECT_EQ(narrow, "\xD6\xD0");
}

TEST_F(ChineseCodePage, CutsNeverSplitACharacter) {
    std::string narrow;
    // 中文 needs four bytes; a buffer of four holds three, so only 中 fits.
    EXPECT_FALSE(wide_to_ansi(u"中文", narrow, 4));
    EXPECT_EQ(narrow, "\xD6\xD0");
    EXPECT_TRUE(wide_to_ansi(u"中文", narrow, 5));
    EXPECT_EQ(narrow, "\xD6\xD0\xCE\xC4");
    EXPECT_FALSE(wide_to_ansi(u"中文", narrow, 0));
    EXPECT_EQ(narrow, "");

    std::u16string wide;
    EXPECT_FALSE(ansi_to_wide("\xD6\xD0\xCE\xC4", wide, 2));
    EXPECT_EQ(wide, u"中");
    EXPECT_FALSE(ansi_to_wide("ab\xF0\x9F", wide, 1));
    EXPECT_EQ(wide, u"");
}

TEST_F(ChineseCodePage, LeadBytesOfTheDoubleByteTable) {
    const DoubleByteTable& table = ansi_double_byte_table();
    EXPECT_TRUE(table.multi_byte);
    // 0x80 is the single-byte euro sign; 0x81 to 0xFE start pairs; 0xFF is unused.
    for (unsigned byte = 0; byte < 256; ++byte)
        EXPECT_EQ(table.lead[byte], byte >= 0x81 && byte <= 0xFE) << "byte " << byte;
}

TEST_F(ChineseCodePage, NextCharacterStep) {
    // 嘰 is 87 5C in code page 936: its second byte is a backslash.
    std::string_view text(
        "a\x87\x5C"
        "b\x87",
        5);
    EXPECT_EQ(next_char_pos(text, 0), 1u);
    EXPECT_EQ(next_char_pos(text, 1), 3u);
    EXPECT_EQ(next_char_pos(text, 3), 4u);
    EXPECT_EQ(next_char_pos(text, 4), 5u);  // a lead byte at the end stands alone
    EXPECT_EQ(next_char_pos(text, 5), 5u);
    EXPECT_EQ(next_char_pos(std::string_view("\x87\0", 2), 0), 1u);  // nor before a terminator
}

using WesternCodePages = test::CodePageTest<1252, 437>;

TEST_F(WesternCodePages, SingleByteConversions) {
    std::string narrow;
    ASSERT_TRUE(wide_to_ansi(u"caf\u00E9", narrow));
    EXPECT_EQ(narrow, "caf\xE9");
    std::u16string wide;
    ASSERT_TRUE(oem_to_wide("caf\x82", wide));
    EXPECT_EQ(wide, u"caf\u00E9");
    EXPECT_FALSE(ansi_double_byte_table().multi_byte);
}

TEST_F(WesternCodePages, OemToAnsi) {
    // é and ä exist in both; the shade block of 437 does not exist in 1252 and is replaced.
    EXPECT_EQ(oem_to_ansi("\x82\x84"), "\xE9\xE4");
    std::string converted = oem_to_ansi("a\xB0z");
    ASSERT_EQ(converted.size(), 3u);
    EXPECT_EQ(converted[0], 'a');
    EXPECT_NE(converted[1], '\xB0');
    EXPECT_EQ(converted[2], 'z');
}

TEST(CodePageSelection, UnknownCodePageChangesNothing) {
    unsigned ansi = os::code_page_number(os::CodePage::kAnsi);
    EXPECT_FALSE(os::select_code_pages(4242, 4242));
    EXPECT_EQ(os::code_page_number(os::CodePage::kAnsi), ansi);
}

}  // namespace
}  // namespace kub

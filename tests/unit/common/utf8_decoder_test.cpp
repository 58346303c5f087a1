#include <gtest/gtest.h>

#include <string>
#include <string_view>

#ifndef _WIN32
#include <iconv.h>
#endif

#include "common/text/encoding.h"

namespace kub {
namespace {

struct Utf8Case {
    const char* name;
    std::string_view bytes;
    bool valid;
    std::u16string_view decoded;
};

// Each invalid input keeps what was decoded before the bad sequence.
const Utf8Case kUtf8Cases[] = {
    {"ascii", "abc", true, u"abc"},
    {"two_byte", "\xC3\xA9t\xC3\xA9", true, u"\u00E9t\u00E9"},
    {"three_byte_chinese", "\xE4\xB8\xAD\xE6\x96\x87", true, u"中文"},
    {"stops_at_terminator", std::string_view("ab\0cd", 5), true, u"ab"},
    {"stray_continuation",
     "ab\x80"
     "cd",
     false, u"ab"},
    {"continuation_after_complete_char", "\xC3\xA9\xA9x", false, u"\u00E9"},
    {"lead_without_continuation",
     "a\xC3"
     "b",
     false, u"a"},
    {"truncated_at_end", "ab\xE4\xB8", false, u"ab"},
    {"truncated_before_terminator", std::string_view("a\xE4\xB8\0", 4), false, u"a"},
    {"lead_f8_never_valid", "a\xF8\x88\x80\x80\x80", false, u"a"},
    {"lead_ff", "\xFF", false, u""},
    {"above_10ffff_not_written", "x\xF4\x90\x80\x80y", false, u"x"},
    {"largest_four_byte_lead", "\xF7\xBF\xBF\xBF", false, u""},
    {"highest_code_point", "\xF4\x8F\xBF\xBF", true, u"\U0010FFFF"},
    {"emoji_pair", "\xF0\x9F\x98\x80!", true, u"\U0001F600!"},
    {"first_supplementary", "\xF0\x90\x80\x80", true, u"\U00010000"},
    // Longer forms than needed follow the same lead and continuation ranges, and stay accepted.
    {"overlong_slash", "\xC0\xAF", true, u"/"},
    {"overlong_terminator_ends_text",
     "a\xC0\x80"
     "b",
     true, u"a"},
};

class Utf8Decode : public testing::TestWithParam<Utf8Case> {};

TEST_P(Utf8Decode, ResultAndDecodedText) {
    const Utf8Case& c = GetParam();
    std::u16string out = u"stale";
    EXPECT_EQ(utf8_to_wide(c.bytes, out), c.valid);
    EXPECT_EQ(out, c.decoded);
}

INSTANTIATE_TEST_SUITE_P(Cases, Utf8Decode, testing::ValuesIn(kUtf8Cases),
                         [](const testing::TestParamInfo<Utf8Case>& info) {
                             return info.param.name;
                         });

TEST(Utf8DecodeBounded, FullBufferStopsWithoutInvalidatingInput) {
    std::u16string out;
    EXPECT_TRUE(utf8_to_wide("abcdef", out, 4));
    EXPECT_EQ(out, u"abc");
    // The bad byte lies beyond what fits, so it is never looked at.
    EXPECT_TRUE(utf8_to_wide("abc\x80", out, 4));
    EXPECT_EQ(out, u"abc");
    EXPECT_TRUE(utf8_to_wide("abc", out, 0));
    EXPECT_EQ(out, u"");
}

TEST(Utf8DecodeBounded, SurrogatePairIsNeverSplit) {
    std::u16string out;
    EXPECT_TRUE(utf8_to_wide("ab\xF0\x9F\x98\x80", out, 4));
    EXPECT_EQ(out, u"ab");
    EXPECT_TRUE(utf8_to_wide("ab\xF0\x9F\x98\x80", out, 5));
    EXPECT_EQ(out, u"ab\U0001F600");
}

#ifndef _WIN32
// The system's converter as an independent oracle: every scalar value from a sweep over all
// planes, encoded by us into UTF-8 by the textbook rule, must decode to what iconv gives.
std::u16string iconv_utf8_to_utf16(const std::string& bytes) {
    iconv_t cd = iconv_open("UTF-16LE", "UTF-8");
    EXPECT_NE(cd, reinterpret_cast<iconv_t>(-1));
    std::string wide(bytes.size() * 4 + 4, '\0');
    char* in = const_cast<char*>(bytes.data());
    size_t in_left = bytes.size();
    char* out = wide.data();
    size_t out_left = wide.size();
    EXPECT_NE(iconv(cd, &in, &in_left, &out, &out_left), static_cast<size_t>(-1));
    iconv_close(cd);
    std::u16string result;
    for (size_t i = 0; i + 1 < wide.size() - out_left; i += 2)
        result.push_back(static_cast<char16_t>(static_cast<unsigned char>(wide[i]) |
                                               static_cast<unsigned char>(wide[i + 1]) << 8));
    return result;
}

void append_utf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | cp >> 6));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | cp >> 12));
        out.push_back(static_cast<char>(0x80 | (cp >> 6 & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | cp >> 18));
        out.push_back(static_cast<char>(0x80 | (cp >> 12 & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp >> 6 & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

TEST(Utf8DecodeOracle, AgreesWithIconvOverAllPlanes) {
    std::string bytes;
    for (char32_t cp = 1; cp <= 0x10FFFF; cp += 97) {
        if (cp >= 0xD800 && cp <= 0xDFFF) continue;
        append_utf8(bytes, cp);
    }
    std::u16string ours;
    ASSERT_TRUE(utf8_to_wide(bytes, ours));
    EXPECT_EQ(ours, iconv_utf8_to_utf16(bytes));
}
#endif

}  // namespace
}  // namespace kub

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "common/text/number_text.h"
#include "common/os/os.h"

namespace kub {
namespace {

constexpr std::uint64_t kMax64 = UINT64_MAX;

TEST(ParseDecimal, LeadingDigitsOnly) {
    EXPECT_EQ(parse_decimal(u"1234abc"), 1234u);
    EXPECT_EQ(parse_decimal(u"abc"), 0u);
    EXPECT_EQ(parse_decimal(u""), 0u);
    EXPECT_EQ(parse_decimal(u" 12"), 0u);
    EXPECT_EQ(parse_decimal("0042"), 42u);
    EXPECT_EQ(parse_decimal("18446744073709551615"), kMax64);
    EXPECT_EQ(parse_decimal("18446744073709551616"), kMax64);  // one more saturates
    EXPECT_EQ(parse_decimal("99999999999999999999999"), kMax64);
}

TEST(DecimalText, Digits) {
    EXPECT_EQ(decimal_text(0), u"0");
    EXPECT_EQ(decimal_text(1000), u"1000");
    EXPECT_EQ(decimal_text(kMax64), u"18446744073709551615");
}

// The native build groups with ","; the Wine session's Chinese locale uses "," as well.
TEST(ThousandsSeparators, GroupsByThree) {
    EXPECT_EQ(with_thousands_separators(0, 64), u"0");
    EXPECT_EQ(with_thousands_separators(999, 64), u"999");
    EXPECT_EQ(with_thousands_separators(1000, 64), u"1,000");
    EXPECT_EQ(with_thousands_separators(1234567, 64), u"1,234,567");
    EXPECT_EQ(with_thousands_separators(kMax64, 64), u"18,446,744,073,709,551,615");
    EXPECT_EQ(with_thousands_separators(1234567, 4), u"1,2");
}

TEST(ThousandsSeparators, SelectableNatively) {
    if (!os::select_thousands_separator(u'.')) GTEST_SKIP() << "the system's locale decides";
    EXPECT_EQ(with_thousands_separators(1234567, 64), u"1.234.567");
    os::select_thousands_separator(u',');
}

std::u16string sized(std::u16string number, unsigned unit) {
    return number + u" " + unit_text(unit);
}

struct SizeCase {
    std::uint64_t bytes;
    std::u16string_view number;
    unsigned unit;
};

TEST(SizeText, DividesByKibWhileLargeOrExact) {
    const SizeCase cases[] = {
        {0, u"0", kUnitTextBytes},
        {1000, u"1,000", kUnitTextBytes},
        {1023, u"1,023", kUnitTextBytes},
        {1024, u"1", kUnitTextKB},
        {1025, u"1,025", kUnitTextBytes},
        {1000000, u"1,000,000", kUnitTextBytes},  // not above the limit
        {1000001, u"976", kUnitTextKB},
        {1048576, u"1", kUnitTextMB},
        {1536 * 1024, u"1,536", kUnitTextKB},  // 1.5 MiB: exact in KiB, not in MiB
        {1073741824, u"1", kUnitTextGB},
        {1099511627776, u"1", kUnitTextTB},
        {1125899906842624, u"1,024", kUnitTextTB},  // four divisions at most
        {kMax64, u"16,777,215", kUnitTextTB},
    };
    for (const SizeCase& c : cases)
        EXPECT_EQ(size_text(c.bytes, 64), sized(std::u16string(c.number), c.unit)) << c.bytes;
}

TEST(SizeText, CutAtTheBuffer) {
    EXPECT_EQ(size_text(1048576, 3), u"1 ");
    EXPECT_EQ(size_text(1000, 5), u"1,00");
    EXPECT_EQ(size_text(1048576, 4), u"1 " + unit_text(kUnitTextMB).substr(0, 1));
}

#ifndef _WIN32
// Natively the unit texts are the built-in ones; a Windows test program has no string table.
TEST(SizeText, BuiltInUnitTexts) {
    EXPECT_EQ(size_text(1048576, 64), u"1 MB");
    EXPECT_EQ(size_text(1000, 64), u"1,000 字节");
}
#endif

TEST(Percent, RatiosAndBounds) {
    EXPECT_EQ(percent(50, 200), 25u);
    EXPECT_EQ(percent(1, 3), 33u);
    EXPECT_EQ(percent(5, 0), 0u);
    EXPECT_EQ(percent(300, 100), 300u);
    EXPECT_EQ(bounded_percent(300, 100), 100u);
    EXPECT_EQ(bounded_percent(100, 100), 100u);
    EXPECT_EQ(bounded_percent(1, 3), 33u);
    EXPECT_EQ(bounded_percent(5, 0), 100u);
    // a × 100 would overflow 64 bits here.
    constexpr std::uint64_t kUnknownSize = 0x7FFFFFFF7FFFFFFF;
    EXPECT_EQ(percent(kUnknownSize, kUnknownSize), 100u);
    EXPECT_EQ(percent(kUnknownSize / 2, kUnknownSize), 49u);
    EXPECT_EQ(percent(kMax64, 1), kMax64);
}

}  // namespace
}  // namespace kub

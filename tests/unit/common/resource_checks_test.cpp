// String table blocks and dialog templates read from a language module nobody vouches for.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "common/language/resource_checks.h"

namespace kub {
namespace {

using Bytes = std::vector<std::uint8_t>;

void put16(Bytes& b, std::uint16_t v) {
    b.push_back(static_cast<std::uint8_t>(v));
    b.push_back(static_cast<std::uint8_t>(v >> 8));
}
void put32(Bytes& b, std::uint32_t v) {
    put16(b, static_cast<std::uint16_t>(v));
    put16(b, static_cast<std::uint16_t>(v >> 16));
}
void put_text(Bytes& b, std::u16string_view text) {
    for (char16_t c : text) put16(b, c);
    put16(b, 0);
}
void align(Bytes& b) {
    while (b.size() % 4) b.push_back(0);
}

// Sixteen counted strings; "" is an empty slot.
Bytes string_block(std::initializer_list<std::u16string_view> texts) {
    Bytes b;
    unsigned n = 0;
    for (std::u16string_view t : texts) {
        put16(b, static_cast<std::uint16_t>(t.size()));
        for (char16_t c : t) put16(b, c);
        ++n;
    }
    for (; n < kStringsPerBlock; ++n) put16(b, 0);
    return b;
}

TEST(StringBlock, FindsEachSlotAndCutsToTheBuffer) {
    Bytes block = string_block({u"", u"解压", u"", u"Extract here"});
    EXPECT_EQ(string_from_block(block, 1, 511), u"解压");
    EXPECT_EQ(string_from_block(block, 3, 511), u"Extract here");
    EXPECT_EQ(string_from_block(block, 3, 7), u"Extract");
    EXPECT_FALSE(string_from_block(block, 0, 511));   // empty
    EXPECT_FALSE(string_from_block(block, 15, 511));  // empty, last slot
    EXPECT_FALSE(string_from_block(block, 16, 511));  // no such slot
}

TEST(StringBlock, LengthsRunningPastTheBlockFindNothing) {
    Bytes block = string_block({u"ab", u"cd"});
    block[2 * 0] = 0xFF;  // the first length now claims 255 units, far past the block
    EXPECT_FALSE(string_from_block(block, 1, 511));
    EXPECT_FALSE(string_from_block(block, 0, 511));
    // A block cut inside a string, and one cut inside a length field.
    Bytes cut = string_block({u"abcdef"});
    cut.resize(8);
    EXPECT_FALSE(string_from_block(cut, 0, 511));
    EXPECT_FALSE(string_from_block(Bytes{0x01}, 0, 511));
    EXPECT_FALSE(string_from_block(Bytes{}, 0, 511));
}

// A DLGTEMPLATEEX with font and two items as the resource compiler writes it: a static with a
// title and a class by ordinal, and a control with a class name, an ordinal title and two bytes of
// creation data.
Bytes extended_template(std::uint16_t declared_items = 2) {
    Bytes b;
    put16(b, 1);
    put16(b, 0xFFFF);
    put32(b, 0);           // help id
    put32(b, 0);           // extended style
    put32(b, 0x80C800C0);  // style with DS_SETFONT
    put16(b, declared_items);
    for (int i = 0; i < 4; ++i) put16(b, 10);
    put16(b, 0);  // no menu
    put16(b, 0);  // standard class
    put_text(b, u"Korvex Setup");
    put16(b, 8);
    put16(b, 400);
    b.push_back(0);
    b.push_back(1);
    put_text(b, u"MS Shell Dlg");

    align(b);
    put32(b, 0);
    put32(b, 0);
    put32(b, 0x50000000);
    for (int i = 0; i < 4; ++i) put16(b, 5);
    put32(b, 0xFFFF);
    put16(b, 0xFFFF);
    put16(b, 0x0082);  // static
    put_text(b, u"Files");
    put16(b, 0);

    align(b);
    put32(b, 0);
    put32(b, 0);
    put32(b, 0x50010003);
    for (int i = 0; i < 4; ++i) put16(b, 6);
    put32(b, 5101);
    put_text(b, u"RichEdit20W");
    put16(b, 0xFFFF);
    put16(b, 7);  // title by ordinal
    put16(b, 2);  // two bytes of creation data
    put16(b, 0xABCD);
    return b;
}

// The old DLGTEMPLATE form, one button, font without weight fields; the creation data count
// includes its own two bytes.
Bytes plain_template() {
    Bytes b;
    put32(b, 0x80C80040);
    put32(b, 0);
    put16(b, 1);
    for (int i = 0; i < 4; ++i) put16(b, 20);
    put16(b, 0);
    put16(b, 0);
    put_text(b, u"Old");
    put16(b, 9);
    put_text(b, u"SimSun");
    align(b);
    put32(b, 0x50010000);
    put32(b, 0);
    for (int i = 0; i < 4; ++i) put16(b, 7);
    put16(b, 1);
    put16(b, 0xFFFF);
    put16(b, 0x0080);  // button
    put_text(b, u"OK");
    put16(b, 4);  // four bytes: the count and one more unit
    put16(b, 0x1234);
    return b;
}

TEST(DialogTemplate, WholeTemplatesAreSound) {
    EXPECT_TRUE(dialog_template_sound(extended_template()));
    EXPECT_TRUE(dialog_template_sound(plain_template()));
    EXPECT_TRUE(dialog_template_sound(extended_template(0)));  // fewer items than it holds
}

// Every cut of a template ends inside some field, which must be noticed.
TEST(DialogTemplate, EveryTruncationIsNoticed) {
    for (const Bytes& whole : {extended_template(), plain_template()}) {
        for (std::size_t n = 0; n < whole.size(); ++n) {
            Bytes cut(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(n));
            EXPECT_FALSE(dialog_template_sound(cut)) << "cut at " << n << " of " << whole.size();
        }
    }
}

TEST(DialogTemplate, DamagedFieldsAreNoticed) {
    EXPECT_FALSE(dialog_template_sound(extended_template(0xFFFF)));  // far more items than bytes
    EXPECT_FALSE(dialog_template_sound(extended_template(3)));

    Bytes unterminated = extended_template();
    unterminated.resize(26 + 4 + 4);  // header, menu, class and two title units, no terminator
    EXPECT_FALSE(dialog_template_sound(unterminated));

    Bytes big_data = extended_template();
    big_data[big_data.size() - 4] = 0xFF;  // creation data count of the last item: 0x00FF bytes
    EXPECT_FALSE(dialog_template_sound(big_data));
}

}  // namespace
}  // namespace kub

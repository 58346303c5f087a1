#include "common/language/resource_checks.h"

#include "formats/byte_reader.h"

namespace kub {
namespace {

// Template fields, as the resource compiler lays them out.
constexpr std::uint16_t kExtendedVersion = 1;
constexpr std::uint16_t kExtendedSignature = 0xFFFF;
constexpr std::uint32_t kSetFontStyle = 0x40;  // DS_SETFONT (DS_SHELLFONT includes it)
constexpr std::uint16_t kOrdinalMark = 0xFFFF;
// Item bytes before the class of DLGITEMTEMPLATEEX (help id, extended style, style, x, y, cx, cy,
// id) and of DLGITEMTEMPLATE (style, extended style, x, y, cx, cy, id).
constexpr std::size_t kExtendedItemHead = 4 + 4 + 4 + 8 + 4;
constexpr std::size_t kItemHead = 4 + 4 + 8 + 2;

void skip_units_to_terminator(ByteReader& in) {
    while (!in.overrun() && in.u16() != 0) {
    }
}

// A name or ordinal: 0 (none), 0xFFFF and an ordinal, or a terminated UTF-16 string.
void skip_name_or_ordinal(ByteReader& in) {
    std::uint16_t first = in.u16();
    if (first == kOrdinalMark) in.skip(2);
    else if (first != 0) skip_units_to_terminator(in);
}

void align_to_dword(ByteReader& in) { in.skip((4 - in.position() % 4) % 4); }

}  // namespace

std::optional<std::u16string> string_from_block(std::span<const std::uint8_t> block, unsigned index,
                                                std::size_t max_units) {
    if (index >= kStringsPerBlock) return std::nullopt;
    ByteReader in(block);
    for (unsigned i = 0; i < index && !in.overrun(); ++i) in.skip(2 * std::size_t{in.u16()});
    const std::size_t length = in.u16();
    std::span<const std::uint8_t> units = in.bytes(2 * length);
    if (in.overrun() || length == 0) return std::nullopt;
    std::u16string text;
    const std::size_t kept = length < max_units ? length : max_units;
    for (std::size_t i = 0; i < kept; ++i)
        text.push_back(static_cast<char16_t>(units[2 * i] | (units[2 * i + 1] << 8)));
    return text;
}

bool dialog_template_sound(std::span<const std::uint8_t> bytes) {
    ByteReader in(bytes);
    const bool extended = le16(bytes, 0) == kExtendedVersion && le16(bytes, 2) == kExtendedSignature;
    std::uint32_t style;
    std::size_t items;
    if (extended) {
        in.skip(4 + 4 + 4);  // version, signature, help id, extended style
        style = in.u32();
        items = in.u16();
        in.skip(8);
    } else {
        style = in.u32();
        in.skip(4);
        items = in.u16();
        in.skip(8);
    }
    skip_name_or_ordinal(in);  // menu
    skip_name_or_ordinal(in);  // class
    skip_units_to_terminator(in);  // title
    if (style & kSetFontStyle) {
        in.skip(extended ? 2 + 2 + 1 + 1 : 2);  // point size (weight, italic, character set)
        skip_units_to_terminator(in);
    }
    // Every item takes more than its head, so the count cannot outrun the bytes unnoticed.
    for (std::size_t i = 0; i < items && !in.overrun(); ++i) {
        align_to_dword(in);
        in.skip(extended ? kExtendedItemHead : kItemHead);
        skip_name_or_ordinal(in);  // class
        skip_name_or_ordinal(in);  // title
        // Creation data: its byte count follows, which in the old form counts itself.
        const std::size_t data = in.u16();
        in.skip(extended || data == 0 ? data : data - 2);
    }
    return !in.overrun();
}

}  // namespace kub

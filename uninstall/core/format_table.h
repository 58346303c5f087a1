#pragma once
// The archive formats setup can associate: fifteen slots, each with its extensions (run together,
// each starting at a dot) and the ProgID its extensions are given.
#include <array>
#include <cstddef>
#include <string_view>
#include <vector>

namespace kub::setup {

inline constexpr std::u16string_view kProgId = u"Korvex";
inline constexpr std::u16string_view kZipProgId = u"Korvex.ZIP";
inline constexpr std::u16string_view kRevProgId = u"Korvex.REV";

struct FormatSlot {
    std::u16string_view name;        // as the settings dialog labels it
    std::u16string_view extensions;  // ".bz2.tbz2.bz.tbz"
};

inline constexpr std::size_t kFormatSlotCount = 15;
inline constexpr std::size_t kKubSlot = 0;
inline constexpr std::size_t kZipSlot = 1;
inline constexpr std::size_t kJarSlot = 11;
inline constexpr std::size_t kIsoSlot = 12;

inline constexpr std::array<FormatSlot, kFormatSlotCount> kFormatSlots = {{
    {u"KUB", u".kub"},
    {u"ZIP", u".zip"},
    {u"CAB", u".cab"},
    {u"ARJ", u".arj"},
    {u"LZH", u".lzh.lha"},
    {u"ACE", u".ace"},
    {u"7-Zip", u".7z"},
    {u"TAR", u".tar"},
    {u"GZip", u".gz.tgz"},
    {u"UUE", u".uue.xxe.uu"},
    {u"BZ2", u".bz2.tbz2.bz.tbz"},
    {u"JAR", u".jar"},
    {u"ISO", u".iso"},
    {u"Z", u".z.taz"},
    {u"XZ", u".xz.txz"},
}};

// The slot's extensions in table order, each with its dot.
std::vector<std::u16string_view> slot_extensions(std::size_t slot);
// The slot's first extension: the name under which its settings are kept.
std::u16string_view first_extension(std::size_t slot);
std::u16string_view slot_prog_id(std::size_t slot);

}  // namespace kub::setup

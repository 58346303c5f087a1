#pragma once
// Checks on resources read from a language module. The module is a file anyone may have put in
// the language folder: a damaged string table or dialog template would otherwise be walked past
// its end by the system's own readers. Pure functions over the resource's bytes.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace kub {

// A string table resource holds 16 strings, each a 16-bit length and that many UTF-16 units.
inline constexpr unsigned kStringsPerBlock = 16;

// String `index` (0 to 15) of a string table block; nothing when it is empty or the block ends
// before it does. Cut to `max_units`.
std::optional<std::u16string> string_from_block(std::span<const std::uint8_t> block, unsigned index,
                                                std::size_t max_units);

// True when a dialog template (DLGTEMPLATE or DLGTEMPLATEEX) lies wholly within its bytes: the
// header, the menu, class, title and font fields, and every item with its class, title and
// creation data.
bool dialog_template_sound(std::span<const std::uint8_t> bytes);

}  // namespace kub

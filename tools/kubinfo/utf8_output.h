#pragma once
// UTF-16 text as UTF-8 bytes for output; unpaired surrogates become U+FFFD.
#include <string>
#include <string_view>

namespace kub::tool {

std::string to_utf8(std::u16string_view text);

// Appends text as the inside of a JSON string (quotes, backslashes and control characters
// escaped).
void append_json_string(std::string& out, std::u16string_view text);

}  // namespace kub::tool

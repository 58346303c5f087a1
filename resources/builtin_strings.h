#pragma once
// The built-in texts compiled from resources/strings.txt. On Windows the same texts live in each
// deliverable's string table; this table serves the portable code and the native tools.
#include <span>

namespace kub {

struct BuiltinString {
    unsigned id;
    const char16_t* text;
};

// Every built-in text, in ascending id order.
std::span<const BuiltinString> builtin_strings();

// The built-in text with this id, or nullptr.
const char16_t* find_builtin_string(unsigned id);

}  // namespace kub

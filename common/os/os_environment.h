#pragma once
// Environment variables.
#include <string>
#include <string_view>

namespace kub::os {

// False when the variable is not set.
bool get_environment_variable(std::u16string_view name, std::u16string& value);

// Replaces each %NAME% by the variable's value; names that are not set stay as written.
std::u16string expand_environment_strings(std::u16string_view text);

}  // namespace kub::os

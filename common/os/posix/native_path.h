#pragma once
// Path text between the layer's UTF-16 and the posix file system's UTF-8 bytes.
#include <string>
#include <string_view>

namespace kub::os::posix {

// UTF-8 bytes of a UTF-16 path with "\" turned into "/"; the long-path forms "\\?\X:\..." and
// "\\?\UNC\..." become the paths they stand for; a lone surrogate becomes U+FFFD.
std::string to_native_path(std::u16string_view path);
// UTF-16 text of a UTF-8 name; bytes that do not decode become U+FFFD.
std::u16string from_native_name(std::string_view name);

}  // namespace kub::os::posix

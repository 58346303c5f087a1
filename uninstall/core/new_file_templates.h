#pragma once
// The empty archives the shell's "New" menu copies: an empty KUB archive of the 4.x layout and
// an empty ZIP archive, kept in the program folder.
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace kub::setup {

enum class TemplateKind { kKub, kZip };

std::u16string_view template_file_name(TemplateKind kind);
std::span<const std::uint8_t> template_bytes(TemplateKind kind);

// The template's full path in the program folder, after creating the file when it is missing.
// A file that cannot be created is not reported: the path is returned all the same.
std::u16string ensure_template(std::u16string_view program_folder, TemplateKind kind);

}  // namespace kub::setup

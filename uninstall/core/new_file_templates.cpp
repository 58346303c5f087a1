#include "uninstall/core/new_file_templates.h"

#include <array>

#include "common/files/file_helpers.h"
#include "common/os/os.h"
#include "formats/kub/kub_layout.h"

namespace kub::setup {

namespace {

// End of central directory of an archive with no entries: the signature, then zero disk numbers,
// entry counts, directory size and offset, and comment length.
constexpr std::array<std::uint8_t, 22> kEmptyZip = {0x50, 0x4B, 0x05, 0x06};

// The seven-byte block signature of the 4.x layout, then a main archive header with no flags:
//   +0 checksum 0x90CF  +2 type 0x73  +3 flags 0  +5 header size 13  +7 six reserved zeros
constexpr std::array<std::uint8_t, 20> kEmptyKub = {
    kubfmt::kBlockSignature[0], kubfmt::kBlockSignature[1], kubfmt::kBlockSignature[2],
    kubfmt::kBlockSignature[3], kubfmt::kBlockSignature[4], kubfmt::kBlockSignature[5],
    kubfmt::kGen2Version,       0xCF,                       0x90,
    kubfmt::kBlockMain,         0x00,                       0x00,
    0x0D,                       0x00};

}  // namespace

std::u16string_view template_file_name(TemplateKind kind) {
    return kind == TemplateKind::kKub ? u"kubnew.dat" : u"zipnew.dat";
}

std::span<const std::uint8_t> template_bytes(TemplateKind kind) {
    if (kind == TemplateKind::kKub) return kEmptyKub;
    return kEmptyZip;
}

std::u16string ensure_template(std::u16string_view program_folder, TemplateKind kind) {
    std::u16string path(program_folder);
    path += template_file_name(kind);
    if (file_exists(path)) return path;
    const os::NativeFile file = os::create_file(path);
    if (file == os::kInvalidFile) return path;
    const auto bytes = template_bytes(kind);
    std::size_t done = 0;
    const bool written = os::write_file(file, bytes.data(), bytes.size(), done) &&
                         done == bytes.size();
    os::close_file(file);
    // A cut template would be an archive the archiver cannot open; better none at all.
    if (!written) delete_file(path);
    return path;
}

}  // namespace kub::setup

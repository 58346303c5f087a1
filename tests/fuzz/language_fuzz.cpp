// libFuzzer target: what a language folder can hand the programs. The input is read as a language
// file (marker search, unescaping, index, lookups and size factors), as a string table block
// (every slot) and as a dialog template.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>

#include "common/language/language_file.h"
#include "common/language/resource_checks.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::span<const std::uint8_t> bytes(data, size);
    kub::LanguageFile file;
    file.load([bytes](std::uint64_t offset, std::span<std::uint8_t> buffer) -> std::ptrdiff_t {
        if (offset >= bytes.size()) return 0;
        std::size_t n = std::min(buffer.size(), static_cast<std::size_t>(bytes.size() - offset));
        std::memcpy(buffer.data(), bytes.data() + offset, n);
        return static_cast<std::ptrdiff_t>(n);
    });
    file.translate(u"解压文件(&A)...", kub::TranslationKind::kString);
    file.translate(u"确定", kub::TranslationKind::kDialog, u"SETUPDLG", 3);
    file.size_factors(u"SETUPDLG");
    file.settle_direction(false);

    for (unsigned slot = 0; slot < kub::kStringsPerBlock; ++slot)
        kub::string_from_block(bytes, slot, 511);
    kub::dialog_template_sound(bytes);
    return 0;
}

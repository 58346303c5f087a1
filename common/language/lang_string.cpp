#include "common/language/lang_string.h"

#include <array>
#include <optional>
#include <string>

#include "common/language/language_file.h"
#include "common/language/language_module.h"

namespace kub {
namespace {

std::array<std::u16string, kLangStringBuffers> buffers;
std::size_t next_buffer = 0;

}  // namespace

const char16_t* LangString(unsigned id) {
    std::u16string& out = buffers[next_buffer];
    next_buffer = (next_buffer + 1) % buffers.size();

    const LanguageFile& file = language_file();
    std::optional<std::u16string> text;
    if (!file.loaded()) text = os::load_module_string(resource_source(), id);
    if (!text) text = os::load_module_string(own_resource_module(), id);
    out = file.translate(text ? *text : std::u16string(), TranslationKind::kString, {},
                         os::kResourceStringSize);
    return out.c_str();
}

}  // namespace kub

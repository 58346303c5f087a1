#include "common/language/lang_string.h"

#include <algorithm>
#include <array>
#include <optional>
#include <string>

#include "common/language/language_file.h"
#include "common/language/language_module.h"

namespace kub {
namespace {

// Explorer calls in from many threads at once, so each thread rotates through buffers of its
// own. Plain arrays: a thread-local object with a destructor would leave code to run at thread
// exit after the library may already have been unloaded.
using LangBuffer = std::array<char16_t, os::kResourceStringSize>;
thread_local std::array<LangBuffer, kLangStringBuffers> buffers;
thread_local std::size_t next_buffer = 0;

}  // namespace

const char16_t* LangString(unsigned id) {
    LangBuffer& out = buffers[next_buffer];
    next_buffer = (next_buffer + 1) % buffers.size();

    const LanguageFile& file = language_file();
    std::optional<std::u16string> text;
    if (!file.loaded()) text = os::load_module_string(resource_source(), id);
    if (!text) text = os::load_module_string(own_resource_module(), id);
    const std::u16string translated = file.translate(
        text ? *text : std::u16string(), TranslationKind::kString, {}, out.size());
    const std::size_t length = std::min(translated.size(), out.size() - 1);
    std::copy_n(translated.data(), length, out.data());
    out[length] = u'\0';
    return out.data();
}

}  // namespace kub

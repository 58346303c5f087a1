#pragma once
// Every user-visible text is fetched by id through LangString.
#include <cstddef>

namespace kub {

// Results rotate through this many buffers of each thread: a returned text stays valid until
// this many more calls on the same thread; other threads never touch it.
inline constexpr std::size_t kLangStringBuffers = 8;

// The text of string `id`, translated by the language file. With a language file loaded the
// text is always taken from the program's own module, because translations are keyed by the
// built-in texts; otherwise from the resource source, falling back to the own module.
const char16_t* LangString(unsigned id);

}  // namespace kub

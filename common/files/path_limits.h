#pragma once
// Paths travel in buffers of this many UTF-16 units, terminator included: a path keeps at most
// kPathBufferSize - 1 units and longer ones are cut.
#include <cstddef>

namespace kub {

inline constexpr std::size_t kPathBufferSize = 2048;
inline constexpr std::size_t kMaxPathLength = kPathBufferSize - 1;

}  // namespace kub

#include <string>

namespace kub {

// Cuts `text` to what a buffer of `size` units holds with its terminator.
inline void cut_to_size(std::u16string& text, std::size_t size) {
    if (text.size() >= size) text.resize(size == 0 ? 0 : size - 1);
}

}  // namespace kub

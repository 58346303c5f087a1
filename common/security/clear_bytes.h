#pragma once
// Wiping of keys, passwords and hash work buffers.
#include <cstddef>

namespace kub {

// Zero-fills the bytes; the stores are kept even when the buffer is never read again.
void clear_bytes(void* data, std::size_t size);

}  // namespace kub

#include "common/security/clear_bytes.h"

namespace kub {

void clear_bytes(void* data, std::size_t size) {
    // Volatile stores: a plain memset before the buffer dies may be removed as a dead store.
    volatile unsigned char* p = static_cast<volatile unsigned char*>(data);
    for (std::size_t i = 0; i < size; ++i) p[i] = 0;
}

}  // namespace kub

#include "formats/byte_search.h"

#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace kub {

const std::uint8_t* find_byte_vector(const std::uint8_t* data, std::uint8_t value,
                                     std::size_t size) {
#if defined(__SSE2__)
    const __m128i wanted = _mm_set1_epi8(static_cast<char>(value));
    auto load = [](const std::uint8_t* at) {
        return _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
    };
    // Four blocks a step while nothing matches, then block by block to the hit.
    while (size >= 64) {
        const __m128i any = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(load(data), wanted),
                                                      _mm_cmpeq_epi8(load(data + 16), wanted)),
                                         _mm_or_si128(_mm_cmpeq_epi8(load(data + 32), wanted),
                                                      _mm_cmpeq_epi8(load(data + 48), wanted)));
        if (_mm_movemask_epi8(any) != 0) break;
        data += 64;
        size -= 64;
    }
    while (size >= 16) {
        const int hits = _mm_movemask_epi8(_mm_cmpeq_epi8(load(data), wanted));
        if (hits != 0) return data + __builtin_ctz(static_cast<unsigned>(hits));
        data += 16;
        size -= 16;
    }
#endif
    for (; size > 0; ++data, --size) {
        if (*data == value) return data;
    }
    return nullptr;
}

const std::uint8_t* find_byte(const std::uint8_t* data, std::uint8_t value, std::size_t size) {
#if defined(_WIN32)
    return find_byte_vector(data, value, size);
#else
    return static_cast<const std::uint8_t*>(std::memchr(data, value, size));
#endif
}

}  // namespace kub

#include "common/checksum/crc32_clmul.h"

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#include <immintrin.h>
#define KUB_CRC32_CLMUL 1
#endif

namespace kub {

namespace {
bool g_clmul_allowed = true;
}  // namespace

void crc32_allow_clmul(bool allowed) { g_clmul_allowed = allowed; }

#if KUB_CRC32_CLMUL

#define KUB_CLMUL_TARGET __attribute__((target("pclmul,sse4.1")))

namespace {

inline __m128i load16(const unsigned char* at) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(at)); }

// Folds 128 bits of register forward over the next 16 bytes (k: the 128-bit stride constants).
KUB_CLMUL_TARGET inline __m128i fold128(__m128i x, __m128i next, __m128i k) {
    __m128i lo = _mm_clmulepi64_si128(x, k, 0x00);
    __m128i hi = _mm_clmulepi64_si128(x, k, 0x11);
    return _mm_xor_si128(_mm_xor_si128(hi, lo), next);
}

}  // namespace

bool crc32_clmul_available() {
    static const bool available = __builtin_cpu_supports("pclmul") && __builtin_cpu_supports("sse4.1");
    return available && g_clmul_allowed;
}

// Folding constants of the reflected polynomial 0xEDB88320: x^(4*128+32), x^(4*128-32) mod P for
// the 512-bit stride, x^(128+32), x^(128-32) for the 128-bit one, x^64 for the last fold, and
// P with Barrett's mu for the reduction (each bit-reflected, shifted left by one).
KUB_CLMUL_TARGET std::uint32_t crc32_update_clmul(std::uint32_t crc, const unsigned char* p, std::size_t size) {
    const __m128i k1k2 = _mm_set_epi64x(0x01c6e41596, 0x0154442bd4);
    const __m128i k3k4 = _mm_set_epi64x(0x00ccaa009e, 0x01751997d0);
    const __m128i k5 = _mm_set_epi64x(0, 0x0163cd6124);
    const __m128i poly = _mm_set_epi64x(0x01f7011641, 0x01db710641);
    const __m128i low32 = _mm_setr_epi32(~0, 0, ~0, 0);

    __m128i x1 = _mm_xor_si128(load16(p), _mm_cvtsi32_si128(static_cast<int>(crc)));
    __m128i x2 = load16(p + 16);
    __m128i x3 = load16(p + 32);
    __m128i x4 = load16(p + 48);
    p += 64;
    size -= 64;
    // Four lanes, each folded 512 bits forward onto the next block.
    while (size >= 64) {
        __m128i f1 = _mm_clmulepi64_si128(x1, k1k2, 0x00);
        __m128i f2 = _mm_clmulepi64_si128(x2, k1k2, 0x00);
        __m128i f3 = _mm_clmulepi64_si128(x3, k1k2, 0x00);
        __m128i f4 = _mm_clmulepi64_si128(x4, k1k2, 0x00);
        x1 = _mm_xor_si128(_mm_xor_si128(_mm_clmulepi64_si128(x1, k1k2, 0x11), f1), load16(p));
        x2 = _mm_xor_si128(_mm_xor_si128(_mm_clmulepi64_si128(x2, k1k2, 0x11), f2), load16(p + 16));
        x3 = _mm_xor_si128(_mm_xor_si128(_mm_clmulepi64_si128(x3, k1k2, 0x11), f3), load16(p + 32));
        x4 = _mm_xor_si128(_mm_xor_si128(_mm_clmulepi64_si128(x4, k1k2, 0x11), f4), load16(p + 48));
        p += 64;
        size -= 64;
    }
    // The four lanes into one, then the remaining 16-byte blocks.
    x1 = fold128(x1, x2, k3k4);
    x1 = fold128(x1, x3, k3k4);
    x1 = fold128(x1, x4, k3k4);
    while (size >= 16) {
        x1 = fold128(x1, load16(p), k3k4);
        p += 16;
        size -= 16;
    }
    // 128 bits to 64, then Barrett reduction to 32.
    x2 = _mm_clmulepi64_si128(x1, k3k4, 0x10);
    x1 = _mm_xor_si128(_mm_srli_si128(x1, 8), x2);
    x2 = _mm_srli_si128(x1, 4);
    x1 = _mm_and_si128(x1, low32);
    x1 = _mm_xor_si128(_mm_clmulepi64_si128(x1, k5, 0x00), x2);
    x2 = _mm_and_si128(x1, low32);
    x2 = _mm_clmulepi64_si128(x2, poly, 0x10);
    x2 = _mm_and_si128(x2, low32);
    x2 = _mm_clmulepi64_si128(x2, poly, 0x00);
    x1 = _mm_xor_si128(x1, x2);
    return static_cast<std::uint32_t>(_mm_extract_epi32(x1, 1));
}

#else

bool crc32_clmul_available() {
    (void)g_clmul_allowed;
    return false;
}

std::uint32_t crc32_update_clmul(std::uint32_t crc, const unsigned char*, std::size_t) { return crc; }

#endif

}  // namespace kub

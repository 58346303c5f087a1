#include "common/checksum/crc32.h"

#include "common/checksum/crc32_clmul.h"

#include <array>
#include <bit>
#include <cstring>

namespace kub {
namespace {

constexpr std::uint32_t kPolynomial = 0xEDB88320u;

// How the update runs, and what every path keeps true:
//  - The result equals the one-table method (one byte per step through table 0) for every length
//    and every alignment of the data; the register is the reflected CRC of polynomial P.
//  - Bytes before the first 8-byte boundary go one by one; from there every table step takes 8
//    bytes through the eight tables; fewer than 8 bytes left at the end go one by one again.
//  - Long inputs are cut into kStreams consecutive lanes run side by side: each lane's chain of
//    lookups depends only on its own previous step, so the processor overlaps the lanes. Lane
//    lengths are multiples of 8, so every lane starts on an 8-byte boundary. Lane 0 starts from
//    the running value, the others from 0, and the lane registers are joined afterwards with
//    carry-less multiplications modulo P (x^(8n) shifts a register over n zero bytes); joining
//    costs a few hundred instructions, so lanes are kept long.
//  - The tables are built once, on first use, and never change afterwards.
constexpr std::size_t kStreams = 4;
constexpr std::size_t kLaneBytes = 16384;
// Below this lane length joining costs more than the overlap gains.
constexpr std::size_t kMinLaneBytes = 512;
// The carry-less path needs 64 bytes and pays off well before the lanes do.
constexpr std::size_t kMinClmulBytes = 64;

// Product of two polynomials modulo P, both in the reflected bit order of the CRC register.
std::uint32_t multiply_mod_p(std::uint32_t a, std::uint32_t b) {
    std::uint32_t product = 0;
    for (std::uint32_t bit = 0x80000000u; bit != 0; bit >>= 1) {
        if (a & bit) product ^= b;
        b = (b >> 1) ^ (kPolynomial & (0u - (b & 1u)));
    }
    return product;
}

struct Crc32Tables {
    // Table k holds the CRC contribution of a byte followed by k zero bytes, so eight bytes fold
    // into the running value with eight independent lookups instead of eight dependent ones.
    std::array<std::array<std::uint32_t, 256>, 8> t;
    // x^(2^k) mod P.
    std::array<std::uint32_t, 64> x_pow2;
    std::uint32_t lane_shift;

    Crc32Tables() {
        for (std::uint32_t i = 0; i < 256; ++i) {
            std::uint32_t c = i;
            for (int bit = 0; bit < 8; ++bit) c = (c >> 1) ^ (kPolynomial & (0u - (c & 1u)));
            t[0][i] = c;
        }
        for (std::uint32_t i = 0; i < 256; ++i) {
            for (std::size_t k = 1; k < 8; ++k)
                t[k][i] = (t[k - 1][i] >> 8) ^ t[0][t[k - 1][i] & 0xFF];
        }
        x_pow2[0] = 0x40000000u;  // x, reflected
        for (std::size_t k = 1; k < x_pow2.size(); ++k)
            x_pow2[k] = multiply_mod_p(x_pow2[k - 1], x_pow2[k - 1]);
        lane_shift = zeros_shift(kLaneBytes);
    }

    // x^(8 * bytes) mod P: multiplying a CRC register by it runs it over that many zero bytes.
    std::uint32_t zeros_shift(std::size_t bytes) const {
        std::uint32_t result = 0x80000000u;  // 1, reflected
        std::uint64_t bits = static_cast<std::uint64_t>(bytes) * 8;
        for (std::size_t k = 0; bits != 0; ++k, bits >>= 1) {
            if (bits & 1) result = multiply_mod_p(result, x_pow2[k]);
        }
        return result;
    }
};

const Crc32Tables& tables() {
    static const Crc32Tables built;
    return built;
}

std::uint32_t load_le32(const unsigned char* p) {
    std::uint32_t v;
    std::memcpy(&v, p, sizeof v);
    if constexpr (std::endian::native == std::endian::big) v = __builtin_bswap32(v);
    return v;
}

// Folds the next eight bytes into a CRC. Only the low four bytes meet the running value; the high
// four index their tables straight from memory, which costs the processor one load each instead
// of a shift and a byte extraction in registers, the scarcer resource in this loop.
inline std::uint32_t fold8(const Crc32Tables& tab, std::uint32_t crc, const unsigned char* p) {
    const auto& t = tab.t;
    std::uint32_t lo = load_le32(p) ^ crc;
    return t[7][lo & 0xFF] ^ t[6][(lo >> 8) & 0xFF] ^ t[5][(lo >> 16) & 0xFF] ^ t[4][lo >> 24] ^
           t[3][p[4]] ^ t[2][p[5]] ^ t[1][p[6]] ^ t[0][p[7]];
}

// Runs the CRC over kStreams consecutive lanes of lane_bytes each (a multiple of 8, p 8-byte
// aligned) and joins them; shift is zeros_shift(lane_bytes). The CRC register is linear: the
// register after A then B equals the register after A run over len(B) zero bytes, xor the
// register of B alone started from zero.
inline std::uint32_t fold_lanes(const Crc32Tables& tab, std::uint32_t crc, const unsigned char* p,
                                std::size_t lane_bytes, std::uint32_t shift) {
    std::array<std::uint32_t, kStreams> lane{};
    lane[0] = crc;
    for (const unsigned char* end = p + lane_bytes; p != end; p += 8) {
        for (std::size_t s = 0; s < kStreams; ++s)
            lane[s] = fold8(tab, lane[s], p + s * lane_bytes);
    }
    crc = lane[0];
    for (std::size_t s = 1; s < kStreams; ++s) crc = multiply_mod_p(crc, shift) ^ lane[s];
    return crc;
}

}  // namespace

std::uint32_t crc32_update(std::uint32_t crc, const void* data, std::size_t size) {
    const Crc32Tables& tab = tables();
    const auto& t0 = tab.t[0];
    const auto* p = static_cast<const unsigned char*>(data);

    // Carry-less multiplication, where the processor has it, takes every whole 16 bytes of a
    // long input; the tables below do the rest.
    if (size >= kMinClmulBytes && crc32_clmul_available()) {
        std::size_t whole = size & ~std::size_t{15};
        crc = crc32_update_clmul(crc, p, whole);
        p += whole;
        size -= whole;
    }
    while (size != 0 && (reinterpret_cast<std::uintptr_t>(p) & 7) != 0) {
        crc = (crc >> 8) ^ t0[(crc ^ *p++) & 0xFF];
        --size;
    }
    // Whole blocks use the fixed lane length, which the compiler turns into constant address
    // offsets from one pointer, leaving registers for the lanes; a shorter rest still gets lanes.
    for (; size >= kStreams * kLaneBytes; size -= kStreams * kLaneBytes, p += kStreams * kLaneBytes)
        crc = fold_lanes(tab, crc, p, kLaneBytes, tab.lane_shift);
    if (size >= kStreams * kMinLaneBytes) {
        std::size_t lane_bytes = (size / kStreams) & ~std::size_t{7};
        crc = fold_lanes(tab, crc, p, lane_bytes, tab.zeros_shift(lane_bytes));
        size -= kStreams * lane_bytes;
        p += kStreams * lane_bytes;
    }
    for (; size >= 8; size -= 8, p += 8) crc = fold8(tab, crc, p);
    while (size-- != 0) crc = (crc >> 8) ^ t0[(crc ^ *p++) & 0xFF];
    return crc;
}

}  // namespace kub

#include "common/checksum/crc32.h"
#include "common/checksum/crc32_clmul.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <random>
#include <string_view>
#include <vector>

namespace kub {
namespace {

std::uint32_t crc_of(std::string_view text) {
    return crc32(text.data(), text.size());
}

// The textbook one-table CRC, one byte per step, as the reference for the fast paths.
std::uint32_t one_table_update(std::uint32_t crc, const std::uint8_t* p, std::size_t n) {
    static const std::array<std::uint32_t, 256> table = [] {
        std::array<std::uint32_t, 256> t{};
        for (std::uint32_t i = 0; i < 256; ++i) {
            std::uint32_t c = i;
            for (int k = 0; k < 8; ++k) c = (c & 1) ? (c >> 1) ^ 0xEDB88320u : c >> 1;
            t[i] = c;
        }
        return t;
    }();
    while (n-- != 0) crc = (crc >> 8) ^ table[(crc ^ *p++) & 0xFF];
    return crc;
}

TEST(Crc32, KnownValues) {
    EXPECT_EQ(crc_of(""), 0x00000000u);
    EXPECT_EQ(crc_of("abc"), 0x352441C2u);
    EXPECT_EQ(crc_of("123456789"), 0xCBF43926u);
    EXPECT_EQ(crc_of("The quick brown fox jumps over the lazy dog"), 0x414FA339u);
}

TEST(Crc32, EqualsOneTableMethodForEveryLengthAndAlignment) {
    std::mt19937 random(2024);
    alignas(8) static std::uint8_t buffer[4096 + 8];
    for (auto& b : buffer) b = static_cast<std::uint8_t>(random());
    for (std::size_t align = 0; align < 8; ++align) {
        const std::uint8_t* data = buffer + align;
        std::uint32_t reference = 0xFFFFFFFFu;
        for (std::size_t length = 0; length <= 4096; ++length) {
            if (length != 0) reference = one_table_update(reference, data + length - 1, 1);
            ASSERT_EQ(crc32_update(0xFFFFFFFFu, data, length), reference)
                << "length " << length << ", alignment " << align;
        }
    }
}

// Long inputs go through the overlapped lanes: lane-sized, odd and just-below-threshold lengths
// at several alignments, checked against values computed independently (Python's zlib.crc32) on
// the same pseudo-random bytes.
TEST(Crc32, LongInputsMatchIndependentValues) {
    std::vector<std::uint8_t> bytes(300001);
    std::uint32_t x = 1;
    for (auto& b : bytes) {
        x = x * 1103515245u + 12345u;
        b = static_cast<std::uint8_t>(x >> 24);
    }
    struct Slice {
        std::size_t offset;
        std::size_t length;
        std::uint32_t crc;
    };
    for (const Slice& s : {Slice{0, 300001, 0xA4A01488u}, Slice{3, 200000, 0x6FCEEE5Au},
                           Slice{5, 65536, 0x4EC7307Au}, Slice{1, 65543, 0x84AB3C3Fu},
                           Slice{0, 2048, 0x6B56B286u}, Slice{7, 2047, 0xCB215518u},
                           // One whole block, then a rest just below and just above the length
                           // that still gets lanes of its own.
                           Slice{2, 67583, 0xDAD01411u}, Slice{6, 67591, 0x5A43E882u},
                           Slice{4, 131072, 0x52FC4D50u}}) {
        EXPECT_EQ(crc32(bytes.data() + s.offset, s.length), s.crc) << s.offset << "+" << s.length;
    }
}

TEST(Crc32, PiecewiseUpdatesEqualOnePass) {
    std::vector<std::uint8_t> bytes(150000);
    std::mt19937 random(99);
    for (auto& b : bytes) b = static_cast<std::uint8_t>(random());
    std::uint32_t whole = crc32_update(0xFFFFFFFFu, bytes.data(), bytes.size());
    for (std::size_t piece : {1u, 7u, 4099u, 65536u, 70001u}) {
        std::uint32_t crc = 0xFFFFFFFFu;
        for (std::size_t at = 0; at < bytes.size(); at += piece)
            crc = crc32_update(crc, bytes.data() + at, std::min(piece, bytes.size() - at));
        EXPECT_EQ(crc, whole) << "pieces of " << piece;
    }
}

// The table path and the carry-less path (where the processor has it) each match the reference
// over lengths that cross every threshold of both.
TEST(Crc32, BothPathsMatchTheOneTableMethod) {
    std::vector<std::uint8_t> bytes(300008);
    std::mt19937 random(7);
    for (auto& b : bytes) b = static_cast<std::uint8_t>(random());
    for (bool clmul : {false, true}) {
        crc32_allow_clmul(clmul);
        for (std::size_t length : {63u, 64u, 65u, 79u, 80u, 127u, 128u, 129u, 2047u, 70001u, 262144u, 299999u}) {
            for (std::size_t offset : {0u, 1u, 5u}) {
                std::uint32_t expected = one_table_update(0xFFFFFFFFu, bytes.data() + offset, length);
                EXPECT_EQ(crc32_update(0xFFFFFFFFu, bytes.data() + offset, length), expected)
                    << (clmul ? "carry-less" : "tables") << " length " << length << " offset " << offset;
            }
        }
    }
    crc32_allow_clmul(true);
}

}  // namespace
}  // namespace kub

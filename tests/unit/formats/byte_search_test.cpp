// The byte search under the readers' signature scans, against the C library's memchr: every
// length around the vector widths, every start alignment, hits in each place of a block, and
// bytes that differ from the wanted one only in the sign bit.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

#include "formats/byte_search.h"

namespace kub {
namespace {

const std::uint8_t* by_memchr(const std::uint8_t* data, std::uint8_t value, std::size_t size) {
    return static_cast<const std::uint8_t*>(std::memchr(data, value, size));
}

TEST(ByteSearchTest, VectorLoopFindsWhatMemchrFinds) {
    std::mt19937 random(7);
    std::vector<std::uint8_t> bytes(300);
    for (int round = 0; round < 40; ++round) {
        // Few distinct values, so hits fall everywhere; 0x80 and 0x00 test the compare's sign.
        for (std::uint8_t& b : bytes) b = static_cast<std::uint8_t>((random() % 5) * 0x40);
        for (std::size_t start = 0; start < 17; ++start) {
            for (std::size_t size = 0; start + size <= bytes.size(); size += 1 + size / 16) {
                for (std::uint8_t value : {0x00, 0x40, 0x80, 0xC0, 0xFF}) {
                    const std::uint8_t* at = bytes.data() + start;
                    ASSERT_EQ(find_byte_vector(at, value, size), by_memchr(at, value, size))
                        << "start " << start << " size " << size << " value " << int(value);
                    ASSERT_EQ(find_byte(at, value, size), by_memchr(at, value, size));
                }
            }
        }
    }
}

TEST(ByteSearchTest, HitInEveryPlaceOfAMegabyte) {
    std::vector<std::uint8_t> bytes(1 << 20, 'x');
    EXPECT_EQ(find_byte_vector(bytes.data(), 'P', bytes.size()), nullptr);
    for (std::size_t at :
         {std::size_t{0}, std::size_t{15}, std::size_t{16}, std::size_t{63}, std::size_t{64},
          std::size_t{100000}, bytes.size() - 17, bytes.size() - 1}) {
        bytes[at] = 'P';
        EXPECT_EQ(find_byte_vector(bytes.data(), 'P', bytes.size()), bytes.data() + at) << at;
        // The byte just past the searched range is not seen.
        EXPECT_EQ(find_byte_vector(bytes.data(), 'P', at), nullptr) << at;
        bytes[at] = 'x';
    }
}

}  // namespace
}  // namespace kub

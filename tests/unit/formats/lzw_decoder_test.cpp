// The LZW decoder over code streams built code by code (9-bit codes, least significant bit first,
// as compress packs them).
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "formats/z/lzw_decoder.h"

namespace kub {
namespace {

// Codes of one width packed into bytes; the decoder takes them a group at a time.
std::vector<std::uint8_t> pack(const std::vector<std::uint32_t>& codes, int width) {
    std::vector<std::uint8_t> bytes((codes.size() * static_cast<std::size_t>(width) + 7) / 8);
    std::size_t bit = 0;
    for (std::uint32_t code : codes) {
        for (int i = 0; i < width; ++i, ++bit) {
            if (code >> i & 1) bytes[bit / 8] |= static_cast<std::uint8_t>(1u << (bit % 8));
        }
    }
    return bytes;
}

struct Bytes final : LzwInput, LzwOutput {
    std::vector<std::uint8_t> in;
    std::size_t taken = 0;
    std::string out;
    std::size_t ReadGroup(std::span<std::uint8_t> group) override {
        std::size_t n = std::min(group.size(), in.size() - taken);
        std::copy_n(in.begin() + static_cast<std::ptrdiff_t>(taken), n, group.begin());
        taken += n;
        return n;
    }
    bool Write(std::span<const std::uint8_t> bytes) override {
        out.append(bytes.begin(), bytes.end());
        return true;
    }
};

struct Decoded {
    std::string text;
    LzwStatus status;
};

Decoded decode(const std::vector<std::uint32_t>& codes, int max_width, bool block_mode) {
    Bytes io;
    io.in = pack(codes, 9);
    LzwDecoder decoder(max_width, block_mode);
    LzwStatus status;
    while ((status = decoder.Run(io, io)) == LzwStatus::kMore) {
    }
    return {io.out, status};
}

TEST(LzwDecoder, CodeTwoHundredFiftySixClearsOnlyInBlockMode) {
    // 'a', 'b', then 256: without block mode the first entry ("ab"); with it a clear, after
    // which the rest of the group is dropped and nothing follows.
    Decoded plain = decode({'a', 'b', 256, 'c'}, 16, false);
    EXPECT_EQ(plain.text, "ababc");
    EXPECT_EQ(plain.status, LzwStatus::kEnded);
    Decoded block = decode({'a', 'b', 256, 'c'}, 16, true);
    EXPECT_EQ(block.text, "ab");
    EXPECT_EQ(block.status, LzwStatus::kTruncatedAtClear);
    // In block mode the first entry is 257.
    EXPECT_EQ(decode({'x', 'y', 257, 'z'}, 16, true).text, "xyxyz");
}

TEST(LzwDecoder, KwKwKCodesSpellThePreviousStringAndItsFirstByte) {
    // 257 and 258 are each the entry being defined when they arrive.
    Decoded d = decode({'a', 257, 258}, 16, true);
    EXPECT_EQ(d.text, "a" "aa" "aaa");
    EXPECT_EQ(d.status, LzwStatus::kEnded);
    EXPECT_EQ(decode({'a', 'b', 258}, 16, true).text, "ab" "bb");
}

TEST(LzwDecoder, EmptyInputGivesNothing) {
    Decoded d = decode({}, 16, true);
    EXPECT_EQ(d.text, "");
    EXPECT_EQ(d.status, LzwStatus::kEnded);
}

TEST(LzwDecoder, APrefixChainThatLoopsIsDamage) {
    // Codes beyond the next free one leave entries whose prefix is a later code; entry 259 ends
    // up its own prefix, and decoding 259 would never end.
    Decoded d = decode({'a', 300, 257, 259, 258, 259}, 16, false);
    EXPECT_EQ(d.status, LzwStatus::kCorrupt);
    EXPECT_EQ(d.text.substr(0, 3), "aaa");
}

}  // namespace
}  // namespace kub

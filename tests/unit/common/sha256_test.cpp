#include "common/checksum/sha256.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <string_view>

namespace kub {
namespace {

std::string hex(const Sha256::Digest& digest) {
    std::string text;
    char two[3];
    for (auto b : digest) {
        std::snprintf(two, sizeof two, "%02x", b);
        text += two;
    }
    return text;
}

std::string sha256_of(std::string_view text) {
    Sha256 h;
    h.update(text.data(), text.size());
    return hex(h.finish());
}

TEST(Sha256, PublishedExamples) {
    EXPECT_EQ(sha256_of(""), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
    EXPECT_EQ(sha256_of("abc"), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    EXPECT_EQ(sha256_of("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq"),
              "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
}

TEST(Sha256, OneMillionLettersInUnevenPieces) {
    std::string a(1000, 'a');
    Sha256 h;
    std::size_t left = 1000000;
    for (std::size_t piece = 1; left != 0; piece = piece % 997 + 13) {
        std::size_t n = std::min({piece, left, a.size()});
        h.update(a.data(), n);
        left -= n;
    }
    EXPECT_EQ(hex(h.finish()), "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");
}

// Lengths around the padding boundaries (one or two final blocks); values from sha256sum.
TEST(Sha256, PaddingBoundaries) {
    struct Case {
        std::size_t length;
        const char* digest;
    };
    for (const Case& c :
         {Case{55, "9f4390f8d30c2dd92ec9f095b65e2b9ae9b0a925a5258e241c9f1e910f734318"},
          Case{56, "b35439a4ac6f0948b6d6f9e3c6af0f5f590ce20f1bde7090ef7970686ec6738a"},
          Case{63, "7d3e74a05d7db15bce4ad9ec0658ea98e3f06eeecf16b4c6fff2da457ddc2f34"},
          Case{64, "ffe054fe7ae0cb6dc65c3af9b61d5209f439851db43d0ba5997337df154668eb"},
          Case{65, "635361c48bb9eab14198e76ea8ab7f1a41685d6ad62aa9146d301d4f17eb0ae0"},
          Case{119, "31eba51c313a5c08226adf18d4a359cfdfd8d2e816b13f4af952f7ea6584dcfb"},
          Case{120, "2f3d335432c70b580af0e8e1b3674a7c020d683aa5f73aaaedfdc55af904c21c"}}) {
        EXPECT_EQ(sha256_of(std::string(c.length, 'a')), c.digest) << c.length;
    }
}

TEST(Sha256, FinishStartsOver) {
    Sha256 h;
    h.update("xyz", 3);
    h.finish();
    h.update("abc", 3);
    EXPECT_EQ(hex(h.finish()), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    EXPECT_EQ(hex(h.finish()), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
}

}  // namespace
}  // namespace kub

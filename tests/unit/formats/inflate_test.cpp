// Inflate on streams written bit by bit: known answers for the three block types, and each kind
// of bad data with the code it gets. (inflate_zlib_oracle_test compares with zlib natively.)
#include <gtest/gtest.h>

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "formats/gzip/inflate.h"

namespace kub {
namespace {

using Bytes = std::vector<std::uint8_t>;

// Writes DEFLATE bits: fields least significant bit first, Huffman codes most significant first.
class BitWriter {
public:
    void bits(std::uint32_t value, unsigned count) {
        for (unsigned i = 0; i < count; ++i) put((value >> i) & 1);
    }
    void code(std::uint32_t code, unsigned length) {
        for (unsigned i = length; i-- > 0;) put((code >> i) & 1);
    }
    // A symbol of the fixed literal/length code.
    void fixed_litlen(unsigned symbol) {
        if (symbol < 144) code(0x30 + symbol, 8);
        else if (symbol < 256) code(0x190 + symbol - 144, 9);
        else if (symbol < 280) code(symbol - 256, 7);
        else code(0xC0 + symbol - 280, 8);
    }
    void align() {
        while (fill_ != 0) put(0);
    }
    void byte(std::uint8_t b) { bytes_.push_back(b); }
    Bytes done() {
        align();
        return bytes_;
    }

private:
    void put(unsigned bit) {
        if (fill_ == 0) bytes_.push_back(0);
        bytes_.back() |= static_cast<std::uint8_t>(bit << fill_);
        fill_ = (fill_ + 1) % 8;
    }
    Bytes bytes_;
    unsigned fill_ = 0;
};

class WholeSource : public InflateSource {
public:
    explicit WholeSource(const Bytes& data) : data_(data) {}
    std::span<const std::uint8_t> Take() override {
        if (given_) return {};
        given_ = true;
        return data_;
    }

private:
    const Bytes& data_;
    bool given_ = false;
};

class StringSink : public InflateSink {
public:
    void Write(std::span<const std::uint8_t> bytes) override { out.append(bytes.begin(), bytes.end()); }
    std::string out;
};

struct Decoded {
    InflateStatus status = InflateStatus::kOk;
    std::string out;
};

Decoded decode(const Bytes& stream) {
    WholeSource source(stream);
    StringSink sink;
    Inflater inflater(source, sink);
    Decoded d;
    for (int guard = 0; guard < 100 && !inflater.final_block_done(); ++guard) {
        d.status = inflater.Decode(UINT64_MAX);
        if (d.status != InflateStatus::kOk) break;
    }
    inflater.FinishMember();
    d.out = sink.out;
    return d;
}

TEST(Inflate, FixedBlockWithLiteralsAndAnOverlappingMatch) {
    BitWriter w;
    w.bits(1, 1);  // BFINAL
    w.bits(1, 2);  // BTYPE fixed
    for (char c : std::string("abc")) w.fixed_litlen(static_cast<unsigned char>(c));
    w.fixed_litlen(260);  // length 6
    w.code(2, 5);         // distance code 2: distance 3
    w.fixed_litlen(256);
    Decoded d = decode(w.done());
    EXPECT_EQ(d.status, InflateStatus::kOk);
    EXPECT_EQ(d.out, "abcabcabc");
}

TEST(Inflate, StoredBlocksThenAFixedOne) {
    BitWriter w;
    w.bits(0, 1);  // not final
    w.bits(0, 2);  // stored
    w.align();
    for (std::uint8_t b : {0x03, 0x00, 0xFC, 0xFF}) w.byte(b);  // LEN 3, NLEN
    for (char c : std::string("xyz")) w.byte(static_cast<std::uint8_t>(c));
    w.bits(1, 1);
    w.bits(1, 2);
    w.fixed_litlen(257);  // length 3
    w.code(0, 5);                         // distance 1
    w.fixed_litlen(256);
    Decoded d = decode(w.done());
    EXPECT_EQ(d.status, InflateStatus::kOk);
    EXPECT_EQ(d.out, "xyzzzz");
}

// A dynamic block: code-length code, then the literal/length and distance lengths, then data.
TEST(Inflate, DynamicBlockKnownAnswer) {
    BitWriter w;
    w.bits(1, 1);
    w.bits(2, 2);   // dynamic
    w.bits(0, 5);   // HLIT: 257 codes
    w.bits(0, 5);   // HDIST: 1 code
    w.bits(14, 4);  // HCLEN: 18 code-length codes (order 16 17 18 0 8 7 9 6 10 5 11 4 12 3 13 2 14 1)
    // Code-length code: symbols 1 and 2 of length 2, 18 of length 1 (lengths 2,2,1 complete? no:
    // 1/2 + 1/4 + 1/4 = 1, complete).
    const unsigned order[18] = {16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3, 13, 2, 14, 1};
    for (unsigned symbol : order) w.bits(symbol == 18 ? 1 : (symbol == 1 || symbol == 2) ? 2 : 0, 3);
    // Canonical codes: 18 -> 0, 1 -> 10, 2 -> 11.
    // Literal/length lengths: 'a' (97) and 256 get length 1; everything else 0. Distance: one
    // code of length 1.
    w.code(0, 1); w.bits(97 - 11, 7);   // 18: 97 zeros
    w.code(2, 2);                        // 'a' length 1
    w.code(0, 1); w.bits(138 - 11, 7);  // 18: 138 zeros (98..235)
    w.code(0, 1); w.bits(20 - 11, 7);   // 18: 20 zeros (236..255)
    w.code(2, 2);                        // 256 length 1
    w.code(2, 2);                        // distance 0 length 1
    // Data: 'a' is code 0, end of block code 1.
    w.code(0, 1);
    w.code(0, 1);
    w.code(1, 1);
    Decoded d = decode(w.done());
    EXPECT_EQ(d.status, InflateStatus::kOk);
    EXPECT_EQ(d.out, "aa");
}

TEST(Inflate, BadDataCodes) {
    struct Case {
        const char* what;
        Bytes stream;
        InflateStatus status;
    };
    std::vector<Case> cases;
    {
        BitWriter w;
        w.bits(1, 1);
        w.bits(3, 2);
        cases.push_back({"block type 3", w.done(), InflateStatus::kBadStructure});
    }
    {
        BitWriter w;
        w.bits(1, 1);
        w.bits(0, 2);
        w.align();
        for (std::uint8_t b : {0x05, 0x00, 0xFA, 0xFE}) w.byte(b);  // NLEN not LEN's complement
        cases.push_back({"stored length mismatch", w.done(), InflateStatus::kBadData});
    }
    {
        BitWriter w;
        w.bits(1, 1);
        w.bits(1, 2);
        w.fixed_litlen('a');
        w.fixed_litlen(257);
        w.code(30, 5);  // distance code 30 does not exist
        cases.push_back({"distance code 30", w.done(), InflateStatus::kBadData});
    }
    {
        BitWriter w;
        w.bits(1, 1);
        w.bits(1, 2);
        w.fixed_litlen('a');
        w.fixed_litlen(257);
        w.code(1, 5);  // distance 2 after one byte
        cases.push_back({"distance too far back", w.done(), InflateStatus::kBadData});
    }
    {
        BitWriter w;
        w.bits(1, 1);
        w.bits(1, 2);
        w.fixed_litlen(286);  // length code 286 does not exist
        cases.push_back({"length code 286", w.done(), InflateStatus::kBadData});
    }
    {
        BitWriter w;
        w.bits(1, 1);
        w.bits(2, 2);
        w.bits(30, 5);  // HLIT 287
        w.bits(0, 5);
        w.bits(0, 4);
        cases.push_back({"too many literal/length codes", w.done(), InflateStatus::kBadData});
    }
    {
        BitWriter w;
        w.bits(1, 1);
        w.bits(2, 2);
        w.bits(0, 5);
        w.bits(30, 5);  // HDIST 31
        w.bits(0, 4);
        cases.push_back({"too many distance codes", w.done(), InflateStatus::kBadData});
    }
    auto code_length_header = [](BitWriter& w, std::vector<unsigned> lengths_by_order) {
        w.bits(1, 1);
        w.bits(2, 2);
        w.bits(0, 5);
        w.bits(0, 5);
        w.bits(static_cast<std::uint32_t>(lengths_by_order.size() - 4), 4);
        for (unsigned len : lengths_by_order) w.bits(len, 3);
    };
    {
        BitWriter w;
        code_length_header(w, {1, 1, 1, 0});  // three codes of one bit
        cases.push_back({"over-subscribed code-length code", w.done(), InflateStatus::kBadStructure});
    }
    {
        BitWriter w;
        code_length_header(w, {2, 2, 0, 0});  // two codes of two bits: half the code space
        cases.push_back({"incomplete code-length code", w.done(), InflateStatus::kBadData});
    }
    {
        BitWriter w;
        code_length_header(w, {1, 1, 0, 0});  // 16 -> 0, 17 -> 1
        w.code(0, 1);  // 16 with nothing to repeat
        w.bits(0, 2);
        cases.push_back({"repeat of no length", w.done(), InflateStatus::kBadData});
    }
    {
        BitWriter w;
        code_length_header(w, {0, 1, 1, 0});  // 17 -> 0, 18 -> 1
        w.code(1, 1);
        w.bits(127, 7);  // 138 zeros
        w.code(1, 1);
        w.bits(127, 7);  // 138 more: 276 of 258
        cases.push_back({"repeat past the lengths", w.done(), InflateStatus::kBadData});
    }
    {
        BitWriter w;
        code_length_header(w, {0, 0, 1, 1});  // 0 -> 0, 18 -> 1
        w.code(1, 1);
        w.bits(127, 7);  // 138 zeros
        w.code(1, 1);
        w.bits(107, 7);  // 118 zeros: 256 so far
        w.code(0, 1);    // symbol 256 (end of block) gets no code
        w.code(0, 1);    // the one distance code
        cases.push_back({"no end-of-block code", w.done(), InflateStatus::kBadData});
    }
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(decode(c.stream).status, c.status);
    }
}

TEST(Inflate, TableBuilderVerdicts) {
    std::uint32_t table[1024];
    unsigned root = 0;
    auto build = [&](int kind, std::vector<std::uint8_t> lengths, unsigned nominal = 9) {
        return BuildInflateTable(kind, lengths.data(), static_cast<unsigned>(lengths.size()), nominal, table, 1024, root);
    };
    EXPECT_EQ(build(0, {1, 1, 1}), InflateStatus::kBadStructure);
    EXPECT_EQ(build(0, {2, 2}), InflateStatus::kBadData);
    EXPECT_EQ(build(1, {0, 0, 7}), InflateStatus::kOk);  // a lone code of any length
    EXPECT_EQ(build(1, {0, 0, 0}), InflateStatus::kOk);  // no distances: a block of literals
    EXPECT_EQ(build(0, {0, 0, 0}), InflateStatus::kBadData);
    EXPECT_EQ(build(0, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 15}), InflateStatus::kOk);
    // The first level: at most the nominal width, at least the shortest code, at most the longest.
    EXPECT_EQ(root, 9u);
    EXPECT_EQ(build(0, {3, 3, 3, 3, 3, 3, 3, 3}), InflateStatus::kOk);
    EXPECT_EQ(root, 3u);
    EXPECT_EQ(build(1, std::vector<std::uint8_t>(32, 5), 6), InflateStatus::kOk);
    EXPECT_EQ(root, 5u);
}

}  // namespace
}  // namespace kub

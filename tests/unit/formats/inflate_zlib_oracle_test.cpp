// Our inflate against zlib: the same output for everything zlib's deflate writes, zlib's own
// malformed-stream cases with our error codes, truncation and the bytes left after a stream.
// Native only (zlib is the oracle; the Windows build has no zlib).
#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <span>
#include <string>
#include <vector>

#include "formats/gzip/inflate.h"

namespace kub {
namespace {

using Bytes = std::vector<std::uint8_t>;

// Hands the input out in pieces of the given sizes (cycled), so spans end everywhere.
class PiecewiseSource : public InflateSource {
public:
    PiecewiseSource(const Bytes& data, std::vector<std::size_t> pieces) : data_(data), pieces_(std::move(pieces)) {}
    std::span<const std::uint8_t> Take() override {
        if (at_ >= data_.size()) return {};
        std::size_t n = std::min(pieces_[turn_++ % pieces_.size()], data_.size() - at_);
        std::span<const std::uint8_t> piece(data_.data() + at_, n);
        at_ += n;
        return piece;
    }
    std::size_t taken() const { return at_; }

private:
    const Bytes& data_;
    std::vector<std::size_t> pieces_;
    std::size_t at_ = 0;
    std::size_t turn_ = 0;
};

class CollectSink : public InflateSink {
public:
    void Write(std::span<const std::uint8_t> bytes) override { out.insert(out.end(), bytes.begin(), bytes.end()); }
    Bytes out;
};

struct Outcome {
    InflateStatus status = InflateStatus::kOk;
    bool finished = false;  // the final block ended
    Bytes out;
    std::uint64_t unused = 0;  // bytes taken from the source but not used
    std::size_t taken = 0;
};

Outcome inflate_all(const Bytes& data, std::vector<std::size_t> pieces = {1 << 20}, std::uint64_t want = UINT64_MAX) {
    PiecewiseSource source(data, std::move(pieces));
    CollectSink sink;
    Inflater inflater(source, sink);
    Outcome o;
    for (int guard = 0; guard < 1000000 && !inflater.final_block_done(); ++guard) {
        o.status = inflater.Decode(want);
        if (o.status != InflateStatus::kOk) break;
    }
    o.finished = inflater.final_block_done();
    o.unused = inflater.FinishMember();
    o.taken = source.taken();
    o.out = std::move(sink.out);
    return o;
}

Bytes zlib_deflate(const Bytes& data, int level, int strategy, int window_bits = -15, int mem_level = 8) {
    z_stream z{};
    EXPECT_EQ(deflateInit2(&z, level, Z_DEFLATED, window_bits, mem_level, strategy), Z_OK);
    Bytes out(deflateBound(&z, data.size()) + 64);
    z.next_in = const_cast<Bytef*>(data.data());
    z.avail_in = static_cast<uInt>(data.size());
    z.next_out = out.data();
    z.avail_out = static_cast<uInt>(out.size());
    EXPECT_EQ(deflate(&z, Z_FINISH), Z_STREAM_END);
    out.resize(z.total_out);
    deflateEnd(&z);
    return out;
}

// zlib's verdict on a raw stream: its message when it fails, "" when it decodes to the end.
std::string zlib_verdict(const Bytes& data) {
    z_stream z{};
    inflateInit2(&z, -15);
    Bytes out(1 << 20);
    z.next_in = const_cast<Bytef*>(data.data());
    z.avail_in = static_cast<uInt>(data.size());
    z.next_out = out.data();
    z.avail_out = static_cast<uInt>(out.size());
    int rc = inflate(&z, Z_FINISH);
    std::string verdict = rc == Z_STREAM_END ? "" : (z.msg ? z.msg : "incomplete");
    inflateEnd(&z);
    return verdict;
}

Bytes random_bytes(std::size_t n, std::uint32_t seed) {
    std::mt19937 rng(seed);
    Bytes b(n);
    for (auto& c : b) c = static_cast<std::uint8_t>(rng());
    return b;
}

// Words from a small vocabulary with numbers: compresses like prose and source code.
Bytes text_like(std::size_t n, std::uint32_t seed) {
    static const char* words[] = {"archive", "header", "the", "of", "tar", "gzip", "window", "block",
                                  "\n", "size", "name", "0123", "=", "{", "}", "if", "return"};
    std::mt19937 rng(seed);
    Bytes b;
    while (b.size() < n) {
        const char* w = words[rng() % (sizeof words / sizeof *words)];
        b.insert(b.end(), w, w + std::char_traits<char>::length(w));
        b.push_back(rng() % 7 == 0 ? ',' : ' ');
        if (rng() % 50 == 0) {
            std::string number = std::to_string(rng());
            b.insert(b.end(), number.begin(), number.end());
        }
    }
    b.resize(n);
    return b;
}

Bytes repeating(std::size_t n, std::size_t period) {
    Bytes b(n);
    for (std::size_t i = 0; i < n; ++i) b[i] = static_cast<std::uint8_t>('a' + i % period);
    return b;
}

Bytes from_hex(const std::string& text) {
    Bytes b;
    std::size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && text[i] == ' ') ++i;
        if (i >= text.size()) break;
        std::size_t end = text.find(' ', i);
        if (end == std::string::npos) end = text.size();
        b.push_back(static_cast<std::uint8_t>(std::stoul(text.substr(i, end - i), nullptr, 16)));
        i = end;
    }
    return b;
}

TEST(InflateOracle, EveryLevelAndStrategyOnEveryKindOfData) {
    struct Sample {
        const char* what;
        Bytes data;
    };
    std::vector<Sample> samples = {
        {"empty", {}},
        {"one byte", {0x41}},
        {"random 100k", random_bytes(100000, 1)},
        {"text 300k", text_like(300000, 2)},
        {"zeros 200k", Bytes(200000, 0)},
        {"period 3", repeating(70000, 3)},
        {"period 7", repeating(70000, 7)},
        {"period 9", repeating(70000, 9)},
        {"half random half text", [] {
             Bytes b = random_bytes(50000, 3);
             Bytes t = text_like(90000, 4);
             b.insert(b.end(), t.begin(), t.end());
             return b;
         }()},
    };
    const int strategies[] = {Z_DEFAULT_STRATEGY, Z_FILTERED, Z_HUFFMAN_ONLY, Z_RLE, Z_FIXED};
    for (const Sample& s : samples) {
        for (int level = 0; level <= 9; ++level) {
            for (int strategy : strategies) {
                SCOPED_TRACE(std::string(s.what) + " level " + std::to_string(level) + " strategy " +
                             std::to_string(strategy));
                Bytes packed = zlib_deflate(s.data, level, strategy);
                Outcome o = inflate_all(packed);
                ASSERT_EQ(o.status, InflateStatus::kOk);
                ASSERT_TRUE(o.finished);
                ASSERT_TRUE(o.out == s.data);
                EXPECT_EQ(o.unused, 0u);
            }
        }
    }
}

// Small memory levels give many short blocks; input in odd pieces crosses every span boundary
// inside codes, stored blocks and block headers; a small `want` pauses inside blocks.
TEST(InflateOracle, PiecesAndPausesDoNotChangeTheOutput) {
    Bytes data = text_like(400000, 5);
    Bytes tail = random_bytes(30000, 6);
    data.insert(data.end(), tail.begin(), tail.end());
    for (int mem_level : {1, 9}) {
        for (int level : {0, 1, 6, 9}) {
            Bytes packed = zlib_deflate(data, level, Z_DEFAULT_STRATEGY, -15, mem_level);
            for (auto pieces : std::vector<std::vector<std::size_t>>{{1}, {7, 1, 13}, {4096, 3}, {100000}}) {
                for (std::uint64_t want : {std::uint64_t{1}, std::uint64_t{512}, UINT64_MAX}) {
                    SCOPED_TRACE("mem " + std::to_string(mem_level) + " level " + std::to_string(level) +
                                 " first piece " + std::to_string(pieces[0]) + " want " + std::to_string(want));
                    Outcome o = inflate_all(packed, pieces, want);
                    ASSERT_EQ(o.status, InflateStatus::kOk);
                    ASSERT_TRUE(o.out == data);
                }
            }
        }
    }
}

TEST(InflateOracle, ThousandSeededStreamsAtLevelsOneToNine) {
    std::mt19937 rng(77);
    for (int n = 0; n < 1000; ++n) {
        std::size_t size = rng() % 20000;
        Bytes data;
        switch (n % 4) {
            case 0: data = text_like(size, static_cast<std::uint32_t>(n)); break;
            case 1: data = random_bytes(size, static_cast<std::uint32_t>(n)); break;
            case 2: data = repeating(size, 1 + rng() % 40); break;
            default: {
                data = text_like(size, static_cast<std::uint32_t>(n));
                for (std::size_t i = 0; i < data.size(); i += 1 + rng() % 300) data[i] = static_cast<std::uint8_t>(rng());
            }
        }
        int level = 1 + n % 9;
        Bytes packed = zlib_deflate(data, level, Z_DEFAULT_STRATEGY);
        Outcome o = inflate_all(packed, {1 + rng() % 5000});
        ASSERT_EQ(o.status, InflateStatus::kOk) << "stream " << n;
        ASSERT_TRUE(o.out == data) << "stream " << n;
    }
}

// After the final block, the whole bytes that follow the stream are counted as unused, however
// the input was cut into pieces.
TEST(InflateOracle, BytesAfterTheStreamAreGivenBack) {
    for (int level : {0, 1, 9}) {
        Bytes packed = zlib_deflate(text_like(50000, 8), level, Z_DEFAULT_STRATEGY);
        std::size_t length = packed.size();
        Bytes trailer = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11};
        packed.insert(packed.end(), trailer.begin(), trailer.end());
        for (std::size_t piece : {std::size_t{1}, std::size_t{5}, std::size_t{16384}}) {
            Outcome o = inflate_all(packed, {piece});
            ASSERT_EQ(o.status, InflateStatus::kOk);
            EXPECT_EQ(o.taken - o.unused, length) << "level " << level << " piece " << piece;
        }
    }
}

// A stream cut anywhere: never more than the real data, never other bytes than the real data.
TEST(InflateOracle, TruncatedStreamsGiveAPrefixAndInputEnded) {
    Bytes data = text_like(60000, 9);
    for (int level : {0, 1, 9}) {
        Bytes packed = zlib_deflate(data, level, Z_DEFAULT_STRATEGY);
        for (std::size_t cut = 0; cut < packed.size(); cut += 1 + cut / 50) {
            Bytes part(packed.begin(), packed.begin() + static_cast<std::ptrdiff_t>(cut));
            Outcome o = inflate_all(part, {cut % 3 == 0 ? std::size_t{1} : std::size_t{4096}});
            SCOPED_TRACE("level " + std::to_string(level) + " cut " + std::to_string(cut));
            ASSERT_EQ(o.status, InflateStatus::kInputEnded);
            ASSERT_LE(o.out.size(), data.size());
            ASSERT_TRUE(std::equal(o.out.begin(), o.out.end(), data.begin()));
        }
    }
}

// zlib's own malformed-stream cases, each confirmed by zlib's message before our code is checked.
TEST(InflateOracle, ZlibMalformedStreamsGiveOurErrorCodes) {
    struct Case {
        const char* hex;
        const char* zlib_message;
        InflateStatus ours;
    };
    const Case cases[] = {
        {"6", "invalid block type", InflateStatus::kBadStructure},
        {"0 0 0 0 0", "invalid stored block lengths", InflateStatus::kBadData},
        {"fc 0 0", "too many length or distance symbols", InflateStatus::kBadData},
        {"4 0 fe ff", "invalid code lengths set", InflateStatus::kBadData},
        {"4 0 24 49 0", "invalid bit length repeat", InflateStatus::kBadData},
        {"4 0 24 e9 ff ff", "invalid bit length repeat", InflateStatus::kBadData},
        {"4 0 24 e9 ff 6d", "invalid code -- missing end-of-block", InflateStatus::kBadData},
        {"4 80 49 92 24 49 92 24 71 ff ff 93 11 0", "invalid literal/lengths set", InflateStatus::kBadStructure},
        // zlib refuses a lone distance code longer than one bit; a lone code of any length is
        // accepted here (it decodes unambiguously), so this stream reads on until its input ends.
        {"4 80 49 92 24 49 92 24 f b4 ff ff c3 84", "invalid distances set", InflateStatus::kInputEnded},
        {"4 c0 81 8 0 0 0 0 20 7f eb b 0 0", "invalid literal/length code", InflateStatus::kBadData},
        {"2 7e ff ff", "invalid distance code", InflateStatus::kBadData},
        {"c c0 81 0 0 0 0 0 90 ff 6b 4 0", "invalid distance too far back", InflateStatus::kBadData},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.zlib_message + std::string(": ") + c.hex);
        Bytes stream = from_hex(c.hex);
        ASSERT_EQ(zlib_verdict(stream), c.zlib_message);
        EXPECT_EQ(inflate_all(stream).status, c.ours);
    }
    // And two of zlib's valid ones: an empty fixed block, an empty stored block.
    for (const char* hex : {"3 0", "1 0 0 ff ff"}) {
        Bytes stream = from_hex(hex);
        ASSERT_EQ(zlib_verdict(stream), "");
        Outcome o = inflate_all(stream);
        EXPECT_EQ(o.status, InflateStatus::kOk);
        EXPECT_TRUE(o.finished);
        EXPECT_TRUE(o.out.empty());
    }
}

}  // namespace
}  // namespace kub

// libFuzzer target: our inflate over arbitrary bytes as a raw DEFLATE stream, fed in pieces whose
// sizes the input's first byte chooses, decoding block by block (with and without pauses) until
// the final block, an error that makes no progress, or the end of the input.
#include <cstddef>
#include <cstdint>
#include <span>

#include "formats/gzip/inflate.h"

namespace {

class PieceSource : public kub::InflateSource {
public:
    PieceSource(const std::uint8_t* data, std::size_t size, std::size_t piece) : data_(data), size_(size), piece_(piece) {}
    std::span<const std::uint8_t> Take() override {
        if (at_ >= size_) return {};
        std::size_t n = size_ - at_ < piece_ ? size_ - at_ : piece_;
        std::span<const std::uint8_t> out(data_ + at_, n);
        at_ += n;
        return out;
    }
    std::size_t at() const { return at_; }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t piece_;
    std::size_t at_ = 0;
};

class CountingSink : public kub::InflateSink {
public:
    void Write(std::span<const std::uint8_t> bytes) override {
        total += bytes.size();
        if (!bytes.empty()) last = bytes.back();
    }
    std::uint64_t total = 0;
    std::uint8_t last = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    std::size_t piece = 1 + (data[0] & 0x3F) * 97;
    std::uint64_t want = (data[0] & 0x40) ? 1 : UINT64_MAX;
    PieceSource source(data + 1, size - 1, piece);
    CountingSink sink;
    kub::Inflater inflater(source, sink);
    // Every block takes at least three bits, so this many calls finish any input; more means a
    // call that makes no progress.
    std::size_t limit = 8 * size + 64 + (want == 1 ? (1u << 22) : 0);
    for (std::size_t n = 0; !inflater.final_block_done(); ++n) {
        if (n > limit) __builtin_trap();
        kub::InflateStatus status = inflater.Decode(want);
        if (status == kub::InflateStatus::kInputEnded) break;
        if (status != kub::InflateStatus::kOk && inflater.input_ended()) break;
    }
    std::uint64_t unused = inflater.FinishMember();
    if (unused > source.at()) __builtin_trap();
    return 0;
}

#pragma once
// Our DEFLATE decoder (RFC 1951), used by the gzip reader to deliver a compressed tar's data.
//
// State and invariants:
// - Input arrives from an InflateSource in spans; `in_` .. `in_end_` is the unused rest of the
//   current span. Bits are taken least significant first from the 64-bit `bitbuf_`, which holds
//   `bitsleft_` valid bits; the bits above them are zero or already equal to the bits of the bytes
//   at `in_` (the fast refill loads a whole word but counts only whole bytes), so OR-ing those
//   bytes in again is harmless. Every bit of the buffer comes from a byte before `in_`.
// - When the source runs dry, zero bits are fed in; `phantom_` counts them (they are always the
//   top bits of the buffer). A symbol that consumes one of them ends decoding with kInputEnded.
// - Output goes into `window_`, linearly: `window_[0, out_)` is this member's recent output,
//   at most the last 32 KiB of it as history in front of the newest bytes, and
//   `window_[flushed_, out_)` is what the sink has not yet seen. When the window is full its new
//   bytes go to the sink and the last 32 KiB move to the front; a match never reaches before
//   `window_[0]`, so a distance beyond the member's own output is rejected, not read.
// - The decoder stops between blocks, and inside a block whenever the sink has taken what the
//   caller asked for, so memory stays flat however far one block expands.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

namespace kub {

// Results of decoding. 1 to 3 are the codes of bad data; kInputEnded is the source running dry
// inside a block.
enum class InflateStatus : int {
    kOk = 0,
    kBadData = 1,       // invalid code, incomplete code set, stored length mismatch, too many
                        // codes, a repeat past the code lengths, a distance too far back
    kBadStructure = 2,  // block type 3, over-subscribed code lengths
    kNoMemory = 3,
    kInputEnded = 4,
};

class InflateSource {
public:
    virtual ~InflateSource() = default;
    // The next input bytes; empty when there are no more. The span stays valid until the next
    // call.
    virtual std::span<const std::uint8_t> Take() = 0;
};

class InflateSink {
public:
    virtual ~InflateSink() = default;
    virtual void Write(std::span<const std::uint8_t> bytes) = 0;
};

class Inflater {
public:
    Inflater(InflateSource& source, InflateSink& sink);
    ~Inflater();
    Inflater(const Inflater&) = delete;
    Inflater& operator=(const Inflater&) = delete;

    // Decodes until the current block ends, or until at least `want` bytes went to the sink since
    // the call (then the block goes on at the next call). After an error the next call starts a
    // block header at the current bit position.
    InflateStatus Decode(std::uint64_t want);

    // The last block of the member has ended.
    bool final_block_done() const { return final_done_; }
    // The source gave no more bytes when some were wanted.
    bool input_ended() const { return input_ended_; }

    // Hands every decoded byte the sink has not seen to it.
    void Flush();

    // Ends a member: flushes, drops the bits of the current byte and returns how many whole bytes
    // were taken from the source but not used (to be given back to it). The decoder then starts
    // afresh: empty window and bit buffer, no final block seen.
    std::uint64_t FinishMember();

private:
    enum class State { kHeader, kStored, kHuffman };

    InflateStatus DecodeHeader();
    InflateStatus DecodeDynamicTables();
    InflateStatus DecodeStored(std::uint64_t want);
    InflateStatus DecodeHuffman(std::uint64_t want);
    bool FastLoop(InflateStatus& status, bool& block_end);

    // Bit access of the careful path.
    bool PullByte();
    void Need(unsigned n);
    std::uint32_t Bits(unsigned n) const {
        return static_cast<std::uint32_t>(bitbuf_ & ((std::uint64_t{1} << n) - 1));
    }
    void Drop(unsigned n);
    std::uint32_t DecodeSymbol(const std::uint32_t* table, unsigned root);

    void MakeRoom(std::size_t n);

    InflateSource& source_;
    InflateSink& sink_;
    const std::uint8_t* in_ = nullptr;
    const std::uint8_t* in_end_ = nullptr;
    std::uint64_t bitbuf_ = 0;
    unsigned bitsleft_ = 0;
    unsigned phantom_ = 0;
    bool truncated_ = false;
    bool input_ended_ = false;

    std::unique_ptr<std::uint8_t[]> window_;
    std::size_t out_ = 0;
    std::size_t flushed_ = 0;
    std::uint64_t sink_total_ = 0;

    State state_ = State::kHeader;
    bool final_block_ = false;
    bool final_done_ = false;
    std::uint32_t stored_left_ = 0;

    // The Huffman tables of the current block (the fixed ones are shared).
    const std::uint32_t* litlen_ = nullptr;
    const std::uint32_t* dist_ = nullptr;
    unsigned litlen_root_ = 0;
    unsigned dist_root_ = 0;
    std::unique_ptr<std::uint32_t[]> dynamic_litlen_;
    std::unique_ptr<std::uint32_t[]> dynamic_dist_;
};

// Builds a decoding table from code lengths (exposed for the tests). `kind` 0 literal/length,
// 1 distance, 2 code-length code. Returns the status a block with these lengths gets and the
// first-level width in `root`.
InflateStatus BuildInflateTable(int kind, const std::uint8_t* lengths, unsigned count,
                                unsigned nominal_root, std::uint32_t* table, std::size_t capacity,
                                unsigned& root);

}  // namespace kub

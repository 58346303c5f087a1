#include "formats/gzip/inflate.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace kub {

namespace {

// The window: 32 KiB of history in front of up to 96 KiB of new output, and room behind for the
// fast loop's whole-word stores past the end of a match.
constexpr std::size_t kHistory = 32768;
constexpr std::size_t kWindowLimit = 4 * kHistory;
constexpr std::size_t kMaxMatch = 258;
constexpr std::size_t kWordSlack = 8;
constexpr std::size_t kWindowAllocation = kWindowLimit + kWordSlack + kMaxMatch;

// First-level widths of the tables, and the table sizes they need at most (the subtables of a
// complete code over the given number of symbols, as zlib's "enough" counts them, rounded up).
constexpr unsigned kDynamicLitLenRoot = 9;
constexpr unsigned kDynamicDistRoot = 6;
constexpr unsigned kFixedLitLenRoot = 7;
constexpr unsigned kFixedDistRoot = 5;
constexpr unsigned kCodeLengthRoot = 7;
constexpr std::size_t kLitLenTableSize = 1024;  // 852 needed with a 9-bit first level
constexpr std::size_t kDistTableSize = 640;     // 592 needed with a 6-bit first level
constexpr std::size_t kCodeLengthTableSize = 128;

constexpr unsigned kMaxLitLenCodes = 286;
constexpr unsigned kMaxDistCodes = 30;
constexpr unsigned kEndOfBlock = 256;

// A table entry: bits 0-3 the bits the code takes (for a subtable link: the first-level width),
// bits 4-7 the kind, bits 8-15 extra bits (for a link: the subtable's width), bits 16-31 the value
// (literal, base, or the subtable's offset).
enum EntryKind : unsigned { kLiteral = 0, kBase = 1, kEnd = 2, kLink = 3, kInvalid = 4 };

constexpr std::uint32_t entry(unsigned kind, unsigned extra, unsigned value) {
    return (value << 16) | (extra << 8) | (kind << 4);
}
constexpr unsigned entry_bits(std::uint32_t e) { return e & 0xF; }
constexpr unsigned entry_kind(std::uint32_t e) { return (e >> 4) & 0xF; }
constexpr unsigned entry_extra(std::uint32_t e) { return (e >> 8) & 0xFF; }
constexpr unsigned entry_value(std::uint32_t e) { return e >> 16; }

constexpr std::uint16_t kLengthBase[29] = {3,  4,  5,  6,  7,  8,  9,  10, 11,  13,  15,  17,  19,  23, 27,
                                           31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
constexpr std::uint8_t kLengthExtra[29] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                           2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
constexpr std::uint16_t kDistBase[30] = {1,    2,    3,    4,    5,    7,     9,     13,    17,  25,
                                         33,   49,   65,   97,   129,  193,   257,   385,   513, 769,
                                         1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
constexpr std::uint8_t kDistExtra[30] = {0, 0, 0, 0, 1, 1, 2, 2,  3,  3,  4,  4,  5,  5,  6,
                                         6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13};
constexpr std::uint8_t kCodeLengthOrder[19] = {16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3, 13, 2, 14, 1, 15};

std::uint32_t symbol_entry(int kind, unsigned symbol) {
    switch (kind) {
        case 0:
            if (symbol < 256) return entry(kLiteral, 0, symbol);
            if (symbol == kEndOfBlock) return entry(kEnd, 0, 0);
            if (symbol - 257 < 29) return entry(kBase, kLengthExtra[symbol - 257], kLengthBase[symbol - 257]);
            return entry(kInvalid, 0, 0);
        case 1:
            if (symbol < 30) return entry(kBase, kDistExtra[symbol], kDistBase[symbol]);
            return entry(kInvalid, 0, 0);
        default:
            return entry(kLiteral, 0, symbol);
    }
}

unsigned reverse_bits(unsigned code, unsigned length) {
    unsigned reversed = 0;
    for (unsigned i = 0; i < length; ++i) {
        reversed = (reversed << 1) | (code & 1);
        code >>= 1;
    }
    return reversed;
}

inline std::uint64_t load_le64(const std::uint8_t* p) {
    std::uint64_t v;
    std::memcpy(&v, p, 8);
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
    v = __builtin_bswap64(v);
#endif
    return v;
}

struct FixedTables {
    std::uint32_t litlen[kLitLenTableSize];
    std::uint32_t dist[64];
    unsigned litlen_root = 0;
    unsigned dist_root = 0;
    FixedTables() {
        std::uint8_t lengths[288];
        std::fill(lengths, lengths + 144, 8);
        std::fill(lengths + 144, lengths + 256, 9);
        std::fill(lengths + 256, lengths + 280, 7);
        std::fill(lengths + 280, lengths + 288, 8);
        BuildInflateTable(0, lengths, 288, kFixedLitLenRoot, litlen, kLitLenTableSize, litlen_root);
        // All 32 five-bit codes, so the code is complete; 30 and 31 decode as invalid.
        std::uint8_t dist_lengths[32];
        std::fill(dist_lengths, dist_lengths + 32, 5);
        BuildInflateTable(1, dist_lengths, 32, kFixedDistRoot, dist, 64, dist_root);
    }
};

const FixedTables& fixed_tables() {
    static const FixedTables tables;
    return tables;
}

}  // namespace

InflateStatus BuildInflateTable(int kind, const std::uint8_t* lengths, unsigned count,
                                unsigned nominal_root, std::uint32_t* table, std::size_t capacity,
                                unsigned& root) {
    unsigned counts[16] = {};
    for (unsigned i = 0; i < count; ++i) counts[lengths[i] & 15]++;
    counts[0] = 0;
    unsigned total = 0, min_length = 0, max_length = 0;
    for (unsigned len = 1; len <= 15; ++len) {
        if (counts[len] == 0) continue;
        total += counts[len];
        if (min_length == 0) min_length = len;
        max_length = len;
    }
    if (total == 0) {
        // No codes at all: every lookup is invalid. Allowed for distances (a block of literals).
        root = 1;
        table[0] = table[1] = entry(kInvalid, 0, 0);
        return kind == 1 ? InflateStatus::kOk : InflateStatus::kBadData;
    }
    int left = 1;
    for (unsigned len = 1; len <= 15; ++len) {
        left <<= 1;
        left -= static_cast<int>(counts[len]);
        if (left < 0) return InflateStatus::kBadStructure;
    }
    if (left > 0 && total != 1) return InflateStatus::kBadData;

    root = std::max(std::min(nominal_root, max_length), min_length);
    std::size_t used = std::size_t{1} << root;
    if (used > capacity) return InflateStatus::kNoMemory;
    std::fill(table, table + used, entry(kInvalid, 0, 0));

    // Symbols sorted by code length, then value: canonical code order.
    std::uint16_t sorted[320];
    unsigned offsets[17] = {};
    for (unsigned len = 1; len <= 15; ++len) offsets[len + 1] = offsets[len] + counts[len];
    for (unsigned i = 0; i < count; ++i)
        if (lengths[i] != 0) sorted[offsets[lengths[i]]++] = static_cast<std::uint16_t>(i);
    unsigned next_code[16] = {};
    for (unsigned len = 1, code = 0; len <= 15; ++len) {
        code = (code + counts[len - 1]) << 1;
        next_code[len] = code;
    }

    unsigned remaining[16];
    std::copy(counts, counts + 16, remaining);
    unsigned current_prefix = ~0u, sub_offset = 0, sub_bits = 0;
    for (unsigned n = 0; n < total; ++n) {
        unsigned symbol = sorted[n];
        unsigned len = lengths[symbol];
        unsigned reversed = reverse_bits(next_code[len]++, len);
        std::uint32_t value = symbol_entry(kind, symbol);
        if (len <= root) {
            for (unsigned i = reversed; i < (1u << root); i += 1u << len) table[i] = value | len;
        } else {
            unsigned prefix = reversed & ((1u << root) - 1);
            if (prefix != current_prefix) {
                // Wide enough for every code that shares this prefix.
                unsigned width = len - root;
                int room = 1 << width;
                while (width + root < max_length) {
                    room -= static_cast<int>(remaining[width + root]);
                    if (room <= 0) break;
                    ++width;
                    room <<= 1;
                }
                sub_bits = width;
                if (used + (std::size_t{1} << sub_bits) > capacity) return InflateStatus::kNoMemory;
                sub_offset = static_cast<unsigned>(used);
                used += std::size_t{1} << sub_bits;
                std::fill(table + sub_offset, table + used, entry(kInvalid, 0, 0));
                table[prefix] = entry(kLink, sub_bits, sub_offset) | root;
                current_prefix = prefix;
            }
            unsigned rest = len - root;
            if (rest > sub_bits) return InflateStatus::kBadData;
            for (unsigned i = reversed >> root; i < (1u << sub_bits); i += 1u << rest)
                table[sub_offset + i] = value | rest;
        }
        remaining[len]--;
    }
    return InflateStatus::kOk;
}

Inflater::Inflater(InflateSource& source, InflateSink& sink)
    : source_(source),
      sink_(sink),
      window_(new std::uint8_t[kWindowAllocation]()),
      dynamic_litlen_(new std::uint32_t[kLitLenTableSize]),
      dynamic_dist_(new std::uint32_t[kDistTableSize]) {}

Inflater::~Inflater() = default;

bool Inflater::PullByte() {
    if (in_ == in_end_ && !input_ended_) {
        std::span<const std::uint8_t> next = source_.Take();
        if (next.empty()) {
            input_ended_ = true;
        } else {
            in_ = next.data();
            in_end_ = in_ + next.size();
        }
    }
    if (in_ != in_end_) {
        bitbuf_ |= std::uint64_t{*in_++} << bitsleft_;
        bitsleft_ += 8;
        return true;
    }
    // Zero bits stand in for the missing input; consuming one of them marks the data truncated.
    phantom_ += 8;
    bitsleft_ += 8;
    return false;
}

void Inflater::Need(unsigned n) {
    while (bitsleft_ < n) PullByte();
}

void Inflater::Drop(unsigned n) {
    bitbuf_ >>= n;
    bitsleft_ -= n;
    if (bitsleft_ < phantom_) {
        phantom_ = bitsleft_;
        truncated_ = true;
    }
}

std::uint32_t Inflater::DecodeSymbol(const std::uint32_t* table, unsigned root) {
    Need(15);
    std::uint32_t e = table[Bits(root)];
    if (entry_kind(e) == kLink) {
        Drop(entry_bits(e));
        e = table[entry_value(e) + Bits(entry_extra(e))];
    }
    Drop(entry_bits(e));
    return e;
}

void Inflater::Flush() {
    if (out_ > flushed_) {
        sink_.Write(std::span<const std::uint8_t>(window_.get() + flushed_, out_ - flushed_));
        sink_total_ += out_ - flushed_;
    }
    flushed_ = out_;
}

void Inflater::MakeRoom(std::size_t n) {
    if (out_ + n <= kWindowLimit) return;
    Flush();
    std::size_t keep = std::min(out_, kHistory);
    std::memmove(window_.get(), window_.get() + out_ - keep, keep);
    out_ = keep;
    flushed_ = keep;
}

InflateStatus Inflater::Decode(std::uint64_t want) {
    if (truncated_) return InflateStatus::kInputEnded;
    std::uint64_t goal = want > UINT64_MAX - sink_total_ ? UINT64_MAX : sink_total_ + want;
    InflateStatus status = InflateStatus::kOk;
    if (state_ == State::kHeader) {
        if (final_done_) return InflateStatus::kOk;
        status = DecodeHeader();
    }
    if (status == InflateStatus::kOk) {
        status = state_ == State::kStored ? DecodeStored(goal) : DecodeHuffman(goal);
    }
    if (status != InflateStatus::kOk) {
        // What was decoded before the damage is delivered; the next call reads a block header.
        Flush();
        state_ = State::kHeader;
    }
    return status;
}

InflateStatus Inflater::DecodeHeader() {
    Need(3);
    unsigned header = Bits(3);
    Drop(3);
    if (truncated_) return InflateStatus::kInputEnded;
    final_block_ = (header & 1) != 0;
    switch (header >> 1) {
        case 0: {
            Drop(bitsleft_ & 7);
            Need(32);
            std::uint32_t lengths = Bits(32);
            Drop(32);
            if (truncated_) return InflateStatus::kInputEnded;
            std::uint32_t len = lengths & 0xFFFF, nlen = lengths >> 16;
            if ((len ^ nlen) != 0xFFFF) return InflateStatus::kBadData;
            stored_left_ = len;
            state_ = State::kStored;
            return InflateStatus::kOk;
        }
        case 1: {
            const FixedTables& fixed = fixed_tables();
            litlen_ = fixed.litlen;
            litlen_root_ = fixed.litlen_root;
            dist_ = fixed.dist;
            dist_root_ = fixed.dist_root;
            state_ = State::kHuffman;
            return InflateStatus::kOk;
        }
        case 2: {
            InflateStatus status = DecodeDynamicTables();
            if (status == InflateStatus::kOk) state_ = State::kHuffman;
            return status;
        }
        default:
            return InflateStatus::kBadStructure;
    }
}

InflateStatus Inflater::DecodeDynamicTables() {
    Need(14);
    unsigned hlit = Bits(5) + 257;
    Drop(5);
    unsigned hdist = Bits(5) + 1;
    Drop(5);
    unsigned hclen = Bits(4) + 4;
    Drop(4);
    if (truncated_) return InflateStatus::kInputEnded;
    if (hlit > kMaxLitLenCodes || hdist > kMaxDistCodes) return InflateStatus::kBadData;

    std::uint8_t code_length_lengths[19] = {};
    for (unsigned i = 0; i < hclen; ++i) {
        Need(3);
        code_length_lengths[kCodeLengthOrder[i]] = static_cast<std::uint8_t>(Bits(3));
        Drop(3);
    }
    if (truncated_) return InflateStatus::kInputEnded;
    std::uint32_t code_length_table[kCodeLengthTableSize];
    unsigned code_length_root = 0;
    InflateStatus status = BuildInflateTable(2, code_length_lengths, 19, kCodeLengthRoot,
                                             code_length_table, kCodeLengthTableSize, code_length_root);
    if (status != InflateStatus::kOk) return status;

    std::uint8_t lengths[kMaxLitLenCodes + kMaxDistCodes] = {};
    unsigned total = hlit + hdist;
    for (unsigned i = 0; i < total;) {
        std::uint32_t e = DecodeSymbol(code_length_table, code_length_root);
        if (truncated_) return InflateStatus::kInputEnded;
        if (entry_kind(e) != kLiteral) return InflateStatus::kBadData;
        unsigned symbol = entry_value(e);
        if (symbol < 16) {
            lengths[i++] = static_cast<std::uint8_t>(symbol);
            continue;
        }
        std::uint8_t repeated = 0;
        unsigned times = 0;
        if (symbol == 16) {
            if (i == 0) return InflateStatus::kBadData;
            repeated = lengths[i - 1];
            Need(2);
            times = 3 + Bits(2);
            Drop(2);
        } else if (symbol == 17) {
            Need(3);
            times = 3 + Bits(3);
            Drop(3);
        } else {
            Need(7);
            times = 11 + Bits(7);
            Drop(7);
        }
        if (truncated_) return InflateStatus::kInputEnded;
        if (times > total - i) return InflateStatus::kBadData;
        std::fill(lengths + i, lengths + i + times, repeated);
        i += times;
    }
    if (lengths[kEndOfBlock] == 0) return InflateStatus::kBadData;

    status = BuildInflateTable(0, lengths, hlit, kDynamicLitLenRoot, dynamic_litlen_.get(),
                               kLitLenTableSize, litlen_root_);
    if (status != InflateStatus::kOk) return status;
    status = BuildInflateTable(1, lengths + hlit, hdist, kDynamicDistRoot, dynamic_dist_.get(),
                               kDistTableSize, dist_root_);
    if (status != InflateStatus::kOk) return status;
    litlen_ = dynamic_litlen_.get();
    dist_ = dynamic_dist_.get();
    return InflateStatus::kOk;
}

InflateStatus Inflater::DecodeStored(std::uint64_t goal) {
    while (stored_left_ > 0) {
        if (out_ == kWindowLimit) {
            MakeRoom(1);
            if (sink_total_ >= goal) return InflateStatus::kOk;
        }
        if (bitsleft_ != 0) {
            // Whole bytes still in the bit buffer come first (the header left it byte-aligned).
            if (bitsleft_ - phantom_ < 8) {
                truncated_ = true;
                return InflateStatus::kInputEnded;
            }
            window_[out_++] = static_cast<std::uint8_t>(bitbuf_);
            Drop(8);
            --stored_left_;
            continue;
        }
        // The buffer is empty: its stale upper bits must not be OR-ed with later bytes.
        bitbuf_ = 0;
        if (in_ == in_end_) {
            std::span<const std::uint8_t> next = input_ended_ ? std::span<const std::uint8_t>() : source_.Take();
            if (next.empty()) {
                input_ended_ = true;
                truncated_ = true;
                return InflateStatus::kInputEnded;
            }
            in_ = next.data();
            in_end_ = in_ + next.size();
        }
        std::size_t n = std::min<std::size_t>({stored_left_, static_cast<std::size_t>(in_end_ - in_),
                                                kWindowLimit - out_});
        std::memcpy(window_.get() + out_, in_, n);
        in_ += n;
        out_ += n;
        stored_left_ -= static_cast<std::uint32_t>(n);
    }
    state_ = State::kHeader;
    final_done_ = final_block_;
    return InflateStatus::kOk;
}

// The loop for the bulk of the data, while at least a word of input and a longest match of
// window are at hand. One refill gives at least 56 bits, enough for a length/distance pair
// (15 + 5 + 15 + 13 bits). Locals, not members: stores through the window's bytes could alias
// them and force reloads.
bool Inflater::FastLoop(InflateStatus& status, bool& block_end) {
    std::uint64_t bb = bitbuf_;
    unsigned bl = bitsleft_;
    const std::uint8_t* in = in_;
    const std::uint8_t* const in_end = in_end_;
    std::uint8_t* const base = window_.get();
    std::uint8_t* out = base + out_;
    std::uint8_t* const out_limit = base + kWindowLimit - kMaxMatch - kWordSlack;
    const std::uint32_t* const lit = litlen_;
    const std::uint32_t* const dist = dist_;
    const std::uint64_t lit_mask = (std::uint64_t{1} << litlen_root_) - 1;
    const std::uint64_t dist_mask = (std::uint64_t{1} << dist_root_) - 1;
    bool ok = true;

    while (static_cast<std::size_t>(in_end - in) >= 8 && out <= out_limit) {
        bb |= load_le64(in) << bl;
        in += (63 - bl) >> 3;
        bl |= 56;

        std::uint32_t e = lit[bb & lit_mask];
        if (entry_kind(e) == kLink) {
            bb >>= entry_bits(e);
            bl -= entry_bits(e);
            e = lit[entry_value(e) + (bb & ((1u << entry_extra(e)) - 1))];
        }
        bb >>= entry_bits(e);
        bl -= entry_bits(e);
        unsigned kind = entry_kind(e);
        if (kind == kLiteral) {
            *out++ = static_cast<std::uint8_t>(entry_value(e));
            // A second literal fits in what is left of the refill.
            e = lit[bb & lit_mask];
            if (entry_kind(e) != kLiteral) continue;
            bb >>= entry_bits(e);
            bl -= entry_bits(e);
            *out++ = static_cast<std::uint8_t>(entry_value(e));
            continue;
        }
        if (kind != kBase) {
            if (kind == kEnd) {
                block_end = true;
            } else {
                status = InflateStatus::kBadData;
                ok = false;
            }
            break;
        }
        unsigned extra = entry_extra(e);
        std::size_t length = entry_value(e) + static_cast<std::size_t>(bb & ((1u << extra) - 1));
        bb >>= extra;
        bl -= extra;

        e = dist[bb & dist_mask];
        if (entry_kind(e) == kLink) {
            bb >>= entry_bits(e);
            bl -= entry_bits(e);
            e = dist[entry_value(e) + (bb & ((1u << entry_extra(e)) - 1))];
        }
        bb >>= entry_bits(e);
        bl -= entry_bits(e);
        if (entry_kind(e) != kBase) {
            status = InflateStatus::kBadData;
            ok = false;
            break;
        }
        extra = entry_extra(e);
        std::size_t distance = entry_value(e) + static_cast<std::size_t>(bb & ((1u << extra) - 1));
        bb >>= extra;
        bl -= extra;
        if (distance > static_cast<std::size_t>(out - base)) {
            status = InflateStatus::kBadData;
            ok = false;
            break;
        }

        const std::uint8_t* src = out - distance;
        std::uint8_t* const end = out + length;
        if (distance >= kWordSlack) {
            // Whole words; the last may run up to 7 bytes past the match into the slack.
            do {
                std::memcpy(out, src, 8);
                out += 8;
                src += 8;
            } while (out < end);
        } else if (distance == 1) {
            std::memset(out, *src, length);
        } else {
            do {
                *out++ = *src++;
            } while (out < end);
        }
        out = end;
    }

    bitbuf_ = bb;
    bitsleft_ = bl;
    in_ = in;
    out_ = static_cast<std::size_t>(out - base);
    return ok;
}

InflateStatus Inflater::DecodeHuffman(std::uint64_t goal) {
    for (;;) {
        if (out_ + kMaxMatch + kWordSlack > kWindowLimit) {
            MakeRoom(kMaxMatch + kWordSlack);
            if (sink_total_ >= goal) return InflateStatus::kOk;
        }
        if (!input_ended_ && in_end_ - in_ >= 8) {
            InflateStatus status = InflateStatus::kOk;
            bool block_end = false;
            if (!FastLoop(status, block_end)) return status;
            if (block_end) break;
            continue;
        }
        // Near the end of the input: one symbol at a time, a byte at a time.
        std::uint32_t e = DecodeSymbol(litlen_, litlen_root_);
        if (truncated_) return InflateStatus::kInputEnded;
        unsigned kind = entry_kind(e);
        if (kind == kLiteral) {
            window_[out_++] = static_cast<std::uint8_t>(entry_value(e));
            continue;
        }
        if (kind == kEnd) break;
        if (kind != kBase) return InflateStatus::kBadData;
        Need(5);
        std::size_t length = entry_value(e) + Bits(entry_extra(e));
        Drop(entry_extra(e));
        e = DecodeSymbol(dist_, dist_root_);
        if (entry_kind(e) != kBase) return truncated_ ? InflateStatus::kInputEnded : InflateStatus::kBadData;
        Need(13);
        std::size_t distance = entry_value(e) + Bits(entry_extra(e));
        Drop(entry_extra(e));
        if (truncated_) return InflateStatus::kInputEnded;
        if (distance > out_) return InflateStatus::kBadData;
        std::uint8_t* w = window_.get();
        for (std::size_t i = 0; i < length; ++i, ++out_) w[out_] = w[out_ - distance];
    }
    state_ = State::kHeader;
    final_done_ = final_block_;
    return InflateStatus::kOk;
}

std::uint64_t Inflater::FinishMember() {
    Flush();
    Drop(bitsleft_ & 7);
    std::uint64_t unused = (bitsleft_ - std::min(bitsleft_, phantom_)) / 8 +
                           static_cast<std::uint64_t>(in_end_ - in_);
    bitbuf_ = 0;
    bitsleft_ = 0;
    phantom_ = 0;
    truncated_ = false;
    in_ = in_end_ = nullptr;
    out_ = flushed_ = 0;
    state_ = State::kHeader;
    final_block_ = final_done_ = false;
    return unused;
}

}  // namespace kub

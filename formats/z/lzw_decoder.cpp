#include "formats/z/lzw_decoder.h"

#include <algorithm>
#include <cstring>

namespace kub {

namespace {

constexpr std::uint32_t kClearCode = 256;
constexpr std::size_t kFlushMark = 8182;  // staged bytes beyond this are handed on

}  // namespace

LzwDecoder::LzwDecoder(int max_width, bool block_mode)
    : max_width_(max_width),
      block_mode_(block_mode),
      largest_code_(1u << max_width),
      prefix_(1u << kMaxWidth, 0),
      suffix_(1u << kMaxWidth, 0),
      stack_(kStackSize),
      free_code_(block_mode ? 257 : 256) {
    for (std::uint32_t i = 0; i < 256; ++i) suffix_[i] = static_cast<std::uint8_t>(i);
}

int LzwDecoder::ReadCode(LzwInput& input) {
    if (clear_pending_ || bit_offset_ >= group_bits_ || free_code_ > width_limit_) {
        if (free_code_ > width_limit_) {
            ++width_;
            width_limit_ = width_ == max_width_ ? largest_code_ : (1u << width_) - 1;
        }
        if (clear_pending_) {
            width_ = kMinWidth;
            width_limit_ = (1u << kMinWidth) - 1;
            clear_pending_ = false;
        }
        // The width stays within 16 bits: at the header's maximum the limit is the largest code,
        // beyond which no entry is defined (a maximum of 9 grows once, to 10, as compress does).
        std::size_t got = input.ReadGroup(std::span<std::uint8_t>(group_.data(), static_cast<std::size_t>(width_)));
        if (got == 0) return -1;
        bit_offset_ = 0;
        // Only whole codes: the last bits of a short group are padding.
        group_bits_ = static_cast<int>(got) * 8 - (width_ - 1);
    }
    int byte = bit_offset_ >> 3;
    std::uint32_t bits = static_cast<std::uint32_t>(group_[byte]) | static_cast<std::uint32_t>(group_[byte + 1]) << 8 |
                         static_cast<std::uint32_t>(group_[byte + 2]) << 16;
    std::uint32_t code = (bits >> (bit_offset_ & 7)) & ((1u << width_) - 1);
    bit_offset_ += width_;
    return static_cast<int>(code);
}

bool LzwDecoder::Flush(LzwOutput& output) {
    if (staged_ == 0) return true;
    bool ok = output.Write(std::span<const std::uint8_t>(staging_.data(), staged_));
    written_in_run_ += staged_;
    staged_ = 0;
    return ok;
}

bool LzwDecoder::Put(std::uint8_t byte, LzwOutput& output) {
    staging_[staged_++] = byte;
    return staged_ <= kFlushMark || Flush(output);
}

bool LzwDecoder::PutString(std::span<const std::uint8_t> bytes, LzwOutput& output) {
    while (!bytes.empty()) {
        std::size_t n = std::min(bytes.size(), staging_.size() - staged_);
        std::memcpy(staging_.data() + staged_, bytes.data(), n);
        staged_ += n;
        bytes = bytes.subspan(n);
        if (staged_ > kFlushMark && !Flush(output)) return false;
    }
    return true;
}

LzwStatus LzwDecoder::Run(LzwInput& input, LzwOutput& output) {
    if (ended_) return LzwStatus::kEnded;
    written_in_run_ = 0;
    auto finish = [&](LzwStatus status) {
        ended_ = true;
        if (!Flush(output) && status == LzwStatus::kEnded) status = LzwStatus::kOutputFailed;
        return status;
    };
    if (!started_) {
        started_ = true;
        int code = ReadCode(input);
        if (code < 0) return finish(LzwStatus::kEnded);
        previous_code_ = static_cast<std::uint32_t>(code);
        first_byte_ = static_cast<std::uint8_t>(code);
        if (!Put(first_byte_, output)) return finish(LzwStatus::kOutputFailed);
    }
    for (std::size_t n = 0; n < kCodesPerRun && written_in_run_ < kBytesPerRun; ++n) {
        int read = ReadCode(input);
        if (read < 0) return finish(LzwStatus::kEnded);
        std::uint32_t code = static_cast<std::uint32_t>(read);
        if (code == kClearCode && block_mode_) {
            for (std::uint32_t i = 0; i < 256; ++i) prefix_[i] = 0;
            clear_pending_ = true;
            free_code_ = 256;
            read = ReadCode(input);
            if (read < 0) return finish(LzwStatus::kTruncatedAtClear);
            code = static_cast<std::uint32_t>(read);
        }
        std::uint32_t incoming = code;
        // The string is spelled from its last byte backwards, from the top of the stack down,
        // so that it lies in order in stack_[top, end) and is copied out in one piece.
        std::size_t top = stack_.size();
        if (code >= free_code_) {
            // KwKwK: the code being defined right now is the previous string plus its first byte.
            stack_[--top] = first_byte_;
            code = previous_code_;
        }
        while (code >= 256) {
            if (top == 0) return finish(LzwStatus::kCorrupt);
            stack_[--top] = suffix_[code];
            code = prefix_[code];
        }
        if (top == 0) return finish(LzwStatus::kCorrupt);
        first_byte_ = suffix_[code];
        stack_[--top] = first_byte_;
        if (!PutString(std::span<const std::uint8_t>(stack_.data() + top, stack_.size() - top), output))
            return finish(LzwStatus::kOutputFailed);
        if (free_code_ < largest_code_) {
            prefix_[free_code_] = static_cast<std::uint16_t>(previous_code_);
            suffix_[free_code_] = first_byte_;
            ++free_code_;
        }
        previous_code_ = incoming;
    }
    if (!Flush(output)) return finish(LzwStatus::kOutputFailed);
    return LzwStatus::kMore;
}

}  // namespace kub

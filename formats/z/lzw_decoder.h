#pragma once
// The LZW decoder of the compress format: codes of 9 up to 16 bits, least significant bit first,
// read in groups of `width` bytes (eight codes); a group is abandoned when the width grows or a
// clear code comes. In block mode code 256 clears the table and the first free code is 257.
//
// State: the table maps a code >= 256 to (prefix code, suffix byte); codes below 256 are the
// bytes themselves. `free_code_` is the next entry to define; `previous_code_` the code decoded
// last and `first_byte_` the first byte of its string. A string is spelled backwards onto
// `stack_`, whose bound stops prefix chains that loop (only damaged data makes them).
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace kub {

// Where the decoder takes its code groups from.
class LzwInput {
public:
    // Up to `out.size()` bytes; 0 at the end of the data or on a failure.
    virtual std::size_t ReadGroup(std::span<std::uint8_t> out) = 0;

protected:
    ~LzwInput() = default;
};

// Where the decoded bytes go. False when they could not be kept (no memory): decoding stops.
class LzwOutput {
public:
    virtual bool Write(std::span<const std::uint8_t> bytes) = 0;

protected:
    ~LzwOutput() = default;
};

enum class LzwStatus {
    kMore,              // the run ended after its share of codes; more may follow
    kEnded,             // the codes ended
    kTruncatedAtClear,  // the data ended right after a clear code
    kCorrupt,           // a prefix chain ran past the stack
    kOutputFailed,      // the output refused the bytes
};

class LzwDecoder {
public:
    static constexpr int kMinWidth = 9;
    static constexpr int kMaxWidth = 16;
    static constexpr std::size_t kCodesPerRun = 8193;
    // A run also stops once it has written this much, so one call holds memory to a bound
    // however far the codes expand.
    static constexpr std::size_t kBytesPerRun = 1024 * 1024;
    static constexpr std::size_t kStagingSize = 8192;
    static constexpr std::size_t kStackSize = 1u << 16;

    // `max_width` from the header, kMinWidth to kMaxWidth (the caller checks).
    LzwDecoder(int max_width, bool block_mode);

    // Decodes up to kCodesPerRun codes into `output`.
    LzwStatus Run(LzwInput& input, LzwOutput& output);

private:
    int ReadCode(LzwInput& input);
    bool Put(std::uint8_t byte, LzwOutput& output);
    bool PutString(std::span<const std::uint8_t> bytes, LzwOutput& output);
    bool Flush(LzwOutput& output);

    int max_width_;
    bool block_mode_;
    std::uint32_t largest_code_;  // 1 shl max_width: no entry is defined at or above it

    std::vector<std::uint16_t> prefix_;
    std::vector<std::uint8_t> suffix_;
    std::vector<std::uint8_t> stack_;
    std::uint32_t free_code_;
    std::uint32_t previous_code_ = 0;
    std::uint8_t first_byte_ = 0;
    bool started_ = false;
    bool ended_ = false;

    // Code reader.
    int width_ = kMinWidth;
    std::uint32_t width_limit_ = (1u << kMinWidth) - 1;  // the largest code of this width
    std::array<std::uint8_t, kMaxWidth + 2> group_{};  // two bytes of slack for the bit reader
    int group_bits_ = 0;
    int bit_offset_ = 0;
    bool clear_pending_ = false;

    std::array<std::uint8_t, kStagingSize> staging_{};
    std::size_t staged_ = 0;
    std::size_t written_in_run_ = 0;
};

}  // namespace kub

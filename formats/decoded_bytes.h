#pragma once
// The bytes a stream decoder produced and a reader has not yet delivered: the decoder appends,
// reads take from the front. `[read_offset_, size)` waits; the delivered front is let go once it
// passes a threshold, so the buffer holds about one read plus what one decoding step adds.
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace kub {

class DecodedBytes {
public:
    // Appends decoded bytes; false when no memory could be had for them.
    bool Append(std::span<const std::uint8_t> bytes);
    // Hands out up to `count` waiting bytes into `out` (dropped when `out` is null); returns how
    // many.
    std::size_t Deliver(std::uint8_t* out, std::size_t count);
    // Counts bytes passed over without ever being kept (skipped data).
    void CountDropped(std::uint64_t count) { delivered_ += count; }

    std::size_t waiting() const { return bytes_.size() - read_offset_; }
    // Bytes delivered (or dropped) since the count last started over.
    std::uint64_t delivered() const { return delivered_; }
    // Whether anything was ever decoded into it since the count started over.
    bool used() const { return bytes_.capacity() != 0 || delivered_ != 0; }

    // Gives back the memory; the count goes on.
    void Release();
    // Gives back the memory and starts the count over.
    void StartOver() {
        Release();
        delivered_ = 0;
    }

private:
    std::vector<std::uint8_t> bytes_;
    std::size_t read_offset_ = 0;
    std::uint64_t delivered_ = 0;
};

}  // namespace kub

#pragma once
// The search that every reader's signature scan of the head starts with: the next position of
// one byte, at memory speed. Readers look for a byte of their signature this way and check the
// rest only where it stands, so refusing a file costs a pass over the head per reader.
#include <cstddef>
#include <cstdint>

namespace kub {

// The first of the `size` bytes from `data` that equals `value`, or nullptr: memchr's contract.
// The Windows build runs its own vector loop, as the C run-time it links searches a byte at a
// time (under Wine, ten times slower than the rest of the detection); elsewhere it is memchr.
const std::uint8_t* find_byte(const std::uint8_t* data, std::uint8_t value, std::size_t size);

// The vector loop itself, on every build so the tests reach it.
const std::uint8_t* find_byte_vector(const std::uint8_t* data, std::uint8_t value,
                                     std::size_t size);

}  // namespace kub

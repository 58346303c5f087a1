#pragma once
// The buffers that file heads are read into, kept for the next analysis. A fresh MiB costs more
// than the whole detection: the allocator maps it anew and every page faults in on the first
// read, which under Wine takes milliseconds. Explorer analyses from several threads at once, so
// the pool hands out a buffer per caller and keeps a few for reuse, never more.
#include <cstddef>
#include <cstdint>
#include <memory>

namespace kub {

// Buffers kept when given back. Explorer rarely builds more than two menus at once; a third
// caller at once gets a fresh buffer, freed after use, so what stays allocated is bounded.
inline constexpr std::size_t kKeptHeadBuffers = 2;

// A buffer of kHeadBytes (archive_reader.h) for as long as the object lives. Its bytes are not
// cleared: a caller looks only at the bytes it has read into it. Out of memory raises
// std::bad_alloc, as a plain allocation would.
class HeadBuffer {
  public:
    HeadBuffer();
    ~HeadBuffer();
    HeadBuffer(const HeadBuffer&) = delete;
    HeadBuffer& operator=(const HeadBuffer&) = delete;

    std::uint8_t* data() const { return bytes_.get(); }

  private:
    std::unique_ptr<std::uint8_t[]> bytes_;
};

// Buffers now kept for reuse (for tests).
std::size_t kept_head_buffers();

}  // namespace kub

#pragma once
// SHA-256 (FIPS 180-4), used to check KUB 5.0 data and XZ blocks.
#include <array>
#include <cstddef>
#include <cstdint>

namespace kub {

class Sha256 {
  public:
    static constexpr std::size_t kDigestSize = 32;
    using Digest = std::array<std::uint8_t, kDigestSize>;

    Sha256() { init(); }
    ~Sha256();
    Sha256(const Sha256&) = delete;
    Sha256& operator=(const Sha256&) = delete;

    void init();
    void update(const void* data, std::size_t size);
    // The digest of everything given since init; the object starts over afterwards.
    Digest finish();

  private:
    void compress(const std::uint8_t* block);

    std::array<std::uint32_t, 8> state_;
    std::array<std::uint8_t, 64> buffer_;
    std::uint64_t total_bytes_;
};

}  // namespace kub

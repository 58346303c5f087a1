#pragma once
// A password kept protected in memory while it is not in use.
#include <array>
#include <cstddef>
#include <span>
#include <string_view>

namespace kub {

class SecretHolder {
  public:
    static constexpr std::size_t kMaxUnits = 128;

    SecretHolder() = default;
    ~SecretHolder() { clear(); }
    SecretHolder(const SecretHolder&) = default;
    SecretHolder& operator=(const SecretHolder&) = default;

    // Keeps the text (up to its first NUL, cut to kMaxUnits units); an empty text clears.
    void set(std::u16string_view text);

    // Writes the secret into `out`, terminated, or an empty string when none is set.
    // The decryption covers out.size() * 2 bytes rounded down to whole protection blocks, so only
    // a buffer of kMaxUnits (or more) units gets the whole secret back: a shorter one gets
    // unreadable characters from the first byte outside the decrypted blocks.
    void get(std::span<char16_t> out) const;

    void clear();
    bool is_set() const { return is_set_; }

  private:
    std::array<char16_t, kMaxUnits> units_{};
    bool is_set_ = false;
};

}  // namespace kub

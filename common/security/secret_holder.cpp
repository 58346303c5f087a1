#include "common/security/secret_holder.h"

#include <algorithm>

#include "common/security/clear_bytes.h"
#include "common/security/memory_protection.h"

namespace kub {

void SecretHolder::set(std::u16string_view text) {
    text = text.substr(0, text.find(u'\0'));
    clear();
    if (text.empty()) return;
    std::copy_n(text.begin(), std::min(text.size(), kMaxUnits), units_.begin());
    protect_memory(units_.data(), sizeof units_, true);
    is_set_ = true;
}

void SecretHolder::get(std::span<char16_t> out) const {
    if (out.empty()) return;
    if (!is_set_) {
        out[0] = u'\0';
        return;
    }
    std::size_t copied = std::min(out.size(), kMaxUnits);
    std::copy_n(units_.begin(), copied, out.begin());
    std::fill(out.begin() + static_cast<std::ptrdiff_t>(copied), out.end(), u'\0');
    // Beyond kMaxUnits there is nothing to decrypt; a secret of full length has no terminator of
    // its own, so it is terminated right after its last unit.
    std::size_t bytes = copied * sizeof(char16_t);
    protect_memory(out.data(), bytes - bytes % kProtectionBlockSize, false);
    out[std::min(out.size() - 1, kMaxUnits)] = u'\0';
}

void SecretHolder::clear() {
    clear_bytes(units_.data(), sizeof units_);
    is_set_ = false;
}

}  // namespace kub

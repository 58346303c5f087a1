#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "common/security/clear_bytes.h"
#include "common/security/memory_protection.h"
#include "common/os/os.h"
#include "common/security/secret_holder.h"
#include "tests/support/report_recorder.h"

namespace kub {
namespace {

// Windows has the system's same-process encryption (Crypt32); elsewhere the scrambling is used.
#ifdef _WIN32
constexpr bool kSystemProtection = true;
#else
constexpr bool kSystemProtection = false;
#endif

std::vector<std::uint8_t> pattern(std::size_t n) {
    std::vector<std::uint8_t> bytes(n);
    for (std::size_t i = 0; i < n; ++i) bytes[i] = static_cast<std::uint8_t>(i * 7 + 3);
    return bytes;
}

// Whether protected bytes differ from the plain ones. Wine's system functions succeed without
// changing anything, so there only the bookkeeping around them can be checked.
bool protection_changes_bytes() {
    if (!kSystemProtection) return true;
    auto bytes = pattern(16);
    const auto original = bytes;
    os::protect_process_memory(bytes.data(), bytes.size(), true);
    bool changed = bytes != original;
    os::protect_process_memory(bytes.data(), bytes.size(), false);
    return changed;
}

TEST(MemoryProtection, ScramblingCombinesEachByteWithProcessIdAndPosition) {
    auto bytes = pattern(300);
    const auto original = bytes;
    scramble_memory(bytes.data(), bytes.size());
    std::uint32_t pid = os::current_process_id();
    for (std::size_t i = 0; i < bytes.size(); ++i)
        ASSERT_EQ(bytes[i], original[i] ^ static_cast<std::uint8_t>(pid + i + 75)) << i;
    scramble_memory(bytes.data(), bytes.size());
    EXPECT_EQ(bytes, original);
}

TEST(MemoryProtection, SystemEncryptionIsFoundWhereTheSystemHasIt) {
    std::array<std::uint8_t, 16> block{};
    auto result = os::protect_process_memory(block.data(), block.size(), true);
    if (kSystemProtection) {
        EXPECT_EQ(result, os::MemoryProtectionResult::kDone);
        EXPECT_EQ(os::protect_process_memory(block.data(), block.size(), false),
                  os::MemoryProtectionResult::kDone);
        EXPECT_EQ(block, (std::array<std::uint8_t, 16>{}));
    } else {
        EXPECT_EQ(result, os::MemoryProtectionResult::kUnavailable);
    }
}

TEST(MemoryProtection, ProtectsWholeBlocksWithTheSystemOrEveryByteWithout) {
    test::ReportRecorder recorder;
    auto bytes = pattern(40);
    const auto original = bytes;
    protect_memory(bytes.data(), bytes.size(), true);
    if (kSystemProtection) {
        if (protection_changes_bytes()) {
            EXPECT_FALSE(std::equal(bytes.begin(), bytes.begin() + 32, original.begin()));
        }
        // The 8-byte tail beyond the last whole block is left as it is.
        EXPECT_TRUE(std::equal(bytes.begin() + 32, bytes.end(), original.begin() + 32));
    } else {
        auto scrambled = original;
        scramble_memory(scrambled.data(), scrambled.size());
        EXPECT_EQ(bytes, scrambled);
    }
    protect_memory(bytes.data(), bytes.size(), false);
    EXPECT_EQ(bytes, original);
    EXPECT_TRUE(recorder.reports().empty());
}

// The whole buffer, including any scrambled units, which may hold zeros.
std::u16string get_units(const SecretHolder& holder, std::size_t size) {
    std::u16string out(size, u'#');
    holder.get(out);
    return out;
}

std::u16string get_secret(const SecretHolder& holder, std::size_t size) {
    return get_units(holder, size).c_str();
}

TEST(SecretHolder, RoundTripsThroughAFullSizeBuffer) {
    SecretHolder holder;
    EXPECT_FALSE(holder.is_set());
    EXPECT_EQ(get_secret(holder, 128), u"");
    holder.set(u"密码 pass word");
    EXPECT_TRUE(holder.is_set());
    EXPECT_EQ(get_secret(holder, 128), u"密码 pass word");
    EXPECT_EQ(get_secret(holder, 128), u"密码 pass word");  // get leaves the holder protected
}

TEST(SecretHolder, OnlyDecryptsWholeBlocksOfTheCallersBuffer) {
    SecretHolder holder;
    holder.set(u"password1234567");
    // 12 units are 24 bytes, so one 16-byte block (8 units) is decrypted: the rest of the copied
    // units stay protected, and the result is cut at size - 1.
    std::u16string shorter = get_units(holder, 12);
    EXPECT_EQ(shorter.substr(0, 8), u"password");
    EXPECT_EQ(shorter[11], u'\0');
    if (protection_changes_bytes()) {
        EXPECT_NE(shorter.substr(8, 3), u"123");
        // Fewer than 8 units decrypt nothing at all: the copy is still the protected form.
        EXPECT_NE(get_units(holder, 7).substr(0, 6), u"passwo");
    }
    if (!kSystemProtection) {
        std::uint32_t pid = os::current_process_id();
        std::u16string tail = shorter.substr(8, 3);
        for (std::size_t i = 0; i < 3; ++i) {
            char16_t unit = u"123"[i];
            std::size_t at = (8 + i) * 2;
            auto lo =
                static_cast<std::uint8_t>(unit & 0xFF) ^ static_cast<std::uint8_t>(pid + at + 75);
            auto hi =
                static_cast<std::uint8_t>(unit >> 8) ^ static_cast<std::uint8_t>(pid + at + 1 + 75);
            EXPECT_EQ(tail[i], static_cast<char16_t>(lo | (hi << 8))) << i;
        }
    }
}

TEST(SecretHolder, LongSecretsAreCutTo128Units) {
    SecretHolder holder;
    std::u16string long_text(200, u'k');
    long_text[127] = u'z';
    holder.set(long_text);
    // A 128-unit buffer holds 127 units and the terminator.
    EXPECT_EQ(get_secret(holder, 128), long_text.substr(0, 127));
    // A larger buffer gets all 128 units, terminated right after them.
    EXPECT_EQ(get_secret(holder, 200), long_text.substr(0, 128));
}

TEST(SecretHolder, EmptyTextAndClearForgetTheSecret) {
    SecretHolder holder;
    holder.set(u"first");
    holder.set(u"");
    EXPECT_FALSE(holder.is_set());
    EXPECT_EQ(get_secret(holder, 128), u"");
    holder.set(u"second");
    holder.clear();
    EXPECT_FALSE(holder.is_set());
    EXPECT_EQ(get_secret(holder, 128), u"");
    holder.set(std::u16string_view(u"\0hidden", 7));  // empty up to its terminator
    EXPECT_FALSE(holder.is_set());
}

TEST(SecretHolder, GetIntoAnEmptyBufferWritesNothing) {
    SecretHolder holder;
    holder.set(u"x");
    holder.get(std::span<char16_t>());
}

TEST(ClearBytes, ZeroFills) {
    auto bytes = pattern(33);
    clear_bytes(bytes.data() + 1, 31);
    EXPECT_EQ(bytes[0], 3);
    EXPECT_EQ(bytes[32], static_cast<std::uint8_t>(32 * 7 + 3));
    for (std::size_t i = 1; i < 32; ++i) EXPECT_EQ(bytes[i], 0) << i;
}

}  // namespace
}  // namespace kub

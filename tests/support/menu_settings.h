#pragma once
// The extension's menu settings for tests: a clean slate before each test (in-memory registry
// natively, the prefix's real registry under Wine), and profile records.
#include <cstdint>
#include <string_view>

namespace kub::test {

// Removes the menu, profile and temporary-folder settings (natively: every setting).
void reset_menu_settings();

struct ProfileRecord {
    std::u16string_view name;
    std::uint32_t add_to_menu = 1;
    std::uint32_t is_default = 0;
    std::uint32_t immediate = 0;
    std::u16string_view archive_name = {};
    std::uint32_t use_kub = 1;
};
void write_profile(int n, const ProfileRecord& profile);

void set_menu_item(std::u16string_view value, std::uint32_t number);

}  // namespace kub::test

// The settings cache of the extension: natively over the in-memory registry, under Wine over the
// prefix's registry and its change notifications. A change must show at the next read (or the
// next scope), and a cached value must read exactly as the registry gives it.
#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "common/registry/registry_access.h"
#include "common/registry/settings_cache.h"

namespace kub {
namespace {

constexpr std::u16string_view kKey = u"KubSettingsCacheTest";

void store_raw(std::u16string_view name, os::RegValueType type, std::vector<std::byte> data) {
    os::RegKey handle;
    ASSERT_EQ(os::reg_create_key(os::RegKey::root(os::RegistryRoot::kCurrentUser),
                                 SettingsKey(os::RegistryRoot::kCurrentUser, kKey), os::kRegWrite,
                                 handle),
              os::kRegOk);
    ASSERT_EQ(os::reg_set_value(handle, name, type, data), os::kRegOk);
}

std::vector<std::byte> text_bytes(std::u16string_view text) {
    const auto* at = reinterpret_cast<const std::byte*>(text.data());
    return {at, at + text.size() * sizeof(char16_t)};
}

std::u16string read_text(std::u16string_view name, std::size_t capacity) {
    std::u16string out;
    read_setting_string(kKey, name, out, u"default", capacity);
    return out;
}

class SettingsCacheTest : public ::testing::TestWithParam<bool> {
  protected:
    void SetUp() override {
        delete_registry_tree(os::RegistryRoot::kCurrentUser, kKey);
        set_settings_cache_enabled(GetParam());
    }
    void TearDown() override {
        set_settings_cache_enabled(false);
        delete_registry_tree(os::RegistryRoot::kCurrentUser, kKey);
    }
};

TEST_P(SettingsCacheTest, ChangesShowAtTheNextRead) {
    EXPECT_EQ(read_setting_number(kKey, u"Number", 3), 3u);
    write_setting_number(kKey, u"Number", 5);
    EXPECT_EQ(read_setting_number(kKey, u"Number", 3), 5u);
    write_setting_number(kKey, u"Number", 7);
    EXPECT_EQ(read_setting_number(kKey, u"Number", 3), 7u);
    delete_registry_value(os::RegistryRoot::kCurrentUser, kKey, u"Number");
    EXPECT_EQ(read_setting_number(kKey, u"Number", 3), 3u);

    write_setting_string(kKey, u"Text", u"first");
    EXPECT_EQ(read_text(u"Text", 64), u"first");
    delete_registry_tree(os::RegistryRoot::kCurrentUser, kKey);
    EXPECT_EQ(read_text(u"Text", 64), u"default");
    write_setting_string(kKey, u"Text", u"second");
    EXPECT_EQ(read_text(u"Text", 64), u"second");
}

// What a buffer of the given capacity makes of each stored value, cached or not.
TEST_P(SettingsCacheTest, ValuesReadAsTheRegistryGivesThem) {
    store_raw(u"Fits", os::RegValueType::kString, text_bytes(std::u16string(u"abcd\0", 5)));
    EXPECT_EQ(read_text(u"Fits", 5), u"abcd");
    EXPECT_EQ(read_text(u"Fits", 4), u"def");  // ten bytes do not fit eight: missing
    store_raw(u"Inner", os::RegValueType::kExpandString, text_bytes(std::u16string(u"ab\0cd", 5)));
    EXPECT_EQ(read_text(u"Inner", 64), u"ab");
    const std::u16string long_text(40000, u'x');
    store_raw(u"Long", os::RegValueType::kString, text_bytes(long_text));
    EXPECT_EQ(read_text(u"Long", 2048), u"default");
    EXPECT_EQ(read_text(u"Long", 40001), long_text);

    write_setting_number(kKey, u"Dword", 0x01020304);
    EXPECT_EQ(read_text(u"Dword", 64), u"default");
    EXPECT_EQ(read_setting_number(kKey, u"Dword", 9), 0x01020304u);
    store_raw(u"Short", os::RegValueType::kBinary, {std::byte{0x34}, std::byte{0x12}});
    EXPECT_EQ(read_setting_number(kKey, u"Short", 9), 0x1234u);
    store_raw(u"Wide", os::RegValueType::kBinary, std::vector<std::byte>(5, std::byte{1}));
    EXPECT_EQ(read_setting_number(kKey, u"Wide", 9), 9u);
    store_raw(u"Empty", os::RegValueType::kBinary, {});
    EXPECT_EQ(read_setting_number(kKey, u"Empty", 9), 9u);
    EXPECT_EQ(read_setting_number(kKey, u"Fits", 9), 9u);
}

INSTANTIATE_TEST_SUITE_P(CachedAndDirect, SettingsCacheTest, ::testing::Bool());

// A menu asks once whether anything changed; the next one sees what changed meanwhile.
TEST(SettingsCacheScopeTest, AScopeAsksOnceTheNextScopeSeesChanges) {
    delete_registry_tree(os::RegistryRoot::kCurrentUser, kKey);
    set_settings_cache_enabled(true);
    write_setting_number(kKey, u"Number", 1);
    {
        SettingsReadScope first;
        EXPECT_EQ(read_setting_number(kKey, u"Number", 0), 1u);
        write_setting_number(kKey, u"Number", 2);
        EXPECT_EQ(read_setting_number(kKey, u"Number", 0), 1u);
    }
    {
        SettingsReadScope second;
        EXPECT_EQ(read_setting_number(kKey, u"Number", 0), 2u);
    }
    EXPECT_EQ(read_setting_number(kKey, u"Number", 0), 2u);
    set_settings_cache_enabled(false);
    delete_registry_tree(os::RegistryRoot::kCurrentUser, kKey);
}

#if !defined(_WIN32)
// Without the archiver's key the cache watches its parent, so the key's creation is a change.
TEST(SettingsCacheScopeTest, ArchiverKeyCreatedLater) {
    os::clear_registry();
    set_settings_cache_enabled(true);
    EXPECT_EQ(read_setting_number(kKey, u"Number", 4), 4u);
    write_setting_number(kKey, u"Number", 8);
    EXPECT_EQ(read_setting_number(kKey, u"Number", 4), 8u);
    set_settings_cache_enabled(false);
    os::clear_registry();
}
#endif

}  // namespace
}  // namespace kub

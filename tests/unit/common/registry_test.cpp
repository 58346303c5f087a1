// Runs natively against the in-memory registry and under Wine against the real one: both must
// give the same answers.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "common/registry/registry_access.h"

namespace kub {
namespace {

using os::RegistryRoot;

constexpr RegistryRoot kHkcu = RegistryRoot::kCurrentUser;
constexpr RegistryRoot kHklm = RegistryRoot::kLocalMachine;
constexpr RegistryRoot kHkcr = RegistryRoot::kClassesRoot;

// Scratch keys; a leading backslash takes HKCU names from the root.
constexpr std::u16string_view kScratch = u"\\Software\\KubRegistryTest";
constexpr std::u16string_view kMachineScratch = u"Software\\KubRegistryTest";
constexpr std::u16string_view kClassScratch = u"CLSID\\{6F1C0A52-3D6B-4C1E-9A55-2B7E5D0C9A11}";
constexpr std::u16string_view kSettingsScratch = u"KubRegistryTest";

std::u16string scratch(std::u16string_view sub) {
    std::u16string key(kScratch);
    if (!sub.empty()) key.append(u"\\").append(sub);
    return key;
}

void remove_scratch_keys() {
    delete_registry_tree(kHkcu, kScratch);
    delete_registry_tree(kHkcu, kSettingsScratch);
    delete_registry_tree(kHklm, kMachineScratch);
    ScopedRegistryView view(RegistryView::k32Bit);
    delete_registry_tree(kHklm, kMachineScratch);
    delete_registry_tree(kHkcr, kClassScratch);
    delete_registry_tree(kHkcu, kScratch);
}

class Registry : public ::testing::Test {
  protected:
    void SetUp() override {
#if !defined(_WIN32)
        os::clear_registry();
#endif
        remove_scratch_keys();
    }
    void TearDown() override {
        remove_scratch_keys();
        EXPECT_EQ(registry_view(), RegistryView::kDefault);
    }

    // Stores raw bytes, for values the helpers never write.
    static void store_raw(std::u16string_view key, std::u16string_view name, os::RegValueType type,
                          std::span<const std::byte> data) {
        os::RegKey handle;
        ASSERT_EQ(os::reg_create_key(os::RegKey::root(kHkcu), SettingsKey(kHkcu, key),
                                     os::kRegWrite, handle),
                  os::kRegOk);
        ASSERT_EQ(os::reg_set_value(handle, name, type, data), os::kRegOk);
    }

    static void make_tree(std::u16string_view top, int first, int second, int third) {
        for (int i = 0; i < first; ++i) {
            for (int j = 0; j < second; ++j) {
                for (int k = 0; k < third; ++k) {
                    std::u16string key(top);
                    for (int part : {i, j, k}) {
                        char name[16];
                        std::snprintf(name, sizeof name, "\\K%03d", part);
                        key.append(name, name + std::char_traits<char>::length(name));
                    }
                    ASSERT_EQ(write_registry_number(kHkcu, key, u"n", 1), os::kRegOk);
                }
            }
        }
    }
};

TEST(SettingsKeyTest, ComposesUnderTheSettingsKeyForTheCurrentUserOnly) {
    const struct {
        RegistryRoot root;
        std::u16string_view name;
        std::u16string_view expected;
    } cases[] = {
        {kHkcu, u"", u"Software\\Korvex"},
        {kHkcu, u"Setup\\MenuItems", u"Software\\Korvex\\Setup\\MenuItems"},
        {kHkcu, u"\\Software\\Other", u"Software\\Other"},
        {kHkcu, u"\\", u""},
        {kHklm, u"Software\\Korvex", u"Software\\Korvex"},
        {kHkcr, u"\\odd", u"\\odd"},
        {RegistryRoot::kUsers, u"", u""},
    };
    for (const auto& c : cases) EXPECT_EQ(SettingsKey(c.root, c.name), c.expected);

    const std::u16string long_name(600, u'x');
    const std::u16string composed = SettingsKey(kHkcu, long_name);
    ASSERT_EQ(composed.size(), kMaxRegistryKeyNameLength);
    EXPECT_EQ(composed.substr(0, 16), u"Software\\Korvex\\");
    EXPECT_EQ(SettingsKey(kHklm, long_name), std::u16string(kMaxRegistryKeyNameLength, u'x'));
}

TEST_F(Registry, MissingKeysAndValuesGiveTheDefaults) {
    std::u16string out = u"stale";
    EXPECT_FALSE(read_registry_string(kHkcu, scratch(u"Nowhere"), u"Name", out, u"默认", 512));
    EXPECT_EQ(out, u"默认");
    EXPECT_EQ(read_registry_number(kHkcu, scratch(u"Nowhere"), u"Set", 7), 7u);
    EXPECT_FALSE(registry_key_exists(kHkcu, scratch(u"Nowhere")));

    ASSERT_EQ(write_registry_number(kHkcu, scratch(u"Here"), u"Other", 3), os::kRegOk);
    EXPECT_TRUE(registry_key_exists(kHkcu, scratch(u"Here")));
    EXPECT_FALSE(read_registry_string(kHkcu, scratch(u"Here"), u"Name", out, u"", 512));
    EXPECT_EQ(out, u"");
    EXPECT_EQ(read_registry_number(kHkcu, scratch(u"Here"), u"Set", 1), 1u);
    // The default value of a key that never had one.
    EXPECT_FALSE(read_registry_string(kHkcu, scratch(u"Here"), u"", out, u"d", 512));
    EXPECT_EQ(out, u"d");

    // An empty number reads as missing; numbers and text do not stand in for each other.
    store_raw(scratch(u"Here"), u"Empty", os::RegValueType::kBinary, {});
    EXPECT_EQ(read_registry_number(kHkcu, scratch(u"Here"), u"Empty", 9), 9u);
    ASSERT_EQ(write_registry_string(kHkcu, scratch(u"Here"), u"Text", u"1"), os::kRegOk);
    EXPECT_EQ(read_registry_number(kHkcu, scratch(u"Here"), u"Text", 0), 0u);
    EXPECT_FALSE(read_registry_string(kHkcu, scratch(u"Here"), u"Other", out, u"none", 512));
    EXPECT_EQ(out, u"none");
}

TEST_F(Registry, ValuesRoundTripAndNamesIgnoreCase) {
    ASSERT_EQ(write_registry_string(kHkcu, scratch(u"Round"), u"Path", u"C:\\程序\\Korvex.exe"),
              os::kRegOk);
    ASSERT_EQ(write_registry_number(kHkcu, scratch(u"Round"), u"Big", 0xFFFFFFFFu), os::kRegOk);
    ASSERT_EQ(write_registry_number(kHkcu, scratch(u"Round"), u"Zero", 0), os::kRegOk);
    std::u16string out;
    EXPECT_TRUE(read_registry_string(kHkcu, scratch(u"ROUND"), u"path", out, u"", 2048));
    EXPECT_EQ(out, u"C:\\程序\\Korvex.exe");
    EXPECT_EQ(read_registry_number(kHkcu, scratch(u"round"), u"BIG", 1), 0xFFFFFFFFu);
    EXPECT_EQ(read_registry_number(kHkcu, scratch(u"Round"), u"Zero", 1), 0u);

    // A short binary value counts as the low bytes of a number.
    store_raw(scratch(u"Round"), u"Short", os::RegValueType::kBinary,
              std::array{std::byte{0x34}, std::byte{0x12}});
    EXPECT_EQ(read_registry_number(kHkcu, scratch(u"Round"), u"Short", 0), 0x1234u);

    // Writing again replaces the value, whatever its type was.
    ASSERT_EQ(write_registry_string(kHkcu, scratch(u"Round"), u"Big", u"text"), os::kRegOk);
    EXPECT_EQ(read_registry_number(kHkcu, scratch(u"Round"), u"Big", 5), 5u);
}

TEST_F(Registry, AValueLongerThanTheBufferReadsAsMissing) {
    ASSERT_EQ(write_registry_string(kHkcu, scratch(u"Buf"), u"Nine", u"123456789"), os::kRegOk);
    std::u16string out;
    // Nine characters and the terminator fill ten exactly.
    EXPECT_TRUE(read_registry_string(kHkcu, scratch(u"Buf"), u"Nine", out, u"dflt", 10));
    EXPECT_EQ(out, u"123456789");
    EXPECT_FALSE(read_registry_string(kHkcu, scratch(u"Buf"), u"Nine", out, u"dflt", 9));
    EXPECT_EQ(out, u"dflt");
    // The default is cut to the buffer as well.
    EXPECT_FALSE(read_registry_string(kHkcu, scratch(u"Buf"), u"Nine", out, u"defaults", 5));
    EXPECT_EQ(out, u"defa");
    EXPECT_FALSE(read_registry_string(kHkcu, scratch(u"Buf"), u"Nine", out, u"dflt", 0));
    EXPECT_EQ(out, u"");

    // Stored without terminator: it reads whole when there is room for one.
    const std::u16string bare = u"abcd";
    store_raw(scratch(u"Buf"), u"Bare", os::RegValueType::kString, std::as_bytes(std::span(bare)));
    EXPECT_TRUE(read_registry_string(kHkcu, scratch(u"Buf"), u"Bare", out, u"", 5));
    EXPECT_EQ(out, u"abcd");
#if !defined(_WIN32)
    // Windows fills the buffer exactly and the text is cut at its last position. (Wine instead
    // asks for room for the terminator it appends, and the value reads as missing.)
    EXPECT_TRUE(read_registry_string(kHkcu, scratch(u"Buf"), u"Bare", out, u"", 4));
    EXPECT_EQ(out, u"abc");
#endif
    // A number stored in more than four bytes does not fit either.
    store_raw(scratch(u"Buf"), u"Wide", os::RegValueType::kBinary, std::array<std::byte, 8>{});
    EXPECT_EQ(read_registry_number(kHkcu, scratch(u"Buf"), u"Wide", 4), 4u);
}

TEST_F(Registry, SettingsShortcutsLiveUnderTheArchiversKey) {
    ASSERT_EQ(write_setting_string(kSettingsScratch, u"Name", u"配置"), os::kRegOk);
    ASSERT_EQ(write_setting_number(kSettingsScratch, u"Set", 42), os::kRegOk);
    std::u16string out;
    EXPECT_TRUE(read_registry_string(kHkcu, u"\\Software\\Korvex\\KubRegistryTest", u"Name", out,
                                     u"", 512));
    EXPECT_EQ(out, u"配置");
    EXPECT_TRUE(read_setting_string(kSettingsScratch, u"Name", out, u"", 512));
    EXPECT_EQ(out, u"配置");
    EXPECT_EQ(read_setting_number(kSettingsScratch, u"Set", 0), 42u);
    EXPECT_EQ(read_setting_number(kSettingsScratch, u"Unset", 0), 0u);
}

TEST_F(Registry, KeysAndValuesAreDeletedOneByOne) {
    ASSERT_EQ(write_registry_number(kHkcu, scratch(u"Del\\Child"), u"v", 1), os::kRegOk);
    ASSERT_EQ(write_registry_number(kHkcu, scratch(u"Del"), u"v", 2), os::kRegOk);

    EXPECT_EQ(delete_registry_key(kHkcu, scratch(u"Del")), os::kRegAccessDenied);
    EXPECT_TRUE(registry_key_exists(kHkcu, scratch(u"Del")));
    EXPECT_EQ(delete_registry_key(kHkcu, scratch(u"Missing")), os::kRegNotFound);

    EXPECT_EQ(delete_registry_value(kHkcu, scratch(u"Del"), u"V"), os::kRegOk);
    EXPECT_EQ(read_registry_number(kHkcu, scratch(u"Del"), u"v", 0), 0u);
    EXPECT_EQ(delete_registry_value(kHkcu, scratch(u"Del"), u"v"), os::kRegNotFound);
    EXPECT_EQ(delete_registry_value(kHkcu, scratch(u"Missing"), u"v"), os::kRegNotFound);

    EXPECT_EQ(delete_registry_key(kHkcu, scratch(u"Del\\Child")), os::kRegOk);
    EXPECT_EQ(delete_registry_key(kHkcu, scratch(u"Del")), os::kRegOk);
    EXPECT_FALSE(registry_key_exists(kHkcu, scratch(u"Del")));
}

TEST_F(Registry, TheThirtyTwoBitViewLandsInWow6432Node) {
    {
        ScopedRegistryView view(RegistryView::k32Bit);
        ASSERT_EQ(write_registry_string(kHklm, kMachineScratch, u"Path", u"32"), os::kRegOk);
        ASSERT_EQ(write_registry_string(kHkcr, u"CLSID\\{6F1C0A52-3D6B-4C1E-9A55-2B7E5D0C9A11}",
                                        u"", u"class"),
                  os::kRegOk);
        ASSERT_EQ(write_registry_number(kHkcu, scratch(u"View"), u"n", 32), os::kRegOk);
        std::u16string out;
        EXPECT_TRUE(read_registry_string(kHklm, kMachineScratch, u"Path", out, u"", 64));
        EXPECT_EQ(out, u"32");
        EXPECT_TRUE(registry_key_exists(kHkcr, kClassScratch));
    }
    std::u16string out;
    EXPECT_FALSE(registry_key_exists(kHklm, kMachineScratch));
    EXPECT_TRUE(read_registry_string(kHklm, u"Software\\Wow6432Node\\KubRegistryTest", u"Path", out,
                                     u"", 64));
    EXPECT_EQ(out, u"32");
    EXPECT_FALSE(registry_key_exists(kHkcr, kClassScratch));
    EXPECT_TRUE(
        registry_key_exists(kHkcr, u"Wow6432Node\\CLSID\\{6F1C0A52-3D6B-4C1E-9A55-2B7E5D0C9A11}"));
    // The user's keys are shared by both views.
    EXPECT_EQ(read_registry_number(kHkcu, scratch(u"View"), u"n", 0), 32u);

    {
        ScopedRegistryView view(RegistryView::k32Bit);
        delete_registry_tree(kHklm, kMachineScratch);
        EXPECT_EQ(delete_registry_key(kHkcr, kClassScratch), os::kRegOk);
    }
    EXPECT_FALSE(registry_key_exists(kHklm, u"Software\\Wow6432Node\\KubRegistryTest"));
    EXPECT_FALSE(
        registry_key_exists(kHkcr, u"Wow6432Node\\CLSID\\{6F1C0A52-3D6B-4C1E-9A55-2B7E5D0C9A11}"));
}

TEST_F(Registry, DeleteTreeRemovesEveryLevelAndNothingElse) {
    // 20 + 20*6 + 20*6*3 keys: deleting while enumerating skips subkeys, so this takes passes.
    make_tree(scratch(u"Tree"), 20, 6, 3);
    ASSERT_EQ(write_registry_number(kHkcu, scratch(u"Tree"), u"top", 1), os::kRegOk);
    ASSERT_EQ(write_registry_number(kHkcu, scratch(u"TreeSibling"), u"keep", 1), os::kRegOk);
    ASSERT_TRUE(registry_key_exists(kHkcu, scratch(u"Tree\\K019\\K005\\K002")));

    delete_registry_tree(kHkcu, scratch(u"Tree"));
    EXPECT_FALSE(registry_key_exists(kHkcu, scratch(u"Tree")));
    EXPECT_EQ(read_registry_number(kHkcu, scratch(u"TreeSibling"), u"keep", 0), 1u);

    // A missing tree: nothing happens, and the sibling stays.
    delete_registry_tree(kHkcu, scratch(u"Tree"));
    delete_registry_tree(kHkcu, scratch(u"Tree\\K000"));
    EXPECT_EQ(read_registry_number(kHkcu, scratch(u"TreeSibling"), u"keep", 0), 1u);
}

TEST_F(Registry, DeleteTreeReachesLongNamesAndDeepKeys) {
    // Names near the system's limit of 255, nested far beyond the 511 characters a composed name
    // may have, so they are made one level at a time.
    os::RegKey key;
    ASSERT_EQ(os::reg_create_key(os::RegKey::root(kHkcu), SettingsKey(kHkcu, scratch(u"Deep")),
                                 os::kRegWrite, key),
              os::kRegOk);
    for (char16_t letter : std::u16string_view(u"abcd")) {
        os::RegKey child;
        ASSERT_EQ(os::reg_create_key(key, std::u16string(250, letter), os::kRegWrite, child),
                  os::kRegOk);
        key = std::move(child);
    }
    ASSERT_EQ(os::reg_set_value(key, u"n", os::RegValueType::kDword, std::array<std::byte, 4>{}),
              os::kRegOk);
    key.close();
    delete_registry_tree(kHkcu, scratch(u"Deep"));
    EXPECT_FALSE(registry_key_exists(kHkcu, scratch(u"Deep")));
}

// The in-memory registry must answer as the system does; these are the answers the code above
// relies on.
TEST_F(Registry, OsLayerAnswersAsTheSystem) {
    using namespace os;
    const RegKey hkcu = RegKey::root(kHkcu);
    RegKey key;
    EXPECT_EQ(reg_open_key(hkcu, u"Software\\KubRegistryTest", kRegRead, key), kRegNotFound);
    EXPECT_FALSE(key.is_open());
    EXPECT_EQ(reg_open_key(hkcu, u"\\Software", kRegRead, key), kRegBadPathName);
    ASSERT_EQ(reg_create_key(hkcu, u"Software\\KubRegistryTest\\Os", kRegRead | kRegWrite, key),
              kRegOk);
    for (std::u16string_view name : {u"b", u"A", u"c"}) {
        RegKey child;
        ASSERT_EQ(reg_create_key(key, name, kRegWrite, child), kRegOk);
    }
    std::u16string name;
    std::u16string seen;
    std::uint32_t index = 0;
    while (reg_enum_key(key, index, 256, name) == kRegOk) seen += name, ++index;
    EXPECT_EQ(index, 3u);
    EXPECT_EQ(seen, u"Abc");
    EXPECT_EQ(reg_enum_key(key, 3, 256, name), kRegNoMoreItems);
    // A capacity counts the terminator.
    EXPECT_EQ(reg_enum_key(key, 0, 1, name), kRegMoreData);
    EXPECT_EQ(reg_enum_key(key, 0, 2, name), kRegOk);

    const std::u16string text = u"hello";
    const auto bytes = std::as_bytes(std::span(text.c_str(), text.size() + 1));
    ASSERT_EQ(reg_set_value(key, u"Str", RegValueType::kString, bytes), kRegOk);
    RegValueType type = RegValueType::kNone;
    std::uint32_t size = 0;
    std::array<std::byte, 10> small{};
    EXPECT_EQ(reg_query_value(key, u"STR", type, small, size), kRegMoreData);
    EXPECT_EQ(size, 12u);
    EXPECT_EQ(reg_query_value(key, u"Str", type, std::span<std::byte>(), size), kRegOk);
    EXPECT_EQ(size, 12u);
    EXPECT_EQ(type, RegValueType::kString);
    EXPECT_EQ(reg_query_value(key, u"Nothing", type, small, size), kRegNotFound);

    // Rights are checked; a deleted key stays open but refuses everything.
    RegKey reader;
    ASSERT_EQ(reg_open_key(hkcu, u"Software\\KubRegistryTest\\Os\\c", kRegQueryValue, reader),
              kRegOk);
    EXPECT_EQ(reg_set_value(reader, u"x", RegValueType::kString, bytes), kRegAccessDenied);
    EXPECT_EQ(reg_delete_key(key, u"c", 0), kRegOk);
    EXPECT_EQ(reg_query_value(reader, u"x", type, small, size), kRegKeyDeleted);
    EXPECT_EQ(reg_delete_key(key, u"c", 0), kRegNotFound);
}

#if !defined(_WIN32)
// Only where the registry is our own: under Wine a fault here would empty the real root.
TEST_F(Registry, DeleteTreeOfAnEmptyNameLeavesTheRootAlone) {
    ASSERT_EQ(write_registry_string(kHkcr, u".kub", u"", u"Korvex"), os::kRegOk);
    delete_registry_tree(kHkcr, u"");
    EXPECT_TRUE(registry_key_exists(kHkcr, u".kub"));
}

class RegistryFile : public Registry {
  protected:
    std::string path_ = ::testing::TempDir() + "registry_file_test.txt";
    void TearDown() override {
        std::remove(path_.c_str());
        Registry::TearDown();
    }
    std::string saved() {
        EXPECT_TRUE(os::save_registry_file(path_));
        std::ifstream file(path_, std::ios::binary);
        std::ostringstream content;
        content << file.rdbuf();
        return content.str();
    }
    bool load(const std::string& text, std::string& error) {
        std::ofstream(path_, std::ios::binary | std::ios::trunc) << text;
        return os::load_registry_file(path_, error);
    }
};

TEST_F(RegistryFile, SaveAndLoadGiveTheSameRegistry) {
    ASSERT_EQ(write_setting_number(u"Setup", u"MenuIcons", 1), os::kRegOk);
    ASSERT_EQ(write_setting_string(u"Setup", u"CustomExt", u"arc;\"q\";C:\\x"), os::kRegOk);
    ASSERT_EQ(write_setting_string(u"Profiles\\0", u"", u"默认 😀"), os::kRegOk);
    ASSERT_EQ(write_registry_string(kHklm, u"Software\\Korvex", u"exe64", u""), os::kRegOk);
    ASSERT_EQ(write_registry_number(kHkcr, u"Empty\\Leaf", u"n", 0xDEADBEEF), os::kRegOk);
    ASSERT_EQ(delete_registry_value(kHkcr, u"Empty\\Leaf", u"n"), os::kRegOk);
    {
        os::RegKey key;
        ASSERT_EQ(
            os::reg_create_key(os::RegKey::root(kHkcu), u"Odd \"name\"\\子", os::kRegWrite, key),
            os::kRegOk);
        const std::u16string bare = u"no terminator";
        const std::array<std::byte, 3> blob = {std::byte{0}, std::byte{0x7F}, std::byte{0xFF}};
        const std::u16string expand = u"%TEMP%\\x";
        ASSERT_EQ(os::reg_set_value(key, u"bare", os::RegValueType::kString,
                                    std::as_bytes(std::span(bare))),
                  os::kRegOk);
        ASSERT_EQ(os::reg_set_value(key, u"blob", os::RegValueType::kBinary, blob), os::kRegOk);
        ASSERT_EQ(os::reg_set_value(key, u"exp", os::RegValueType::kExpandString,
                                    std::as_bytes(std::span(expand.c_str(), expand.size() + 1))),
                  os::kRegOk);
    }
    const std::string first = saved();
    EXPECT_NE(first.find("[HKEY_CURRENT_USER\\Software\\Korvex\\Setup]\n"
                         "\"CustomExt\"=\"arc;\\\"q\\\";C:\\\\x\"\n"
                         "\"MenuIcons\"=dword:00000001\n"),
              std::string::npos)
        << first;
    EXPECT_NE(first.find("\"exp\"=expand:\"%TEMP%\\\\x\"\n"), std::string::npos) << first;
    EXPECT_NE(first.find("\"blob\"=hex(3):00,7f,ff\n"), std::string::npos) << first;

    os::clear_registry();
    EXPECT_FALSE(registry_key_exists(kHkcu, u"Setup"));
    std::string error;
    ASSERT_TRUE(os::load_registry_file(path_, error)) << error;
    EXPECT_EQ(saved(), first);
    std::u16string out;
    EXPECT_TRUE(read_setting_string(u"Profiles\\0", u"", out, u"", 512));
    EXPECT_EQ(out, u"默认 😀");
    EXPECT_TRUE(registry_key_exists(kHkcr, u"Empty\\Leaf"));
}

TEST_F(RegistryFile, LoadAcceptsShortRootNamesAndReportsTheBadLine) {
    std::string error;
    ASSERT_TRUE(
        load("; settings\r\n[HKCU\\Software\\Korvex\\Setup]\r\n\"Test\"=dword:1\r\n"
             "@=\"d\"\r\n# done\r\n",
             error))
        << error;
    EXPECT_EQ(read_setting_number(u"Setup", u"Test", 0), 1u);
    std::u16string out;
    EXPECT_TRUE(read_setting_string(u"Setup", u"", out, u"", 16));
    EXPECT_EQ(out, u"d");

    const struct {
        const char* text;
        const char* error;
    } bad[] = {
        {"\"v\"=dword:1\n", "line 1: a value before the first key"},
        {"[HKXX\\a]\n", "line 1: unknown root key"},
        {"[HKCU\\a\n", "line 1: a key line must end with ]"},
        {"[HKCU\\a]\n\n\"v\"=dword:123456789\n", "line 3: the value cannot be read"},
        {"[HKCU\\a]\nv=dword:1\n", "line 2: a value name must be quoted"},
        {"[HKCU\\a]\n\"v\" \"w\"\n", "line 2: = expected after the value name"},
        {"[HKCU\\a]\n\"v\"=\"open\n", "line 2: the value cannot be read"},
        {"[HKCU\\a]\n\"v\"=\"bad \\n escape\"\n", "line 2: the value cannot be read"},
        {"[HKCU\\a]\n\"v\"=hex(3):1,2zz\n", "line 2: the value cannot be read"},
        {"[HKCU\\\xC3]\n", "line 1: the key name is not UTF-8"},
        {"[HKCU\\a]\n\"\xED\xA0\"=\"x\"\n", "line 2: a value name must be quoted"},
    };
    for (const auto& c : bad) {
        EXPECT_FALSE(load(c.text, error)) << c.text;
        EXPECT_EQ(error, c.error) << c.text;
    }
    EXPECT_FALSE(os::load_registry_file(path_ + ".missing", error));
}
#endif

}  // namespace
}  // namespace kub

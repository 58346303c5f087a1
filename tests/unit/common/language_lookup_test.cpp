// The language folder rule, loading language files from disk, and LangString, against the real
// file system and the registry of the platform (the in-memory one natively).
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>

#include "common/language/lang_string.h"
#include "common/language/language_file.h"
#include "common/language/language_folder.h"
#include "common/language/language_module.h"
#include "common/text/number_text.h"
#include "common/os/os.h"
#include "common/registry/registry_access.h"
#include "resources/builtin_strings.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace kub {
namespace {

namespace fs = std::filesystem;

void set_environment(const char* name, const fs::path& value) {
#ifdef _WIN32
    std::wstring wide_name(name, name + std::char_traits<char>::length(name));
    ::SetEnvironmentVariableW(wide_name.c_str(), value.wstring().c_str());
#else
    ::setenv(name, value.string().c_str(), 1);
#endif
}

void write_file(const fs::path& path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// Paths compared with either separator, as the native layer accepts both.
std::u16string slashes(std::u16string path) {
    for (char16_t& c : path)
        if (c == u'\\') c = u'/';
    return path;
}

class LanguageLookupTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(os::select_code_pages(936, 936) || os::code_page_number(os::CodePage::kAnsi) == 936);
        root_ = fs::temp_directory_path() /
                ("kub-language-" + std::to_string(os::current_process_id()));
        fs::create_directories(root_ / "install");
        fs::create_directories(root_ / "languages");
        fs::create_directories(root_ / "empty");
        delete_registry_value(RegistryRoot::kCurrentUser, u"General", u"LanguageFolder");
        language_file().unload();
    }
    void TearDown() override {
        delete_registry_value(RegistryRoot::kCurrentUser, u"General", u"LanguageFolder");
        language_file().unload();
        std::error_code ignored;
        fs::remove_all(root_, ignored);
    }
    void set_language_folder(const std::u16string& folder) {
        ASSERT_EQ(write_setting_string(u"General", u"LanguageFolder", folder), os::kRegOk);
    }
    std::u16string path(const fs::path& p) const { return p.u16string(); }

    fs::path root_;
};

TEST_F(LanguageLookupTest, LanguageFolderWinsOnlyWhenItHoldsTheFile) {
    std::u16string default_path = path(root_ / "install" / "kubext.lng");
    write_file(root_ / "languages" / "kubext.lng", "x");
    std::u16string in_folder = path(root_ / "languages" / "kubext.lng");

    EXPECT_EQ(apply_language_folder(default_path), default_path);  // no setting

    set_language_folder(path(root_ / "languages"));
    EXPECT_EQ(slashes(apply_language_folder(default_path)), slashes(in_folder));
    set_language_folder(path(root_ / "languages") + u"\\");
    EXPECT_EQ(slashes(apply_language_folder(default_path)), slashes(in_folder));

    set_language_folder(path(root_ / "empty"));
    EXPECT_EQ(apply_language_folder(default_path), default_path);
    set_language_folder(path(root_ / "missing"));
    EXPECT_EQ(apply_language_folder(default_path), default_path);

    set_environment("KUB_LANGUAGE_TEST_ROOT", root_);
    set_language_folder(u"%KUB_LANGUAGE_TEST_ROOT%\\languages");
    EXPECT_EQ(slashes(apply_language_folder(default_path)), slashes(in_folder));
}

// An empty setting is no folder: the wanted name is not looked for in the current folder.
TEST_F(LanguageLookupTest, EmptyLanguageFolderIsNoFolder) {
    fs::path previous = fs::current_path();
    fs::current_path(root_ / "languages");
    write_file(root_ / "languages" / "kubext.lng", "x");
    set_language_folder(u"");
    std::u16string default_path = path(root_ / "install" / "kubext.lng");
    EXPECT_EQ(apply_language_folder(default_path), default_path);
    fs::current_path(previous);
}

// "s" + "字节" is keyed 7dba4e9f (CRC-32 of its GBK bytes).
constexpr std::string_view kBytesTranslation = "***messages***\r\n7dba4e9f=\"Bytes\"\r\n";

TEST_F(LanguageLookupTest, LanguageFileIsLoadedFromTheLanguageFolderOrBesideTheExecutable) {
    write_file(root_ / "install" / "kubext.lng", "***messages***\r\n7dba4e9f=\"install\"\r\n");
    write_file(root_ / "languages" / "kubext.lng", kBytesTranslation);
    std::u16string default_path = path(root_ / "install" / "kubext.lng");

    ASSERT_TRUE(load_language_file(default_path));
    EXPECT_EQ(std::u16string_view(LangString(4150)), u"install");
    set_language_folder(path(root_ / "languages"));
    ASSERT_TRUE(load_language_file(default_path));
    EXPECT_EQ(std::u16string_view(LangString(4150)), u"Bytes");
    EXPECT_FALSE(language_file().right_to_left());

    // A bare name lies beside the executable.
    std::string bare = "kub-language-" + std::to_string(os::current_process_id()) + ".lng";
    fs::path beside = fs::path(os::executable_path()).parent_path() / bare;
    write_file(beside, "***messages***\r\n7dba4e9f=\"beside\"\r\n50a17ae8=\"RTL\"\r\n");
    bool loaded = load_language_file(std::u16string(bare.begin(), bare.end()));
    fs::remove(beside);
    ASSERT_TRUE(loaded);
    EXPECT_EQ(std::u16string_view(LangString(4150)), u"beside");
    EXPECT_TRUE(language_file().right_to_left());

    EXPECT_FALSE(load_language_file(path(root_ / "install" / "missing.lng")));
    EXPECT_FALSE(language_file().loaded());
    EXPECT_FALSE(language_file().right_to_left());
    EXPECT_EQ(std::u16string_view(LangString(4150)), u"字节");
}

TEST_F(LanguageLookupTest, LangStringResultsStayValidForEightCalls) {
    write_file(root_ / "install" / "kubext.lng", kBytesTranslation);
    ASSERT_TRUE(load_language_file(path(root_ / "install" / "kubext.lng")));
    const char16_t* first = LangString(4150);
    std::set<const char16_t*> seen{first};
    for (int i = 0; i < 7; ++i) seen.insert(LangString(4153));
    EXPECT_EQ(seen.size(), kLangStringBuffers);
    EXPECT_EQ(std::u16string_view(first), u"Bytes");  // still intact after seven more calls
    EXPECT_EQ(std::u16string_view(LangString(4153)), u"MB");
    EXPECT_EQ(std::u16string_view(first), u"MB");  // the ninth call reused the first buffer
}

TEST_F(LanguageLookupTest, SizeUnitsAreTranslated) {
    EXPECT_EQ(size_text(1000, 64), u"1,000 字节");
    write_file(root_ / "install" / "kubext.lng", kBytesTranslation);
    ASSERT_TRUE(load_language_file(path(root_ / "install" / "kubext.lng")));
    EXPECT_EQ(size_text(1000, 64), u"1,000 Bytes");
    EXPECT_EQ(size_text(1048576, 64), u"1 MB");
}

TEST_F(LanguageLookupTest, LangStringWithoutLanguageFileGivesTheBuiltInTexts) {
    release_language_module();
    EXPECT_FALSE(language_module_loaded());
    EXPECT_EQ(resource_source(), own_resource_module());
    // The texts both deliverables carry.
    for (unsigned id : {4150u, 4152u, 4153u, 4154u, 4155u})
        EXPECT_EQ(std::u16string_view(LangString(id)), std::u16string_view(find_builtin_string(id)))
            << id;
    EXPECT_EQ(std::u16string_view(LangString(1)), u"");
}

}  // namespace
}  // namespace kub

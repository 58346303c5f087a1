#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/files/file_helpers.h"
#include "common/os/os.h"
#include "common/registry/registry_access.h"
#include "common/files/temp_files.h"
#include "tests/support/scratch_folder.h"

namespace kub {
namespace {

TEST(AppendUniqueSuffix, NamesCountUpWithTheTimeNumber) {
    std::vector<std::u16string> tried;
    const auto taken = [&](std::u16string_view name) {
        tried.emplace_back(name);
        return true;
    };
    std::u16string path = u"C:\\t\\Kub$LS";
    EXPECT_FALSE(append_unique_suffix(path, kPathBufferSize, 1234567, taken));
    EXPECT_EQ(path, u"C:\\t\\Kub$LS");  // unchanged after 1000 names
    ASSERT_EQ(tried.size(), 1000u);
    EXPECT_EQ(tried[0], u"C:\\t\\Kub$LS0.567");
    EXPECT_EQ(tried[100], u"C:\\t\\Kub$LS100.567");
    EXPECT_EQ(tried[101], u"C:\\t\\Kub$LS101.1234567");
    EXPECT_EQ(tried[999], u"C:\\t\\Kub$LS999.1234567");

    tried.clear();
    path = u"x";
    EXPECT_FALSE(append_unique_suffix(path, kPathBufferSize, 5, taken));
    EXPECT_EQ(tried[0], u"x0.005");
    EXPECT_EQ(tried[101], u"x101.005");
}

TEST(AppendUniqueSuffix, TakesTheFirstFreeNameThatFits) {
    const auto first_three_taken = [](std::u16string_view name) {
        return name == u"a0.042" || name == u"a1.042" || name == u"a2.042";
    };
    std::u16string path = u"a";
    EXPECT_TRUE(append_unique_suffix(path, kPathBufferSize, 42, first_three_taken));
    EXPECT_EQ(path, u"a3.042");
    // "a0.042" is 6 units: a 6-unit buffer cannot hold it with its terminator.
    path = u"a";
    EXPECT_FALSE(append_unique_suffix(path, 6, 42, first_three_taken));
    EXPECT_EQ(path, u"a");
}

TEST(AppendUniqueSuffix, AvoidsExistingFiles) {
    test::ScratchFolder scratch;
    ASSERT_FALSE(scratch.path().empty());
    std::u16string first = scratch / u"f";
    ASSERT_TRUE(AppendUniqueSuffix(first, kPathBufferSize));
    ASSERT_TRUE(scratch.write_file(first.substr(scratch.path().size()), "x"));
    std::u16string second = scratch / u"f";
    ASSERT_TRUE(AppendUniqueSuffix(second, kPathBufferSize));
    EXPECT_NE(first, second);
    EXPECT_FALSE(file_exists(second));
}

class TempFolderTest : public ::testing::Test {
  protected:
    void TearDown() override {
        delete_registry_value(RegistryRoot::kCurrentUser, u"Paths", u"TempFolder");
    }

    static std::u16string temp_folder(bool accept_missing) {
        std::u16string out;
        TempFolderPath(out, kPathBufferSize, accept_missing);
        return out;
    }

    test::ScratchFolder scratch_;
};

TEST_F(TempFolderTest, UsesTheSettingWhenItNamesAFolder) {
    ASSERT_FALSE(scratch_.path().empty());
    const std::u16string folder = scratch_.path().substr(0, scratch_.path().size() - 1);
    write_setting_string(u"Paths", u"TempFolder", folder);
    EXPECT_EQ(temp_folder(false), folder + u'\\');

    write_setting_string(u"Paths", u"TempFolder", scratch_.path());
    EXPECT_EQ(temp_folder(false), scratch_.path());  // no second separator
}

TEST_F(TempFolderTest, ExpandsEnvironmentVariables) {
    std::u16string system_temp = os::temp_path();
    ASSERT_FALSE(system_temp.empty());
    write_setting_string(u"Paths", u"TempFolder", u"%KUB_NO_SUCH_VARIABLE%");
    EXPECT_EQ(temp_folder(false), system_temp);  // unexpanded, it names no folder
    std::u16string home;
#ifdef _WIN32
    ASSERT_TRUE(os::get_environment_variable(u"SystemRoot", home));
    write_setting_string(u"Paths", u"TempFolder", u"%SystemRoot%");
#else
    ASSERT_TRUE(os::get_environment_variable(u"HOME", home));
    write_setting_string(u"Paths", u"TempFolder", u"%HOME%");
#endif
    EXPECT_EQ(temp_folder(false), home + (home.ends_with(u'/') ? u"" : u"\\"));
}

TEST_F(TempFolderTest, FallsBackToTheSystemTemporaryFolder) {
    const std::u16string system_temp = os::temp_path();
    EXPECT_EQ(temp_folder(false), system_temp);
    EXPECT_EQ(temp_folder(true), u"");  // empty setting accepted: the current folder
    write_setting_string(u"Paths", u"TempFolder", scratch_ / u"missing");
    EXPECT_EQ(temp_folder(true), system_temp);
    write_setting_string(u"Paths", u"TempFolder", scratch_ / u"file");
    ASSERT_TRUE(scratch_.write_file(u"file", "not a folder"));
    EXPECT_EQ(temp_folder(false), system_temp);
}

TEST_F(TempFolderTest, CreatesTemporaryFilesAndFolders) {
    ASSERT_FALSE(scratch_.path().empty());
    write_setting_string(u"Paths", u"TempFolder", scratch_.path());
    std::u16string file_path;
    std::FILE* stream = create_temp_file(u"Kub$LS", file_path);
    ASSERT_NE(stream, nullptr);
    EXPECT_EQ(file_path.substr(0, scratch_.path().size() + 6), scratch_ / u"Kub$LS");
    EXPECT_EQ(std::fwrite("ab", 1, 2, stream), 2u);
    std::fclose(stream);
    EXPECT_TRUE(file_exists(file_path));

    std::u16string folder_path;
    ASSERT_TRUE(create_temp_folder(u"Kub$ML", folder_path));
    EXPECT_EQ(folder_path.substr(0, scratch_.path().size() + 6), scratch_ / u"Kub$ML");
    EXPECT_NE(file_attributes(folder_path) & os::kAttrDirectory, 0u);
    std::u16string another;
    ASSERT_TRUE(create_temp_folder(u"Kub$ML", another));
    EXPECT_NE(another, folder_path);
}

}  // namespace
}  // namespace kub

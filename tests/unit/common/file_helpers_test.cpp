#include <gtest/gtest.h>

#include <string>

#include "common/files/file_helpers.h"
#include "common/os/os.h"
#include "tests/support/scratch_folder.h"

namespace kub {
namespace {

class FileHelpersTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_FALSE(scratch_.path().empty());
        ASSERT_TRUE(scratch_.write_file(u"a.txt", "alpha"));
    }
    test::ScratchFolder scratch_;
};

TEST_F(FileHelpersTest, CreateFolderTellsAMissingParentApart) {
    EXPECT_EQ(create_folder(scratch_ / u"new"), CreateFolderResult::ok);
    EXPECT_NE(file_attributes(scratch_ / u"new") & os::kAttrDirectory, 0u);
    EXPECT_EQ(create_folder(scratch_ / u"new"), CreateFolderResult::failed);  // already there
    EXPECT_EQ(create_folder(scratch_ / u"absent\\child"), CreateFolderResult::path_missing);
    EXPECT_EQ(create_folder(scratch_ / u"a.txt\\child"), CreateFolderResult::path_missing);
}

TEST_F(FileHelpersTest, AttributesExistenceAndDeletion) {
    const std::uint32_t attributes = file_attributes(scratch_ / u"a.txt");
    ASSERT_NE(attributes, os::kInvalidAttributes);
    EXPECT_EQ(attributes & os::kAttrDirectory, 0u);
    EXPECT_TRUE(set_file_attributes(scratch_ / u"a.txt", os::kAttrReadOnly));
    EXPECT_NE(file_attributes(scratch_ / u"a.txt") & os::kAttrReadOnly, 0u);
    EXPECT_TRUE(set_file_attributes(scratch_ / u"a.txt", os::kAttrNormal));
    EXPECT_EQ(file_attributes(scratch_ / u"a.txt") & os::kAttrReadOnly, 0u);

    EXPECT_EQ(file_attributes(scratch_ / u"b.txt"), os::kInvalidAttributes);
    EXPECT_FALSE(file_exists(scratch_ / u"b.txt"));
    EXPECT_FALSE(delete_file(scratch_ / u"b.txt"));
    EXPECT_EQ(os::last_file_error(), os::FileError::not_found);
    EXPECT_TRUE(delete_file(scratch_ / u"a.txt"));
    EXPECT_FALSE(file_exists(scratch_ / u"a.txt"));
}

TEST_F(FileHelpersTest, RenameNeverReplaces) {
    ASSERT_TRUE(scratch_.write_file(u"b.txt", "beta"));
    EXPECT_FALSE(os::rename_file(scratch_ / u"a.txt", scratch_ / u"b.txt"));
    EXPECT_EQ(os::last_file_error(), os::FileError::already_exists);
    EXPECT_TRUE(os::rename_file(scratch_ / u"a.txt", scratch_ / u"c.txt"));
    EXPECT_FALSE(file_exists(scratch_ / u"a.txt"));
    EXPECT_TRUE(file_exists(scratch_ / u"c.txt"));
}

TEST_F(FileHelpersTest, RemoveDirectoryOnlyWhenEmpty) {
    ASSERT_TRUE(scratch_.make_folder(u"d"));
    ASSERT_TRUE(scratch_.write_file(u"d\\f", "x"));
    EXPECT_FALSE(os::remove_directory(scratch_ / u"d"));
    EXPECT_TRUE(delete_file(scratch_ / u"d\\f"));
    EXPECT_TRUE(os::remove_directory(scratch_ / u"d"));
    EXPECT_FALSE(file_exists(scratch_ / u"d"));
}

TEST_F(FileHelpersTest, StreamsAndFileKinds) {
    std::FILE* stream = open_file_stream(scratch_ / u"a.txt", "rb");
    ASSERT_NE(stream, nullptr);
    char buffer[8] = {};
    EXPECT_EQ(std::fread(buffer, 1, sizeof buffer, stream), 5u);
    EXPECT_EQ(std::string(buffer, 5), "alpha");
    // Shared: the file can be opened again while the stream holds it.
    const os::NativeFile handle = os::open_file(scratch_ / u"a.txt", {});
    ASSERT_NE(handle, os::kInvalidFile);
    EXPECT_EQ(os::file_type(handle), os::FileType::disk);
    EXPECT_TRUE(os::close_file(handle));
    std::fclose(stream);
    EXPECT_EQ(open_file_stream(scratch_ / u"none\\x", "rb"), nullptr);
}

TEST_F(FileHelpersTest, FreeSpaceOfTheFileVolume) {
    EXPECT_GT(free_disk_space(scratch_ / u"a.txt"), 0u);
    EXPECT_EQ(free_disk_space(scratch_ / u"no\\such\\folder\\f"), 0u);
}

TEST_F(FileHelpersTest, MoveAtRestart) {
#ifdef _WIN32
    // Recorded for the next start; nothing moves now.
    EXPECT_TRUE(os::move_at_restart(scratch_ / u"a.txt", u""));
    EXPECT_TRUE(file_exists(scratch_ / u"a.txt"));
#else
    EXPECT_FALSE(os::move_at_restart(scratch_ / u"a.txt", u""));
    EXPECT_EQ(os::last_file_error(), os::FileError::unsupported);
#endif
}

}  // namespace
}  // namespace kub

#include <gtest/gtest.h>

#include <map>
#include <string>

#include "common/files/dir_scanner.h"
#include "common/files/file_helpers.h"
#include "tests/support/scratch_folder.h"

namespace kub {
namespace {

class DirScannerTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_FALSE(scratch_.path().empty());
        ASSERT_TRUE(scratch_.write_file(u"one.txt", "1"));
        ASSERT_TRUE(scratch_.write_file(u"two.TXT", "22"));
        ASSERT_TRUE(scratch_.write_file(u"three.bin", "333"));
        ASSERT_TRUE(scratch_.make_folder(u"sub"));
        ASSERT_TRUE(scratch_.write_file(u"sub\\inner.txt", "4444"));
    }

    // Path -> size of every entry the mask finds; folders have size -1.
    std::map<std::u16string, long long> scan(std::u16string_view mask, bool* error = nullptr) {
        std::map<std::u16string, long long> found;
        DirScanner scanner;
        scanner.SetMask(mask);
        FoundEntry entry;
        while (scanner.Next(entry)) {
            EXPECT_EQ(entry.is_folder, (entry.attributes & os::kAttrDirectory) != 0);
            EXPECT_NE(entry.write_time, 0u);
            found[entry.path] = entry.is_folder ? -1 : static_cast<long long>(entry.size);
        }
        if (error != nullptr) *error = entry.error;
        EXPECT_FALSE(scanner.Next(entry));  // stays at the end
        EXPECT_FALSE(entry.error);
        return found;
    }

    test::ScratchFolder scratch_;
};

TEST_F(DirScannerTest, ListsEverythingButDotEntries) {
    bool error = true;
    const auto found = scan(scratch_ / u"*", &error);
    EXPECT_FALSE(error);
    const std::map<std::u16string, long long> expected = {
        {scratch_ / u"one.txt", 1},
        {scratch_ / u"two.TXT", 2},
        {scratch_ / u"three.bin", 3},
        {scratch_ / u"sub", -1},
    };
    EXPECT_EQ(found, expected);
    EXPECT_EQ(scan(scratch_ / u"*.*"), expected);
}

TEST_F(DirScannerTest, MatchesWildcardsIgnoringCase) {
    const std::map<std::u16string, long long> txt = {
        {scratch_ / u"one.txt", 1},
        {scratch_ / u"two.TXT", 2},
    };
    EXPECT_EQ(scan(scratch_ / u"*.txt"), txt);
    EXPECT_EQ(scan(scratch_ / u"t?ree.*").size(), 1u);
    EXPECT_EQ(scan(scratch_ / u"sub/*.txt"),
              (std::map<std::u16string, long long>{{scratch_ / u"sub/inner.txt", 4}}));
}

TEST_F(DirScannerTest, NothingToFindIsNoError) {
    bool error = true;
    EXPECT_TRUE(scan(scratch_ / u"*.none", &error).empty());
    EXPECT_FALSE(error);
    EXPECT_TRUE(scan(scratch_ / u"missing\\*", &error).empty());
    EXPECT_FALSE(error);
}

TEST_F(DirScannerTest, SetMaskStartsOver) {
    DirScanner scanner;
    scanner.SetMask(scratch_ / u"*.bin");
    FoundEntry entry;
    ASSERT_TRUE(scanner.Next(entry));
    scanner.SetMask(scratch_ / u"one.*");
    ASSERT_TRUE(scanner.Next(entry));
    EXPECT_EQ(entry.path, scratch_ / u"one.txt");
    EXPECT_FALSE(scanner.Next(entry));
}

TEST_F(DirScannerTest, FindOneEntry) {
    FoundEntry entry;
    ASSERT_TRUE(find_one_entry(scratch_ / u"three.bin", entry));
    EXPECT_EQ(entry.path, scratch_ / u"three.bin");
    EXPECT_EQ(entry.size, 3u);
    EXPECT_FALSE(entry.is_folder);
    ASSERT_TRUE(find_one_entry(scratch_ / u"sub", entry));
    EXPECT_TRUE(entry.is_folder);
    EXPECT_FALSE(find_one_entry(scratch_ / u"absent", entry));
    EXPECT_FALSE(entry.error);
    // A wildcard fails at once, although a search would find one.txt.
    entry = FoundEntry{};
    EXPECT_FALSE(find_one_entry(scratch_ / u"one.tx?", entry));
    EXPECT_TRUE(entry.path.empty());
}

}  // namespace
}  // namespace kub

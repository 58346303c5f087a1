// The buffered file: small reads from the buffer, large ones straight into the caller's memory,
// and positions that count only what the caller took.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "formats/buffered_input_file.h"
#include "tests/support/scratch_folder.h"

namespace kub {
namespace {

std::string pattern(std::size_t n) {
    std::string s(n, '\0');
    for (std::size_t i = 0; i < n; ++i) s[i] = static_cast<char>((i * 7 + i / 251) & 0xFF);
    return s;
}

TEST(BufferedInputFile, ReadsSeeksAndPositions) {
    test::ScratchFolder scratch;
    const std::string content = pattern(50000);
    ASSERT_TRUE(scratch.write_file(u"f.bin", content));
    BufferedInputFile file;
    ASSERT_TRUE(file.Open(scratch / u"f.bin"));

    std::vector<char> buffer(30000);
    ASSERT_EQ(file.Read(buffer.data(), 3), 3);
    EXPECT_EQ(std::string(buffer.data(), 3), content.substr(0, 3));
    EXPECT_EQ(file.Tell(), 3);
    // 16381 bytes come from the buffer, the 3619 after them through one refill.
    ASSERT_EQ(file.Read(buffer.data(), 20000), 20000);
    EXPECT_EQ(std::string(buffer.data(), 20000), content.substr(3, 20000));
    EXPECT_EQ(file.Tell(), 20003);
    // A rest of 16384 or more is read directly.
    ASSERT_EQ(file.Read(buffer.data(), 29000), 29000);
    EXPECT_EQ(std::string(buffer.data(), 29000), content.substr(20003, 29000));
    EXPECT_EQ(file.Tell(), 49003);

    ASSERT_TRUE(file.Seek(-10, SeekMethod::current));
    EXPECT_EQ(file.Tell(), 48993);
    EXPECT_EQ(file.ReadByte(), static_cast<unsigned char>(content[48993]));
    ASSERT_TRUE(file.Seek(100, SeekMethod::begin));
    EXPECT_EQ(file.ReadByte(), static_cast<unsigned char>(content[100]));
    EXPECT_EQ(file.Tell(), 101);

    ASSERT_TRUE(file.Seek(-5, SeekMethod::end));
    EXPECT_EQ(file.Read(buffer.data(), 100), 5);
    EXPECT_EQ(std::string(buffer.data(), 5), content.substr(49995));
    EXPECT_EQ(file.ReadByte(), -1);
    EXPECT_EQ(file.Read(buffer.data(), 100), 0);
}

}  // namespace
}  // namespace kub

// Damaged ZIP archives: every tool-made fixture cut short at 64 lengths and with random bytes
// changed. The analysis must come back with a result and totals the bytes can hold.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "formats/archive_analysis.h"
#include "tests/support/scratch_folder.h"
#include "tests/support/fixtures/zip_fixtures.h"

namespace kub {
namespace {

// The sanitizer build does the full sweep; under Wine a lighter one checks the Windows file layer.
#if defined(_WIN32)
constexpr int kCuts = 16;
constexpr int kFlipsPerFixture = 30;
#else
constexpr int kCuts = 64;
constexpr int kFlipsPerFixture = 160;
#endif
// Larger fixtures are cut at a few lengths only and not flipped: one analysis of them costs as
// much as hundreds of the others.
constexpr std::size_t kLargeFixture = 512 * 1024;
constexpr int kLargeFixtureCuts = 4;

std::string read_all(const std::u16string& path) {
    std::ifstream in(std::filesystem::path(path), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// The result is one of the four, and no count or size exceeds what the file could describe: a
// directory header takes 46 bytes and a local header 30.
void expect_sane(ArchiveAnalysis& analysis, const std::u16string& path, std::size_t size) {
    int result = analysis.Analyze(path, false, 0);
    ASSERT_TRUE(result == kAnalyzeArchive || result == kAnalyzeNotArchive || result == kAnalyzeFailed) << result;
    if (result != kAnalyzeArchive) return;
    const ArchiveSummary& s = analysis.summary();
    EXPECT_GE(s.ItemCount, 0);
    EXPECT_LE(static_cast<std::size_t>(s.ItemCount), size / 30 + 1);
    EXPECT_LE(s.FileCount, s.ItemCount);
    EXPECT_GE(s.TotalPacked, 0);
    EXPECT_GE(s.TotalUnpacked, 0);
    EXPECT_GE(s.SfxSize, 0);
    EXPECT_LE(s.SfxSize, static_cast<std::int64_t>(size));
    EXPECT_TRUE(s.FormatName == u"ZIP" || s.FormatName == u"ZIP64") << std::string(s.FormatName.begin(), s.FormatName.end());
    EXPECT_LT(s.HostOSList.size(), kHostOsListCapacity);
}

class ZipRobustnessTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        std::u16string folder = test::zip_fixture_folder(KUB_TEST_DATA_DIR, error);
        ASSERT_FALSE(folder.empty()) << error;
        fixtures = test::zip_fixtures(folder);
        ASSERT_FALSE(fixtures.empty());
    }
    std::vector<test::ZipFixture> fixtures;
    test::ScratchFolder scratch;
};

TEST_F(ZipRobustnessTest, TruncatedAtEvenlySpacedLengths) {
    ArchiveAnalysis analysis;
    for (const test::ZipFixture& f : fixtures) {
        SCOPED_TRACE(f.name);
        std::string bytes = read_all(f.path);
        int cuts = bytes.size() > kLargeFixture ? kLargeFixtureCuts : kCuts;
        for (int i = 0; i < cuts; ++i) {
            std::size_t length = bytes.size() * static_cast<std::size_t>(i) / static_cast<std::size_t>(cuts);
            SCOPED_TRACE(length);
            ASSERT_TRUE(scratch.write_file(u"cut.zip", std::string_view(bytes).substr(0, length)));
            expect_sane(analysis, scratch / u"cut.zip", length);
        }
    }
}

TEST_F(ZipRobustnessTest, RandomByteChanges) {
    std::mt19937 random(20240607);
    ArchiveAnalysis analysis;
    for (const test::ZipFixture& f : fixtures) {
        SCOPED_TRACE(f.name);
        std::string original = read_all(f.path);
        if (original.empty() || original.size() > kLargeFixture) continue;
        for (int n = 0; n < kFlipsPerFixture; ++n) {
            std::string bytes = original;
            int changes = 1 + static_cast<int>(random() % 8);
            for (int c = 0; c < changes; ++c) {
                // Half of the changes land in the last 1 KiB, where the end records are.
                std::size_t span = random() % 2 ? bytes.size() : std::min<std::size_t>(bytes.size(), 1024);
                std::size_t at = bytes.size() - 1 - random() % span;
                bytes[at] = static_cast<char>(random());
            }
            ASSERT_TRUE(scratch.write_file(u"flipped.zip", bytes));
            expect_sane(analysis, scratch / u"flipped.zip", bytes.size());
        }
    }
}

}  // namespace
}  // namespace kub

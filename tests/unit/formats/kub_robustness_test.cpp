// Every generated KUB fixture, cut short and with random bytes changed, read without crash, hang
// or leak; a cut file lists a prefix of what the whole file lists.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "formats/archive_analysis.h"
#include "formats/kub/kub_archive.h"
#include "formats/kub/kub_item_conversion.h"
#include "formats/kub/kub_reader.h"
#include "tests/support/kub_memory_source.h"
#include "tests/support/writers/kub_writer.h"
#include "tests/support/scratch_folder.h"

namespace kub {
namespace {

using test::Bytes;

std::vector<std::u16string> list_names(const test::ScratchFolder& dir, const Bytes& bytes, bool* opened) {
    dir.write_file(u"cut.kub", std::string(bytes.begin(), bytes.end()));
    KubArchiveReader reader(nullptr);
    std::u16string path = dir / u"cut.kub";
    std::int32_t offset = 0;
    std::vector<std::u16string> names;
    *opened = reader.Open(path, {}, offset, 0);
    if (!*opened) return names;
    ItemHeader item;
    while (names.size() <= bytes.size() && reader.ReadItem(item) == kItemRead) {
        names.push_back(item.Name);
        item = ItemHeader{};
    }
    ArchiveSummary summary;
    reader.Close(summary);
    return names;
}

TEST(KubRobustness, TruncatedFixturesListAPrefix) {
    test::ScratchFolder dir;
    for (const test::NamedArchive& sample : test::kub_sample_archives()) {
        bool opened = false;
        std::vector<std::u16string> whole = list_names(dir, sample.bytes, &opened);
        ASSERT_TRUE(opened) << sample.file_name;
        for (unsigned step = 0; step < 64; ++step) {
            std::size_t length = sample.bytes.size() * step / 64;
            Bytes cut(sample.bytes.begin(), sample.bytes.begin() + static_cast<std::ptrdiff_t>(length));
            std::vector<std::u16string> names = list_names(dir, cut, &opened);
            ASSERT_LE(names.size(), whole.size()) << sample.file_name << " cut at " << length;
            EXPECT_TRUE(std::equal(names.begin(), names.end(), whole.begin()))
                << sample.file_name << " cut at " << length;
        }
    }
}

// Every header of any generation occupies at least 7 bytes of the file (a block head, or a
// checksum, size, type and flags), so no walk may report more items than that allows.
constexpr std::size_t kSmallestHeader = 7;

// What a walk over damaged bytes must keep to, with and without the quick-open cache: it ends,
// it reports no more items than the bytes can hold, every name fits its buffer and every
// version and size is one the conversion can produce.
void expect_sane_walk(const Bytes& bytes, bool quick_open, const std::string& trace) {
    test::MemorySource source(bytes);
    kubfmt::KubArchive archive(source, quick_open);
    if (!archive.open()) return;
    std::size_t items = 0;
    kubfmt::ParsedHeader h;
    while (archive.next_item(h)) {
        const ItemHeader item = to_item_header(h.item, archive.generation());
        ++items;
        ASSERT_LE(items, bytes.size() / kSmallestHeader) << trace << ": the walk does not end";
        ASSERT_LT(item.Name.size(), kItemNameCapacity) << trace;
        ASSERT_LT(item.HostOS.size(), 32u) << trace;
        ASSERT_LE(item.UnpackVersion, 0xFFFFu) << trace;
    }
    ASSERT_GE(archive.volume_number(), 1u) << trace;
}

TEST(KubRobustness, RandomByteChanges) {
    std::mt19937 random(20240601);
    for (const test::NamedArchive& sample : test::kub_sample_archives()) {
        // Changes are aimed at the archive part: an SFX stub only hides the signature.
        bool behind_stub = sample.bytes.size() > 20000;
        std::size_t start = behind_stub ? sample.bytes.size() - 4000 : 0;
        for (int round = 0; round < (behind_stub ? 60 : 300); ++round) {
            Bytes changed = sample.bytes;
            int count = 1 + static_cast<int>(random() % 6);
            for (int i = 0; i < count; ++i) {
                std::size_t at = start + random() % (changed.size() - start);
                changed[at] = static_cast<std::uint8_t>(random() % 4 == 0 ? 0xFF : random());
            }
            const std::string trace = sample.file_name + " round " + std::to_string(round);
            expect_sane_walk(changed, true, trace);
            expect_sane_walk(changed, false, trace);
        }
    }
}

// Through the whole analysis: a result for every file, and a summary the bytes can hold.
TEST(KubRobustness, DamagedFilesThroughTheAnalysis) {
    test::ScratchFolder dir;
    std::mt19937 random(7);
    for (const test::NamedArchive& sample : test::kub_sample_archives()) {
        for (int round = 0; round < 10; ++round) {
            Bytes changed = sample.bytes;
            for (int i = 0; i < 3; ++i) changed[random() % changed.size()] ^= static_cast<std::uint8_t>(1 + random() % 255);
            ASSERT_TRUE(dir.write_file(u"x.kub", std::string(changed.begin(), changed.end())));
            ArchiveAnalysis analysis;
            int result = analysis.Analyze(dir / u"x.kub", false, kVolumeModeFollowAll);
            SCOPED_TRACE(sample.file_name + " round " + std::to_string(round));
            ASSERT_TRUE(result == kAnalyzeArchive || result == kAnalyzeNotArchive) << result;
            if (result != kAnalyzeArchive) continue;
            const ArchiveSummary& s = analysis.summary();
            EXPECT_FALSE(s.FormatName.empty());
            EXPECT_LT(s.FormatName.size(), kFormatNameCapacity);
            EXPECT_LT(s.HostOSList.size(), kHostOsListCapacity);
            EXPECT_GE(s.ItemCount, 0);
            EXPECT_LE(static_cast<std::size_t>(s.ItemCount), changed.size() / kSmallestHeader);
            EXPECT_LE(s.FileCount, s.ItemCount);
            EXPECT_GE(s.FileCount, 0);
            EXPECT_GE(s.TotalPacked, 0);
            EXPECT_GE(s.TotalUnpacked, 0);
            EXPECT_GE(s.SfxSize, 0);
            EXPECT_LE(s.SfxSize, static_cast<std::int64_t>(changed.size()));
            EXPECT_TRUE(s.RecoveryPercent <= 100 || s.RecoveryPercent == 0xFFFFFFFFu) << s.RecoveryPercent;
        }
    }
}

}  // namespace
}  // namespace kub

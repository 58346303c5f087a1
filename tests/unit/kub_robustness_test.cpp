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
#include "tests/support/kub_writer.h"
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

// The header walk in memory, with and without the quick-open cache, as the reader drives it.
std::size_t walk(const Bytes& bytes, bool quick_open) {
    test::MemorySource source(bytes);
    kubfmt::KubArchive archive(source, quick_open);
    if (!archive.open()) return 0;
    std::size_t items = 0;
    kubfmt::ParsedHeader h;
    while (archive.next_item(h)) {
        to_item_header(h.item, archive.generation());
        ++items;
        if (items > bytes.size()) ADD_FAILURE() << "walk does not end";
        if (items > bytes.size()) break;
    }
    archive.volume_number();
    return items;
}

TEST(KubRobustness, RandomByteChanges) {
    std::mt19937 random(20240601);
    std::size_t variants = 0;
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
            walk(changed, true);
            walk(changed, false);
            ++variants;
        }
    }
    EXPECT_GE(variants, 3000u);
}

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
            EXPECT_TRUE(result == kAnalyzeArchive || result == kAnalyzeNotArchive) << sample.file_name;
        }
    }
}

}  // namespace
}  // namespace kub

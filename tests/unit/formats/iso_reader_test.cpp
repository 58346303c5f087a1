// ISO 9660 images made by genisoimage and xorriso, listed and compared with isoinfo -l and
// xorriso -find; then the same images with single fields changed, for the detection rules, the
// Joliet choice, version suffixes, deep paths and damaged path tables.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "common/error_state.h"
#include "common/files/disk_file.h"
#include "common/text/encoding.h"
#include "formats/archive_analysis.h"
#include "formats/iso/iso_reader.h"
#include "formats/udf/udf_reader.h"
#include "tests/support/code_page_scope.h"
#include "tests/support/fixtures/iso_fixtures.h"
#include "tests/support/scratch_folder.h"

namespace kub {
namespace {

namespace fs = std::filesystem;

struct Listing {
    int result = 0;  // Analyze's result
    ArchiveSummary summary;
    std::vector<ItemHeader> items;
};

Listing analyse(const std::u16string& path) {
    Listing l;
    ArchiveAnalysis analysis;
    analysis.set_item_observer([&](const ItemHeader& h) { l.items.push_back(h); });
    l.result = analysis.Analyze(path, false, 0);
    l.summary = analysis.summary();
    return l;
}

// Through the system layer, which takes the scratch folder's "\\" separators on every system.
std::vector<std::uint8_t> read_bytes(const std::u16string& path) {
    DiskFile file;
    std::vector<std::uint8_t> bytes;
    if (!file.Open(path)) return bytes;
    bytes.resize(static_cast<std::size_t>(std::max<std::int64_t>(file.FileLength(), 0)));
    bytes.resize(static_cast<std::size_t>(std::max<std::int64_t>(file.Read(bytes.data(), bytes.size()), 0)));
    return bytes;
}

std::u16string wide(const std::string& utf8) {
    std::u16string out;
    utf8_to_wide(utf8, out);
    return out;
}

// Item name -> "size folder" as the tool listed it, names turned the way the reader gives them:
// "\" separators and, when asked, a trailing ";1" removed.
std::map<std::u16string, std::pair<std::uint64_t, bool>> expected_items(const test::IsoFixture& f, bool strip_version) {
    std::map<std::u16string, std::pair<std::uint64_t, bool>> out;
    for (const auto& e : f.entries) {
        std::u16string name = wide(e.name);
        std::replace(name.begin(), name.end(), u'/', u'\\');
        // Each component of an ISO name may carry the suffix; only files do in practice.
        if (strip_version && name.size() > 2 && name.compare(name.size() - 2, 2, u";1") == 0)
            name.resize(name.size() - 2);
        out[name] = {e.folder ? 0 : e.size, e.folder};
    }
    return out;
}

std::map<std::u16string, std::pair<std::uint64_t, bool>> listed_items(const Listing& l) {
    std::map<std::u16string, std::pair<std::uint64_t, bool>> out;
    for (const ItemHeader& h : l.items) out[h.Name] = {h.IsDirectory ? 0 : h.UnpackedSize, h.IsDirectory};
    return out;
}

class IsoImages : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        folder = test::iso_fixture_folder(KUB_TEST_DATA_DIR, error);
        ASSERT_FALSE(folder.empty()) << error;
        fixtures = test::iso_fixtures(folder);
        ASSERT_GE(fixtures.size(), 13u);
        ErrorState::reset();
    }
    const test::IsoFixture& fixture(const std::string& name) {
        for (const auto& f : fixtures)
            if (f.name == name) return f;
        ADD_FAILURE() << "no fixture " << name;
        static test::IsoFixture none;
        return none;
    }
    // A copy of a fixture with some bytes replaced, in the scratch folder.
    std::u16string patched(const std::string& name, const std::vector<std::pair<std::size_t, std::string>>& patches,
                           std::size_t cut = SIZE_MAX) {
        std::vector<std::uint8_t> bytes = read_bytes(fixture(name).path);
        for (const auto& [offset, text] : patches) std::copy(text.begin(), text.end(), bytes.begin() + offset);
        if (cut < bytes.size()) bytes.resize(cut);
        std::u16string path = scratch / u"patched.iso";
        EXPECT_TRUE(scratch.write_file(u"patched.iso", std::string(bytes.begin(), bytes.end())));
        return path;
    }
    // Offsets of every occurrence of a text in a fixture.
    std::vector<std::size_t> find_all(const std::string& name, const std::string& text) {
        std::vector<std::uint8_t> bytes = read_bytes(fixture(name).path);
        std::vector<std::size_t> at;
        for (auto it = bytes.begin(); (it = std::search(it, bytes.end(), text.begin(), text.end())) != bytes.end(); ++it)
            at.push_back(static_cast<std::size_t>(it - bytes.begin()));
        return at;
    }

    std::u16string folder;
    std::vector<test::IsoFixture> fixtures;
    test::ScratchFolder scratch;
};

TEST_F(IsoImages, ListingsMatchTheTools) {
    struct Case {
        const char* image;
        const char16_t* format;
        bool iso_names;  // listed by isoinfo with ISO 9660 names (";1" suffixes)
    };
    const Case cases[] = {
        {"plain.iso", u"ISO 9660", true},
        {"rockridge.iso", u"ISO 9660", true},
        {"deep_relocated.iso", u"ISO 9660", true},
        {"deep_kept.iso", u"ISO 9660", true},
        {"xorriso_plain.iso", u"ISO 9660", true},
        {"joliet.iso", u"ISO 9660 Joliet", false},
        {"xorriso_joliet.iso", u"ISO 9660 Joliet", false},
        // Hybrid: the UDF reader takes it, and its names are those xorriso shows from Joliet.
        {"udf_hybrid.iso", u"UDF 1.02", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.image);
        const test::IsoFixture& f = fixture(c.image);
        Listing l = analyse(f.path);
        ASSERT_EQ(l.result, 1);
        EXPECT_EQ(l.summary.FormatName, c.format);
        EXPECT_EQ(listed_items(l), expected_items(f, c.iso_names));
        EXPECT_EQ(l.items.size(), f.entries.size());
    }
    // The relocated folder of a Rock Ridge image stays where the ISO 9660 tree has it.
    Listing relocated = analyse(fixture("deep_relocated.iso").path);
    EXPECT_EQ(listed_items(relocated).count(u"RR_MOVED\\L8\\L9\\L10\\BOTTOM.TXT"), 1u);
}

TEST_F(IsoImages, OnlyTheFirstTransTblIsListed) {
    const test::IsoFixture& f = fixture("trans_tbl.iso");
    auto expected = expected_items(f, true);
    ASSERT_EQ(expected.count(u"SUB\\TRANS.TBL"), 1u);
    expected.erase(u"SUB\\TRANS.TBL");
    expected.erase(u"SUB\\DEEPER\\TRANS.TBL");
    Listing l = analyse(f.path);
    EXPECT_EQ(listed_items(l), expected);
    EXPECT_EQ(l.summary.FileCount, 5);  // A.TXT, TRANS.TBL, ZERO_LEN., NUMBERS.TXT, RANDOM.BIN
}

TEST_F(IsoImages, PathsKeepTheNearest128Ancestors) {
    Listing l = analyse(fixture("deep_130.iso").path);
    ASSERT_EQ(l.result, 1);
    ASSERT_EQ(l.items.size(), 131u);  // 130 folders and the file
    // Folders at depth 129 and 130 both come out as 128 ancestors and themselves; the file in
    // the deepest one follows the folder's cut path.
    std::u16string cut;
    for (int i = 0; i < 128; ++i) cut += u"D\\";
    cut += u"D";
    auto named = [&](const std::u16string& name) {
        return std::count_if(l.items.begin(), l.items.end(), [&](const ItemHeader& h) { return h.Name == name; });
    };
    EXPECT_EQ(named(cut), 2);
    EXPECT_EQ(named(cut + u"\\LEAF.TXT"), 1);
    EXPECT_EQ(named(cut.substr(2)), 1);  // depth 128: whole
}

TEST_F(IsoImages, DetectionRules) {
    IsoReader reader(nullptr);
    auto opens = [&](const std::u16string& path) {
        std::vector<std::uint8_t> head = read_bytes(path);
        if (head.size() > kHeadBytes) head.resize(kHeadBytes);
        std::u16string name = path;
        std::int32_t offset = -1;
        bool ok = reader.Open(name, head, offset, 0);
        ArchiveSummary s;
        if (ok) reader.Close(s);
        return ok;
    };
    const std::size_t pvd = 32768;
    EXPECT_TRUE(opens(fixture("plain.iso").path));
    // Logical block size 512.
    EXPECT_FALSE(opens(patched("plain.iso", {{pvd + 128, std::string("\x00\x02", 2)}})));
    // Version, reserved byte and identifier are checked.
    EXPECT_FALSE(opens(patched("plain.iso", {{pvd + 6, "\x02"}})));
    EXPECT_FALSE(opens(patched("plain.iso", {{pvd + 7, "\x01"}})));
    EXPECT_FALSE(opens(patched("plain.iso", {{pvd + 1, "CD002"}})));
    // The first data block must hold two descriptors; a file that short is no image.
    EXPECT_FALSE(opens(patched("plain.iso", {}, 34815)));
    // An NSR02 descriptor anywhere in the 16 sectors after the system area leaves the image to UDF.
    EXPECT_FALSE(opens(patched("plain.iso", {{pvd + 2048, std::string("\x00NSR02\x01", 7)}})));
    EXPECT_TRUE(opens(patched("plain.iso", {{pvd + 2048, std::string("\x00NSR01\x01", 7)}})));
    EXPECT_FALSE(opens(fixture("udf_hybrid.iso").path));
    // A path table said to reach beyond the image makes the open fail without allocating it.
    EXPECT_FALSE(opens(patched("plain.iso", {{pvd + 132, std::string("\xff\xff\xff\x7f", 4)}})));
}

TEST_F(IsoImages, JolietEscapeSequences) {
    // genisoimage writes "%/E"; the other two UCS-2 levels count too, anything else does not.
    std::vector<std::size_t> escapes = find_all("joliet.iso", "%/E");
    ASSERT_FALSE(escapes.empty());
    std::size_t at = escapes.front();
    ASSERT_EQ((at - 32768) % 2048, 88u);
    for (const char* level : {"@", "C", "E"}) {
        Listing l = analyse(patched("joliet.iso", {{at + 2, level}}));
        EXPECT_EQ(l.summary.FormatName, u"ISO 9660 Joliet") << level;
        EXPECT_EQ(listed_items(l).count(u"sub\\numbers.txt"), 1u);
    }
    Listing plain = analyse(patched("joliet.iso", {{at + 2, "F"}}));
    EXPECT_EQ(plain.summary.FormatName, u"ISO 9660");
    EXPECT_EQ(listed_items(plain).count(u"SUB\\NUMBERS.TXT"), 1u);
}

TEST_F(IsoImages, OnlyVersionOneIsDropped) {
    std::vector<std::size_t> names = find_all("plain.iso", "A.TXT;1");
    ASSERT_EQ(names.size(), 1u);
    auto items = listed_items(analyse(patched("plain.iso", {{names[0] + 6, "2"}})));
    EXPECT_EQ(items.count(u"A.TXT;2"), 1u);
    EXPECT_EQ(items.count(u"A.TXT"), 0u);
}

TEST_F(IsoImages, DamagedPathTables) {
    // The plain image's little-endian path table: root, EMPTY_DI, SUB, SUB/DEEPER.
    std::vector<std::uint8_t> image = read_bytes(fixture("plain.iso").path);
    std::size_t table = static_cast<std::size_t>(image[32768 + 140] | image[32768 + 141] << 8) * 2048;
    // Record 4 (DEEPER): 8 + 6 bytes after three records of 10, 8 + 8 and 8 + 4 bytes.
    std::size_t deeper = table + 10 + 16 + 12;
    ASSERT_EQ(std::string(image.begin() + deeper + 8, image.begin() + deeper + 14), "DEEPER");

    // A parent number beyond the table stops the listing with result 2 at that folder.
    {
        IsoReader reader(nullptr);
        std::u16string path = patched("plain.iso", {{deeper + 6, std::string("\x09\x00", 2)}});
        std::vector<std::uint8_t> head = read_bytes(path);
        std::int32_t offset = 0;
        ASSERT_TRUE(reader.Open(path, head, offset, 0));
        int result = 0, listed = 0;
        for (ItemHeader item; (result = reader.ReadItem(item)) == kItemRead; item = ItemHeader{}) ++listed;
        EXPECT_EQ(result, kItemDamagedSource);
        EXPECT_EQ(listed, 5);  // A.TXT, EMPTY_DI, SUB, ZERO_LEN., SUB\NUMBERS.TXT
        ArchiveSummary s;
        reader.Close(s);
    }
    // A folder that names itself as its parent repeats its name up to the 128-level bound.
    {
        Listing l = analyse(patched("plain.iso", {{deeper + 6, std::string("\x04\x00", 2)}}));
        ASSERT_EQ(l.result, 1);
        std::u16string looped;
        for (int i = 0; i < 128; ++i) looped += u"DEEPER\\";
        looped += u"DEEPER";
        EXPECT_EQ(listed_items(l).count(looped), 1u);
        EXPECT_EQ(listed_items(l).count(looped + u"\\RANDOM.BIN"), 1u);
    }
}

TEST_F(IsoImages, TruncatedImagesEndQuietly) {
    const test::IsoFixture& f = fixture("joliet.iso");
    std::vector<std::uint8_t> bytes = read_bytes(f.path);
    for (std::size_t cut : {34816u, 40000u, 49152u, 52000u, 60000u, 100000u, 300000u}) {
        SCOPED_TRACE(cut);
        ASSERT_TRUE(scratch.write_file(u"cut.iso", std::string(bytes.begin(), bytes.begin() + cut)));
        Listing l = analyse(scratch / u"cut.iso");
        EXPECT_GE(l.result, 0);
        EXPECT_LE(l.items.size(), f.entries.size());
    }
}

}  // namespace
}  // namespace kub

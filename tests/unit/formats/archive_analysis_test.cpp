// The archive analysis over stand-in readers whose answers each test scripts, and over the real
// ZIP reader where the registry order matters.
#include "formats/archive_analysis.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "common/error_state.h"
#include "common/language/lang_string.h"
#include "common/registry/registry_access.h"
#include "tests/support/scratch_folder.h"
#include "tests/support/writers/zip_builder.h"

namespace kub {
namespace {

// What a stand-in reader answers for one file.
struct Volume {
    bool recognise = true;
    std::int32_t offset = 0;
    std::vector<ItemHeader> items;
    ArchiveSummary close;  // the format part Close writes
    int throw_on_open = 0;  // a KUB_EXIT code to raise, 0 for none
    int throw_after_items = 0;
};

using Script = std::map<std::u16string, Volume>;  // by file name part

std::u16string name_of(std::u16string_view path) {
    std::size_t at = path.find_last_of(u"\\/");
    return std::u16string(at == std::u16string_view::npos ? path : path.substr(at + 1));
}

class StandIn : public ArchiveReader {
public:
    StandIn(std::string tag, std::u16string extensions, std::vector<std::string>* log)
        : ArchiveReader(nullptr), tag_(std::move(tag)), extensions_(std::move(extensions)), log_(log) {}

    Script script;
    std::function<std::u16string(std::u16string)> next_volume;
    bool claims = false;
    std::vector<std::uint8_t> comment;
    std::u16string wide_comment;

    bool Open(std::u16string& path, std::span<const std::uint8_t>, std::int32_t& offset, int flags) override {
        log_->push_back("open " + tag_ + (flags ? " further" : ""));
        auto found = script.find(name_of(path));
        if (found == script.end()) return false;
        volume_ = found->second;
        if (volume_.throw_on_open) throw static_cast<KUB_EXIT>(volume_.throw_on_open);
        if (!volume_.recognise) return false;
        offset = volume_.offset;
        next_item_ = 0;
        return true;
    }
    void Close(ArchiveSummary& s) override {
        log_->push_back("close " + tag_);
        const ArchiveSummary& c = volume_.close;
        s.FormatName = c.FormatName;
        s.IsVolume = c.IsVolume;
        s.IsFirstVolume = c.IsFirstVolume;
        s.VolumeNumber = c.VolumeNumber;
        s.SfxSize = c.SfxSize;
        s.HasComment = c.HasComment;
        s.IsLocked = c.IsLocked;
        s.IsSolid = c.IsSolid;
        s.HeadersEncrypted = c.HeadersEncrypted;
        s.RecoverySize = c.RecoverySize;
    }
    bool ClaimsName(std::u16string_view) override { return claims; }
    int ReadItem(ItemHeader& item) override {
        if (next_item_ >= volume_.items.size()) {
            if (volume_.throw_after_items) throw static_cast<KUB_EXIT>(volume_.throw_after_items);
            return kNoMoreItems;
        }
        item = volume_.items[next_item_++];
        return kItemRead;
    }
    std::u16string GetExtensions() override { return extensions_; }
    void NextVolumeName(std::u16string& name) override {
        std::size_t at = name.find_last_of(u"\\/") + 1;
        name = next_volume ? name.substr(0, at) + next_volume(name.substr(at)) : u"";
        if (name.size() == at) name.clear();
    }
    std::vector<std::uint8_t> GetComment(std::u16string_view) override { return comment; }
    std::u16string GetCommentW(std::u16string_view) override { return wide_comment; }

private:
    std::string tag_;
    std::u16string extensions_;
    std::vector<std::string>* log_;
    Volume volume_;
    std::size_t next_item_ = 0;
};

ItemHeader item(std::u16string name, std::uint64_t unpacked, std::uint64_t packed, std::u16string host = u"DOS") {
    ItemHeader h;
    h.Name = std::move(name);
    h.UnpackedSize = unpacked;
    h.PackedSize = packed;
    h.HostOS = std::move(host);
    h.Attributes = kAttrArchive;
    h.HashKind = kHashCrc32;
    return h;
}

class AnalysisTest : public ::testing::Test {
protected:
    void SetUp() override {
        FormatRegistry& reg = analysis.registry();
        for (int i = 0; i < reg.count(); ++i) reg.replace_reader(i, nullptr);
        ErrorState::reset();
    }
    void TearDown() override {
        write_setting_number(kFileListKey, kAllVolumesValue, 1);
        write_setting_string(kSetupKey, kCustomExtValue, u"");
    }

    StandIn& install(int index, std::u16string extensions = u"") {
        auto reader = std::make_unique<StandIn>(std::to_string(index), std::move(extensions), &log);
        StandIn& ref = *reader;
        analysis.registry().replace_reader(index, std::move(reader));
        return ref;
    }
    std::u16string file(std::u16string_view name, std::string_view bytes = "content") {
        EXPECT_TRUE(dir.write_file(name, bytes));
        return dir / name;
    }

    test::ScratchFolder dir;
    ArchiveAnalysis analysis;
    std::vector<std::string> log;
};

using Log = std::vector<std::string>;

TEST_F(AnalysisTest, NearestArchiveWinsAndLosersAreClosed) {
    install(0).script[u"sfx.exe"] = Volume{.offset = 30000};
    install(1).script[u"sfx.exe"] = Volume{.offset = 50000};
    install(3).script[u"sfx.exe"] = Volume{.offset = 20};
    install(4).script[u"sfx.exe"] = Volume{.offset = 20};
    ASSERT_EQ(analysis.Analyze(file(u"sfx.exe"), true, 0), kAnalyzeArchive);
    EXPECT_EQ(analysis.summary().ReaderIndex, 3u);
    EXPECT_EQ(log, (Log{"open 0", "open 1", "close 1", "open 3", "close 0", "open 4", "close 4", "close 3"}));
}

TEST_F(AnalysisTest, ArchiveAtTheStartEndsTheSearch) {
    install(0).script[u"a.bin"] = Volume{.offset = 0};
    install(1).script[u"a.bin"] = Volume{.offset = 0};
    ASSERT_EQ(analysis.Analyze(file(u"a.bin"), true, 0), kAnalyzeArchive);
    EXPECT_EQ(analysis.summary().ReaderIndex, 0u);
    EXPECT_EQ(log, (Log{"open 0", "close 0"}));
}

TEST_F(AnalysisTest, ClaimedNamesThenExtensionsComeFirst) {
    install(2, u"two").script[u"x.two"] = Volume{.offset = 10};
    install(5, u"tw#").script[u"x.two"] = Volume{.offset = 10};
    StandIn& claimer = install(6, u"");
    claimer.claims = true;
    claimer.script[u"x.two"] = Volume{.recognise = false};
    install(9, u"").script[u"x.two"] = Volume{.offset = 10};
    ASSERT_EQ(analysis.Analyze(file(u"x.two"), true, 0), kAnalyzeArchive);
    // 6 claims the name; 2 matches the extension; the rest keep the order the swaps left.
    EXPECT_EQ(analysis.summary().ReaderIndex, 2u);
    EXPECT_EQ(std::vector<std::string>(log.begin(), log.begin() + 3), (Log{"open 6", "open 2", "open 5"}));
}

TEST_F(AnalysisTest, TieGoesToTheEarlierReaderAndNoExtensionMeansNoReordering) {
    install(1, u"zip").script[u"noext"] = Volume{.offset = 7};
    install(4, u"noext").script[u"noext"] = Volume{.offset = 7};
    ASSERT_EQ(analysis.Analyze(file(u"noext"), true, 0), kAnalyzeArchive);
    EXPECT_EQ(analysis.summary().ReaderIndex, 1u);

    install(1, u"zip").script[u"x.noext"] = Volume{.offset = 7};
    install(4, u"noext").script[u"x.noext"] = Volume{.offset = 7};
    ASSERT_EQ(analysis.Analyze(file(u"x.noext"), true, 0), kAnalyzeArchive);
    EXPECT_EQ(analysis.summary().ReaderIndex, 4u);
}

TEST_F(AnalysisTest, ResultsForUnreadableUnknownAndRaisedFiles) {
    install(0).script[u"break.bin"] = Volume{.throw_on_open = KUB_USER_BREAK};
    install(0).script[u"memory.bin"] = Volume{.throw_on_open = KUB_MEMORY_ERROR};
    EXPECT_EQ(analysis.Analyze(dir / u"missing.bin", false, 0), kAnalyzeFailed);
    EXPECT_EQ(analysis.Analyze(file(u"plain.txt"), false, 0), kAnalyzeNotArchive);

    StandIn& first = install(0);
    first.script[u"break.bin"] = Volume{.offset = 5};
    install(1).script[u"break.bin"] = Volume{.throw_on_open = KUB_USER_BREAK};
    log.clear();
    EXPECT_EQ(analysis.Analyze(file(u"break.bin"), false, 0), kAnalyzeUserBreak);
    // The reader that had recognised the file is closed on the way out.
    EXPECT_EQ(log, (Log{"open 0", "open 1", "close 0"}));

    install(1).script[u"memory.bin"] = Volume{.throw_on_open = KUB_MEMORY_ERROR};
    std::u16string path = file(u"memory.bin");
    EXPECT_EQ(analysis.Analyze(path, false, 0), kAnalyzeFailed);
    EXPECT_EQ(analysis.DetectFormat(path, 0), kDetectUnreadable);
}

TEST_F(AnalysisTest, TotalsOverItems) {
    Volume v;
    v.items = {item(u"a", 100, 40, u"Unix"), item(u"b", UnknownSize, UnknownSize, u"Windows"),
               item(u"c", 50, 20, u"DOS"), item(u"dir/", 0, 0, u"Unix")};
    v.items[0].UnpackVersion = 0x0209;
    v.items[1].UnpackVersion = 0x0500;
    v.items[1].DictSizeKB = 4096;
    v.items[2].IsEncrypted = true;
    v.items[3].Attributes = kAttrDirectory;
    v.items[3].HashKind = kHashNone;
    std::vector<ItemHeader> seen;
    analysis.set_item_observer([&](const ItemHeader& h) { seen.push_back(h); });
    install(0).script[u"t.bin"] = v;
    ASSERT_EQ(analysis.Analyze(file(u"t.bin"), false, 0), kAnalyzeArchive);
    const ArchiveSummary& s = analysis.summary();
    EXPECT_EQ(s.ItemCount, 4);
    EXPECT_EQ(s.FileCount, 3);
    EXPECT_EQ(s.TotalUnpacked, 150);
    EXPECT_EQ(s.TotalPacked, 60);
    EXPECT_EQ(s.HostOSList, u"Unix, Windows");
    EXPECT_EQ(s.MaxUnpackVersion, 0x0500u);
    EXPECT_EQ(s.MaxDictSizeKB, 4096u);
    EXPECT_EQ(s.SummaryHashKind, kHashMixed);
    EXPECT_TRUE(s.AnyEncrypted);
    ASSERT_EQ(seen.size(), 4u);
    EXPECT_EQ(seen[2].ItemFlags, kItemFlagEncrypted);
    EXPECT_EQ(seen[3].Name, u"dir\\");
}

TEST_F(AnalysisTest, HashKindAndHostListEdges) {
    struct Case {
        std::vector<std::uint32_t> kinds;
        std::uint32_t expected;
    };
    const Case cases[] = {{{2, 2}, 2}, {{0, 2}, 2}, {{2, 3}, 4}, {{2, 0, 2}, 4}, {{}, 0}};
    for (const Case& c : cases) {
        Volume v;
        for (std::uint32_t k : c.kinds) {
            v.items.push_back(item(u"x", 1, 1, u""));
            v.items.back().HashKind = k;
        }
        install(0).script[u"h.bin"] = v;
        ASSERT_EQ(analysis.Analyze(file(u"h.bin"), false, 0), kAnalyzeArchive);
        EXPECT_EQ(analysis.summary().SummaryHashKind, c.expected);
        // No item names its system: the page says unknown.
        EXPECT_EQ(analysis.summary().HostOSList, u"未知");
    }
}

TEST_F(AnalysisTest, PackedSizeFromTheFileWhenReadersCannotTell) {
    Volume big;
    big.items = {item(u"a", 1000, 0)};
    big.close.SfxSize = 100;
    install(0).script[u"big.bin"] = big;
    ASSERT_EQ(analysis.Analyze(file(u"big.bin", std::string(400, 'x')), false, 0), kAnalyzeArchive);
    EXPECT_EQ(analysis.summary().TotalPacked, 300);

    Volume small;
    small.items = {item(u"a", 100, 0)};
    install(0).script[u"small.bin"] = small;
    ASSERT_EQ(analysis.Analyze(file(u"small.bin", std::string(400, 'x')), false, 0), kAnalyzeArchive);
    EXPECT_EQ(analysis.summary().TotalPacked, 100);
}

// A three-volume set v1, v2, v3: one file runs from v1 into v2, another from v2 into v3.
class VolumeSetTest : public AnalysisTest {
protected:
    void SetUp() override {
        AnalysisTest::SetUp();
        StandIn& r = install(0, u"v#");
        r.next_volume = [](std::u16string name) { return name.substr(0, 3) + std::u16string(1, name[3] + 1); };
        Volume v1, v2, v3;
        v1.items = {item(u"f1", 10, 10), item(u"f2", 500, 100)};
        v1.items[1].SplitAfter = true;
        v1.close = volume_facts(1, true);
        v1.close.HasComment = true;
        v1.close.SfxSize = 0;
        v2.items = {item(u"f2", 500, 200), item(u"f3", 700, 300)};
        v2.items[0].SplitBefore = v2.items[0].SplitAfter = true;
        v2.items[1].SplitAfter = true;
        v2.close = volume_facts(2, false);
        v3.items = {item(u"f3", 700, 50), item(u"f4", 1, 1)};
        v3.items[0].SplitBefore = true;
        v3.close = volume_facts(3, false);
        v3.close.FormatName = u"LAST";
        r.script = {{u"a.v1", v1}, {u"a.v2", v2}, {u"a.v3", v3}};
        for (auto& [name, v] : r.script) file(name, std::string(1000, 'v'));
        reader = &r;
    }
    static ArchiveSummary volume_facts(std::uint32_t number, bool first) {
        ArchiveSummary s;
        s.FormatName = u"SET";
        s.IsVolume = true;
        s.IsFirstVolume = first;
        s.VolumeNumber = number;
        return s;
    }
    StandIn* reader = nullptr;
};

TEST_F(VolumeSetTest, SecondVolumeCoversTheRestOfTheSet) {
    ASSERT_EQ(analysis.Analyze(dir / u"a.v2", false, 0), kAnalyzeArchive);
    const ArchiveSummary& s = analysis.summary();
    EXPECT_EQ(s.ItemCount, 3);  // f2 (first seen here), f3, f4
    EXPECT_EQ(s.TotalUnpacked, 500 + 700 + 1);
    EXPECT_EQ(s.TotalPacked, 200 + 300 + 50 + 1);
    EXPECT_EQ(s.VolumeNumber, 2u);
    EXPECT_FALSE(s.IsFirstVolume);
    EXPECT_TRUE(s.IsLastVolume);
    EXPECT_EQ(s.FormatName, u"LAST");
}

TEST_F(VolumeSetTest, FirstVolumeKeepsItsOwnFacts) {
    ASSERT_EQ(analysis.Analyze(dir / u"a.v1", false, 0), kAnalyzeArchive);
    const ArchiveSummary& s = analysis.summary();
    EXPECT_EQ(s.ItemCount, 4);
    EXPECT_EQ(s.TotalUnpacked, 10 + 500 + 700 + 1);
    EXPECT_TRUE(s.IsFirstVolume);
    EXPECT_TRUE(s.HasComment);
    EXPECT_EQ(s.VolumeNumber, 1u);
    EXPECT_EQ(s.ReaderIndex, 0u);
}

TEST_F(VolumeSetTest, SettingAndVolumeModeDecideWhetherToFollow) {
    write_setting_number(kFileListKey, kAllVolumesValue, 0);
    ASSERT_EQ(analysis.Analyze(dir / u"a.v1", false, 0), kAnalyzeArchive);
    EXPECT_EQ(analysis.summary().ItemCount, 2);
    ASSERT_EQ(analysis.Analyze(dir / u"a.v1", false, kVolumeModeFollowAll), kAnalyzeArchive);
    EXPECT_EQ(analysis.summary().ItemCount, 4);
    write_setting_number(kFileListKey, kAllVolumesValue, 1);
    ASSERT_EQ(analysis.Analyze(dir / u"a.v1", false, kVolumeModeNoFollow), kAnalyzeArchive);
    EXPECT_EQ(analysis.summary().ItemCount, 2);
    ASSERT_EQ(analysis.Analyze(dir / u"a.v1", true, kVolumeModeFollowAll), kAnalyzeArchive);
    EXPECT_EQ(analysis.summary().ItemCount, 0);
}

TEST_F(VolumeSetTest, NamesLeadingBackToAReadVolumeEndTheWalk) {
    reader->next_volume = [](std::u16string name) { return name == u"a.v1" ? u"a.v2" : u"A.V1"; };
    reader->script[u"A.V1"] = reader->script[u"a.v1"];
    file(u"A.V1", "v");
    ASSERT_EQ(analysis.Analyze(dir / u"a.v1", false, 0), kAnalyzeArchive);
    EXPECT_EQ(analysis.summary().ItemCount, 3);  // f1, f2, f3; v1 is not read twice

    reader->next_volume = [](std::u16string name) { return name; };
    ASSERT_EQ(analysis.Analyze(dir / u"a.v1", false, 0), kAnalyzeArchive);
    EXPECT_EQ(analysis.summary().ItemCount, 2);
}

TEST_F(VolumeSetTest, MissingVolumeEndsTheWalkQuietly) {
    dir.write_file(u"a.v3", "");
    reader->script.erase(u"a.v3");
    ASSERT_EQ(analysis.Analyze(dir / u"a.v1", false, 0), kAnalyzeArchive);
    EXPECT_EQ(analysis.summary().ItemCount, 3);
    EXPECT_FALSE(analysis.summary().IsLastVolume);
}

TEST_F(VolumeSetTest, EncryptedHeadersWithoutItemsStopTheWalk) {
    reader->script[u"a.v1"].items.clear();
    reader->script[u"a.v1"].close.HeadersEncrypted = true;
    ASSERT_EQ(analysis.Analyze(dir / u"a.v1", false, 0), kAnalyzeArchive);
    EXPECT_EQ(analysis.summary().ItemCount, 0);
    EXPECT_TRUE(analysis.summary().AnyEncrypted);
    EXPECT_EQ(log.back(), "close 0");
    EXPECT_EQ(std::count(log.begin(), log.end(), "open 0 further"), 0);
}

TEST_F(VolumeSetTest, ArjPiecesCarryTheirOwnUnpackedShare) {
    for (auto& [name, v] : reader->script) v.close.FormatName = u"arj";
    ASSERT_EQ(analysis.Analyze(dir / u"a.v1", false, 0), kAnalyzeArchive);
    EXPECT_EQ(analysis.summary().TotalUnpacked, 10 + 500 + 500 + 700 + 700 + 1);
}

TEST_F(VolumeSetTest, PackedSizesFromVolumeFilesWhenItemsHaveNone) {
    for (auto& [name, v] : reader->script)
        for (ItemHeader& h : v.items) h.PackedSize = UnknownSize;
    ASSERT_EQ(analysis.Analyze(dir / u"a.v1", false, 0), kAnalyzeArchive);
    // The first volume through the fallback (its file size), the others through their sizes.
    EXPECT_EQ(analysis.summary().TotalPacked, 3000);
}

TEST_F(VolumeSetTest, UserBreakWhileListingIsReported) {
    reader->script[u"a.v2"].throw_after_items = KUB_USER_BREAK;
    EXPECT_EQ(analysis.Analyze(dir / u"a.v1", false, 0), kAnalyzeUserBreak);
    EXPECT_EQ(log.back(), "close 0");

    // Out of memory inside a listing only ends it.
    reader->script[u"a.v2"].throw_after_items = KUB_MEMORY_ERROR;
    ASSERT_EQ(analysis.Analyze(dir / u"a.v1", false, 0), kAnalyzeArchive);
    EXPECT_EQ(analysis.summary().ItemCount, 4);
}

TEST(MatchExtensionTest, Table) {
    struct Case {
        std::u16string ext, pattern;
        bool wildcard, match;
    };
    const Case cases[] = {
        {u"zip", u"zip|zipx", true, true},  {u"ZIP", u"zip", true, true},   {u"zipx", u"zip|zipx", true, false},
        {u"zi", u"zip", true, false},       {u"z01", u"z##|jar", true, true}, {u"z01", u"z##", false, false},
        {u"z#1", u"z##", false, false},     {u"z##", u"z##", false, true},  {u"z1", u"z##", true, false},
        {u"", u"zip", true, false},         {u"zip", u"", true, false},     {u"k99", u"k##", true, true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(MatchExtension(c.ext, c.pattern, c.wildcard), c.match)
            << std::string(c.ext.begin(), c.ext.end()) << " " << std::string(c.pattern.begin(), c.pattern.end());
}

TEST_F(AnalysisTest, ArchiveNamesFromTheNameAlone) {
    install(0, u"kub|k##");
    install(1, u"zip|zipx|z##|jar");
    int index = 99;
    std::u16string first;
    EXPECT_TRUE(analysis.IsArchiveName(u"d:\\x\\a.ZIP", &first, &index, true, false, true));
    EXPECT_EQ(index, 1);
    EXPECT_EQ(first, u"d:\\x\\a.ZIP");
    EXPECT_FALSE(analysis.IsArchiveName(u"d:\\x.zip\\archive", &first, &index, true, false, true));
    EXPECT_EQ(index, -1);
    EXPECT_FALSE(analysis.IsArchiveName(u"setup.exe", nullptr, &index, true, false, true));
    EXPECT_TRUE(analysis.IsArchiveName(u"setup.EXE", nullptr, &index, false, false, true));
    EXPECT_EQ(index, -1);
    EXPECT_TRUE(analysis.IsArchiveName(u"a.001", nullptr, nullptr, false, false, true));
    EXPECT_FALSE(analysis.IsArchiveName(u"a.k01", nullptr, nullptr, true, false, false));

    // Volumes numbered in the extension are rewritten on request.
    EXPECT_TRUE(analysis.IsArchiveName(u"c:\\2024\\set.k07", &first, &index, true, true, true));
    EXPECT_EQ(first, u"c:\\2024\\set.kub");
    EXPECT_EQ(index, 0);
    EXPECT_TRUE(analysis.IsArchiveName(u"c:\\2024\\set.part07.kub", &first, nullptr, true, true, true));
    EXPECT_EQ(first, u"c:\\2024\\set.part07.kub");
}

TEST_F(AnalysisTest, FirstVolumeNameAfterALaterVolumeWasAnalysed) {
    StandIn& r = install(0, u"kub|k##");
    Volume later;
    later.close.IsVolume = true;
    later.close.FormatName = u"KUB";
    r.script[u"arc.part07.kub"] = later;
    ASSERT_EQ(analysis.Analyze(file(u"arc.part07.kub"), true, 0), kAnalyzeArchive);
    std::u16string first;
    EXPECT_TRUE(analysis.IsArchiveName(u"c:\\2024\\arc.part07.kub", &first, nullptr, true, false, true));
    EXPECT_EQ(first, u"c:\\2024\\arc.part01.kub");
    EXPECT_TRUE(analysis.IsArchiveName(u"c:\\2024\\arc.part170.kub", &first, nullptr, true, false, true));
    EXPECT_EQ(first, u"c:\\2024\\arc.part001.kub");
    EXPECT_TRUE(analysis.IsArchiveName(u"c:\\2024\\arc.kub", &first, nullptr, true, false, true));
    EXPECT_EQ(first, u"c:\\2024\\arc.kub");
}

TEST_F(AnalysisTest, UserExtensionsFromTheSettings) {
    write_setting_string(kSetupKey, kCustomExtValue, u"*.abc .def \"*.g h\"");
    EXPECT_TRUE(analysis.IsArchiveName(u"x.ABC", nullptr, nullptr, true, false, true));
    EXPECT_TRUE(analysis.IsArchiveName(u"x.def", nullptr, nullptr, true, false, true));
    EXPECT_TRUE(analysis.IsArchiveName(u"x.g h", nullptr, nullptr, true, false, true));
    EXPECT_FALSE(analysis.IsArchiveName(u"x.abcd", nullptr, nullptr, true, false, true));
    EXPECT_FALSE(analysis.IsArchiveName(u"abc", nullptr, nullptr, true, false, true));
}

TEST_F(AnalysisTest, CommentsWithNormalisedLineEnds) {
    StandIn& r = install(0);
    r.script[u"c.bin"] = Volume{};
    r.comment = {'a', '\n', 'b', '\r', 'c', '\r', '\n', 'd', '\n', '\n'};
    ASSERT_EQ(analysis.Analyze(file(u"c.bin"), true, 0), kAnalyzeArchive);
    std::vector<std::uint8_t> bytes = analysis.GetComment(false);
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "a\r\nb\r\nc\r\nd\r\n\r\n");
    EXPECT_EQ(analysis.GetComment(true), r.comment);
    // No wide comment: the bytes are read in the ANSI code page.
    EXPECT_EQ(analysis.GetCommentW(false), u"a\r\nb\r\nc\r\nd\r\n\r\n");
    r.wide_comment = u"宽\r";
    EXPECT_EQ(analysis.GetCommentW(false), u"宽\r\n");
    EXPECT_EQ(analysis.GetCommentW(true), u"宽\r");
}

// With the real readers: a ZIP archive under a KUB name is still found by the ZIP reader.
TEST(AnalysisRealReaders, ZipNamedKub) {
    test::ScratchFolder dir;
    test::ZipLayout layout;
    layout.entries.push_back({.name = "a.txt", .data = "hello"});
    ASSERT_TRUE(dir.write_file(u"really-a-zip.kub", test::build_zip(layout)));
    ArchiveAnalysis analysis;
    ASSERT_EQ(analysis.Analyze(dir / u"really-a-zip.kub", false, 0), kAnalyzeArchive);
    EXPECT_EQ(analysis.summary().ReaderIndex, static_cast<std::uint32_t>(kZipReaderIndex));
    EXPECT_EQ(analysis.summary().FormatName, u"ZIP");
    EXPECT_EQ(analysis.summary().ItemCount, 1);
    EXPECT_EQ(analysis.summary().TotalUnpacked, 5);
}

TEST(AnalysisRealReaders, SplitZipSelectedAtItsFirstPiece) {
    test::ScratchFolder dir;
    test::ZipLayout layout;
    layout.spanning_marker = true;
    layout.entries.push_back({.name = "one", .data = "1111"});
    layout.entries.push_back({.name = "two", .data = "22"});
    std::string whole = test::build_zip(layout);
    ASSERT_TRUE(dir.write_file(u"set.zip", whole));
    ASSERT_TRUE(dir.write_file(u"set.z01", whole.substr(0, whole.find("PK\x01\x02"))));
    ArchiveAnalysis analysis;
    ASSERT_EQ(analysis.Analyze(dir / u"set.z01", false, 0), kAnalyzeArchive);
    EXPECT_EQ(analysis.path(), dir / u"set.zip");
    EXPECT_EQ(analysis.summary().ItemCount, 2);
    EXPECT_EQ(analysis.summary().TotalUnpacked, 6);
    EXPECT_EQ(analysis.summary().SfxSize, 0);
}

}  // namespace
}  // namespace kub

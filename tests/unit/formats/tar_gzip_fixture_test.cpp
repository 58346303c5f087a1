// Tar and gzip files made by GNU tar, bsdtar and gzip, analysed and compared with the tools' own
// listings (tar -tv, gzip -lvN). Where the reader's rules and a tool differ, the test says so.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "common/error_state.h"
#include "common/text/encoding.h"
#include "formats/archive_analysis.h"
#include "formats/format_registry.h"
#include "formats/gzip/gzip_reader.h"
#include "tests/support/ascii_text.h"
#include "tests/support/code_page_scope.h"
#include "tests/support/scratch_folder.h"
#include "tests/support/fixtures/tar_fixtures.h"

namespace kub {
namespace {

struct Result {
    int code = 0;
    ArchiveSummary summary;
    std::vector<ItemHeader> items;
};

Result analyse(const std::u16string& path) {
    Result r;
    ArchiveAnalysis analysis;
    analysis.set_item_observer([&](const ItemHeader& h) { r.items.push_back(h); });
    r.code = analysis.Analyze(path, false, 0);
    r.summary = analysis.summary();
    return r;
}

bool ends_with(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

// The reader takes stored names in the ANSI code page; GNU tar stored the UTF-8 bytes it was given.
std::u16string as_listed(const std::string& utf8_name) {
    std::u16string name;
    ansi_to_wide(utf8_name, name);
    std::replace(name.begin(), name.end(), u'/', u'\\');
    return name;
}

class TarGzipFixtureTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        folder = test::tar_fixture_folder(KUB_TEST_DATA_DIR, error);
        ASSERT_FALSE(folder.empty()) << error;
        fixtures = test::tar_fixtures(folder);
        ASSERT_GE(fixtures.size(), 20u);
        ErrorState::reset();
    }
    const test::TarFixture& fixture(const std::string& name) {
        for (const auto& f : fixtures)
            if (f.name == name) return f;
        ADD_FAILURE() << "no fixture " << name;
        static test::TarFixture none;
        return none;
    }

    std::u16string folder;
    std::vector<test::TarFixture> fixtures;
};

TEST_F(TarGzipFixtureTest, TarListingsMatchGnuTar) {
    // UTF-8 as the ANSI code page where the system lets us choose it: the Chinese names then read
    // as tar shows them. Otherwise they are compared as the system's code page reads the bytes.
    test::CodePageScope utf8(65001, 437);
    int compared = 0;
    for (const test::TarFixture& f : fixtures) {
        if (f.gzip_listing) continue;
        // Compared on their own below: the sparse members differ from tar's view by design.
        if (f.name.find("sparse") != std::string::npos) continue;
        SCOPED_TRACE(f.name);
        Result r = analyse(f.path);
        ASSERT_EQ(r.code, kAnalyzeArchive);
        EXPECT_EQ(r.summary.ReaderIndex, static_cast<std::uint32_t>(kTarReaderIndex));
        bool compressed = ends_with(f.name, ".gz") || ends_with(f.name, ".tgz");
        EXPECT_EQ(r.summary.FormatName, compressed ? u"TAR+GZIP" : u"TAR");
        ASSERT_EQ(r.items.size(), f.entries.size());
        std::int64_t files = 0, total = 0;
        for (std::size_t i = 0; i < r.items.size(); ++i) {
            const ItemHeader& got = r.items[i];
            const test::TarExpectedEntry& want = f.entries[i];
            SCOPED_TRACE(want.name);
            EXPECT_EQ(got.Name, as_listed(want.name));
            EXPECT_EQ(got.UnpackedSize, want.size);
            EXPECT_EQ(got.IsDirectory, want.folder);
            EXPECT_EQ(got.Attributes, want.folder ? kAttrDirectory : 0u);
            if (compressed) {
                EXPECT_EQ(got.PackedSize, UnknownSize);
            } else {
                EXPECT_EQ(got.PackedSize, want.folder || want.type == 'l' || want.type == 'h' ? 0u : want.size);
            }
            files += want.folder ? 0 : 1;
            total += static_cast<std::int64_t>(want.size);
        }
        EXPECT_EQ(r.summary.ItemCount, static_cast<std::int32_t>(f.entries.size()));
        EXPECT_EQ(r.summary.FileCount, files);
        EXPECT_EQ(r.summary.TotalUnpacked, total);
        ++compared;
    }
    EXPECT_GE(compared, 13);
}

// tar -tv shows a sparse member's full size and, for the pax form, the name from the extended
// header; the reader reports the header's own size field (the stored data) and, since extended
// headers are skipped, the name GNU tar puts in the ustar header. The members around it agree.
TEST_F(TarGzipFixtureTest, SparseMembersAreReportedWithTheirStoredSize) {
    for (const char* name : {"gnu_sparse.tar", "pax_sparse.tar"}) {
        SCOPED_TRACE(name);
        const test::TarFixture& f = fixture(name);
        ErrorState::reset();
        Result r = analyse(f.path);
        ASSERT_EQ(r.code, kAnalyzeArchive);
        ASSERT_EQ(r.items.size(), f.entries.size());
        ASSERT_EQ(f.entries[1].name, "sparse/holes.bin");
        EXPECT_EQ(f.entries[1].size, 3u * 1024 * 1024);
        EXPECT_LT(r.items[1].UnpackedSize, 64u * 1024);  // two short runs of data
        EXPECT_GT(r.items[1].UnpackedSize, 0u);
        EXPECT_EQ(r.items[0].Name, u"sparse");
        EXPECT_EQ(r.items[2].Name, u"tree\\a.txt");
        EXPECT_EQ(r.items[2].UnpackedSize, 6u);
        if (std::string(name) == "gnu_sparse.tar") {
            EXPECT_EQ(r.items[1].Name, u"sparse\\holes.bin");
            EXPECT_EQ(ErrorState::data().exit_code, KUB_FATAL_ERROR);  // the sparse warning
        } else {
            // GNU tar names the stand-in folder after its process id.
            std::u16string stand_in = r.items[1].Name;
            EXPECT_EQ(stand_in.rfind(u"sparse\\GNUSparseFile.", 0), 0u) << test::ascii_text(stand_in);
            EXPECT_TRUE(stand_in.ends_with(u"\\holes.bin")) << test::ascii_text(stand_in);
        }
    }
    ErrorState::reset();
}

// gzip -lvN: the name gzip would restore (the stored one, else the file's own name without
// ".gz"), and the uncompressed size from the last member's trailer. gzip counts the whole file
// as compressed; the reader leaves out the 10-byte fixed header.
TEST_F(TarGzipFixtureTest, GzipItemsMatchGzipList) {
    int compared = 0;
    for (const test::TarFixture& f : fixtures) {
        if (!f.gzip_listing) continue;
        SCOPED_TRACE(f.name);
        Result r = analyse(f.path);
        ASSERT_EQ(r.code, kAnalyzeArchive);
        EXPECT_EQ(r.summary.ReaderIndex, static_cast<std::uint32_t>(kGzipReaderIndex));
        EXPECT_EQ(r.summary.FormatName, u"GZIP");
        ASSERT_EQ(r.items.size(), 1u);
        EXPECT_EQ(r.items[0].Name, as_listed(f.gzip_name));
        EXPECT_EQ(r.items[0].UnpackedSize, f.gzip_uncompressed);
        EXPECT_EQ(r.items[0].PackedSize, f.gzip_compressed - 10);
        EXPECT_EQ(r.items[0].HostOS, u"UNIX");
        EXPECT_EQ(r.items[0].HashKind, static_cast<std::uint32_t>(kHashCrc32));
        ++compared;
    }
    EXPECT_GE(compared, 7);
}

// Every member of every gzip file decodes with its checksum agreeing, and the data ends where
// the last trailer says.
TEST_F(TarGzipFixtureTest, GzipStreamsDecodeWithGoodChecksums) {
    for (const test::TarFixture& f : fixtures) {
        if (!ends_with(f.name, ".gz") && !ends_with(f.name, ".tgz")) continue;
        SCOPED_TRACE(f.name);
        ErrorState::reset();
        GzipReader reader(nullptr);
        std::u16string path = f.path;
        std::ifstream in(std::filesystem::path(f.path), std::ios::binary);
        std::vector<std::uint8_t> head(2);
        in.read(reinterpret_cast<char*>(head.data()), 2);
        std::int32_t offset = 0;
        ASSERT_TRUE(reader.Open(path, head, offset, 0));
        ASSERT_TRUE(reader.OpenStream(path));
        std::vector<std::uint8_t> buffer(100000);
        std::uint64_t total = 0;
        bool error = false;
        while (std::size_t got = reader.ReadStream(buffer, error)) total += got;
        EXPECT_FALSE(error);
        EXPECT_EQ(ErrorState::data().exit_code, KUB_SUCCESS);
        // After the last member the file stands before its trailer.
        EXPECT_EQ(reader.FilePosition(), reader.FileSize() - 8);
        if (f.gzip_listing) {
            if (f.name == "two_members.gz") {
                EXPECT_EQ(total, 6u + f.gzip_uncompressed);
            } else if (f.name == "rsyncable.gz") {
                EXPECT_EQ(total, 70000u + f.gzip_uncompressed);
            } else {
                EXPECT_EQ(total, f.gzip_uncompressed);
            }
        }
        reader.CloseStream();
        ArchiveSummary summary;
        reader.Close(summary);
    }
    ErrorState::reset();
}

// A compressed tar cut short anywhere lists a prefix of its members and nothing else.
TEST_F(TarGzipFixtureTest, TruncatedCompressedTarListsAPrefix) {
    const test::TarFixture& f = fixture("gnu.tar.gz");
    std::ifstream in(std::filesystem::path(f.path), std::ios::binary);
    std::vector<char> whole((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    test::ScratchFolder scratch;
    std::u16string cut_path = scratch / u"cut.tar.gz";
    std::size_t previous_items = 0;
    for (std::size_t cut = 2; cut < whole.size(); cut += 997) {
        ASSERT_TRUE(scratch.write_file(u"cut.tar.gz", std::string_view(whole.data(), cut)));
        Result r = analyse(cut_path);
        SCOPED_TRACE(cut);
        ASSERT_EQ(r.code, kAnalyzeArchive);
        ASSERT_LE(r.items.size(), f.entries.size());
        for (std::size_t i = 0; i < r.items.size(); ++i) EXPECT_EQ(r.items[i].Name, as_listed(f.entries[i].name));
        EXPECT_GE(r.items.size(), previous_items);
        previous_items = r.items.size();
    }
    // The last members are small and lie in the stream's last kilobyte.
    EXPECT_GE(previous_items, f.entries.size() / 2);
    ErrorState::reset();
}

}  // namespace
}  // namespace kub

// bzip2, xz and compress files made by the tools themselves, read by our readers and compared
// with what bzip2 -dc, xz -dc and compress -dc decode them to; the compressed tars with GNU
// tar -tv.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "common/error_state.h"
#include "common/text/encoding.h"
#include "formats/archive_analysis.h"
#include "formats/bzip2/bzip2_reader.h"
#include "formats/format_registry.h"
#include "formats/xz/xz_reader.h"
#include "formats/z/z_reader.h"
#include "tests/support/code_page_scope.h"
#include "tests/support/analysed_archive.h"
#include "tests/support/fixtures/compressed_fixtures.h"
#include "tests/support/scratch_folder.h"
#include "tests/support/fixtures/tar_fixtures.h"

namespace kub {
namespace {

std::vector<std::uint8_t> file_bytes(const std::u16string& path) {
    std::ifstream in(std::filesystem::path(path), std::ios::binary);
    return std::vector<std::uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

bool ends_with(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

// The reader a single-stream file of this name is read by, with its registry index and format.
struct Kind {
    int index;
    const char16_t* format;
};
Kind kind_of(const std::string& name) {
    if (ends_with(name, ".bz2") || ends_with(name, ".tbz2")) return {kBzip2ReaderIndex, u"BZIP2"};
    if (ends_with(name, ".xz") || ends_with(name, ".txz")) return {kXzReaderIndex, u"XZ"};
    return {kZReaderIndex, u"Z"};
}

std::unique_ptr<SingleStreamReader> open_reader(const std::u16string& path, int index) {
    std::unique_ptr<ArchiveReader> made = create_format_reader(index, nullptr);
    std::unique_ptr<SingleStreamReader> reader(dynamic_cast<SingleStreamReader*>(made.release()));
    std::vector<std::uint8_t> head = file_bytes(path);
    if (head.size() > kHeadBytes) head.resize(kHeadBytes);
    std::u16string name = path;
    std::int32_t offset = 0;
    if (!reader || !reader->Open(name, head, offset, 0)) return nullptr;
    return reader;
}

using Result = test::AnalysedArchive;

Result analyse(const std::u16string& path) { return test::analyse_archive(path); }

class CompressedFixtureTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        folder = test::compressed_fixture_folder(KUB_TEST_DATA_DIR, error);
        ASSERT_FALSE(folder.empty()) << error;
        fixtures = test::decoded_fixtures(folder);
        ASSERT_GE(fixtures.size(), 32u);
        ErrorState::reset();
    }
    void TearDown() override { ErrorState::reset(); }

    std::u16string folder;
    std::vector<test::DecodedFixture> fixtures;
};

// The whole stream, read in pieces of changing sizes with skips between some of them, is the
// tool's decoding byte for byte, with no error flag and no error code.
TEST_F(CompressedFixtureTest, StreamsDecodeAsTheToolsDo) {
    int compared = 0;
    for (const test::DecodedFixture& f : fixtures) {
        SCOPED_TRACE(f.name);
        ErrorState::reset();
        std::vector<std::uint8_t> want = file_bytes(f.decoded_path);
        auto reader = open_reader(f.path, kind_of(f.name).index);
        ASSERT_TRUE(reader);
        ASSERT_TRUE(reader->OpenStream(f.path));
        std::vector<std::uint8_t> got;
        std::vector<std::uint8_t> piece(70000);
        const std::size_t sizes[] = {512, 1, 8192, 70000, 3000};
        bool error = false;
        for (std::size_t round = 0;; ++round) {
            std::size_t n = reader->ReadStream(std::span<std::uint8_t>(piece.data(), sizes[round % 5]), error);
            ASSERT_FALSE(error);
            if (n == 0) break;
            got.insert(got.end(), piece.begin(), piece.begin() + static_cast<std::ptrdiff_t>(n));
            if (round % 7 == 3) {
                // A skip over 10,000 bytes: they are taken from the tool's output as they are.
                std::uint64_t to = got.size() + 10000;
                std::int64_t reached = reader->SkipTo(to);
                if (reached < 0) {
                    EXPECT_LT(want.size(), to);
                    break;
                }
                ASSERT_EQ(static_cast<std::uint64_t>(reached), to);
                ASSERT_LE(to, want.size());
                got.insert(got.end(), want.begin() + static_cast<std::ptrdiff_t>(got.size()),
                           want.begin() + static_cast<std::ptrdiff_t>(to));
            }
        }
        if (got.size() > want.size()) got.resize(want.size() + 1);
        EXPECT_EQ(got.size(), want.size());
        EXPECT_TRUE(got == want);
        EXPECT_EQ(ErrorState::data().exit_code, KUB_SUCCESS);
        // Behind what was delivered there is no going back.
        EXPECT_EQ(reader->SkipTo(0), want.empty() ? 0 : kSkipToFailed);
        reader->CloseStream();
        ArchiveSummary summary;
        reader->Close(summary);
        EXPECT_EQ(summary.FormatName, kind_of(f.name).format);
        ++compared;
    }
    EXPECT_GE(compared, 32);
}

// Each file alone is one item named after the file; xz reports the sizes its indexes hold (the
// tool's decoded size, the whole file), the others the file size and an unknown unpacked size.
TEST_F(CompressedFixtureTest, SingleStreamFilesAreOneItem) {
    int compared = 0;
    for (const test::DecodedFixture& f : fixtures) {
        if (f.name.rfind("gnu.", 0) == 0) continue;  // compressed tars: the tar reader claims them
        SCOPED_TRACE(f.name);
        Kind kind = kind_of(f.name);
        Result r = analyse(f.path);
        ASSERT_EQ(r.code, kAnalyzeArchive);
        EXPECT_EQ(r.summary.ReaderIndex, static_cast<std::uint32_t>(kind.index));
        EXPECT_EQ(r.summary.FormatName, kind.format);
        ASSERT_EQ(r.items.size(), 1u);
        std::u16string stem;
        utf8_to_wide(f.name.substr(0, f.name.rfind('.')), stem);
        EXPECT_EQ(r.items[0].Name, stem);
        std::uint64_t file_size = std::filesystem::file_size(std::filesystem::path(f.path));
        std::uint64_t decoded_size = std::filesystem::file_size(std::filesystem::path(f.decoded_path));
        EXPECT_EQ(r.items[0].PackedSize, file_size);
        EXPECT_EQ(r.items[0].UnpackedSize, kind.index == kXzReaderIndex ? decoded_size : UnknownSize);
        ++compared;
    }
    EXPECT_GE(compared, 26);
}

TEST_F(CompressedFixtureTest, CompressedTarsListAsGnuTarDoes) {
    test::CodePageScope utf8(65001, 437);
    struct Case {
        const char* name;
        const char16_t* format;
    } cases[] = {{"gnu.tar.bz2", u"TAR+BZIP2"}, {"gnu.tbz2", u"TAR+BZIP2"}, {"gnu.tar.xz", u"TAR+XZ"},
                 {"gnu.txz", u"TAR+XZ"},        {"gnu.tar.Z", u"TAR+Z"},      {"gnu.taz", u"TAR+Z"}};
    std::vector<test::TarFixture> listings = test::tar_fixtures(folder);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto found = std::find_if(listings.begin(), listings.end(), [&](const auto& l) { return l.name == c.name; });
        ASSERT_NE(found, listings.end());
        ASSERT_GE(found->entries.size(), 10u);
        Result r = analyse(found->path);
        ASSERT_EQ(r.code, kAnalyzeArchive);
        EXPECT_EQ(r.summary.ReaderIndex, static_cast<std::uint32_t>(kTarReaderIndex));
        EXPECT_EQ(r.summary.FormatName, c.format);
        ASSERT_EQ(r.items.size(), found->entries.size());
        for (std::size_t i = 0; i < r.items.size(); ++i) {
            const test::TarExpectedEntry& want = found->entries[i];
            std::u16string name;
            ansi_to_wide(want.name, name);
            std::replace(name.begin(), name.end(), u'/', u'\\');
            EXPECT_EQ(r.items[i].Name, name);
            EXPECT_EQ(r.items[i].UnpackedSize, want.size);
            EXPECT_EQ(r.items[i].IsDirectory, want.folder);
            EXPECT_EQ(r.items[i].PackedSize, UnknownSize);
        }
        EXPECT_EQ(ErrorState::data().exit_code, KUB_SUCCESS);
    }
}

// A compressed tar cut short anywhere lists a prefix of its members and nothing else.
TEST_F(CompressedFixtureTest, TruncatedCompressedTarsListAPrefix) {
    test::CodePageScope utf8(65001, 437);
    std::vector<test::TarFixture> listings = test::tar_fixtures(folder);
    test::ScratchFolder scratch;
    for (const char* name : {"gnu.tar.bz2", "gnu.tar.xz", "gnu.tar.Z"}) {
        SCOPED_TRACE(name);
        auto found = std::find_if(listings.begin(), listings.end(), [&](const auto& l) { return l.name == name; });
        ASSERT_NE(found, listings.end());
        std::vector<std::uint8_t> whole = file_bytes(found->path);
        std::u16string cut_name;
        utf8_to_wide(name, cut_name);
        std::size_t previous = 0;
        for (std::size_t cut = 6; cut < whole.size(); cut += whole.size() / 23) {
            SCOPED_TRACE(cut);
            ASSERT_TRUE(scratch.write_file(cut_name, std::string_view(reinterpret_cast<const char*>(whole.data()), cut)));
            Result r = analyse(scratch / cut_name);
            ASSERT_EQ(r.code, kAnalyzeArchive);
            ASSERT_LE(r.items.size(), found->entries.size());
            for (std::size_t i = 0; i < r.items.size(); ++i) {
                std::u16string want;
                ansi_to_wide(found->entries[i].name, want);
                std::replace(want.begin(), want.end(), u'/', u'\\');
                EXPECT_EQ(r.items[i].Name, want);
            }
            EXPECT_GE(r.items.size(), previous);
            previous = r.items.size();
        }
        EXPECT_GE(previous, found->entries.size() / 2);
        ErrorState::reset();
    }
}

}  // namespace
}  // namespace kub

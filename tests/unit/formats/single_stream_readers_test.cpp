// The bzip2, xz and compress readers on their edge cases: files that hold a magic alone, damage
// placed at known spots of files the tools made, and compress headers written by hand.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "common/error_state.h"
#include "formats/archive_analysis.h"
#include "formats/format_registry.h"
#include "tests/support/analysed_archive.h"
#include "tests/support/fixtures/compressed_fixtures.h"
#include "tests/support/scratch_folder.h"

namespace kub {
namespace {

std::string file_text(const std::u16string& path) {
    std::ifstream in(std::filesystem::path(path), std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

using Result = test::AnalysedArchive;

Result analyse(const std::u16string& path) { return test::analyse_archive(path); }

// The reader of registry slot `index` opened on `path`, its stream read whole.
struct Streamed {
    bool opened = false;
    std::string data;
    bool error = false;
    std::int64_t skip_past_end = 0;
};

// `head` is the file's content (the scratch folder's paths are for our file layer only).
Streamed stream(const std::u16string& path, int index, const std::string& head) {
    Streamed s;
    std::unique_ptr<ArchiveReader> made = create_format_reader(index, nullptr);
    auto* reader = dynamic_cast<SingleStreamReader*>(made.get());
    std::u16string name = path;
    std::int32_t offset = 0;
    if (!reader || !reader->Open(name, std::span(reinterpret_cast<const std::uint8_t*>(head.data()), head.size()),
                                 offset, 0))
        return s;
    s.opened = true;
    if (reader->OpenStream(path)) {
        std::vector<std::uint8_t> piece(4096);
        for (;;) {
            bool error = false;
            std::size_t got = reader->ReadStream(piece, error);
            s.error = s.error || error;
            if (got == 0 || error) break;
            s.data.append(piece.begin(), piece.begin() + static_cast<std::ptrdiff_t>(got));
        }
        s.skip_past_end = reader->SkipTo(s.data.size() + 1000);
        reader->CloseStream();
    }
    ArchiveSummary summary;
    reader->Close(summary);
    return s;
}

class SingleStreamReaders : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        folder = test::compressed_fixture_folder(KUB_TEST_DATA_DIR, error);
        ASSERT_FALSE(folder.empty()) << error;
        ErrorState::reset();
    }
    void TearDown() override { ErrorState::reset(); }
    std::u16string write(const std::u16string& name, const std::string& bytes) {
        EXPECT_TRUE(scratch.write_file(name, bytes));
        return scratch / name;
    }
    std::string fixture(const char16_t* name) { return file_text(folder + name); }

    std::u16string folder;
    test::ScratchFolder scratch;
};

TEST_F(SingleStreamReaders, MagicAloneIsOneItemOfUnknownSizeWithNoData) {
    struct Case {
        const char16_t* name;
        std::string bytes;
        int index;
        const char16_t* format;
        std::uint64_t packed;
    } cases[] = {
        {u"three.bz2", "BZh", kBzip2ReaderIndex, u"BZIP2", 3},
        {u"six.xz", std::string("\xFD" "7zXZ\0", 6), kXzReaderIndex, u"XZ", UnknownSize},
        {u"two.Z", "\x1F\x9D", kZReaderIndex, u"Z", 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.name, c.name + 5));
        std::u16string path = write(c.name, c.bytes);
        Result r = analyse(path);
        ASSERT_EQ(r.code, kAnalyzeArchive);
        EXPECT_EQ(r.summary.FormatName, c.format);
        EXPECT_EQ(r.summary.ReaderIndex, static_cast<std::uint32_t>(c.index));
        ASSERT_EQ(r.items.size(), 1u);
        EXPECT_EQ(r.items[0].UnpackedSize, UnknownSize);
        EXPECT_EQ(r.items[0].PackedSize, c.packed);
        Streamed s = stream(path, c.index, c.bytes);
        EXPECT_TRUE(s.opened);
        EXPECT_EQ(s.data, "");
        EXPECT_FALSE(s.error);
    }
    // Two bytes are too few for the bzip2 magic test.
    EXPECT_FALSE(stream(write(u"two.bz2", "BZ"), kBzip2ReaderIndex, "BZ").opened);
}

TEST_F(SingleStreamReaders, SkippingPastTheEnd) {
    // bzip2 and xz know where their data ends (-2); compress cannot tell an end from a failure.
    std::string numbers = fixture(u"trailing_bytes.bz2.decoded");
    Streamed b = stream(folder + u"trailing_bytes.bz2", kBzip2ReaderIndex, fixture(u"trailing_bytes.bz2"));
    EXPECT_EQ(b.data, numbers);  // the bytes after the stream are no stream: the data ends there
    EXPECT_EQ(b.skip_past_end, kSkipToDataEnded);
    Streamed x = stream(folder + u"padded.xz", kXzReaderIndex, fixture(u"padded.xz"));
    EXPECT_EQ(x.data, fixture(u"padded.xz.decoded"));
    EXPECT_EQ(x.skip_past_end, kSkipToDataEnded);
    Streamed z = stream(folder + u"bits12.Z", kZReaderIndex, fixture(u"bits12.Z"));
    EXPECT_EQ(z.data, fixture(u"bits12.Z.decoded"));
    EXPECT_EQ(z.skip_past_end, kSkipToFailed);
}

TEST_F(SingleStreamReaders, XzMagicMustStandAtTheStart) {
    std::string garbage(1000, 'g');
    Result r = analyse(write(u"late.xz", garbage + fixture(u"check_crc32.xz")));
    EXPECT_EQ(r.code, kAnalyzeNotArchive);
}

TEST_F(SingleStreamReaders, XzAlteredSha256SetsTheErrorFlagAtTheBlockEnd) {
    std::string file = fixture(u"check_sha256.xz");
    std::string decoded = fixture(u"check_sha256.xz.decoded");
    // One block: its SHA-256 is the 32 bytes in front of the index, whose size the footer gives
    // (backward size at footer offset 4, in units of four bytes, minus one).
    std::size_t footer = file.size() - 12;
    std::uint32_t stored = static_cast<std::uint8_t>(file[footer + 4]) | static_cast<std::uint8_t>(file[footer + 5]) << 8 |
                           static_cast<std::uint8_t>(file[footer + 6]) << 16 |
                           static_cast<std::uint32_t>(static_cast<std::uint8_t>(file[footer + 7])) << 24;
    std::size_t index_start = footer - (static_cast<std::size_t>(stored) + 1) * 4;
    file[index_start - 1] ^= 0x01;
    std::u16string path = write(u"altered.xz", file);
    Streamed s = stream(path, kXzReaderIndex, file);
    EXPECT_TRUE(s.error);
    EXPECT_LE(s.data.size(), decoded.size());
    EXPECT_EQ(s.data, decoded.substr(0, s.data.size()));
    EXPECT_GT(s.data.size(), decoded.size() - 8192);  // the data came; the check failed after it
    // The index is untouched: the sizes stand.
    Result r = analyse(path);
    ASSERT_EQ(r.items.size(), 1u);
    EXPECT_EQ(r.items[0].UnpackedSize, decoded.size());
}

TEST_F(SingleStreamReaders, XzSizesFromTheStreamsThatCanBeRead) {
    std::string file = fixture(u"two_streams.xz");
    std::string decoded = fixture(u"two_streams.xz.decoded");
    std::size_t second = file.find(std::string("\xFD" "7zXZ\0", 6), 1);
    ASSERT_NE(second, std::string::npos);

    // Both streams.
    Result whole = analyse(write(u"two.xz", file));
    ASSERT_EQ(whole.items.size(), 1u);
    EXPECT_EQ(whole.items[0].UnpackedSize, decoded.size());
    EXPECT_EQ(whole.items[0].PackedSize, file.size());

    // The first stream's footer magic ("YZ") broken: only the second counts.
    std::string partial = file;
    partial[second - 1] = 'X';
    Result p = analyse(write(u"partial.xz", partial));
    ASSERT_EQ(p.items.size(), 1u);
    EXPECT_EQ(p.items[0].UnpackedSize, decoded.size() - 6);  // "hello\n" was in the first
    EXPECT_EQ(p.items[0].PackedSize, file.size() - second);

    // The last stream's index damaged (its CRC32 just before the footer): nothing is known.
    std::string damaged = file;
    damaged[file.size() - 13] ^= 0x40;
    Result d = analyse(write(u"damaged.xz", damaged));
    ASSERT_EQ(d.items.size(), 1u);
    EXPECT_EQ(d.items[0].UnpackedSize, UnknownSize);
    EXPECT_EQ(d.items[0].PackedSize, UnknownSize);
}

TEST_F(SingleStreamReaders, CompressHeaderWidthsOutsideNineToSixteenGiveNoData) {
    // The 9-bit codes 'h' 'i' with each header: 0x90 and 0x10 decode them, 17 and 8 bits do not.
    std::string codes = {'\x68', '\xD2', '\x00'};  // 0x68 | 0x69 << 9, packed low bits first
    struct Case {
        char flags;
        const char* want;
    } cases[] = {{'\x90', "hi"}, {'\x10', "hi"}, {'\x8C', "hi"}, {'\x91', ""}, {'\x88', ""}, {'\x80', ""}};
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(static_cast<std::uint8_t>(c.flags)));
        std::string file = std::string("\x1F\x9D") + c.flags + codes;
        Streamed s = stream(write(u"h.Z", file), kZReaderIndex, file);
        EXPECT_TRUE(s.opened);
        EXPECT_EQ(s.data, c.want);
    }
    EXPECT_EQ(ErrorState::data().exit_code, KUB_SUCCESS);
}

TEST_F(SingleStreamReaders, CompressDamageSetsTheDataErrorCode) {
    // Data that ends right after a clear code, then a prefix chain that loops (see the decoder's
    // tests for how these codes build it).
    std::string cut_file("\x1F\x9D\x90\x61\x00\x02", 6);
    Streamed cut = stream(write(u"cut.Z", cut_file), kZReaderIndex, cut_file);
    EXPECT_EQ(cut.data, "a");
    EXPECT_EQ(ErrorState::data().exit_code, KUB_CRC_ERROR);
    ErrorState::reset();
    // 'a', 300, 257, 259, 258, 259 as 9-bit codes.
    std::vector<std::uint32_t> codes = {'a', 300, 257, 259, 258, 259};
    std::string bytes(7, '\0');
    std::size_t bit = 0;
    for (std::uint32_t code : codes)
        for (int i = 0; i < 9; ++i, ++bit)
            if (code >> i & 1) bytes[bit / 8] = static_cast<char>(bytes[bit / 8] | (1 << (bit % 8)));
    std::string loop_file = std::string("\x1F\x9D\x10", 3) + bytes;
    Streamed loop = stream(write(u"loop.Z", loop_file), kZReaderIndex, loop_file);
    EXPECT_EQ(loop.data.substr(0, 3), "aaa");
    EXPECT_EQ(ErrorState::data().exit_code, KUB_CRC_ERROR);
}

}  // namespace
}  // namespace kub

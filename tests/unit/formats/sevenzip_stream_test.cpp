// The pieces of the 7z reader that need no library: the signature scan, the stream over one file
// or the parts of a set, and the conversion of the library's wide text.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "formats/sevenzip/part_set_stream.h"
#include "formats/sevenzip/sevenzip_library.h"
#include "formats/sevenzip/sevenzip_signature.h"
#include "tests/support/scratch_folder.h"

namespace kub::sevenzip {
namespace {

std::vector<std::uint8_t> bytes_with_signature_at(std::size_t size, std::size_t at) {
    std::vector<std::uint8_t> head(size, 0x37);
    for (std::size_t i = 0; i < kSignature.size() && at + i < size; ++i) head[at + i] = kSignature[i];
    return head;
}

TEST(SevenZipSignature, FoundUpToSevenBytesBeforeTheEnd) {
    struct Case {
        std::size_t size, at;
        std::optional<std::uint32_t> expected;
    } cases[] = {
        {32, 0, 0u},
        {400000, 300000, 300000u},
        {7, 0, 0u},             // one byte after the signature: enough
        {6, 0, std::nullopt},   // the signature alone: too short
        {100, 93, 93u},         // the last position looked at
        {100, 94, std::nullopt},  // the signature ends at the last byte
        {100, 97, std::nullopt},  // cut off
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.size << " bytes, signature at " << c.at);
        EXPECT_EQ(find_signature(bytes_with_signature_at(c.size, c.at)), c.expected);
    }
    // A first byte repeated in front ("77z...") is no obstacle; the first signature wins.
    std::vector<std::uint8_t> twice = bytes_with_signature_at(64, 40);
    for (std::size_t i = 0; i < kSignature.size(); ++i) twice[10 + i] = kSignature[i];
    EXPECT_EQ(find_signature(twice), 10u);
    EXPECT_EQ(find_signature({}), std::nullopt);
}

class PartSetStreamTest : public ::testing::Test {
protected:
    // Parts whose bytes are their sequence positions modulo 251, so any byte tells where it is.
    void make_parts(const std::u16string& base, const std::vector<std::size_t>& sizes) {
        std::size_t position = 0;
        for (std::size_t n = 0; n < sizes.size(); ++n) {
            std::string bytes;
            for (std::size_t i = 0; i < sizes[n]; ++i) bytes.push_back(static_cast<char>((position++) % 251));
            char number[24];
            std::snprintf(number, sizeof number, "%03zu", n + 1);
            std::u16string name = base + u"." + std::u16string(number, number + 3);
            ASSERT_TRUE(scratch.write_file(name, bytes));
        }
    }
    static void expect_bytes_from(const std::vector<std::uint8_t>& bytes, std::size_t position) {
        for (std::size_t i = 0; i < bytes.size(); ++i)
            ASSERT_EQ(bytes[i], (position + i) % 251) << "at " << position + i;
    }
    test::ScratchFolder scratch;
};

TEST_F(PartSetStreamTest, PartsReadAsOneSequence) {
    make_parts(u"x.7z", {1000, 10, 2500});  // x.7z.001 .. x.7z.003
    PartSetStream stream;
    ASSERT_TRUE(stream.open(scratch / u"x.7z.001"));
    EXPECT_EQ(stream.part_count(), 3u);
    EXPECT_EQ(stream.size(), 3510u);

    // Reads across both boundaries: from 990, 530 bytes run through the 10-byte part.
    std::uint64_t position = 0;
    ASSERT_EQ(stream.seek(990, SeekOrigin::kSet, position), StreamStatus::kOk);
    EXPECT_EQ(position, 990u);
    std::vector<std::uint8_t> buffer(530);
    std::uint32_t got = 0;
    ASSERT_EQ(stream.read(buffer.data(), 530, got), StreamStatus::kOk);
    EXPECT_EQ(got, 530u);
    expect_bytes_from(buffer, 990);

    // Relative to the current position and to the end.
    ASSERT_EQ(stream.seek(-520, SeekOrigin::kCurrent, position), StreamStatus::kOk);
    EXPECT_EQ(position, 1000u);  // the first part's end
    ASSERT_EQ(stream.read(buffer.data(), 4, got), StreamStatus::kOk);
    EXPECT_EQ(got, 4u);
    buffer.resize(4);
    expect_bytes_from(buffer, 1000);
    ASSERT_EQ(stream.seek(-3, SeekOrigin::kEnd, position), StreamStatus::kOk);
    EXPECT_EQ(position, 3507u);
    buffer.assign(100, 0);
    ASSERT_EQ(stream.read(buffer.data(), 100, got), StreamStatus::kOk);
    EXPECT_EQ(got, 3u);  // the data ends
    buffer.resize(3);
    expect_bytes_from(buffer, 3507);

    // Past the end is a position, with nothing to read; before the start is refused.
    ASSERT_EQ(stream.seek(10, SeekOrigin::kEnd, position), StreamStatus::kOk);
    EXPECT_EQ(position, 3520u);
    ASSERT_EQ(stream.read(buffer.data(), 3, got), StreamStatus::kOk);
    EXPECT_EQ(got, 0u);
    EXPECT_EQ(stream.seek(-1, SeekOrigin::kSet, position), StreamStatus::kBadPosition);
    EXPECT_EQ(stream.seek(-3600, SeekOrigin::kEnd, position), StreamStatus::kBadPosition);
    EXPECT_EQ(stream.seek(INT64_MAX, SeekOrigin::kEnd, position), StreamStatus::kBadPosition);
    EXPECT_EQ(stream.seek(0, static_cast<SeekOrigin>(3), position), StreamStatus::kBadOrigin);
    // A refused seek leaves the position alone.
    ASSERT_EQ(stream.seek(0, SeekOrigin::kCurrent, position), StreamStatus::kOk);
    EXPECT_EQ(position, 3520u);
}

TEST_F(PartSetStreamTest, WhichPartsMakeTheSet) {
    make_parts(u"two.7z", {300, 200});  // two.7z.001, two.7z.002; no .003
    make_parts(u"Up.7Z", {10, 20});
    make_parts(u"alone.7z", {300});
    make_parts(u"gap.7z", {100, 100, 100});
    test::remove_tree(scratch / u"gap.7z.002");
    ASSERT_TRUE(scratch.write_file(u"plain.7z", std::string(77, 'x')));

    struct Case {
        std::u16string name;
        std::size_t parts;
        std::uint64_t size;
    } cases[] = {
        {u"two.7z.001", 2, 500},
        {u"Up.7Z.001", 2, 30},     // the suffix in any case
        {u"two.7z.002", 1, 200},   // a later part alone is one file
        {u"alone.7z.001", 1, 300}, // only the first part: one file
        {u"gap.7z.001", 1, 100},   // the parts end at the first missing number
        {u"plain.7z", 1, 77},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.name.begin(), c.name.end()));
        PartSetStream stream;
        ASSERT_TRUE(stream.open(scratch / c.name));
        EXPECT_EQ(stream.part_count(), c.parts);
        EXPECT_EQ(stream.size(), c.size);
    }
    PartSetStream missing;
    EXPECT_FALSE(missing.open(scratch / u"none.7z"));
    EXPECT_EQ(missing.size(), 0u);
}

TEST(LibraryText, ConvertedToUtf16AndCut) {
    const LibraryChar plain[] = {L'a', L'/', L'b', 0};
    EXPECT_EQ(from_library_text(plain, 2048), u"a/b");
    EXPECT_EQ(from_library_text(plain, 3), u"a/");  // room for two units and the terminator
    EXPECT_EQ(from_library_text(nullptr, 2048), u"");
    const LibraryChar chinese[] = {0x4E2D, 0x6587, 0};
    EXPECT_EQ(from_library_text(chinese, 2048), u"\u4E2D\u6587");
#if !defined(_WIN32)
    // Natively the library's text is UTF-32: characters beyond the basic plane become surrogate
    // pairs, and what is no character becomes U+FFFD.
    const LibraryChar wide[] = {0x1F600, L'x', 0xD800, 0x110000, 0};
    EXPECT_EQ(from_library_text(wide, 2048), u"\U0001F600x\uFFFD\uFFFD");
    // A pair that does not fit is left out whole.
    const LibraryChar pair_at_end[] = {L'a', 0x1F600, 0};
    EXPECT_EQ(from_library_text(pair_at_end, 3), u"a");
#endif
}

TEST(LibraryInterfaces, IdentifiersAsRegistryFormWritesThem) {
    // {23170F69-40C1-278A-0000-000600600000}: Data4 is 00 00 00 06 00 60 00 00.
    const std::uint8_t expected[16] = {0x69, 0x0F, 0x17, 0x23, 0xC1, 0x40, 0x8A, 0x27,
                                       0x00, 0x00, 0x00, 0x06, 0x00, 0x60, 0x00, 0x00};
    EXPECT_EQ(std::memcmp(&kIidInArchive, expected, 16), 0);
    EXPECT_EQ(kIidGetTextPassword.data4[3], 0x05);
    EXPECT_EQ(kIidGetTextPassword.data4[5], 0x10);
    EXPECT_EQ(kIidStreamGetSize.data4[3], 0x03);
    EXPECT_EQ(kIidStreamGetSize.data4[5], 0x06);
    EXPECT_EQ(kIidOpenVolumeCallback.data4[5], 0x30);
}

}  // namespace
}  // namespace kub::sevenzip

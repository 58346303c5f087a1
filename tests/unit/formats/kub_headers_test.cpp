// Header-level rules of the KUB format, checked on bytes built field by field.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "formats/kub/kub_archive.h"
#include "formats/kub/kub_encoded_name.h"
#include "formats/kub/kub_gen2_header.h"
#include "formats/kub/kub_gen3_header.h"
#include "formats/kub/kub_item_conversion.h"
#include "formats/kub/kub_signature.h"
#include "formats/kub/kub_vint.h"
#include "tests/support/writers/kub_writer.h"

namespace kub::kubfmt {
namespace {

using test::Bytes;

const Bytes kGen2(test::kSignatureGen2, test::kSignatureGen2 + 7);
const Bytes kGen3(test::kSignatureGen3, test::kSignatureGen3 + 8);

Bytes placed(std::size_t file_size, std::size_t at, const Bytes& what) {
    Bytes file = test::sfx_stub(file_size);
    std::copy(what.begin(), what.end(), file.begin() + static_cast<std::ptrdiff_t>(at));
    return file;
}

std::optional<SignatureMatch> find_in(const Bytes& file) {
    // The reader looks at the first 7 bytes and one block of kSfxSearchBytes behind them.
    return find_signature(std::span(file).first(std::min(file.size(), kSignatureSize + kSfxSearchBytes)));
}

TEST(KubSignature, GenerationAtTheStart) {
    struct Case {
        Bytes head;
        Generation generation;
    } cases[] = {
        {{'K', 'E', '~', '^'}, kGenerationOldest},
        {kGen2, kGenerationBlock},
        {kGen3, kGenerationFive},
        {{'K', 'u', 'b', '!', 0x1A, 0x07, 0x02}, kGenerationNewer},
        {{'K', 'u', 'b', '!', 0x1A, 0x07, 0x03}, kGenerationNone},
        {{'K', 'u', 'b', '!', 0x1A, 0x07}, kGenerationNone},  // cut before the version byte
        {{'K', 'E', '~'}, kGenerationNone},
    };
    for (const Case& c : cases) {
        auto match = find_signature(c.head);
        Generation found = match ? match->generation : kGenerationNone;
        EXPECT_EQ(found, c.generation) << c.head.size();
        if (match) {
            EXPECT_EQ(match->offset, 0u);
        }
    }
}

TEST(KubSignature, SearchBehindSelfExtractingModule) {
    auto at_70000 = find_in(placed(80000, 70000, kGen2));
    ASSERT_TRUE(at_70000);
    EXPECT_EQ(at_70000->generation, kGenerationBlock);
    EXPECT_EQ(at_70000->offset, 70000u);

    // The search block ends at file offset 1,048,567: a whole signature must lie before it.
    const std::size_t last_fit = kSignatureSize + kSfxSearchBytes - kSignatureSize;
    EXPECT_EQ(last_fit, 1048560u);
    auto fits = find_in(placed(1100000, last_fit, kGen2));
    ASSERT_TRUE(fits);
    EXPECT_EQ(fits->offset, 1048560u);
    EXPECT_FALSE(find_in(placed(1100000, last_fit + 1, kGen2)));
    EXPECT_FALSE(find_in(placed(1100000, 1048567, kGen2)));
}

TEST(KubSignature, OldestMarkerBehindModuleNeedsTheTag) {
    const Bytes marker = {'K', 'E', '~', '^'};
    Bytes untagged = placed(10000, 1000, marker);
    std::copy(kGen2.begin(), kGen2.end(), untagged.begin() + 5000);
    auto later = find_in(untagged);
    ASSERT_TRUE(later);
    EXPECT_EQ(later->generation, kGenerationBlock);
    EXPECT_EQ(later->offset, 5000u);

    Bytes tagged = test::sfx_stub(10000, true);
    std::copy(marker.begin(), marker.end(), tagged.begin() + 1000);
    auto found = find_in(tagged);
    ASSERT_TRUE(found);
    EXPECT_EQ(found->generation, kGenerationOldest);
    EXPECT_EQ(found->offset, 1000u);

    // A file too short to carry the tag accepts the marker.
    Bytes tiny = {0, 0, 0, 0, 0, 0, 0, 0, 'K', 'E', '~', '^', 0};
    auto short_file = find_in(tiny);
    ASSERT_TRUE(short_file);
    EXPECT_EQ(short_file->offset, 8u);

    // "Too short" counts the bytes searched behind the first seven: a 36-byte file of 8 junk
    // bytes and a 28-byte archive has only 29 of them.
    Bytes thirty_six(36, 'j');
    std::copy(marker.begin(), marker.end(), thirty_six.begin() + 8);
    auto behind_junk = find_in(thirty_six);
    ASSERT_TRUE(behind_junk);
    EXPECT_EQ(behind_junk->offset, 8u);

    // The first position searched needs no tag: a marker right behind a 7-byte stub.
    Bytes behind_stub = placed(10000, 7, marker);
    auto first_position = find_in(behind_stub);
    ASSERT_TRUE(first_position);
    EXPECT_EQ(first_position->generation, kGenerationOldest);
    EXPECT_EQ(first_position->offset, 7u);

    // A newer generation found first ends the search (the reader then refuses the file).
    auto newer = find_in(placed(4000, 100, {'K', 'u', 'b', '!', 0x1A, 0x07, 0x02}));
    ASSERT_TRUE(newer);
    EXPECT_EQ(newer->generation, kGenerationNewer);
}

TEST(KubVint, DecodesGroupsOfSevenBits) {
    struct Case {
        Bytes bytes;
        bool ok;
        std::uint64_t value;
        std::size_t length;
    } cases[] = {
        {{0x00}, true, 0, 1},
        {{0x7F}, true, 127, 1},
        {{0x80, 0x01}, true, 128, 2},
        {{0xE5, 0x8E, 0x26}, true, 624485, 3},
        {{0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x01}, true, ~0ull, 10},
        {{0x80, 0x80}, false, 0, 2},                               // runs off the end
        {Bytes(11, 0x80), false, 0, 10},                            // longer than 64 bits
    };
    for (const Case& c : cases) {
        std::uint64_t value = 99;
        std::size_t length = 0;
        EXPECT_EQ(decode_vint(c.bytes, 0, value, length), c.ok);
        EXPECT_EQ(value, c.value);
        EXPECT_EQ(length, c.length);
    }
    // Through the cursor a vint cut by the end reads as zero and leaves the cursor overrun.
    Bytes cut = {0x05, 0x81};
    ByteReader r(cut);
    EXPECT_EQ(read_vint(r), 5u);
    EXPECT_EQ(read_vint(r), 0u);
    EXPECT_TRUE(r.overrun());
}

TEST(KubEncodedName, EveryCode) {
    // OEM "ab?de", zero, then: high byte 0x4E; flags 0b00'01'10'11 for codes 0,1,2,3.
    Bytes field = {'a', 'b', '?', 'd', 'e', 0, 0x4E, 0x1B, 'x', 0x2D, 0x34, 0x12, 0x00};
    // code 0: 'x'; code 1: 0x4E2D; code 2: 0x1234; code 3 with L=0: copy 2 OEM bytes at 3, 4.
    std::u16string expected = {u'x', 0x4E2D, 0x1234, u'd', u'e'};
    EXPECT_EQ(decode_encoded_name(field), expected);
    // A copy that reaches the zero byte after the OEM name ends the name there.
    Bytes past = {'a', 'b', 0, 0x4E, 0x0C, 'x', 'y', 0x01};
    EXPECT_EQ(decode_encoded_name(past), u"xy");

    // Code 3 with a correction: (L & 0x7F) + 2 characters high * 256 + (OEM byte + C).
    Bytes corrected = {'A', 'B', 'C', 0, 0x30, 0xC0, 0x81, 0x10};
    EXPECT_EQ(decode_encoded_name(corrected), (std::u16string{0x3051, 0x3052, 0x3053}));

    EXPECT_EQ(decode_encoded_name(Bytes{'a', 'b'}), u"");      // no encoded form
    EXPECT_EQ(decode_encoded_name(Bytes{'a', 0}), u"");        // empty encoded form
    EXPECT_EQ(decode_encoded_name(Bytes{'a', 0, 0x4E, 0x80}), u"");  // a code without its bytes
}

TEST(KubEncodedName, WriterRoundTripAndLimit) {
    const std::u16string names[] = {u"docs\\\u6587\u4ef6.txt", u"plain.txt",
                                    u"\u00e9t\u00e9\\\u0391\u0392\u0393\u2603.x"};
    for (const std::u16string& wide : names) {
        std::string oem;
        for (char16_t c : wide) oem.push_back(c < 0x80 ? static_cast<char>(c) : '?');
        Bytes field = test::text_bytes(oem);
        field.push_back(0);
        test::append(field, test::encode_wide_name(oem, wide));
        EXPECT_EQ(decode_encoded_name(field), wide);
    }
    // 20,640 corrected copies asked for: decoding stops at the limit.
    Bytes many = {'a', 0, 0x4E};
    for (int i = 0; i < 40; ++i) {
        many.push_back(0xFF);
        for (int k = 0; k < 4; ++k) test::append(many, Bytes{0xFF, 0x01});
    }
    EXPECT_EQ(decode_encoded_name(many).size(), kMaxDecodedNameUnits);
}

ParsedHeader parse2(const Bytes& block) {
    HeaderExtent e = gen2_block_extent(block);
    return parse_gen2_block(std::span(block).first(static_cast<std::size_t>(e.read_size)), e.header_size);
}

TEST(KubGen2Block, ChecksumRules) {
    test::Gen2Item item;
    item.name = "a.txt";
    item.write_data = false;
    EXPECT_TRUE(parse2(test::gen2_item(item)).checksum_ok);

    Bytes damaged = test::gen2_item(item);
    damaged[10] ^= 0x40;
    EXPECT_FALSE(parse2(damaged).checksum_ok);

    // With the partial flag the checksum covers the fields: trailing bytes may be anything.
    item.partial_checksum = true;
    item.trailing = {9, 9, 9};
    Bytes partial = test::gen2_item(item);
    EXPECT_TRUE(parse2(partial).checksum_ok);
    partial[partial.size() - 1] ^= 0xFF;
    EXPECT_TRUE(parse2(partial).checksum_ok);
    partial[12] ^= 0x01;  // inside the fields
    EXPECT_FALSE(parse2(partial).checksum_ok);

    // Blocks 0x76 and 0x79 are never held against the archive.
    for (std::uint8_t type : {std::uint8_t{0x76}, std::uint8_t{0x79}}) {
        Bytes old = test::gen2_block(type, 0, Bytes{1, 2, 3, 4, 5, 6, 7});
        old[0] ^= 0xFF;
        EXPECT_TRUE(parse2(old).checksum_ok);
    }

    // An end block with reserved space: 7 zero bytes at its end excuse a mismatch.
    Bytes end = test::gen2_block(0x7B, 0x0004, Bytes(7, 0));
    end[0] ^= 0xFF;
    EXPECT_TRUE(parse2(end).checksum_ok);
    Bytes end_dirty = test::gen2_block(0x7B, 0x0004, Bytes{0, 0, 0, 0, 0, 0, 1});
    end_dirty[0] ^= 0xFF;
    EXPECT_FALSE(parse2(end_dirty).checksum_ok);
}

TEST(KubGen2Block, ShortReadsAndDataSizes) {
    // A main block with an embedded comment is read to 13 bytes and skipped by its size.
    Bytes main = test::gen2_main(0x0002, test::text_bytes("a comment"));
    HeaderExtent e = gen2_block_extent(main);
    EXPECT_TRUE(e.ok);
    EXPECT_EQ(e.read_size, 13u);
    EXPECT_EQ(e.header_size, main.size());
    EXPECT_TRUE(parse2(main).checksum_ok);
    EXPECT_TRUE(parse2(main).comment);

    EXPECT_FALSE(gen2_block_extent(Bytes{0, 0, 0x74, 0, 0, 6, 0}).ok);  // size below 7

    Bytes data_block;
    test::put_le(data_block, 1000, 4);
    EXPECT_EQ(parse2(test::gen2_block(0x77, 0, data_block)).data_size, 1000u);
    EXPECT_EQ(parse2(test::gen2_block(0x7C, 0x8000, data_block)).data_size, 1000u);
    EXPECT_EQ(parse2(test::gen2_block(0x7C, 0x0000, data_block)).data_size, 0u);
    EXPECT_EQ(parse2(test::gen2_block(0x79, 0x8000, data_block)).data_size, 0u);

    Bytes recovery;
    test::put_le(recovery, 2048, 4);
    recovery.push_back(0);
    test::put_le(recovery, 7, 2);
    ParsedHeader r = parse2(test::gen2_block(0x78, 0, recovery));
    EXPECT_TRUE(r.recovery_block);
    EXPECT_EQ(r.recovery_size, 7u * 512);
    EXPECT_EQ(r.data_size, 2048u);
}

TEST(KubGen2Block, FileFields) {
    test::Gen2Item item;
    item.name = "x";
    item.write_data = false;
    item.unpacked_size = 0xFFFFFFFF;
    EXPECT_TRUE(parse2(test::gen2_item(item)).item.unknown_size);
    item.large_sizes = true;
    item.unpacked_size = 0x1FFFFFFFFull;  // low half all ones, but a real high part
    ParsedHeader big = parse2(test::gen2_item(item));
    EXPECT_FALSE(big.item.unknown_size);
    EXPECT_EQ(big.item.unpacked_size, 0x1FFFFFFFFull);
    item.unpacked_size = 0xFFFFFFFFFFFFFFFFull;
    EXPECT_TRUE(parse2(test::gen2_item(item)).item.unknown_size);

    // Dictionary bits: 64 KiB shifted; all three set is a directory.
    item = {};
    item.write_data = false;
    item.flags = 4 << 5;
    EXPECT_EQ(parse2(test::gen2_item(item)).item.dictionary_bytes, 1024u * 1024);
    item.flags = 0x00E0;
    EXPECT_TRUE(parse2(test::gen2_item(item)).item.directory);
    // Before version 2.0 the directory attribute alone marks a directory.
    item.flags = 0;
    item.attributes = 0x10;
    item.version = 15;
    EXPECT_TRUE(parse2(test::gen2_item(item)).item.directory);
    item.version = 20;
    EXPECT_FALSE(parse2(test::gen2_item(item)).item.directory);
}

// A header whose declared size ends two bytes into the 4-byte attributes: the field is not read
// from the half that exists (0x10 would make the item a folder).
TEST(KubGen2Block, FieldCutByTheHeaderEndReadsAsZero) {
    test::Gen2Item item;
    item.write_data = false;
    item.version = 15;
    item.attributes = 0x10;
    Bytes whole = test::gen2_item(item);
    ASSERT_TRUE(parse2(whole).item.directory);

    const std::size_t cut = 7 + 21 + 2;  // block head, fixed file fields, half the attributes
    Bytes cut_block(whole.begin(), whole.begin() + cut);
    cut_block[5] = static_cast<std::uint8_t>(cut);
    cut_block[6] = 0;
    ParsedHeader h = parse2(cut_block);
    EXPECT_EQ(h.item.attributes, 0u);
    EXPECT_FALSE(h.item.directory);
}

TEST(KubGen2Block, ExtendedModificationTime) {
    test::Gen2Item item;
    item.write_data = false;
    // Modification: plus one second, two bytes of fraction; creation: its own DOS time and one
    // byte; access absent; archiving: DOS time only.
    item.extended_times = test::gen2_extended_times(
        {test::Gen2Time{true, 0, true, 0x123456, 2}, test::Gen2Time{true, 0x11111111, false, 0x99, 1},
         test::Gen2Time{}, test::Gen2Time{true, 0x22222222, false, 0, 0}});
    ParsedHeader h = parse2(test::gen2_item(item));
    EXPECT_TRUE(h.checksum_ok);
    EXPECT_EQ(h.item.time_fraction, 0x123400u + 10'000'000u);
}

TEST(KubGen3Header, ExtentAndDamage) {
    Bytes end = test::gen3_end();
    HeaderExtent e = gen3_header_extent(end);
    EXPECT_TRUE(e.ok);
    EXPECT_EQ(e.header_size, end.size());
    ParsedHeader h = parse_gen3_header(end);
    EXPECT_EQ(h.kind, HeaderKind::kEnd);
    EXPECT_TRUE(h.checksum_ok);

    end[end.size() - 1] ^= 1;
    EXPECT_FALSE(parse_gen3_header(end).checksum_ok);

    EXPECT_FALSE(gen3_header_extent(Bytes{0, 0, 0, 0, 0}).ok);  // size 0
    Bytes huge = {0, 0, 0, 0};
    test::append(huge, test::vint(kMaxGen3HeaderSize + 1));
    EXPECT_FALSE(gen3_header_extent(huge).ok);
    HeaderExtent cut = gen3_header_extent(Bytes{0, 0, 0, 0, 0x80});
    EXPECT_FALSE(cut.ok);
    EXPECT_TRUE(cut.incomplete);

    // An extra area larger than the header.
    Bytes fields = test::vint(2);        // type file
    test::append(fields, test::vint(1));  // flags: extra area
    test::append(fields, test::vint(50));  // its size
    Bytes covered = test::vint(fields.size());
    test::append(covered, fields);
    Bytes bad = {0, 0, 0, 0};
    test::append(bad, covered);
    EXPECT_TRUE(parse_gen3_header(bad).malformed);
}

TEST(KubGen3Header, EncryptionHeaderPasswordCheck) {
    ParsedHeader matching = parse_gen3_header(test::gen3_encryption_header(0, 15));
    EXPECT_EQ(matching.kind, HeaderKind::kEncryption);
    EXPECT_TRUE(matching.encryption_known);
    EXPECT_TRUE(matching.password_check_matches);
    EXPECT_FALSE(parse_gen3_header(test::gen3_encryption_header(0, 15, true, false)).password_check_matches);
    EXPECT_FALSE(parse_gen3_header(test::gen3_encryption_header(0, 15, false)).password_check_matches);
    EXPECT_FALSE(parse_gen3_header(test::gen3_encryption_header(0, 25)).encryption_known);
}

TEST(KubGen3Header, ExtraRecords) {
    test::Gen3Item item;
    item.name = "f";
    item.extra = test::gen3_encryption_record(0, 30);  // a parameter above 24 is ignored
    EXPECT_TRUE(parse_gen3_header(test::gen3_item_header(item)).item.encrypted);
    item.extra = test::gen3_encryption_record(1, 15);  // unknown version: not marked
    EXPECT_FALSE(parse_gen3_header(test::gen3_item_header(item)).item.encrypted);

    // The password check after salt and initialisation vector: a matching sum is recorded.
    item.extra = test::gen3_encryption_record(0, 15);
    EXPECT_TRUE(parse_gen3_header(test::gen3_item_header(item)).item.password_check_matches);
    item.extra = test::gen3_encryption_record(0, 15, false);
    ParsedHeader wrong_sum = parse_gen3_header(test::gen3_item_header(item));
    EXPECT_TRUE(wrong_sum.item.encrypted);
    EXPECT_FALSE(wrong_sum.item.password_check_matches);

    // The time record needs 9 bytes left in the header: a Unix time at the very end is ignored,
    // a FILETIME is taken.
    item.file_flags = 0;
    item.extra = test::gen3_time_record(1700000000, true);
    EXPECT_EQ(parse_gen3_header(test::gen3_item_header(item)).item.time_format, TimeFormat::kNone);
    item.extra = test::gen3_time_record(0x01D9000000000000ull);
    ParsedHeader t = parse_gen3_header(test::gen3_item_header(item));
    EXPECT_EQ(t.item.time_format, TimeFormat::kFileTime);
    EXPECT_EQ(t.item.time_value, 0x01D9000000000000ull);

    // The walk stops at a record larger than what is left; records before it count.
    item.extra = test::gen3_version_record(7);
    test::append(item.extra, Bytes{0x7F, 4});
    EXPECT_EQ(parse_gen3_header(test::gen3_item_header(item)).item.version_suffix, 7u);

    item.extra = test::gen3_redirection_record(3, "t");
    EXPECT_EQ(parse_gen3_header(test::gen3_item_header(item)).item.link_type, 3u);
}

TEST(KubRecovery, Percentage) {
    struct Case {
        std::uint64_t size, position, percent;
    } cases[] = {
        {512, 100, 100},      // more recovery data than archive
        {0, 1000, 0},
        {50, 1000, 5},
        {54, 1000, 5},
        {55, 1000, 6},        // rounded to the nearest
        {1000, 1000, 100},
        {999, 1000, 100},     // 99.9 rounds up
        {~0ull >> 1, ~0ull, 50},  // no overflow on large positions
    };
    for (const Case& c : cases) EXPECT_EQ(recovery_percentage(c.size, c.position), c.percent) << c.size;
}

TEST(KubItemNames, RewritingPerGeneration) {
    EXPECT_EQ(rewrite_item_name(u"c:dir/file\\x", kGenerationBlock), u"c_dir\\file\\x");
    EXPECT_EQ(rewrite_item_name(u"c:dir/file\\x", kGenerationOldest), u"c_dir\\file\\x");
    EXPECT_EQ(rewrite_item_name(u"dir\\odd/name:1", kGenerationFive), u"dir_odd\\name_1");
}

TEST(KubItemNames, HostSystems) {
    EXPECT_EQ(host_system_name(7, kGenerationOldest), u"DOS");
    const char16_t* gen2[] = {u"DOS", u"OS/2", u"Windows", u"Unix", u"MacOS", u"BeOS", u""};
    for (unsigned i = 0; i < 7; ++i) EXPECT_EQ(host_system_name(i, kGenerationBlock), gen2[i]);
    EXPECT_EQ(host_system_name(1, kGenerationFive), u"Unix");
    EXPECT_EQ(host_system_name(2, kGenerationFive), u"");
    const bool windows_style[] = {true, true, true, false, true, false, false};
    for (unsigned i = 0; i < 7; ++i) EXPECT_EQ(host_has_windows_attributes(i, kGenerationBlock), windows_style[i]);
    EXPECT_TRUE(host_has_windows_attributes(0, kGenerationFive));
    EXPECT_FALSE(host_has_windows_attributes(1, kGenerationFive));
}

}  // namespace
}  // namespace kub::kubfmt

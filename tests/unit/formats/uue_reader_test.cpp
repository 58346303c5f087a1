// Text made by uuencode (sharutils), compared with the files that were encoded, and the same
// data rewritten into the xxencode alphabet and into a custom table.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "common/text/encoding.h"
#include "formats/format_registry.h"
#include "formats/uue/uue_format.h"
#include "tests/support/analysed_archive.h"
#include "tests/support/code_page_scope.h"
#include "tests/support/scratch_folder.h"
#include "tests/support/fixtures/tool_fixtures.h"
#include "tests/support/fixtures/tool_listing.h"

namespace kub {
namespace {

using test::analyse_archive;

constexpr test::FixtureFolderRecipe kSpec{"uue", "KUB_UUE_FIXTURES", "make-uue-fixtures.sh", "empty.uue.expected"};

std::u16string fixture_folder() {
    std::string error;
    std::u16string folder = test::tool_fixture_folder(KUB_TEST_DATA_DIR, kSpec, error);
    EXPECT_FALSE(folder.empty()) << error;
    return folder;
}

std::string read_text(const std::u16string& path) {
    std::ifstream in(std::filesystem::path(path), std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

TEST(UueFixtureTest, SectionsMatchTheEncodedFiles) {
    test::CodePageScope utf8(65001, 437);
    std::u16string folder = fixture_folder();
    ASSERT_FALSE(folder.empty());
    std::vector<test::ToolListing> listings = test::tool_listings(folder);
    ASSERT_EQ(listings.size(), 5u);
    for (const test::ToolListing& listing : listings) {
        SCOPED_TRACE(listing.name);
        if (listing.name == "chinese.uue" && !utf8.active()) continue;
        test::AnalysedArchive r = analyse_archive(listing.path);
        ASSERT_EQ(r.code, kAnalyzeArchive);
        EXPECT_EQ(r.summary.ReaderIndex, static_cast<std::uint32_t>(kUueReaderIndex));
        EXPECT_EQ(r.summary.FormatName, u"UUE");
        ASSERT_EQ(r.items.size(), listing.records.size());
        for (std::size_t i = 0; i < r.items.size(); ++i) {
            std::u16string name;
            utf8_to_wide(listing.records[i][2], name);
            std::uint64_t size = std::stoull(listing.records[i][1]);
            EXPECT_EQ(r.items[i].Name, name);
            EXPECT_EQ(r.items[i].UnpackedSize, size);
            EXPECT_EQ(r.items[i].PackedSize, size * 4 / 3);
            EXPECT_NE(r.items[i].ModTime, 0u);
        }
    }
}

// Rewrites the data lines of uuencoded text into another alphabet.
std::string to_alphabet(const std::string& uu_text, std::string_view alphabet) {
    std::istringstream in(uu_text);
    std::string line, out;
    bool data = false;
    while (std::getline(in, line)) {
        if (line.rfind("begin ", 0) == 0) {
            data = true;
        } else if (line == "end") {
            data = false;
        } else if (data) {
            for (char& c : line) {
                std::size_t value = c == ' ' ? 0 : uue::kUuAlphabet.find(c);
                c = alphabet[value];
            }
        }
        out += line + "\n";
    }
    return out;
}

class UueTextTest : public ::testing::Test {
protected:
    test::AnalysedArchive list(const std::u16string& name, const std::string& text) {
        EXPECT_TRUE(scratch.write_file(name, text));
        return analyse_archive(scratch / name);
    }
    test::ScratchFolder scratch;
};

TEST_F(UueTextTest, XxencodeByExtensionSectionLineOrTable) {
    std::u16string folder = fixture_folder();
    ASSERT_FALSE(folder.empty());
    const std::string uu = read_text(folder + u"one.uue");
    const std::uint64_t size = 108894;  // seq 1 20000
    const std::string xx = to_alphabet(uu, uue::kXxAlphabet);

    test::AnalysedArchive r = list(u"numbers.xxe", xx);
    ASSERT_EQ(r.items.size(), 1u);
    EXPECT_EQ(r.items[0].UnpackedSize, size);
    // Under another extension the uuencode alphabet misreads the counts.
    r = list(u"numbers.txt", xx);
    ASSERT_EQ(r.items.size(), 1u);
    EXPECT_NE(r.items[0].UnpackedSize, size);
    r = list(u"numbers.txt", "section 1/1 file numbers.txt [ Wincode v2.7 xxencode ]\n" + xx);
    ASSERT_EQ(r.items.size(), 1u);
    EXPECT_EQ(r.items[0].UnpackedSize, size);

    // A table of two 32-character lines: the xxencode alphabet backwards.
    std::string custom(uue::kXxAlphabet.rbegin(), uue::kXxAlphabet.rend());
    std::string table = "table\n" + custom.substr(0, 32) + "\n" + custom.substr(32) + "\n";
    r = list(u"custom.uue", table + to_alphabet(uu, custom));
    ASSERT_EQ(r.items.size(), 1u);
    EXPECT_EQ(r.items[0].UnpackedSize, size);
}

TEST_F(UueTextTest, BeginLinesAndLineRules) {
    // M = 45 bytes, # = 3, ` = 0; the "end" line with more text is a data line.
    const std::string report = "begin 644 report.txt\nM" + std::string(60, 'A') + "\n#86)C\nend of part\n`\nend\n";
    test::AnalysedArchive r = list(u"report.txt", "Some words first\r\n" + report);
    ASSERT_EQ(r.code, kAnalyzeArchive);
    ASSERT_EQ(r.items.size(), 1u);
    EXPECT_EQ(r.items[0].Name, u"report.txt");
    EXPECT_EQ(r.items[0].UnpackedSize, 48u);
    EXPECT_EQ(r.items[0].PackedSize, 64u);

    // Three words after "begin" only in .uue and .xxe files; a mode without a digit never.
    const std::string three = "begin 644 a name.txt\n#86)C\nend\n";
    EXPECT_EQ(list(u"three.txt", three).code, kAnalyzeNotArchive);
    EXPECT_EQ(list(u"three.uu", three).code, kAnalyzeNotArchive);
    r = list(u"three.xxe", three);
    ASSERT_EQ(r.code, kAnalyzeArchive);
    EXPECT_EQ(r.items[0].Name, u"a name.txt");
    EXPECT_EQ(list(u"words.uue", "begin the story here\n").code, kAnalyzeNotArchive);
    EXPECT_EQ(list(u"inline.uue", "we begin 644 x\n").code, kAnalyzeNotArchive);

    // The last "end" without a line break is not seen: the item has the data read so far.
    r = list(u"open.uue", "begin 600 open.bin\n#86)C\n#86)C\nend");
    ASSERT_EQ(r.items.size(), 1u);
    EXPECT_EQ(r.items[0].UnpackedSize, 6u);
}

}  // namespace
}  // namespace kub

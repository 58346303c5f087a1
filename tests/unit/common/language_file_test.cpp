#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "common/language/language_file.h"
#include "common/os/os.h"

namespace kub {
namespace {

using Bytes = std::vector<std::uint8_t>;

ReadAt memory_reader(const Bytes& bytes) {
    return [&bytes](std::uint64_t offset, std::span<std::uint8_t> buffer) -> std::ptrdiff_t {
        if (offset >= bytes.size()) return 0;
        std::size_t n = std::min<std::size_t>(buffer.size(), bytes.size() - offset);
        std::copy_n(bytes.begin() + static_cast<std::ptrdiff_t>(offset), n, buffer.begin());
        return static_cast<std::ptrdiff_t>(n);
    };
}

Bytes ansi_bytes(std::string_view text) { return Bytes(text.begin(), text.end()); }

Bytes utf16le_bytes(std::u16string_view text) {
    Bytes bytes;
    for (char16_t c : text) {
        bytes.push_back(static_cast<std::uint8_t>(c & 0xFF));
        bytes.push_back(static_cast<std::uint8_t>(c >> 8));
    }
    return bytes;
}

Bytes concat(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

LanguageFile loaded(const Bytes& bytes) {
    LanguageFile file;
    EXPECT_TRUE(file.load(memory_reader(bytes)));
    return file;
}

std::u16string key_text(TranslationKind kind, std::u16string_view context, std::u16string_view text) {
    LanguageKey key = language_key(kind, context, text);
    return std::u16string(key.begin(), key.end());
}

class LanguageFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(os::select_code_pages(936, 936) ||
                    os::code_page_number(os::CodePage::kAnsi) == 936);
    }
};

// Keys checked against an independent CRC-32 (Python's zlib.crc32 over the GBK bytes).
TEST_F(LanguageFileTest, KeysAreCrcOfKindContextAndAnsiText) {
    struct Case {
        TranslationKind kind;
        std::u16string_view context, text, key;
    } cases[] = {
        {TranslationKind::kString, u"", u"Hello", u"0d87a053"},
        {TranslationKind::kDialog, u"SETUPDLG", u"", u"9b889d24"},
        {TranslationKind::kDialog, u"SETUPDLG", u"确定", u"762298c1"},
        {TranslationKind::kString, u"", u"字节", u"7dba4e9f"},
        {TranslationKind::kDialog, u"LTR", u"LTR", u"50a17ae8"},
    };
    for (const Case& c : cases) EXPECT_EQ(key_text(c.kind, c.context, c.text), c.key) << c.key.size();
}

TEST_F(LanguageFileTest, TextBeyond4095AnsiBytesIsKeyedByItsFirst4095) {
    std::u16string exact(4095, u'a');
    EXPECT_EQ(key_text(TranslationKind::kString, {}, exact), u"84f50f2c");
    EXPECT_EQ(key_text(TranslationKind::kString, {}, exact + u"bcd"), u"84f50f2c");
    // 2048 Chinese characters are 4096 bytes in code page 936: the last byte does not count, so
    // only the first 2047 characters and a lead byte decide the key.
    std::u16string chinese(2048, u'字');
    EXPECT_EQ(key_text(TranslationKind::kString, {}, chinese),
              key_text(TranslationKind::kString, {}, chinese.substr(0, 2047) + u'字'));
    EXPECT_NE(key_text(TranslationKind::kString, {}, chinese),
              key_text(TranslationKind::kString, {}, chinese.substr(0, 2047)));
}

// One translation set written twice: in code page 936 and in UTF-16LE, each after a preamble of
// its own encoding.
TEST_F(LanguageFileTest, AnsiAndUtf16FilesGiveTheSameTranslations) {
    // 762298c1 = "$SETUPDLG" + "确定"; 7dba4e9f = "s" + "字节"; 0d87a053 = "s" + "Hello".
    Bytes ansi = ansi_bytes(
        "Chinese (Simplified) translation\r\n***messages***\r\n"
        "762298c1=\"\xc8\xb7\xb6\xa8 OK\"\r\n"
        "7dba4e9f=\"\xd7\xd6\xbd\xda\\t(bytes)\"\n"
        "0d87a053=\"\xc4\xe3\xba\xc3\xa3\xac\xca\xc0\xbd\xe7\"\r");
    Bytes utf16 = concat(Bytes{0xFF, 0xFE},
                         utf16le_bytes(u"Chinese (Simplified) translation\r\n***messages***\r\n"
                                       u"762298c1=\"确定 OK\"\r\n"
                                       u"7dba4e9f=\"字节\\t(bytes)\"\n"
                                       u"0d87a053=\"你好，世界\"\r"));
    LanguageFile a = loaded(ansi);
    LanguageFile w = loaded(utf16);
    struct Case {
        TranslationKind kind;
        std::u16string_view context, text, expected;
    } cases[] = {
        {TranslationKind::kDialog, u"SETUPDLG", u"确定", u"确定 OK"},
        {TranslationKind::kString, u"", u"字节", u"字节\t(bytes)"},
        {TranslationKind::kString, u"", u"Hello", u"你好，世界"},
        {TranslationKind::kString, u"", u"not in the file", u"not in the file"},
        {TranslationKind::kString, u"SETUPDLG", u"确定", u"确定"},  // other kind and context
    };
    for (const Case& c : cases) {
        EXPECT_EQ(a.translate(c.text, c.kind, c.context), c.expected);
        EXPECT_EQ(w.translate(c.text, c.kind, c.context), c.expected);
    }
}

// A marker at every offset around the first block border, in both encodings. Blocks of 8192
// bytes overlap so that no offset is missed, the UTF-16LE marker (twice as long) included.
TEST_F(LanguageFileTest, MarkerAcrossABlockBorderIsFound) {
    for (std::size_t at = kMarkerBlockSize - 48; at <= kMarkerBlockSize + 8; ++at) {
        Bytes ansi = concat(Bytes(at, 'x'), ansi_bytes("***messages***\n0d87a053=\"hi\"\n"));
        Bytes utf16 = concat(Bytes(at, 'x'), utf16le_bytes(u"***messages***\n0d87a053=\"hi\"\n"));
        for (const Bytes* bytes : {&ansi, &utf16}) {
            LanguageFile file;
            ASSERT_TRUE(file.load(memory_reader(*bytes))) << "marker at " << at;
            EXPECT_EQ(file.translate(u"Hello", TranslationKind::kString), u"hi") << at;
        }
    }
}

TEST_F(LanguageFileTest, MarkerBeyond128BlocksIsNotSearched) {
    std::string line = "0d87a053=\"hi\"\n";
    Bytes late = concat(Bytes(128 * (kMarkerBlockSize - kMarkerBlockOverlap) + 100, ' '),
                        ansi_bytes("***messages***\n" + line));
    LanguageFile file;
    EXPECT_FALSE(file.load(memory_reader(late)));
    EXPECT_EQ(file.translate(u"Hello", TranslationKind::kString), u"Hello");

    Bytes in_time = concat(Bytes(127 * (kMarkerBlockSize - kMarkerBlockOverlap), ' '),
                           ansi_bytes("***messages***\n" + line));
    EXPECT_EQ(loaded(in_time).translate(u"Hello", TranslationKind::kString), u"hi");
}

TEST_F(LanguageFileTest, ValueRules) {
    struct Case {
        const char* line;  // keyed by "s" + "Hello"
        std::u16string_view expected;
    } cases[] = {
        {"0d87a053=\"plain\"", u"plain"},
        {"0d87a053=\"no closing quote", u"no closing quote"},
        {"0d87a053=\"say \"hi\" twice\" and a comment", u"say \"hi\" twice"},
        {"0d87a053=\"a \\\"quoted\\\" word\"", u"a \"quoted\" word"},
        {"0d87a053=\"back\\\\slash \\x kept\"", u"back\\slash \\x kept"},
        {"0d87a053=\"line\\none\\rtwo\"", u"line\none\rtwo"},
        {"0d87a053=unquoted", u"unquoted"},
        {"0d87a053=\"\"", u""},
    };
    for (const Case& c : cases) {
        Bytes bytes = ansi_bytes(std::string("***messages***\r\n") + c.line + "\r\nend\r\n");
        EXPECT_EQ(loaded(bytes).translate(u"Hello", TranslationKind::kString), c.expected) << c.line;
    }
}

TEST_F(LanguageFileTest, ValuesAreBoundedByTheOutputAndTheLastLine) {
    std::string long_value(2000, 'v');
    Bytes bytes = ansi_bytes("***messages***\n0d87a053=\"" + long_value + "\"\nx\n");
    LanguageFile file = loaded(bytes);
    EXPECT_EQ(file.translate(u"Hello", TranslationKind::kString), std::u16string(511, u'v'));
    EXPECT_EQ(file.translate(u"Hello", TranslationKind::kString, {}, 10), std::u16string(9, u'v'));
    EXPECT_EQ(file.translate(u"Not there", TranslationKind::kString, {}, 4), u"Not");

    // No separator ends the last line: its value is taken to 255 units.
    Bytes last = ansi_bytes("***messages***\n0d87a053=" + long_value);
    EXPECT_EQ(loaded(last).translate(u"Hello", TranslationKind::kString), std::u16string(255, u'v'));
}

// Distinct texts whose keys spread over the whole index.
std::u16string numbered_text(int i) {
    std::u16string text = u"text ";
    text.push_back(static_cast<char16_t>(u'A' + i % 26));
    text.append(static_cast<std::size_t>(i / 26 + 1), u'.');
    return text;
}

TEST_F(LanguageFileTest, ManyLinesAreAllFoundAndTheFirstOfTwoEqualKeysWins) {
    std::string text = "***messages***\n";
    for (int i = 0; i < 3000; ++i) {
        LanguageKey key = language_key(TranslationKind::kString, {}, numbered_text(i));
        text += std::string(key.begin(), key.end()) + "=\"t" + std::to_string(i) + "\"\n";
    }
    text += "0d87a053=\"first\"\n0d87a053=\"second\"\n";
    LanguageFile file = loaded(ansi_bytes(text));
    for (int i = 0; i < 3000; ++i) {
        std::u16string id = numbered_text(i);
        std::string expected = std::to_string(i);
        expected.insert(expected.begin(), 't');
        ASSERT_EQ(file.translate(id, TranslationKind::kString),
                  std::u16string(expected.begin(), expected.end()));
    }
    EXPECT_EQ(file.translate(u"Hello", TranslationKind::kString), u"first");
}

TEST_F(LanguageFileTest, SizeFactors) {
    struct Case {
        const char* value;  // of the "$SETUPDLG" empty-text line, 9b889d24
        unsigned width, height;
        bool given;
    } cases[] = {
        {"120*110", 120, 110, true}, {"100*100", 100, 100, false}, {"150", 100, 100, false},
        {"*", 0, 0, true},           {"90*", 90, 0, true},         {"x5*7", 0, 7, true},
        {"99999999999*1", 100000, 1, true},
    };
    for (const Case& c : cases) {
        Bytes bytes = ansi_bytes(std::string("***messages***\n9b889d24=\"") + c.value + "\"\n");
        SizeFactors f = loaded(bytes).size_factors(u"SETUPDLG");
        EXPECT_EQ(f.width, c.width) << c.value;
        EXPECT_EQ(f.height, c.height) << c.value;
        EXPECT_EQ(f.given(), c.given) << c.value;
    }
    EXPECT_FALSE(LanguageFile().size_factors(u"SETUPDLG").given());
}

TEST_F(LanguageFileTest, DirectionFollowsTheTranslationOfLtr) {
    LanguageFile rtl = loaded(ansi_bytes("***messages***\n50a17ae8=\"RTL\"\n"));
    rtl.settle_direction(false);
    EXPECT_TRUE(rtl.right_to_left());

    LanguageFile almost = loaded(ansi_bytes("***messages***\n50a17ae8=\"RTL \"\n"));
    almost.settle_direction(false);
    EXPECT_FALSE(almost.right_to_left());

    // A dialog named "RTL" in the resource source decides by itself.
    LanguageFile plain = loaded(ansi_bytes("***messages***\nno translations\n"));
    plain.settle_direction(true);
    EXPECT_TRUE(plain.right_to_left());
    plain.settle_direction(false);
    EXPECT_FALSE(plain.right_to_left());
}

// Damaged and hostile files: each loads partly or not at all, and lookups stay bounded.
TEST_F(LanguageFileTest, BadFilesLeaveTranslationOffOrPartial) {
    std::mt19937 random(12345);
    Bytes noise(2 * 1024 * 1024);
    for (auto& b : noise) b = static_cast<std::uint8_t>(random());
    LanguageFile file;
    file.load(memory_reader(noise));
    EXPECT_LE(file.translate(u"Hello", TranslationKind::kString).size(), 511u);

    // Noise after a marker: loaded, but only up to the read limit, and lookups stay bounded.
    Bytes marked = concat(ansi_bytes("***messages***\n"), noise);
    ASSERT_TRUE(file.load(memory_reader(marked)));
    for (int i = 0; i < 200; ++i) {
        std::u16string text(1, static_cast<char16_t>(u'a' + i % 26));
        EXPECT_LE(file.translate(text, TranslationKind::kString).size(), 511u);
    }

    // A UTF-16LE file cut inside a character: the odd byte is dropped, the rest is kept.
    Bytes utf16 = utf16le_bytes(u"***messages***\r\n0d87a053=\"hi\"\r\n7dba4e9f=\"bytes\"\r\n");
    utf16.resize(utf16.size() - 9);
    LanguageFile cut = loaded(utf16);
    EXPECT_EQ(cut.translate(u"Hello", TranslationKind::kString), u"hi");
    EXPECT_EQ(cut.translate(u"字节", TranslationKind::kString), u"byt");

    // A marker in the last bytes, with nothing after it.
    EXPECT_FALSE(file.load(memory_reader(concat(Bytes(5000, 'x'), ansi_bytes("***messages***")))));
    EXPECT_FALSE(file.loaded());

    // Only separators after the marker.
    LanguageFile separators = loaded(concat(ansi_bytes("***messages***"), Bytes(100000, '\n')));
    EXPECT_EQ(separators.translate(u"Hello", TranslationKind::kString), u"Hello");

    EXPECT_FALSE(file.load(memory_reader(Bytes{})));
    EXPECT_FALSE(file.load(memory_reader(Bytes(100000, '\n'))));

    // A zero byte ends the text.
    Bytes zero = ansi_bytes("***messages***\n0d87a053=\"hi\"\n");
    zero.push_back(0);
    Bytes after = ansi_bytes("7dba4e9f=\"bytes\"\n");
    LanguageFile ended = loaded(concat(zero, after));
    EXPECT_EQ(ended.translate(u"字节", TranslationKind::kString), u"字节");
    EXPECT_EQ(ended.translate(u"Hello", TranslationKind::kString), u"hi");
}

TEST_F(LanguageFileTest, TextIsCutAt262144Characters) {
    std::string text = "***messages***\n";
    text += std::string(kLanguageTextMaxChars - text.size() - 6, 'z') + "\n";
    text += "0d87a053=\"lost\"\n";
    LanguageFile file = loaded(ansi_bytes(text));
    EXPECT_EQ(file.translate(u"Hello", TranslationKind::kString), u"Hello");
}

}  // namespace
}  // namespace kub

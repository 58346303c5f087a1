// The comment page's text: how each format's comment is read, and how it is tidied and cut.
#include "shellext/core/pages/comment_text.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <new>
#include <string>
#include <vector>

#include "common/files/file_helpers.h"
#include "common/os/os.h"
#include "shellext/core/pages/comment_dump.h"
#include "tests/support/code_page_scope.h"
#include "tests/support/writers/kub_writer.h"
#include "tests/support/scratch_folder.h"
#include "tests/support/writers/zip_builder.h"

namespace kub {
namespace {

TEST(CommentText, TidyEndsAtCtrlZAndGivesBareLfsACr) {
    struct Case {
        std::u16string in;
        std::u16string out;
    } cases[] = {
        {u"", u""},
        {u"abc", u"abc"},
        {u"a\nb", u"a\r\nb"},
        {u"\n", u"\r\n"},
        {u"a\r\nb\n\n", u"a\r\nb\r\n\r\n"},
        {u"lone\rcr", u"lone\rcr"},  // a CR alone stays as it is
        {u"before\x1A"
         u"after\n",
         u"before"},
        {u"\x1A"
         u"all hidden",
         u""},
        {u"a\n\x1A\nb", u"a\r\n"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(tidy_comment_text(c.in), c.out) << std::string(c.in.begin(), c.in.end());
}

TEST(CommentText, ShownTextIsCutThenLosesOneByteOrderMark) {
    EXPECT_EQ(shown_comment_text(u"\xFEFFtext"), u"text");
    EXPECT_EQ(shown_comment_text(u"\xFFFEtext"), u"text");
    EXPECT_EQ(shown_comment_text(u"\xFEFF\xFEFFtext"), u"\xFEFFtext");
    EXPECT_EQ(shown_comment_text(u"te\xFEFFxt"), u"te\xFEFFxt");
    EXPECT_EQ(shown_comment_text(u""), u"");

    std::u16string long_text(40000, u'x');
    EXPECT_EQ(shown_comment_text(long_text).size(), kMaxShownCommentUnits);
    // The mark counts towards the 32,000 units it is cut to.
    long_text[0] = u'\xFEFF';
    EXPECT_EQ(shown_comment_text(long_text).size(), kMaxShownCommentUnits - 1);
}

std::string zip_with_comment(const std::string& comment) {
    test::ZipLayout layout;
    layout.entries.push_back({});
    layout.entries.back().name = "a.txt";
    layout.entries.back().data = "data";
    layout.archive_comment = comment;
    return test::build_zip(layout);
}

ArchiverLauncher no_archiver() {
    return [](const LaunchRecord&) { return false; };
}

TEST(CommentText, ZipCommentComesFromTheAnsiCodePage) {
    test::CodePageScope chinese(936, 936);
    if (!chinese.active()) GTEST_SKIP() << "code page 936 not available";
    test::ScratchFolder dir;
    ASSERT_TRUE(dir.write_file(u"five.zip", zip_with_comment("Hello")));
    EXPECT_EQ(archive_comment_text(dir / u"five.zip", no_archiver()), u"Hello");

    // "注释" in code page 936, a bare LF, and text after Ctrl-Z that is never shown.
    ASSERT_TRUE(dir.write_file(u"cn.zip", zip_with_comment("\xD7\xA2\xCA\xCD\nline\x1Ahidden")));
    EXPECT_EQ(archive_comment_text(dir / u"cn.zip", no_archiver()), u"\u6CE8\u91CA\r\nline");
}

TEST(CommentText, NoArchiveOrNoCommentGivesNothing) {
    test::ScratchFolder dir;
    ASSERT_TRUE(dir.write_file(u"plain.txt", "not an archive at all"));
    EXPECT_EQ(archive_comment_text(dir / u"plain.txt", no_archiver()), u"");
    EXPECT_EQ(archive_comment_text(dir / u"missing.zip", no_archiver()), u"");
    ASSERT_TRUE(dir.write_file(u"none.zip", zip_with_comment("")));
    EXPECT_EQ(archive_comment_text(dir / u"none.zip", no_archiver()), u"");
}

// Writes `units` as UTF-16LE to the dump file named last on the command line, as the archiver
// does, and remembers the command line.
ArchiverLauncher dumping_archiver(std::u16string units, std::u16string* parameters) {
    return [units, parameters](const LaunchRecord& record) {
        *parameters = record.parameters;
        if (!record.wait) return false;
        const std::size_t close = record.parameters.rfind(u'"');
        const std::size_t open = record.parameters.rfind(u'"', close - 1);
        std::string bytes;
        for (char16_t u : units) {
            bytes.push_back(static_cast<char>(u & 0xFF));
            bytes.push_back(static_cast<char>(u >> 8));
        }
        std::FILE* file =
            open_file_stream(record.parameters.substr(open + 1, close - open - 1), "wb");
        if (file == nullptr) return false;
        std::fwrite(bytes.data(), 1, bytes.size(), file);
        std::fclose(file);
        return true;
    };
}

TEST(CommentText, KubCommentComesFromTheArchiversDump) {
    test::ScratchFolder dir;
    test::Gen3Archive archive;
    archive.items.push_back({});
    archive.items.back().name = "a.txt";
    archive.items.back().packed_size = 4;
    archive.items.back().unpacked_size = 4;
    const test::Bytes bytes = test::build(archive);
    ASSERT_TRUE(dir.write_file(u"c.kub", std::string(bytes.begin(), bytes.end())));

    std::u16string parameters;
    const std::u16string text = archive_comment_text(
        dir / u"c.kub", dumping_archiver(u"\xFEFF\u6CE8\u91CA\nsecond\x1Arest", &parameters));
    EXPECT_EQ(parameters.rfind(u"cw -y -scuc \"" + (dir / u"c.kub") + u"\" \"", 0), 0u);
    // The mark stays until the page shows the text.
    EXPECT_EQ(text, u"\xFEFF\u6CE8\u91CA\r\nsecond");
    EXPECT_EQ(shown_comment_text(text), u"\u6CE8\u91CA\r\nsecond");

    EXPECT_EQ(archive_comment_text(dir / u"c.kub", no_archiver()), u"");
}

// The dump file named on the archiver's command line.
std::u16string dump_path(const std::u16string& parameters) {
    const std::size_t close = parameters.rfind(u'"');
    const std::size_t open = parameters.rfind(u'"', close - 1);
    return parameters.substr(open + 1, close - open - 1);
}

TEST(CommentText, DumpFileIsRemovedAfterReadingAndWhenTheWaitFails) {
    std::u16string parameters;
    const ArchiverLauncher archiver = dumping_archiver(u"text", &parameters);
    EXPECT_EQ(run_comment_dump(u"C:\\in\\a.kub", archiver), u"text");
    EXPECT_EQ(file_attributes(dump_path(parameters)), os::kInvalidAttributes);

    // Out of memory while the archiver's dump is already on disk.
    const ArchiverLauncher failing = [&](const LaunchRecord& record) -> bool {
        archiver(record);
        throw std::bad_alloc();
    };
    EXPECT_THROW(run_comment_dump(u"C:\\in\\a.kub", failing), std::bad_alloc);
    ASSERT_FALSE(parameters.empty());
    EXPECT_EQ(file_attributes(dump_path(parameters)), os::kInvalidAttributes);
}

}  // namespace
}  // namespace kub

// The uninstall list as input from outside: which entries may be used, how lines are read, and
// the batch file text and command built from the program's paths.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "tests/support/code_page_scope.h"
#include "tests/support/scratch_folder.h"
#include "common/files/file_helpers.h"
#include "uninstall/core/self_delete_batch.h"
#include "uninstall/core/uninstall_list.h"
#include "uninstall/core/uninstall_procedure.h"

namespace kub::setup {
namespace {

TEST(UninstallListEntryTest, EntriesThatStayInsideTheProgramFolder) {
    for (const std::u16string_view entry :
         {u"Korvex.exe", u"Lang\\Chinese.lng", u"sub/dir/file.txt", u"a b\\c d.txt",
          u"中文帮助.chm", u"name.with.dots", u"CONFIG.SYS", u"COM10", u"LPT0", u"nulls.txt",
          u"console.exe", u"...name"}) {
        EXPECT_TRUE(is_safe_list_entry(entry)) << std::string(entry.begin(), entry.end());
    }
}

TEST(UninstallListEntryTest, EntriesThatCouldNameSomethingElseAreRefused) {
    for (const std::u16string_view entry :
         {u"..\\..\\outside.txt", u"..", u"sub\\..\\..\\x", u"sub/../../x", u"sub\\...\\x",
          u"sub\\. .\\x", u".", u"C:\\windows\\x", u"C:x", u"\\\\?\\C:\\x", u"\\\\server\\share\\x",
          u"\\windows\\x", u"/etc/passwd", u"a:stream", u"file.txt::$DATA", u"NUL", u"nul.txt",
          u"sub\\CON", u"Aux .log", u"com1", u"LPT9.dat", u"COM\u00B9", u"CONIN$", u"a\\\\b",
          u"*.dll", u"file?.txt", u"a\tb", u""}) {
        EXPECT_FALSE(is_safe_list_entry(entry)) << std::string(entry.begin(), entry.end());
    }
}

TEST(UninstallListEntryTest, TrailingBlanksAreTrimmed) {
    EXPECT_EQ(trim_list_line("a.txt \t\r\r\n"), "a.txt");
    EXPECT_EQ(trim_list_line(" a.txt"), " a.txt");
    EXPECT_EQ(trim_list_line("\r\n"), "");
}

class UninstallListReaderTest : public ::testing::Test {
  protected:
    std::vector<std::u16string> read_all(const std::string& bytes) {
        EXPECT_TRUE(folder_.write_file(u"Uninstall.lst", bytes));
        std::FILE* stream = open_file_stream(folder_ / u"Uninstall.lst", "rb");
        EXPECT_NE(stream, nullptr);
        std::vector<std::u16string> entries;
        if (!stream) return entries;
        UninstallListReader reader(stream);
        std::u16string entry;
        while (reader.next(entry)) entries.push_back(entry);
        // A second pass sees the same entries.
        reader.rewind();
        std::size_t again = 0;
        while (reader.next(entry)) ++again;
        EXPECT_EQ(again, entries.size());
        std::fclose(stream);
        return entries;
    }
    test::ScratchFolder folder_;
};

TEST_F(UninstallListReaderTest, LinesInTheAnsiCodePageWithBlankAndHostileLinesSkipped) {
    test::CodePageScope pages(936, 936);
    ASSERT_TRUE(pages.active());
    const std::string list =
        "Korvex.exe\r\n"
        "\r\n"
        "   \t\r\n"
        "..\\..\\outside.txt\r\n"
        "Lang\\\xD6\xD0\xCE\xC4.lng  \r\n"  // 中文 in code page 936
        "C:\\windows\\x\n"
        "last.txt";
    const std::vector<std::u16string> expected = {u"Korvex.exe", u"Lang\\中文.lng", u"last.txt"};
    EXPECT_EQ(read_all(list), expected);
}

TEST_F(UninstallListReaderTest, AnOverlongLineIsSkippedWholeNotCut) {
    // Cut to its first 2047 bytes, this line would name the file "keep" + "x"... and its tail
    // would read as an entry of its own.
    const std::string long_name = "keep" + std::string(2100, 'x');
    const std::string exact(kListLineBytes, 'y');
    const std::string list = long_name + "\r\nnext.txt\r\n" + exact + " \t\r\n";
    const std::vector<std::u16string> entries = read_all(list);
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0], u"next.txt");
    EXPECT_EQ(entries[1], std::u16string(kListLineBytes, u'y'));
}

TEST_F(UninstallListReaderTest, EmptyListHasNoEntries) {
    EXPECT_TRUE(read_all("").empty());
    EXPECT_TRUE(read_all("\r\n\r\n").empty());
}

TEST(ProgramFolderTest, FolderOfTheProgramPath) {
    EXPECT_EQ(program_folder_of(u"C:\\Program Files\\Korvex\\uninstall.exe"),
              u"C:\\Program Files\\Korvex");
    EXPECT_EQ(program_folder_of(u"C:\\uninstall.exe"), u"C:\\");
    EXPECT_EQ(program_folder_of(u"\\\\server\\share\\uninstall.exe"), u"\\\\server\\share");
    EXPECT_EQ(program_folder_of(u"uninstall.exe"), u"");
}

TEST(SelfDeleteBatchTest, TextLineByLine) {
    const auto text = self_delete_batch_text(u"C:\\Program Files\\Korvex\\uninstall.exe",
                                             u"C:\\Program Files\\Korvex",
                                             u"C:\\Users\\me\\Temp\\Uninstall_Kub.Bat");
    ASSERT_TRUE(text.has_value());
    const std::u16string attempt =
        u"del \"C:\\Program Files\\Korvex\\uninstall.exe\"\r\n"
        u"rd \"C:\\Program Files\\Korvex\"\r\n"
        u"if not exist \"C:\\Program Files\\Korvex\\uninstall.exe\" goto done\r\n";
    const std::u16string expected =
        u"\"C:\\Program Files\\Korvex\\uninstall.exe\" /wait\r\n" + attempt + attempt + attempt +
        attempt + attempt +
        u":done\r\n"
        u"if exist \"C:\\Program Files\\Korvex\\uninstall.exe\" "
        u"\"C:\\Program Files\\Korvex\\uninstall.exe\" /warning\r\n"
        u"del \"C:\\Users\\me\\Temp\\Uninstall_Kub.Bat\"";
    EXPECT_EQ(*text, expected);
    EXPECT_EQ(batch_command(u"C:\\windows\\system32\\cmd.exe", u"C:\\T\\Uninstall_Kub.Bat"),
              u"C:\\windows\\system32\\cmd.exe /c \"C:\\T\\Uninstall_Kub.Bat\"");
}

TEST(SelfDeleteBatchTest, PathsTooLongForALineGiveNoBatchRatherThanACutOne) {
    // The attempt lines name the program twice and the folder once: 3 * 330 characters and the
    // words around them pass 1023.
    const std::u16string folder = u"C:\\" + std::u16string(320, u'f');
    const std::u16string program = folder + u"\\uninstall.exe";
    EXPECT_FALSE(self_delete_batch_text(program, folder, u"C:\\T\\b.bat").has_value());
    const std::u16string short_folder = u"C:\\" + std::u16string(300, u'f');
    EXPECT_TRUE(self_delete_batch_text(short_folder + u"\\uninstall.exe", short_folder,
                                       u"C:\\T\\b.bat")
                    .has_value());
}

}  // namespace
}  // namespace kub::setup

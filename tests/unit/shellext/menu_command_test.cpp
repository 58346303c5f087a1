// The archiver starts of the menu commands, drops and the comment dump: parameters byte for
// byte, working folders, list files and the verb lookup.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "common/files/dir_scanner.h"
#include "common/files/file_helpers.h"
#include "common/registry/registry_access.h"
#include "shellext/core/commands/add_command_line.h"
#include "shellext/core/commands/command_lookup.h"
#include "shellext/core/pages/comment_dump.h"
#include "shellext/core/commands/drop_command.h"
#include "shellext/core/commands/menu_command.h"
#include "shellext/core/commands/menu_plan.h"
#include "tests/support/menu_settings.h"
#include "tests/support/ascii_text.h"
#include "tests/support/scratch_folder.h"

#include "common/os/os.h"

namespace kub {
namespace {

SelectionState selection_of(const std::vector<std::u16string>& paths) {
    SelectionState state;
    for (const std::u16string& path : paths) state.SelectedPaths.add(path);
    state.SelectionComplete = true;
    return state;
}

std::string read_bytes(const std::u16string& path) {
    std::FILE* file = open_file_stream(path, "rb");
    if (file == nullptr) return {};
    std::string bytes;
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, file)) > 0;) bytes.append(buffer, n);
    std::fclose(file);
    return bytes;
}

std::string utf16le(std::u16string_view text) {
    std::string bytes;
    for (char16_t c : text) {
        bytes += static_cast<char>(c & 0xFF);
        bytes += static_cast<char>(c >> 8);
    }
    return bytes;
}

class MenuCommandTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::reset_menu_settings();
        // Temporary files of the commands land in the scratch folder.
        write_setting_string(u"Paths", u"TempFolder", scratch_.path());
    }
    void TearDown() override { test::reset_menu_settings(); }

    LaunchRecord command(const std::vector<std::u16string>& paths, std::int32_t kind,
                         std::u16string_view drop_folder = {}, std::int32_t profiles = 0) {
        SelectionState state = selection_of(paths);
        LaunchRecord record;
        EXPECT_TRUE(build_menu_command(state, kind, profiles, drop_folder, record));
        return record;
    }

    test::ScratchFolder scratch_;
};

struct ParameterCase {
    std::vector<std::u16string> paths;
    std::int32_t kind;
    std::u16string_view drop_folder;
    std::u16string_view parameters;
};

TEST_F(MenuCommandTest, ParametersOfEveryKind) {
    const ParameterCase cases[] = {
        {{u"C:\\dir\\a.kub"}, 0, u"", u"x -iext -ow -ver -- \"C:\\dir\\a.kub\" \"?\\\""},
        {{u"C:\\dir\\a.kub"}, 0, u"D:\\Out", u"x -iext -ow -ver -- \"C:\\dir\\a.kub\" \"?D:\\Out\\\""},
        {{u"C:\\dir\\a.kub"}, 1, u"", u"x -iext -ow -ver -- \"C:\\dir\\a.kub\" C:\\dir\\"},
        {{u"C:\\dir\\a.kub"}, 1, u"D:\\Out", u"x -iext -ow -ver -- \"C:\\dir\\a.kub\" D:\\Out\\"},
        {{u"C:\\My Files\\b.part2.kub"}, 2, u"",
         u"x -iext -ow -ver -- \"C:\\My Files\\b.part2.kub\" \"C:\\My Files\\b\\\""},
        {{u"C:\\dir\\arc.tar.gz"}, 2, u"D:\\Out",
         u"x -iext -ow -ver -- \"C:\\dir\\arc.tar.gz\" D:\\Out\\arc\\"},
        {{u"C:\\d\\1.kub", u"C:\\d\\2.kub", u"C:\\d\\3.kub"}, 3, u"",
         u"x -iext -ow -ver -an=\"C:\\d\\1.kub\" -an=\"C:\\d\\2.kub\" -ad -- \"C:\\d\\3.kub\" C:\\d\\"},
        {{u"C:\\d\\setup.exe"}, 4, u"", u"\"C:\\d\\setup.exe\" "},
        {{u"C:\\d\\x.txt", u"C:\\d\\y.txt"}, 5, u"",
         u"a -ep1  -scul -r0 -iext -- . C:\\d\\x.txt C:\\d\\y.txt"},
        {{u"C:\\d\\x.txt", u"C:\\d\\y.txt"}, 6, u"",
         u"a -ep1  -scul -r0 -iext -- d.kub C:\\d\\x.txt C:\\d\\y.txt"},
        {{u"C:\\My Docs\\n o.txt"}, 6, u"",
         u"a -ep1  -scul -r0 -iext -- \"n o.kub\" \"C:\\My Docs\\n o.txt\""},
        {{u"C:\\", u"D:\\", u"E:\\"}, 5, u"", u"a -ep3  -scul -r0 -iext -- . C:\\ D:\\ E:\\"},
        // One drive root alone is not "drive roots".
        {{u"C:\\"}, 5, u"", u"a -ep1  -scul -r0 -iext -- . C:\\"},
        {{u"C:\\d\\x.txt"}, 8, u"", u"a -ieml. -ep1  -scul -r0 -iext -- . C:\\d\\x.txt"},
        {{u"C:\\dir\\a.kub", u"C:\\dir\\b.kub"}, 9, u"",
         u"t -iext -an=\"C:\\dir\\a.kub\" -- \"C:\\dir\\b.kub\" "},
        {{u"C:\\dir\\a.kub"}, 10, u"", u"cv -iext -- \"C:\\dir\\a.kub\" "},
    };
    for (const ParameterCase& c : cases) {
        const LaunchRecord record = command(c.paths, c.kind, c.drop_folder);
        EXPECT_EQ(record.parameters, c.parameters) << "kind " << c.kind << ": " << test::ascii_text(record.parameters);
        EXPECT_FALSE(record.wait);
        EXPECT_TRUE(record.list_file.empty());
    }
}

TEST_F(MenuCommandTest, WorkingFolderIsTheFirstPathsFolderWhenItExists) {
    ASSERT_TRUE(scratch_.make_folder(u"in"));
    const std::u16string folder = scratch_ / u"in";
    EXPECT_EQ(command({folder + u"\\a.kub"}, 1).working_folder, folder);
    EXPECT_EQ(command({u"C:\\no such folder\\a.kub"}, 1).working_folder, u".");
}

TEST_F(MenuCommandTest, EmailArchiveGoesIntoItsOwnTemporaryFolder) {
    const LaunchRecord record = command({u"C:\\d\\x.txt"}, 7);
    ASSERT_FALSE(record.mail_folder.empty());
    EXPECT_EQ(record.working_folder, record.mail_folder);
    EXPECT_EQ(record.mail_folder.substr(0, scratch_.path().size() + 6), scratch_.path() + u"Kub$ML");
    const std::uint32_t attributes = file_attributes(record.mail_folder);
    ASSERT_NE(attributes, os::kInvalidAttributes);
    EXPECT_NE(attributes & os::kAttrDirectory, 0u);
    EXPECT_EQ(record.parameters,
              u"a -ieml. -ep1  -scul -r0 -iext -- " + record.mail_folder + u"\\x.kub C:\\d\\x.txt");
}

TEST_F(MenuCommandTest, ProfileCommands) {
    test::write_profile(0, {.name = u"Quick", .add_to_menu = 0});
    test::write_profile(1, {.name = u"Best", .immediate = 1, .use_kub = 0});
    test::write_profile(2, {.name = u"Own name", .archive_name = u"fixed.kub"});
    // Immediate: added at once to the derived name, the profile choosing ".zip".
    EXPECT_EQ(command({u"C:\\d\\x.txt"}, 11, u"", 2).parameters,
              u"a \"-cpBest\" -ep1  -scul -r0 -iext -- x.zip C:\\d\\x.txt");
    // Options dialog with the profile's own archive name: no name on the line.
    EXPECT_EQ(command({u"C:\\d\\x.txt"}, 12, u"", 2).parameters,
              u"a \"-cpOwn name\" -ep1  -scul -r0 -iext --  C:\\d\\x.txt");
    // A profile with a path mode leaves paths to the archiver.
    write_setting_number(u"Profiles\\1", u"PathsAbsDrive", 1);
    EXPECT_EQ(command({u"C:\\d\\x.txt"}, 11, u"", 2).parameters,
              u"a \"-cpBest\"  -scul -r0 -iext -- x.zip C:\\d\\x.txt");
}

// The switch part holds whole switches only: a profile switch that would take it past 127 units
// is left out rather than cut inside its quotes, which would swallow the rest of the line.
TEST_F(MenuCommandTest, ProfileSwitchTooLongForTheSwitchPartIsLeftOut) {
    // "a " + quoted switch + "-ep1 " + " -scul -r0 -iext -- " with a 94-unit name is 127 units.
    test::write_profile(0, {.name = std::u16string(94, u'p'), .immediate = 1});
    EXPECT_EQ(command({u"C:\\d\\x.txt"}, 11, u"", 1).parameters,
              u"a \"-cp" + std::u16string(94, u'p') + u"\" -ep1  -scul -r0 -iext -- x.kub C:\\d\\x.txt");
    for (std::size_t length : {95, 121, 300}) {
        test::write_profile(0, {.name = std::u16string(length, u'p'), .immediate = 1});
        EXPECT_EQ(command({u"C:\\d\\x.txt"}, 11, u"", 1).parameters,
                  u"a -ep1  -scul -r0 -iext -- x.kub C:\\d\\x.txt")
            << length;
    }
}

TEST_F(MenuCommandTest, LongSelectionsGoThroughAListFile) {
    std::vector<std::u16string> paths;
    for (int i = 0; i < 150; ++i) {
        paths.push_back(u"C:\\arc\\档案 " + std::u16string(1, u'a' + i / 26) +
                        std::u16string(1, u'a' + i % 26) + u".kub");
    }
    const LaunchRecord record = command(paths, 1);
    ASSERT_FALSE(record.list_file.empty());
    EXPECT_EQ(record.parameters, u"x -iext -ow -ver -anf=\"" + record.list_file +
                                     u"\" -scul -- \"" + paths.back() + u"\" C:\\arc\\");
    std::string expected = "\xFF\xFE";
    for (int i = 0; i < 149; ++i) expected += utf16le(paths[i]) + utf16le(u"\r\n");
    EXPECT_EQ(read_bytes(record.list_file), expected);

    // The path count alone is not the only trigger: 512 units of text are too.
    const std::vector<std::u16string> wide = {std::u16string(300, u'x') + u".txt",
                                              std::u16string(300, u'y') + u".txt"};
    const LaunchRecord add = command(wide, 5);
    ASSERT_FALSE(add.list_file.empty());
    EXPECT_EQ(add.parameters, u"a -ep1  -scul -r0 -iext -- . @\"" + add.list_file + u"\"");
    EXPECT_EQ(read_bytes(add.list_file),
              "\xFF\xFE" + utf16le(wide[0] + u"\r\n") + utf16le(wide[1] + u"\r\n"));

    // Just below both limits the names stay on the line.
    std::vector<std::u16string> short_paths(99, u"C:\\a");  // 495 units
    EXPECT_TRUE(command(short_paths, 1).list_file.empty());
}

// Names of the list files left in the temporary folder (the scratch folder here).
std::vector<std::u16string> list_files_in(const test::ScratchFolder& folder) {
    std::vector<std::u16string> names;
    DirScanner scanner;
    scanner.SetMask(folder / u"Kub$LS*");
    FoundEntry entry;
    while (scanner.Next(entry)) names.push_back(entry.path);
    return names;
}

TEST_F(MenuCommandTest, ListFileLimitsAreExact) {
    // Paths of "C:\\a" hold 5 units with their terminators: 100 of them are 500 units, so the
    // count alone decides.
    EXPECT_TRUE(command(std::vector<std::u16string>(99, u"C:\\a"), 5).list_file.empty());
    EXPECT_FALSE(command(std::vector<std::u16string>(100, u"C:\\a"), 5).list_file.empty());
    // Two paths holding 511 and 512 units with their terminators: the text alone decides.
    const std::u16string a(254, u'a'), b(255, u'b');
    EXPECT_TRUE(command({a, b}, 5).list_file.empty());   // 255 + 256 = 511
    EXPECT_FALSE(command({b, b}, 5).list_file.empty());  // 256 + 256 = 512
}

// One archive with a path of 512 units or more: extraction leaves the last path out of the
// list, which would then list nothing. No list is written, none is left behind, and the
// archive is named on the line.
TEST_F(MenuCommandTest, SingleLongArchiveWritesNoEmptyList) {
    const std::u16string archive = u"C:\\" + std::u16string(600, u'x') + u".kub";
    const LaunchRecord record = command({archive}, 1);
    EXPECT_TRUE(record.list_file.empty());
    EXPECT_EQ(record.parameters, u"x -iext -ow -ver -- \"" + archive + u"\" C:\\");
    EXPECT_TRUE(list_files_in(scratch_).empty());
}

// A line that does not fit is refused whole: nothing cut, no list file left for nobody.
TEST_F(MenuCommandTest, AddLineThatDoesNotFitIsRefusedAndLeavesNothing) {
    std::vector<std::u16string> many(120, u"C:\\s\\file.txt");
    SelectionState state = selection_of(many);
    std::u16string out = u"untouched";
    std::u16string list;
    AddOptions add;
    add.archive_name = u"a.kub";
    add.capacity = 40;
    add.list_file = &list;
    EXPECT_FALSE(AddCommandLine(state, out, add));
    EXPECT_EQ(out, u"untouched");
    EXPECT_TRUE(list.empty());
    EXPECT_TRUE(list_files_in(scratch_).empty());
}

// Dropping onto an archive whose own path is long: the archive's name and every dropped path
// reach the archiver whole.
TEST_F(MenuCommandTest, DropOntoArchiveWithLongPathKeepsTheWholeLine) {
    const std::u16string archive = u"C:\\" + std::u16string(1006, u'x') + u".kub";
    SelectionState state = selection_of({u"C:\\s\\dropped.txt"});
    LaunchRecord record;
    ASSERT_TRUE(build_drop_command(state, archive, kKeyLeftButton, kDropEffectCopy, record));
    EXPECT_EQ(record.parameters,
              u"a -ag- -ep1  -scul -r0 -iext -- " + archive + u" C:\\s\\dropped.txt");
    const std::u16string spaced = u"C:\\my archives\\" + std::u16string(1000, u'y') + u".kub";
    ASSERT_TRUE(build_drop_command(state, spaced, kKeyLeftButton, kDropEffectCopy, record));
    EXPECT_EQ(record.parameters,
              u"a -ag- -ep1  -scul -r0 -iext -- \"" + spaced + u"\" C:\\s\\dropped.txt");
}

TEST_F(MenuCommandTest, VerbsAndHelpTextsOfTheCurrentMenu) {
    test::write_profile(0, {.name = u"Best"});
    test::set_menu_item(u"Test", 1);
    SelectionState archive = selection_of({u"C:\\in\\a.zip"});
    archive.OfferExtract = true;
    record_commands(plan_menu(archive, 0, 1, {}, MenuImageState{}));
    EXPECT_EQ(find_command_by_verb("Korvex_Test"), std::optional<std::uint32_t>(3));
    EXPECT_EQ(find_command_by_verb("Korvex_ExtractTo"), std::optional<std::uint32_t>(0));
    EXPECT_EQ(find_command_by_verb("Korvex_Extract"), std::optional<std::uint32_t>(2));
    EXPECT_EQ(find_command_by_verb("korvex_test"), std::nullopt);
    EXPECT_EQ(command_text(3, CommandTextType::verb), u"Korvex_Test");
    EXPECT_EQ(command_text(4, CommandTextType::verb), std::nullopt);

    test::set_menu_item(u"Test", 0);
    record_commands(plan_menu(archive, 0, 1, {}, MenuImageState{}));
    EXPECT_EQ(find_command_by_verb("Korvex_Test"), std::nullopt);

    SelectionState document = selection_of({u"C:\\in\\a.txt"});
    document.OfferAdd = true;
    record_commands(plan_menu(document, 0, 1, {}, MenuImageState{}));
    EXPECT_EQ(command_text(2, CommandTextType::verb), u"Korvex_Profile0");
    EXPECT_EQ(find_command_by_verb("Korvex_Profile0"), std::optional<std::uint32_t>(2));
    EXPECT_EQ(find_command_by_verb("Korvex_EmailArcTo"), std::optional<std::uint32_t>(3));
    EXPECT_EQ(command_text(2, CommandTextType::help), u"使用压缩配置来添加文件到压缩文档");
    EXPECT_EQ(command_text(0, CommandTextType::help), u"添加文件到一个压缩文件中。允许附加选项");
}

TEST(DropEffect, ShiftMovesCopyIsPreferredAndOnlyTheLeftButtonDrops) {
    struct Case {
        std::uint32_t keys, allowed, effect;
    };
    const Case cases[] = {
        {kKeyLeftButton, kDropEffectCopy | kDropEffectMove, kDropEffectCopy},
        {kKeyLeftButton | kKeyShift, kDropEffectCopy | kDropEffectMove, kDropEffectMove},
        {kKeyLeftButton | kKeyShift, kDropEffectCopy, kDropEffectCopy},
        {kKeyLeftButton, kDropEffectMove, kDropEffectMove},
        {kKeyLeftButton, 0, kDropEffectNone},
        {kKeyLeftButton, 4 /* link only */, kDropEffectNone},
        {2 /* right button */, kDropEffectCopy | kDropEffectMove, kDropEffectNone},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(drop_effect(c.keys, c.allowed), c.effect) << c.keys << " " << c.allowed;
    }
}

TEST_F(MenuCommandTest, DropAddsOrMovesIntoTheArchive) {
    const std::vector<std::u16string> files = {u"C:\\s\\1.txt", u"C:\\s\\2.txt", u"C:\\s\\3.txt"};
    SelectionState state = selection_of(files);
    LaunchRecord record;
    ASSERT_TRUE(build_drop_command(state, u"C:\\arch\\my files.kub", kKeyLeftButton,
                                   kDropEffectCopy | kDropEffectMove, record));
    EXPECT_EQ(record.parameters, u"a -ag- -ep1  -scul -r0 -iext -- \"C:\\arch\\my files.kub\" "
                                 u"C:\\s\\1.txt C:\\s\\2.txt C:\\s\\3.txt");
    EXPECT_EQ(record.working_folder, u"C:\\arch");
    ASSERT_TRUE(build_drop_command(state, u"C:\\arch\\my files.kub", kKeyLeftButton | kKeyShift,
                                   kDropEffectCopy | kDropEffectMove, record));
    EXPECT_EQ(record.parameters.substr(0, 7), u"m -ag- ");
    // Shift without MOVE allowed still copies.
    ASSERT_TRUE(build_drop_command(state, u"C:\\arch\\my files.kub", kKeyLeftButton | kKeyShift,
                                   kDropEffectCopy, record));
    EXPECT_EQ(record.parameters.substr(0, 7), u"a -ag- ");

    std::vector<std::u16string> many;
    for (int i = 0; i < 300; ++i) many.push_back(u"C:\\s\\f" + std::u16string(1, u'a' + i % 26) + u".txt");
    SelectionState big = selection_of(many);
    ASSERT_TRUE(build_drop_command(big, u"C:\\arch\\a.kub", kKeyLeftButton, kDropEffectCopy, record));
    ASSERT_FALSE(record.list_file.empty());
    EXPECT_EQ(record.parameters, u"a -ag- -ep1  -scul -r0 -iext -- C:\\arch\\a.kub @\"" +
                                     record.list_file + u"\"");
    std::string expected = "\xFF\xFE";
    for (const std::u16string& path : many) expected += utf16le(path + u"\r\n");
    EXPECT_EQ(read_bytes(record.list_file), expected);

    SelectionState empty;
    EXPECT_FALSE(build_drop_command(empty, u"C:\\arch\\a.kub", kKeyLeftButton, kDropEffectCopy, record));
}

TEST_F(MenuCommandTest, CommentDumpWaitsReadsAndDeletes) {
    std::u16string dump_name;
    const std::string written = "\xFF\xFE" + utf16le(u"注释 line\r\n");
    const auto archiver = [&](const LaunchRecord& record) {
        EXPECT_TRUE(record.wait);
        // "cw -y -scuc "<archive>" "<dump>""
        const std::u16string prefix = u"cw -y -scuc \"C:\\a b\\x.kub\" \"";
        EXPECT_EQ(record.parameters.substr(0, prefix.size()), prefix);
        dump_name = record.parameters.substr(prefix.size(), record.parameters.size() - prefix.size() - 1);
        std::FILE* file = open_file_stream(dump_name, "wb");
        if (file == nullptr) return false;
        std::fwrite(written.data(), 1, written.size(), file);
        std::fclose(file);
        return true;
    };
    const std::optional<std::u16string> text = run_comment_dump(u"C:\\a b\\x.kub", archiver);
    ASSERT_TRUE(text.has_value());
    EXPECT_EQ(*text, u"\uFEFF注释 line\r\n");
    EXPECT_EQ(dump_name.substr(0, scratch_.path().size() + 6), scratch_.path() + u"Kub$CS");
    EXPECT_EQ(file_attributes(dump_name), os::kInvalidAttributes);

    // A dump longer than the buffer is read up to 65,534 bytes; an odd last byte is dropped.
    const std::string huge(70001, 'A');
    const auto big_archiver = [&](const LaunchRecord& record) {
        const std::u16string name = record.parameters.substr(record.parameters.rfind(u" \"") + 2);
        std::FILE* file = open_file_stream(name.substr(0, name.size() - 1), "wb");
        std::fwrite(huge.data(), 1, huge.size(), file);
        std::fclose(file);
        return true;
    };
    EXPECT_EQ(run_comment_dump(u"C:\\x.kub", big_archiver)->size(), kMaxCommentDumpBytes / 2);

    EXPECT_FALSE(run_comment_dump(u"C:\\x.kub", [](const LaunchRecord&) { return false; }));
    // Started but wrote nothing.
    EXPECT_FALSE(run_comment_dump(u"C:\\x.kub", [](const LaunchRecord&) { return true; }));
}

}  // namespace
}  // namespace kub

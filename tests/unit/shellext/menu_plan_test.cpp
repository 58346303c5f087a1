// Which commands a selection gets and how the menu shows them: the selection analysis feeding
// the menu plan, over the in-memory registry natively and the prefix's registry under Wine.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "formats/archive_analysis.h"
#include "shellext/core/commands/command_kind.h"
#include "shellext/core/commands/menu_plan.h"
#include "shellext/core/module_state.h"
#include "shellext/core/selection/selection_analysis.h"
#include "common/registry/registry_access.h"
#include "tests/support/writers/kub_writer.h"
#include "tests/support/menu_settings.h"
#include "tests/support/scratch_folder.h"

#include "common/os/os.h"

namespace kub {
namespace {

constexpr std::uint32_t kFirstId = 100;

std::string narrow(std::u16string_view text) {
    std::string out;
    for (char16_t c : text) out += c < 0x80 ? static_cast<char>(c) : '?';
    return out;
}

void expect_text(const MenuItemPlan& item, std::u16string_view text) {
    EXPECT_EQ(item.text, text) << "kind " << item.kind << ": " << narrow(item.text);
}

std::vector<std::int32_t> kinds_of(const MenuPlan& plan) {
    std::vector<std::int32_t> kinds;
    for (const MenuItemPlan& item : plan.items) kinds.push_back(item.kind);
    return kinds;
}

const MenuItemPlan* find_kind(const MenuPlan& plan, std::int32_t kind) {
    for (const MenuItemPlan& item : plan.items) {
        if (item.kind == kind) return &item;
    }
    return nullptr;
}

// A self-extracting KUB archive with one item.
std::string sfx_archive() {
    test::Gen3Archive kub;
    kub.sfx = test::sfx_stub(4096);
    kub.items.resize(1);
    kub.items[0].name = "inside.txt";
    const test::Bytes bytes = test::build(kub);
    return std::string(bytes.begin(), bytes.end());
}

class MenuPlanTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::reset_menu_settings();
        AnalysisBusy = 0;
        probe_ = system_selection_probe(analysis_);
        // Drive types are the test's choice, so the ".exe" rules do not depend on the machine.
        probe_.drive_type = [this](std::u16string_view) {
            ++drive_asked_;
            return drive_;
        };
        const SelectionProbe system = probe_;
        probe_.is_self_extracting = [this, system](std::u16string_view path) {
            ++opened_;
            return system.is_self_extracting(path);
        };
    }
    void TearDown() override { test::reset_menu_settings(); }

    SelectionState analyse(const std::vector<std::u16string>& paths,
                           std::u16string_view drop_folder = {}) {
        SelectionState state;
        fetched_ = 0;
        EXPECT_TRUE(analyse_paths(
            state, paths.size(),
            [&](std::size_t i) {
                ++fetched_;
                return paths[i];
            },
            drop_folder, probe_));
        return state;
    }

    MenuPlan plan(SelectionState& state, std::u16string_view drop_folder = {},
                  std::uint32_t flags = 0) {
        return plan_menu(state, flags, kFirstId, drop_folder, MenuImageState{});
    }

    ArchiveAnalysis analysis_;
    SelectionProbe probe_;
    os::DriveType drive_ = os::DriveType::fixed;
    int opened_ = 0;
    int drive_asked_ = 0;
    std::size_t fetched_ = 0;
};

TEST_F(MenuPlanTest, OneDocumentGetsTheAddGroupWithProfilesInOrder) {
    test::write_profile(0, {.name = u"Best & fast"});
    test::write_profile(1, {.name = u"Hidden", .add_to_menu = 0});
    test::write_profile(2, {.name = u"Store"});
    SelectionState state = analyse({u"C:\\docs\\report.final.txt"});
    EXPECT_TRUE(state.OfferAdd);
    EXPECT_FALSE(state.OfferExtract);

    const MenuPlan menu = plan(state);
    EXPECT_EQ(kinds_of(menu), (std::vector<std::int32_t>{5, 6, 11, 12, 8, 7}));
    ASSERT_EQ(menu.items.size(), 6u);
    for (std::size_t i = 0; i < menu.items.size(); ++i) EXPECT_EQ(menu.items[i].id, kFirstId + i);
    EXPECT_EQ(menu.identifiers_used, 6);
    EXPECT_EQ(menu.profile_count, 2);
    EXPECT_FALSE(menu.cascaded);
    expect_text(menu.items[0], u"添加到压缩文件(&A)...");
    expect_text(menu.items[1], u"添加到 \"report.final.kub\"(&T)");
    // Profile names are shown as stored: their "&" stays a mnemonic.
    expect_text(menu.items[2], u"Best & fast");
    expect_text(menu.items[3], u"Store");
    expect_text(menu.items[4], u"压缩并 E-mail...");
    expect_text(menu.items[5], u"压缩到 \"report.final.kub\" 并 E-mail");
    // The classic check-mark bitmap stands in while the icon image is unavailable.
    EXPECT_TRUE(menu.items[0].check_bitmap);
    EXPECT_FALSE(menu.items[0].icon);
}

TEST_F(MenuPlanTest, SwitchedOffProfilesStillCountForNumbering) {
    test::write_profile(0, {.name = u"One"});
    test::write_profile(1, {.name = u"Two"});
    test::set_menu_item(u"Profile", 0);
    test::set_menu_item(u"AddArc", 0);
    SelectionState state = analyse({u"C:\\docs\\a.txt"});
    const MenuPlan menu = plan(state);
    EXPECT_EQ(kinds_of(menu), (std::vector<std::int32_t>{5, 8, 7}));
    EXPECT_EQ(menu.profile_count, 2);
    EXPECT_EQ(menu.items[1].id, kFirstId + 1);
}

TEST_F(MenuPlanTest, OneZipGetsExtractionAndTestOnlyWhenSwitchedOn) {
    SelectionState state = analyse({u"C:\\in\\photos.zip"});
    EXPECT_TRUE(state.OfferExtract);
    EXPECT_FALSE(state.OfferAdd);
    EXPECT_FALSE(state.OfferExtractEach);
    MenuPlan menu = plan(state);
    EXPECT_EQ(kinds_of(menu), (std::vector<std::int32_t>{0, 1, 2}));
    expect_text(menu.items[0], u"解压文件(&A)...");
    expect_text(menu.items[1], u"解压到当前文件夹(&X)");
    expect_text(menu.items[2], u"解压到 photos\\(&E)");

    test::set_menu_item(u"Test", 1);
    menu = plan(state);
    EXPECT_EQ(kinds_of(menu), (std::vector<std::int32_t>{0, 1, 2, 9}));
    test::set_menu_item(u"Convert", 1);
    menu = plan(state);
    EXPECT_EQ(kinds_of(menu), (std::vector<std::int32_t>{0, 1, 2, 9, 10}));
}

TEST_F(MenuPlanTest, TwoArchivesGetBothGroups) {
    SelectionState state = analyse({u"C:\\in\\first.part1.kub", u"C:\\in\\second.zip"});
    EXPECT_TRUE(state.OfferExtractEach);
    const MenuPlan menu = plan(state);
    EXPECT_EQ(kinds_of(menu), (std::vector<std::int32_t>{5, 6, 8, 7, 0, 1, 3, 2}));
    expect_text(menu.items[1], u"添加到 \"in.kub\"(&T)");
    expect_text(menu.items[7], u"解压到 first\\(&E)");
}

TEST_F(MenuPlanTest, FolderNamedLikeAnArchiveIsNotOne) {
    test::ScratchFolder scratch;
    ASSERT_TRUE(scratch.make_folder(u"x.zip"));
    SelectionState state = analyse({scratch / u"x.zip"});
    EXPECT_FALSE(state.OfferExtract);
    EXPECT_EQ(kinds_of(plan(state)), (std::vector<std::int32_t>{5, 6, 8, 7}));
    // A folder keeps its dots in the archive name.
    expect_text(plan(state).items[1], u"添加到 \"x.zip.kub\"(&T)");
}

TEST_F(MenuPlanTest, SelfExtractingExecutables) {
    test::ScratchFolder scratch;
    const std::string sfx = sfx_archive();
    for (int i = 0; i < 10; ++i) {
        ASSERT_TRUE(scratch.write_file(u"setup" + std::u16string(1, u'0' + i) + u".exe", sfx));
    }
    // One: both groups and "open".
    SelectionState one = analyse({scratch / u"setup0.exe"});
    EXPECT_EQ(opened_, 1);
    EXPECT_TRUE(one.OfferAdd && one.OfferExtract && one.OfferOpenSfx);
    EXPECT_EQ(kinds_of(plan(one)), (std::vector<std::int32_t>{5, 6, 8, 7, 0, 1, 2, 4}));

    // Ten: nine are opened, the tenth is taken for one unopened; no "open" for several.
    opened_ = 0;
    std::vector<std::u16string> ten;
    for (int i = 0; i < 10; ++i) ten.push_back(scratch / (u"setup" + std::u16string(1, u'0' + i) + u".exe"));
    SelectionState many = analyse(ten);
    EXPECT_EQ(opened_, 9);
    EXPECT_EQ(fetched_, 10u);
    EXPECT_TRUE(many.OfferExtract && many.OfferExtractEach && many.OfferAdd);
    EXPECT_FALSE(many.OfferOpenSfx);

    // An ordinary program is not an archive.
    ASSERT_TRUE(scratch.write_file(u"tool.exe", std::string(5000, 'M')));
    SelectionState tool = analyse({scratch / u"tool.exe"});
    EXPECT_FALSE(tool.OfferExtract);
    EXPECT_FALSE(tool.OfferOpenSfx);
}

TEST_F(MenuPlanTest, ExecutablesAreOpenedOnlyWhereTheDriveTypeAllows) {
    test::ScratchFolder scratch;
    ASSERT_TRUE(scratch.write_file(u"setup.exe", sfx_archive()));
    test::set_menu_item(u"SFXNetwork", 0);
    drive_ = os::DriveType::network;
    SelectionState state = analyse({scratch / u"setup.exe"});
    EXPECT_EQ(opened_, 0);
    EXPECT_FALSE(state.OfferExtract);
    EXPECT_EQ(kinds_of(plan(state)), (std::vector<std::int32_t>{5, 6, 8, 7}));

    // "SFXOther" governs removable and undeterminable drives; the local setting is separate.
    test::set_menu_item(u"SFXOther", 0);
    drive_ = os::DriveType::removable;
    EXPECT_FALSE(analyse({scratch / u"setup.exe"}).OfferExtract);
    drive_ = os::DriveType::fixed;
    EXPECT_TRUE(analyse({scratch / u"setup.exe"}).OfferExtract);
    EXPECT_EQ(opened_, 1);
}

// The system is slow to tell a drive's type, so it is asked only when the answer matters.
TEST_F(MenuPlanTest, DriveTypeIsAskedOnlyWhenTheThreeSettingsDiffer) {
    test::ScratchFolder scratch;
    ASSERT_TRUE(scratch.write_file(u"setup.exe", sfx_archive()));
    EXPECT_TRUE(analyse({scratch / u"setup.exe"}).OfferOpenSfx);
    EXPECT_EQ(drive_asked_, 0);

    for (const char16_t* name : {u"SFXLocal", u"SFXNetwork", u"SFXOther"}) {
        test::set_menu_item(name, 0);
    }
    drive_ = os::DriveType::network;
    EXPECT_FALSE(analyse({scratch / u"setup.exe"}).OfferExtract);
    EXPECT_EQ(drive_asked_, 0);
    EXPECT_EQ(opened_, 1);

    test::set_menu_item(u"SFXLocal", 1);
    EXPECT_FALSE(analyse({scratch / u"setup.exe"}).OfferExtract);
    EXPECT_EQ(drive_asked_, 1);
    drive_ = os::DriveType::fixed;
    EXPECT_TRUE(analyse({scratch / u"setup.exe"}).OfferExtract);
    EXPECT_EQ(drive_asked_, 2);
}

TEST_F(MenuPlanTest, AnalysisStopsAtTheFirstNonArchiveAfterTheFirstPath) {
    std::vector<std::u16string> files;
    for (int i = 0; i < 5000; ++i) files.push_back(u"C:\\big\\file" + std::u16string(1, u'a' + i % 26) + u".txt");
    SelectionState state = analyse(files);
    EXPECT_EQ(fetched_, 2u);
    EXPECT_EQ(state.SelectedPaths.size(), 2u);
    EXPECT_TRUE(state.OfferAdd);
    EXPECT_FALSE(state.OfferExtract);

    // A first non-archive does not stop the loop: the second path is still examined.
    SelectionState mixed = analyse({u"C:\\a.txt", u"C:\\b.kub", u"C:\\c.txt", u"C:\\d.txt"});
    EXPECT_EQ(fetched_, 3u);
    EXPECT_TRUE(mixed.OfferAdd);
    EXPECT_FALSE(mixed.OfferExtract);
    EXPECT_FALSE(mixed.OfferExtractEach);
    EXPECT_FALSE(mixed.OfferOpenSfx);
}

// An ".iso" image offers adding even when it counts as an archive (here through "CustomExt"):
// a disc image is as often the source of a new archive as something to extract.
TEST_F(MenuPlanTest, IsoImagesOfferAddingAlsoAsArchives) {
    ASSERT_EQ(write_setting_string(u"Setup", u"CustomExt", u"iso"), os::kRegOk);
    SelectionState iso = analyse({u"C:\\disc.iso"});
    EXPECT_TRUE(iso.OfferExtract);
    EXPECT_TRUE(iso.OfferAdd);
    // The same name as a plain ".img" archive offers extraction alone.
    ASSERT_EQ(write_setting_string(u"Setup", u"CustomExt", u"img"), os::kRegOk);
    SelectionState img = analyse({u"C:\\disc.img"});
    EXPECT_TRUE(img.OfferExtract);
    EXPECT_FALSE(img.OfferAdd);
}

TEST_F(MenuPlanTest, RightDragOffersExtractionIntoTheTarget) {
    SelectionState state = analyse({u"C:\\in\\arc.part1.kub"}, u"D:\\Out");
    EXPECT_FALSE(state.OfferAdd);
    test::set_menu_item(u"Test", 1);
    MenuPlan menu = plan(state, u"D:\\Out");
    EXPECT_EQ(kinds_of(menu), (std::vector<std::int32_t>{0, 1, 2}));
    expect_text(menu.items[2], u"解压到 Out\\arc\\(&E)");
    menu = plan(state, u"D:\\");
    expect_text(menu.items[2], u"解压到 arc\\(&E)");
    // A non-archive dragged with the right button gets nothing.
    SelectionState document = analyse({u"C:\\in\\a.txt"}, u"D:\\Out");
    EXPECT_TRUE(plan(document, u"D:\\Out").items.empty());
}

TEST_F(MenuPlanTest, LabelsShowAmpersandsAndLongNamesAreShortened) {
    SelectionState state = analyse({u"C:\\in\\R&D.kub"});
    expect_text(*find_kind(plan(state), 2), u"解压到 R&&D\\(&E)");

    std::u16string long_name(100, u'n');
    for (std::size_t i = 0; i < long_name.size(); ++i) long_name[i] = u'a' + i % 26;
    SelectionState long_state = analyse({u"C:\\in\\" + long_name + u".kub"});
    const MenuPlan long_menu = plan(long_state);
    const MenuItemPlan* item = find_kind(long_menu, 2);
    ASSERT_NE(item, nullptr);
    const std::u16string full = u"解压到 " + long_name + u"\\(&E)";
    EXPECT_EQ(item->text.size(), kMaxMenuTextLength);
    EXPECT_EQ(item->text, full.substr(0, 27) + u"..." + full.substr(full.size() - 50));
}

TEST_F(MenuPlanTest, RefusedQueriesAddNothingAndKeepTheTable) {
    SelectionState state = analyse({u"C:\\in\\a.zip"});
    record_commands(plan(state));
    ASSERT_EQ(CommandTable.get().table.count, 3);

    SelectionState document = analyse({u"C:\\in\\a.txt"});
    MenuPlan refused = plan(document, {}, kMenuDefaultOnly);
    EXPECT_FALSE(refused.built);
    EXPECT_EQ(refused.identifiers_used, 0);
    record_commands(refused);
    EXPECT_EQ(CommandTable.get().table.count, 3);

    AnalysisBusy = 1;
    EXPECT_TRUE(plan(document).items.empty());
    AnalysisBusy = 0;
    SelectionState empty;
    EXPECT_TRUE(plan(empty).items.empty());
}

TEST_F(MenuPlanTest, CascadedMenuPutsCommandsIntoOnePopup) {
    write_setting_number(u"Setup", u"CascadedMenu", 1);
    test::set_menu_item(u"AddTo", 0);
    SelectionState state = analyse({u"C:\\docs\\a.txt"});
    const MenuPlan menu = plan(state);
    EXPECT_TRUE(menu.cascaded);
    // The popup carries the first command's identifier without using it up.
    EXPECT_EQ(menu.popup_id, kFirstId);
    EXPECT_EQ(menu.items.front().id, kFirstId);
    EXPECT_EQ(menu.identifiers_used, 3);
    EXPECT_TRUE(menu.popup_check_bitmap);

    // No images at all with "MenuIcons" 0.
    write_setting_number(u"Setup", u"MenuIcons", 0);
    EXPECT_FALSE(plan(state).items.front().check_bitmap);
    // The icon image replaces the check-mark bitmap only under visual styles.
    write_setting_number(u"Setup", u"MenuIcons", 1);
    MenuImageState images;
    images.icon_bitmap = true;
    images.themed = true;
    const MenuPlan themed = plan_menu(state, 0, kFirstId, {}, images);
    EXPECT_TRUE(themed.items.front().icon);
    EXPECT_FALSE(themed.items.front().check_bitmap);
    EXPECT_TRUE(themed.popup_icon);
}

TEST_F(MenuPlanTest, AtMost128Commands) {
    for (int n = 0; n < 140; ++n) {
        test::write_profile(n, {.name = u"P" + std::u16string(1, u'a' + n % 26)});
    }
    SelectionState state = analyse({u"C:\\docs\\a.txt"});
    const MenuPlan menu = plan(state);
    EXPECT_EQ(menu.items.size(), kMaxMenuCommands);
    EXPECT_EQ(menu.table.count, 128);
    EXPECT_EQ(menu.identifiers_used, 128);
    EXPECT_EQ(menu.profile_count, 140);
    EXPECT_EQ(menu.items.back().kind, kFirstProfileKind + 125);
}

}  // namespace
}  // namespace kub

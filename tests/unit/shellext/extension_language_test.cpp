// The extension's texts with the shipped English in the language folder, loaded as the library
// loads them: the menu plan and the page texts read in English; without the folder, or with one
// that lacks the files, they stay the built-in Chinese.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "common/files/path_ops.h"
#include "common/language/language_file.h"
#include "common/language/language_module.h"
#include "common/os/os.h"
#include "common/registry/registry_access.h"
#include "formats/archive_analysis.h"
#include "formats/summary_text.h"
#include "shellext/core/commands/menu_plan.h"
#include "shellext/core/module_state.h"
#include "shellext/core/selection/selection_analysis.h"
#include "shellext/settings/extension_language.h"
#include "tests/support/menu_settings.h"
#include "tests/support/scratch_folder.h"

namespace kub {
namespace {

class ExtensionLanguageTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(os::select_code_pages(936, 936) || os::code_page_number(os::CodePage::kAnsi) == 936);
        test::reset_menu_settings();
        AnalysisBusy = 0;
    }
    void TearDown() override {
        delete_registry_value(RegistryRoot::kCurrentUser, u"General", u"LanguageFolder");
        release_language_module();
        language_file().unload();
        test::reset_menu_settings();
    }
    // The library's load with this language folder.
    void load_with_folder(const std::u16string& folder) {
        ASSERT_EQ(write_setting_string(u"General", u"LanguageFolder", folder), os::kRegOk);
        load_extension_language(os::own_module());
    }
    // The build puts the English files in english/ beside the programs.
    static std::u16string english_folder() {
        std::u16string path = os::executable_path();
        replace_name(path, u"english");
        return path;
    }
    // The menu texts of one archive, as the context menu would show them.
    std::vector<std::u16string> archive_menu() {
        ArchiveAnalysis analysis;
        SelectionProbe probe = system_selection_probe(analysis);
        SelectionState state;
        const std::u16string path = u"C:\\in\\photos.zip";
        EXPECT_TRUE(analyse_paths(state, 1, [&](std::size_t) { return path; }, {}, probe));
        std::vector<std::u16string> texts;
        for (const MenuItemPlan& item : plan_menu(state, 0, 1, {}, MenuImageState{}).items)
            texts.push_back(item.text);
        return texts;
    }
    static ArchiveSummary solid_sfx_zip() {
        ArchiveSummary s;
        s.FormatName = u"ZIP";
        s.IsSolid = true;
        s.SfxSize = 1234;
        return s;
    }
};

TEST_F(ExtensionLanguageTest, EnglishFromTheLanguageFolder) {
    load_with_folder(english_folder());
    ASSERT_TRUE(language_file().loaded());
    EXPECT_EQ(archive_menu(),
              (std::vector<std::u16string>{u"Extr&act files...", u"E&xtract here", u"&Extract to photos\\"}));
    EXPECT_EQ(summary_title(solid_sfx_zip()), u"Solid self-extracting ZIP archive");
    EXPECT_EQ(sfx_size_text(solid_sfx_zip()), u"1,234 bytes");
    EXPECT_EQ(presence_text(true), u"Present");
    EXPECT_EQ(presence_text(false), u"Absent");
}

TEST_F(ExtensionLanguageTest, BuiltInChineseWithoutTheFiles) {
    test::ScratchFolder empty;
    for (const std::u16string& folder : {std::u16string(), empty.path()}) {
        load_with_folder(folder);
        EXPECT_FALSE(language_file().loaded());
        EXPECT_FALSE(language_module_loaded());
        EXPECT_EQ(archive_menu(), (std::vector<std::u16string>{u"解压文件(&A)...", u"解压到当前文件夹(&X)",
                                                               u"解压到 photos\\(&E)"}));
        EXPECT_EQ(summary_title(solid_sfx_zip()), u"固实的 自解压格式 ZIP 压缩文件");
        EXPECT_EQ(presence_text(true), u"存在");
    }
}

}  // namespace
}  // namespace kub

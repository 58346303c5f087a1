// Explorer calls the extension from many threads at once: one per window, another per properties
// dialog. The parts of the core that every object of the process shares - texts, the double-byte
// table, the drop folder, the command table, the module count - used from several threads at the
// same time must give each thread whole and correct answers. Built with ThreadSanitizer (the tsan
// preset) this test also shows that none of it races.
#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "common/language/lang_string.h"
#include "common/os/os.h"
#include "common/registry/settings_cache.h"
#include "common/text/double_byte_table.h"
#include "formats/archive_analysis.h"
#include "formats/summary_text.h"
#include "shellext/core/commands/command_table.h"
#include "shellext/core/commands/menu_plan.h"
#include "shellext/core/module_state.h"
#include "shellext/core/selection/selection_analysis.h"
#include "tests/support/code_page_scope.h"
#include "tests/support/menu_settings.h"
#include "tests/support/scratch_folder.h"
#include "tests/support/writers/zip_builder.h"

namespace kub {
namespace {

constexpr int kThreads = 4;
constexpr int kRounds = 150;

// Runs `body(thread, failures)` on kThreads threads released at the same moment, so first uses
// overlap; returns what the threads found wrong.
std::vector<std::string> run_together(
    const std::function<void(int, std::vector<std::string>&)>& body) {
    std::mutex lock;
    std::condition_variable start;
    bool go = false;
    std::vector<std::vector<std::string>> failures(kThreads);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            {
                std::unique_lock<std::mutex> wait(lock);
                start.wait(wait, [&] { return go; });
            }
            body(t, failures[static_cast<std::size_t>(t)]);
        });
    }
    {
        std::lock_guard<std::mutex> hold(lock);
        go = true;
    }
    start.notify_all();
    for (std::thread& thread : threads) thread.join();
    std::vector<std::string> all;
    for (const auto& found : failures) all.insert(all.end(), found.begin(), found.end());
    return all;
}

void check(bool ok, const std::string& what, std::vector<std::string>& failures) {
    if (!ok && failures.size() < 5) failures.push_back(what);
}

std::string join(const std::vector<std::string>& lines) {
    std::string out;
    for (const std::string& line : lines) out += line + "\n";
    return out;
}

// The first use of the table happens on all threads at once; a half-built table would let a
// 0x5C trail byte pass for a backslash.
TEST(SharedStateThreads, DoubleByteStepsAgreeOnEveryThread) {
    test::CodePageScope chinese(936, 936);
    if (!chinese.active()) GTEST_SKIP() << "code page 936 not available";
    const std::string text = "\xD6\xD0\x5C\xB1\x5C" "a";  // 中, a backslash, 盶 (trail 0x5C), a
    const std::vector<std::string> failures = run_together([&](int, auto& failed) {
        for (int round = 0; round < kRounds; ++round) {
            check(ansi_double_byte_table().multi_byte, "table without lead bytes", failed);
            check(next_char_pos(text, 0) == 2, "split the first character", failed);
            check(next_char_pos(text, 2) == 3, "joined the backslash", failed);
            check(next_char_pos(text, 3) == 5, "split at the 0x5C trail byte", failed);
        }
    });
    EXPECT_TRUE(failures.empty()) << join(failures);
}

// Each thread has its own rotating buffers: a text stays as fetched for eight calls of its own
// thread, whatever the other threads fetch meanwhile.
TEST(SharedStateThreads, TextsStayValidForEightCallsOfTheirThread) {
    const std::vector<std::string> failures = run_together([](int thread, auto& failed) {
        for (int round = 0; round < kRounds; ++round) {
            const char16_t* archive = LangString(4114);
            const char16_t* comment = LangString(4115);
            for (int i = 0; i < 5; ++i) LangString(thread % 2 == 0 ? 4116 : 4123);
            const char16_t* present = LangString(4122);
            check(std::u16string_view(archive) == u"压缩文件", "text 4114 changed", failed);
            check(std::u16string_view(comment) == u"注释", "text 4115 changed", failed);
            check(std::u16string_view(present) == u"存在", "text 4122 wrong", failed);
        }
    });
    EXPECT_TRUE(failures.empty()) << join(failures);
}

// Initialize on one thread replaces the folder while another thread's menu copies it: every copy
// is one of the folders set, whole.
TEST(SharedStateThreads, DropFolderIsReadWhole) {
    std::vector<std::u16string> folders;
    for (int t = 0; t < kThreads; ++t) {
        folders.push_back(u"D:\\" + std::u16string(200 + 100 * t, static_cast<char16_t>(u'a' + t)));
    }
    folders.push_back(u"");
    const std::set<std::u16string> valid(folders.begin(), folders.end());
    const std::vector<std::string> failures = run_together([&](int thread, auto& failed) {
        for (int round = 0; round < kRounds * 4; ++round) {
            DropFolder.assign(round % 3 == 0 ? folders.back()
                                             : folders[static_cast<std::size_t>(thread)]);
            check(valid.count(DropFolder.get()) == 1, "a torn drop folder", failed);
        }
    });
    EXPECT_TRUE(failures.empty()) << join(failures);
    DropFolder.assign(u"");
}

// Objects created and released on different threads count exactly.
TEST(SharedStateThreads, ModuleCountLosesNoChange) {
    const std::int32_t before = ModuleRefCount.load();
    run_together([](int, auto&) {
        for (int round = 0; round < kRounds * 20; ++round) {
            ++ModuleRefCount;
            --ModuleRefCount;
            ++ModuleRefCount;
        }
    });
    EXPECT_EQ(ModuleRefCount.load(), before + kThreads * kRounds * 20);
    ModuleRefCount = before;
}

class SharedStateMenuThreads : public ::testing::Test {
  protected:
    void SetUp() override {
        test::reset_menu_settings();
        // As in the extension: settings kept while the registry stays unchanged, head buffers
        // kept between analyses, both shared by every thread.
        set_settings_cache_enabled(true);
        AnalysisBusy = 0;
        test::ZipLayout layout;
        layout.entries.resize(2);
        layout.entries[0].name = "a.txt";
        layout.entries[0].data = "first file";
        layout.entries[1].name = "b.txt";
        layout.entries[1].data = "second";
        layout.archive_comment = "note";
        ASSERT_TRUE(scratch_.write_file(u"photos.zip", test::build_zip(layout)));
    }
    void TearDown() override {
        set_settings_cache_enabled(false);
        test::reset_menu_settings();
    }

    test::ScratchFolder scratch_;
};

// Menus for an archive and for a document planned and recorded on all threads, each page
// summary analysed and formatted meanwhile: every plan has its texts, the shared table is always
// one whole menu's, and every summary reads as the archive says.
TEST_F(SharedStateMenuThreads, MenusTablesAndSummariesFromManyThreads) {
    const std::u16string archive = scratch_ / u"photos.zip";
    const std::vector<std::string> failures = run_together([&](int thread, auto& failed) {
        ArchiveAnalysis analysis;
        const SelectionProbe probe = system_selection_probe(analysis);
        const bool archive_menu = thread % 2 == 0;
        const std::vector<std::u16string> paths = {archive_menu ? archive
                                                                : std::u16string(u"C:\\docs\\a.txt")};
        for (int round = 0; round < kRounds / 3; ++round) {
            SettingsReadScope settings;
            SelectionState selection;
            check(analyse_paths(selection, paths.size(), [&](std::size_t i) { return paths[i]; },
                                u"", probe),
                  "selection analysis failed", failed);
            const MenuPlan plan = plan_menu(selection, 0, 1, u"", MenuImageState{});
            record_commands(plan);
            if (archive_menu) {
                check(plan.items.size() == 3 && plan.items[2].text == u"解压到 photos\\(&E)",
                      "archive menu texts", failed);
            } else {
                check(plan.items.size() == 4 && plan.items[0].text == u"添加到压缩文件(&A)...",
                      "document menu texts", failed);
            }
            const RecordedCommands shared = CommandTable.get();
            const auto& kinds = shared.table.kinds;
            const bool whole_archive_menu =
                shared.table.count == 3 && kinds[0] == 0 && kinds[1] == 1 && kinds[2] == 2;
            const bool whole_document_menu = shared.table.count == 4 && kinds[0] == 5 &&
                                             kinds[1] == 6 && kinds[2] == 8 && kinds[3] == 7;
            check(whole_archive_menu || whole_document_menu, "a mixed command table", failed);

            ArchiveAnalysis page;
            check(page.Analyze(archive, false, 0) == kAnalyzeArchive, "not an archive", failed);
            const ArchiveSummary& s = page.summary();
            check(summary_title(s) == u"ZIP 压缩文件", "summary title", failed);
            check(number_text(s.FileCount) == u"2", "file count", failed);
            check(number_text(s.TotalUnpacked) == u"16", "total size", failed);
            check(ratio_text(s) == u"100%", "ratio", failed);
            check(presence_text(s.HasComment) == u"存在", "comment presence", failed);
        }
    });
    EXPECT_TRUE(failures.empty()) << join(failures);
}

}  // namespace
}  // namespace kub

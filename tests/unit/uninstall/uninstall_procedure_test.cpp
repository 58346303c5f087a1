// Uninstall mode on a program folder of files: the question, the list error, the order of the
// list passes, files in use, the batch file, and what the registry holds afterwards compared
// with before setup. Natively against the in-memory registry and posix files, under Wine
// against the real ones; files in use are simulated by refusing their deletion.
#include <gtest/gtest.h>

#include <cstdio>
#include <set>
#include <string>
#include <vector>

#include "common/files/file_helpers.h"
#include "common/registry/registry_access.h"
#include "tests/support/registry_export.h"
#include "tests/support/scratch_folder.h"
#include "tests/support/setup_traces.h"
#include "uninstall/core/list_removal.h"
#include "uninstall/core/registration.h"
#include "uninstall/core/registry_names.h"
#include "uninstall/core/self_delete_batch.h"
#include "uninstall/core/uninstall_procedure.h"

namespace kub::setup {
namespace {

using os::RegistryRoot;

// Real files, except that the names in `held` cannot be deleted (as a loaded library cannot)
// while they can be renamed; scheduling at restart is recorded instead of done.
class HeldFiles : public RemovalFileSystem {
  public:
    bool delete_file(std::u16string_view path, bool& missing) override {
        for (const std::u16string& name : held)
            if (os::compare_ignoring_case(name_part(path), name) == 0 && file_exists(path)) {
                missing = false;
                return false;
            }
        return RemovalFileSystem::delete_file(path, missing);
    }
    bool rename(std::u16string_view from, std::u16string_view to) override {
        if (refuse_rename) return false;
        return RemovalFileSystem::rename(from, to);
    }
    bool delete_at_restart(std::u16string_view path) override {
        scheduled.emplace_back(path);
        return true;
    }
    std::set<std::u16string> held;
    bool refuse_rename = false;
    std::vector<std::u16string> scheduled;
};

class RecordingHost : public UninstallHost {
  public:
    explicit RecordingHost(std::u16string folder) : folder_(std::move(folder)) {}
    bool ask_yes_no(std::u16string_view text, std::u16string_view caption) override {
        questions.emplace_back(std::u16string(caption) + u"|" + std::u16string(text));
        return answer;
    }
    void show_message(std::u16string_view text, std::u16string_view caption,
                      MessageIcon icon) override {
        messages.emplace_back(std::u16string(caption) + u"|" + std::u16string(text));
        icons.push_back(icon);
    }
    SetupEnvironment environment() override {
        SetupEnvironment environment;
        environment.program_folder = folder_;
        environment.uninstall_path = folder_ + u"uninstall.exe";
        environment.notify_association_change = [this] { ++notifications; };
        environment.update_shortcuts = [this](const IntegrationSettings& settings) {
            shortcut_updates.push_back(settings.desktop || settings.start_menu || settings.programs);
        };
        return environment;
    }
    void start_hidden(const std::u16string& command) override { started.push_back(command); }
    RemovalFileSystem& files() override { return files_; }

    bool answer = true;
    std::vector<std::u16string> questions, messages, started;
    std::vector<MessageIcon> icons;
    std::vector<bool> shortcut_updates;
    int notifications = 0;
    HeldFiles files_;

  private:
    std::u16string folder_;
};

std::string bytes_of(const std::u16string& path) {
    std::FILE* stream = open_file_stream(path, "rb");
    if (!stream) return "<missing>";
    std::string bytes;
    for (int c; (c = std::fgetc(stream)) != EOF;) bytes += static_cast<char>(c);
    std::fclose(stream);
    return bytes;
}

class UninstallProcedureTest : public ::testing::Test {
  protected:
    void SetUp() override {
        test::remove_setup_registry_traces();
        delete_registry_tree(RegistryRoot::kCurrentUser, u"\\Software\\Korvex");
        ASSERT_FALSE(scratch_.path().empty());
        ASSERT_TRUE(scratch_.make_folder(u"Korvex 中文"));
        ASSERT_TRUE(scratch_.make_folder(u"temp"));
        folder_ = scratch_ / u"Korvex 中文\\";
        request_.program_path = folder_ + u"uninstall.exe";
        request_.temp_folder = scratch_ / u"temp\\";
        request_.comspec = u"C:\\windows\\system32\\cmd.exe";
        request_.silent = true;
        write(u"uninstall.exe", "MZ");
        start_folder_ = os::current_directory();
        ASSERT_TRUE(os::wide_to_narrow(os::CodePage::kAnsi, scratch_.path(), ansi_scratch_));
    }
    void TearDown() override {
        os::set_current_directory(start_folder_);
        test::remove_setup_registry_traces();
    }
    void write(std::u16string_view name, std::string_view bytes) {
        ASSERT_TRUE(scratch_.write_file(u"Korvex 中文\\" + std::u16string(name), bytes));
    }
    bool present(std::u16string_view name) const {
        return file_exists(folder_ + std::u16string(name));
    }
    void set_up_integration() {
        SetupEnvironment environment = host_.environment();
        ASSERT_TRUE(apply_integration(default_integration_settings(), environment));
        write_installed_program(environment);
    }

    test::ScratchFolder scratch_;
    std::u16string folder_;
    std::u16string start_folder_;
    std::string ansi_scratch_;
    UninstallRequest request_;
    RecordingHost host_{std::u16string()};
};

TEST_F(UninstallProcedureTest, SilentWithoutAListShowsTheErrorAndChangesNothing) {
    host_ = RecordingHost(folder_);
    set_up_integration();
    const std::string before = test::setup_registry_snapshot(test::SnapshotScope::kSetupKeys);
    const UninstallOutcome outcome = run_uninstall(request_, host_);
    EXPECT_EQ(outcome.stage, UninstallStage::kNoList);
    EXPECT_TRUE(host_.questions.empty());
    ASSERT_EQ(host_.messages.size(), 1u);
    EXPECT_EQ(host_.messages[0], u"卸载 Korvex|无法打开列表文件 Uninstall.lst");
    EXPECT_EQ(host_.icons[0], MessageIcon::kError);
    EXPECT_EQ(test::setup_registry_snapshot(test::SnapshotScope::kSetupKeys), before);
    EXPECT_TRUE(present(u"uninstall.exe"));
    EXPECT_TRUE(host_.started.empty());
}

TEST_F(UninstallProcedureTest, NoAnswerButYesChangesNothing) {
    host_ = RecordingHost(folder_);
    write(u"Uninstall.lst", "a.txt\r\n");
    write(u"a.txt", "a");
    request_.silent = false;
    host_.answer = false;
    EXPECT_EQ(run_uninstall(request_, host_).stage, UninstallStage::kDeclined);
    ASSERT_EQ(host_.questions.size(), 1u);
    EXPECT_EQ(host_.questions[0], u"卸载 Korvex|继续卸载 Korvex 吗？");
    EXPECT_TRUE(present(u"a.txt"));
    EXPECT_TRUE(present(u"Uninstall.lst"));
}

TEST_F(UninstallProcedureTest, RegistryAfterUninstallEqualsTheRegistryBeforeSetup) {
    host_ = RecordingHost(folder_);
    write(u"Uninstall.lst", "");
    write(u"kubext.dll", "MZ");
    // A user's own association of ".zip" is replaced by setup and must come back.
    write_registry_string(RegistryRoot::kClassesRoot, u".zip", u"", u"userzip");
    write_registry_string(RegistryRoot::kClassesRoot, u"userzip", u"", u"My zip");
    const std::string before = test::setup_registry_snapshot(test::SnapshotScope::kSetupKeys);
    set_up_integration();
    write_setting_number(u"Setup\\MenuItems", u"Test", 1);
    ASSERT_NE(test::setup_registry_snapshot(test::SnapshotScope::kSetupKeys), before);

    const UninstallOutcome outcome = run_uninstall(request_, host_);
    EXPECT_EQ(outcome.stage, UninstallStage::kHandedOver);
    // Setup leaves the parent keys it shares with the system and other programs; an extension
    // that existed keeps the (empty) template key setup gave it.
    const std::vector<std::string> changes =
        test::registry_changes(before, test::setup_registry_snapshot(test::SnapshotScope::kSetupKeys), {"[HKCR\\.zip\\ShellNew]"});
    for (const std::string& change : changes) ADD_FAILURE() << change;
    EXPECT_EQ(test::export_registry_tree(RegistryRoot::kClassesRoot, u".zip"),
              "[HKCR\\.zip]\n@=\"userzip\"\n[HKCR\\.zip\\ShellNew]\n");
    // Shortcuts went with every choice cleared; the shell heard of the change.
    ASSERT_FALSE(host_.shortcut_updates.empty());
    EXPECT_FALSE(host_.shortcut_updates.back());
    EXPECT_GE(host_.notifications, 2);
}

TEST_F(UninstallProcedureTest, MsiUndoesTheIntegrationButKeepsFilesAndTheProgramEntries) {
    host_ = RecordingHost(folder_);
    write(u"Uninstall.lst", "a.txt\r\n");
    write(u"a.txt", "a");
    set_up_integration();
    request_.msi = true;
    EXPECT_EQ(run_uninstall(request_, host_).stage, UninstallStage::kIntegrationOnly);
    EXPECT_FALSE(registry_key_exists(RegistryRoot::kClassesRoot, u"Korvex"));
    EXPECT_FALSE(registry_key_exists(RegistryRoot::kCurrentUser, u"\\Software\\Korvex"));
    EXPECT_TRUE(registry_key_exists(RegistryRoot::kLocalMachine, kUninstallKey));
    EXPECT_TRUE(registry_key_exists(RegistryRoot::kLocalMachine, kAppPathsKey));
    EXPECT_TRUE(present(u"a.txt"));
    EXPECT_TRUE(present(u"Uninstall.lst"));
    EXPECT_FALSE(file_exists(request_.temp_folder + u"Uninstall_Kub.Bat"));
    EXPECT_TRUE(host_.started.empty());
}

TEST_F(UninstallProcedureTest, NestedFoldersListedBeforeTheirFilesGoInLaterPasses) {
    host_ = RecordingHost(folder_);
    ASSERT_TRUE(scratch_.make_folder(u"Korvex 中文\\Lang"));
    ASSERT_TRUE(scratch_.make_folder(u"Korvex 中文\\Lang\\Old"));
    write(u"Lang\\Old\\x.lng", "x");
    write(u"Lang\\y.lng", "y");
    write(u"a.txt", "a");
    write(u"korvex.gid", "index");
    write(u"Uninstall.lst", "Lang\r\nLang\\Old\r\nLang\\Old\\x.lng\nLang\\y.lng\r\na.txt\r\nmissing.txt\r\n");
    const UninstallOutcome outcome = run_uninstall(request_, host_);
    // Pass 1 removes the three files, pass 2 "Lang\Old", pass 3 "Lang", pass 4 nothing.
    EXPECT_EQ(outcome.removal.passes, 4u);
    EXPECT_EQ(outcome.removal.removed, 5u);
    EXPECT_FALSE(outcome.removal.restart_needed);
    EXPECT_FALSE(present(u"Lang"));
    EXPECT_FALSE(present(u"a.txt"));
    EXPECT_FALSE(present(u"korvex.gid"));
    EXPECT_FALSE(present(u"Uninstall.lst"));
    EXPECT_TRUE(present(u"uninstall.exe"));
    EXPECT_TRUE(host_.messages.empty());
}

TEST_F(UninstallProcedureTest, AFolderThatKeepsAnUnlistedFileEndsThePasses) {
    host_ = RecordingHost(folder_);
    ASSERT_TRUE(scratch_.make_folder(u"Korvex 中文\\Data"));
    write(u"Data\\mine.txt", "the user's");
    write(u"Uninstall.lst", "Data\r\n");
    const UninstallOutcome outcome = run_uninstall(request_, host_);
    EXPECT_EQ(outcome.removal.passes, 1u);
    EXPECT_TRUE(present(u"Data\\mine.txt"));
}

TEST_F(UninstallProcedureTest, AHostileListDeletesNothingOutsideTheProgramFolder) {
    host_ = RecordingHost(folder_);
    ASSERT_TRUE(scratch_.write_file(u"outside.txt", "keep"));
    ASSERT_TRUE(scratch_.make_folder(u"empty"));
    write(u"inside.txt", "go");
    // The scratch folder's own full path too, as an absolute entry.
    std::string absolute;
    ASSERT_TRUE(os::wide_to_narrow(os::CodePage::kAnsi, scratch_ / u"outside.txt", absolute));
    write(u"Uninstall.lst",
          "..\\outside.txt\r\n..\\..\\outside.txt\r\n../outside.txt\r\n..\\empty\r\n"
          "C:\\windows\\x\r\n\\\\?\\C:\\x\r\na:stream\r\n" + absolute + "\r\ninside.txt\r\n");
    run_uninstall(request_, host_);
    EXPECT_EQ(bytes_of(scratch_ / u"outside.txt"), "keep");
    EXPECT_TRUE(file_exists(scratch_ / u"empty"));
    EXPECT_FALSE(present(u"inside.txt"));
}

TEST_F(UninstallProcedureTest, FilesInUseAreRenamedAndLeftToTheNextStart) {
    host_ = RecordingHost(folder_);
    request_.silent = false;
    write(u"Kubext.dll", "MZ");
    write(u"Busy.dll", "MZ");
    write(u"Busy.dll.0.tmp", "an earlier uninstall's");
    write(u"Uninstall.lst", "Kubext.dll\r\nBusy.dll\r\nuninstall.exe\r\nUninstall.lst\r\n");
    host_.files_.held = {u"Kubext.dll", u"Busy.dll", u"uninstall.exe", u"Uninstall.lst"};
    // The program's own name is compared without case.
    request_.program_path = folder_ + u"UNINSTALL.EXE";
    const UninstallOutcome outcome = run_uninstall(request_, host_);
    EXPECT_TRUE(outcome.removal.restart_needed);
    EXPECT_TRUE(present(u"Kubext.dll.0.tmp"));
    EXPECT_FALSE(present(u"Kubext.dll"));
    EXPECT_TRUE(present(u"Busy.dll.1.tmp"));
    EXPECT_EQ(bytes_of(folder_ + u"Busy.dll.0.tmp"), "an earlier uninstall's");
    // The program and the list are neither renamed nor scheduled, though in use.
    EXPECT_TRUE(present(u"uninstall.exe"));
    const std::vector<std::u16string> expected = {folder_ + u"Kubext.dll.0.tmp",
                                                  folder_ + u"Busy.dll.1.tmp"};
    EXPECT_EQ(host_.files_.scheduled, expected);
    ASSERT_EQ(host_.messages.size(), 1u);
    EXPECT_EQ(host_.messages[0], u"卸载 Korvex|您需要重新启动 Windows 来完全卸载 Korvex。");
    EXPECT_EQ(host_.icons[0], MessageIcon::kInformation);
}

TEST_F(UninstallProcedureTest, WhenAllThousandNamesAreTakenTheFileItselfIsScheduled) {
    host_ = RecordingHost(folder_);
    write(u"Busy.dll", "MZ");
    for (unsigned n = 0; n < kRestartNameCount; ++n) {
        const std::string name = "Busy.dll." + std::to_string(n) + ".tmp";
        write(std::u16string(name.begin(), name.end()), "");
    }
    write(u"Uninstall.lst", "Busy.dll\r\n");
    host_.files_.held = {u"Busy.dll"};
    EXPECT_EQ(restart_name(folder_ + u"Busy.dll", host_.files_), folder_ + u"Busy.dll.999.tmp");
    const UninstallOutcome outcome = run_uninstall(request_, host_);
    EXPECT_TRUE(outcome.removal.restart_needed);
    EXPECT_TRUE(present(u"Busy.dll"));
    const std::vector<std::u16string> expected = {folder_ + u"Busy.dll"};
    EXPECT_EQ(host_.files_.scheduled, expected);
    EXPECT_TRUE(host_.messages.empty()) << "silent: no restart message";
}

TEST_F(UninstallProcedureTest, EmptyListStillWritesTheBatchFileAndStartsIt) {
    host_ = RecordingHost(folder_);
    write(u"Uninstall.lst", "\r\n");
    const UninstallOutcome outcome = run_uninstall(request_, host_);
    EXPECT_EQ(outcome.stage, UninstallStage::kHandedOver);
    EXPECT_EQ(outcome.removal.passes, 1u);
    EXPECT_FALSE(present(u"Uninstall.lst"));
    const std::u16string batch = request_.temp_folder + u"Uninstall_Kub.Bat";
    EXPECT_EQ(outcome.batch_path, batch);
    const std::u16string text =
        *self_delete_batch_text(request_.program_path, folder_.substr(0, folder_.size() - 1), batch);
    std::string ansi;
    ASSERT_TRUE(os::wide_to_narrow(os::CodePage::kAnsi, text, ansi));
    EXPECT_EQ(bytes_of(batch), ansi);
    // Written in the ANSI code page: the folder's name in code page 936.
    EXPECT_NE(bytes_of(batch).find("rd \"" + std::string(ansi_scratch_) + "Korvex \xD6\xD0\xCE\xC4\"\r\n"),
              std::string::npos);
    // The batch's last line has no line end.
    EXPECT_EQ(ansi.substr(ansi.size() - 5), ".Bat\"");
    ASSERT_EQ(host_.started.size(), 1u);
    EXPECT_EQ(host_.started[0], u"C:\\windows\\system32\\cmd.exe /c \"" + batch + u"\"");
    // The program folder is no longer the current one when the batch starts.
    const std::u16string now = os::current_directory();
    EXPECT_EQ(now.find(u"Korvex"), std::u16string::npos);
}

TEST_F(UninstallProcedureTest, AStaleBatchFileIsReplacedAndABlockedNameMeansNoBatch) {
    host_ = RecordingHost(folder_);
    write(u"Uninstall.lst", "");
    const std::u16string batch = request_.temp_folder + u"Uninstall_Kub.Bat";
    ASSERT_TRUE(scratch_.write_file(u"temp\\Uninstall_Kub.Bat", "echo planted"));
    EXPECT_EQ(run_uninstall(request_, host_).stage, UninstallStage::kHandedOver);
    EXPECT_EQ(bytes_of(batch).find("planted"), std::string::npos);

    // Something at the name that cannot be removed (here a folder): no batch is run at all.
    ASSERT_TRUE(delete_file(batch));
    ASSERT_TRUE(scratch_.make_folder(u"temp\\Uninstall_Kub.Bat"));
    write(u"Uninstall.lst", "");
    host_.started.clear();
    EXPECT_EQ(run_uninstall(request_, host_).stage, UninstallStage::kNoBatchFile);
    EXPECT_TRUE(host_.started.empty());
}

}  // namespace
}  // namespace kub::setup

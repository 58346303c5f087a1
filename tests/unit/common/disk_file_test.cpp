#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/files/disk_file.h"
#include "common/error_state.h"
#include "common/files/file_helpers.h"
#include "tests/support/scratch_folder.h"

namespace kub {
namespace {

struct Report {
    int id;
    std::u16string text;
};
std::vector<Report> g_reports;
void record(const MessageRecord& message) {
    g_reports.push_back({message.id, std::u16string(message.text1)});
}

constexpr std::string_view kSixteen = "0123456789ABCDEF";

class DiskFileTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_FALSE(scratch_.path().empty());
        ASSERT_TRUE(scratch_.write_file(u"data.bin", kSixteen));
        g_reports.clear();
        previous_sink_ = ErrorState::set_report_sink(record);
    }
    void TearDown() override { ErrorState::set_report_sink(previous_sink_); }

    std::string read(DiskFile& file, std::size_t size) {
        std::string buffer(size, '\0');
        const std::int64_t got = file.Read(buffer.data(), size);
        buffer.resize(got < 0 ? 0 : static_cast<std::size_t>(got));
        return buffer;
    }

    test::ScratchFolder scratch_;
    ReportSink previous_sink_ = nullptr;
};

TEST_F(DiskFileTest, ReadsSeeksAndTells) {
    DiskFile file;
    ASSERT_TRUE(file.Open(scratch_ / u"data.bin"));
    EXPECT_EQ(file.Name(), scratch_ / u"data.bin");
    EXPECT_EQ(read(file, 4), "0123");
    EXPECT_EQ(file.Tell(), 4);
    ASSERT_TRUE(file.Seek(-2, SeekMethod::current));
    EXPECT_EQ(file.Tell(), 2);
    EXPECT_EQ(read(file, 3), "234");
    ASSERT_TRUE(file.Seek(-3, SeekMethod::end));
    EXPECT_EQ(file.Tell(), 13);
    EXPECT_EQ(read(file, 10), "DEF");
    EXPECT_EQ(read(file, 10), "");
    ASSERT_TRUE(file.Seek(5));
    EXPECT_EQ(file.FileLength(), 16);
    EXPECT_EQ(file.Tell(), 5);  // FileLength goes back where it was
    ASSERT_TRUE(file.Seek(3, SeekMethod::current));
    EXPECT_EQ(read(file, 1), "8");
    EXPECT_FALSE(file.IsDevice());
    EXPECT_TRUE(g_reports.empty());
}

TEST_F(DiskFileTest, SeekBeforeTheStartFailsAndIsReported) {
    DiskFile file;
    ASSERT_TRUE(file.Open(scratch_ / u"data.bin"));
    EXPECT_FALSE(file.Seek(-17, SeekMethod::end));
    ASSERT_EQ(g_reports.size(), 1u);
    EXPECT_EQ(g_reports[0].id, kMsgSeekError);
    file.report_errors = false;
    EXPECT_FALSE(file.Seek(-1, SeekMethod::begin));
    EXPECT_EQ(g_reports.size(), 1u);
    EXPECT_EQ(file.Tell(), 0);
}

TEST_F(DiskFileTest, OpenFailuresTellAMissingFileApart) {
    DiskFile file;
    EXPECT_FALSE(file.Open(scratch_ / u"missing.bin"));
    EXPECT_EQ(file.LastError(), kFileErrorNotFound);
    EXPECT_FALSE(file.Open(scratch_ / u"no-folder\\missing.bin"));
    EXPECT_EQ(file.LastError(), kFileErrorNotFound);
    ASSERT_TRUE(scratch_.make_folder(u"folder"));
    EXPECT_FALSE(file.Open(scratch_ / u"folder"));  // a folder is there, but it is no file
    EXPECT_EQ(file.LastError(), kFileErrorNone);
    EXPECT_TRUE(file.Open(scratch_ / u"data.bin"));
    EXPECT_EQ(file.LastError(), kFileErrorNone);
    EXPECT_TRUE(g_reports.empty());  // opening never reports
}

TEST_F(DiskFileTest, SeekAndCloseWithoutAFileSucceed) {
    DiskFile file;
    EXPECT_TRUE(file.Seek(100));
    EXPECT_TRUE(file.Close());
    file.report_errors = false;
    EXPECT_EQ(file.Tell(), -1);
    EXPECT_TRUE(g_reports.empty());
}

TEST_F(DiskFileTest, FailedReadWithoutReporting) {
    DiskFile file;
    file.report_errors = false;
    ASSERT_TRUE(file.Open(scratch_ / u"data.bin", kOpenWriteOnly));
    char buffer[8];
    EXPECT_EQ(file.Read(buffer, sizeof buffer), -1);
    EXPECT_EQ(file.LastError(), kFileErrorRead);
    EXPECT_TRUE(g_reports.empty());
}

TEST_F(DiskFileTest, FailedReadIsReportedAsReadError) {
    DiskFile file;
    ASSERT_TRUE(file.Open(scratch_ / u"data.bin", kOpenWriteOnly));
    char buffer[8];
    EXPECT_EQ(file.Read(buffer, sizeof buffer), -1);
    EXPECT_EQ(file.LastError(), kFileErrorRead);
    ASSERT_EQ(g_reports.size(), 1u);
    EXPECT_EQ(g_reports[0].text, scratch_ / u"data.bin");
}

TEST_F(DiskFileTest, SectorWiseReadCountsFailedPiecesAsRead) {
    DiskFile file;
    file.allow_sector_read = true;
    ASSERT_TRUE(file.Open(scratch_ / u"data.bin", kOpenWriteOnly));
    ASSERT_TRUE(file.Seek(4));
    // 512 + 512 + 176: each failed piece counts, zero-filled rather than left as it was.
    std::string buffer(1200, 'x');
    EXPECT_EQ(file.Read(buffer.data(), buffer.size()), 1200);
    EXPECT_EQ(buffer, std::string(1200, '\0'));
    EXPECT_EQ(file.LastError(), kFileErrorRead);
    EXPECT_EQ(file.Tell(), 1204);
    EXPECT_TRUE(g_reports.empty());
}

TEST_F(DiskFileTest, UpdateWritesInPlace) {
    {
        DiskFile file;
        ASSERT_TRUE(file.Open(scratch_ / u"data.bin", kOpenUpdate));
        EXPECT_FALSE(file.Written());
        ASSERT_TRUE(file.Seek(-2, SeekMethod::end));
        ASSERT_TRUE(file.Write("xyz", 3));
        EXPECT_TRUE(file.Written());
        ASSERT_TRUE(file.Seek(0));
        EXPECT_EQ(read(file, 20), "0123456789ABCDxyz");
        EXPECT_TRUE(file.Close());
        EXPECT_FALSE(file.IsOpened());
    }
    DiskFile file;
    ASSERT_TRUE(file.Open(scratch_ / u"data.bin"));
    EXPECT_EQ(file.FileLength(), 17);
}

TEST_F(DiskFileTest, DestroyDeletesOnlyTemporaryFiles) {
    {
        DiskFile file;
        ASSERT_TRUE(file.Open(scratch_ / u"data.bin"));
    }
    EXPECT_TRUE(file_exists(scratch_ / u"data.bin"));
    {
        DiskFile file;
        file.delete_on_destroy = true;
        ASSERT_TRUE(file.Open(scratch_ / u"data.bin"));
    }
    EXPECT_FALSE(file_exists(scratch_ / u"data.bin"));
}

TEST_F(DiskFileTest, DeleteHonoursDeleteAllowed) {
    DiskFile file;
    ASSERT_TRUE(file.Open(scratch_ / u"data.bin"));
    file.delete_allowed = false;
    EXPECT_FALSE(file.Delete());
    EXPECT_FALSE(file.IsOpened());
    EXPECT_TRUE(file_exists(scratch_ / u"data.bin"));
    file.delete_allowed = true;
    EXPECT_TRUE(file.Delete());
    EXPECT_FALSE(file_exists(scratch_ / u"data.bin"));

    DiskFile standard;
    standard.UseStandardHandles();
    EXPECT_FALSE(standard.Delete());
}

TEST_F(DiskFileTest, SuppliedHandleIsNeverClosed) {
    const os::NativeFile handle = os::open_file(scratch_ / u"data.bin", {});
    ASSERT_NE(handle, os::kInvalidFile);
    {
        DiskFile file;
        file.delete_on_destroy = true;
        file.AttachHandle(handle);
        EXPECT_EQ(read(file, 2), "01");
    }
    std::size_t done = 0;
    char buffer[2];
    EXPECT_TRUE(os::read_file(handle, buffer, sizeof buffer, done));
    EXPECT_EQ(std::string(buffer, done), "23");
    EXPECT_TRUE(os::close_file(handle));
    EXPECT_TRUE(file_exists(scratch_ / u"data.bin"));
}

#ifdef _WIN32
// Paths beyond the system's normal limit of 260 work through the "\\?\" form.
TEST_F(DiskFileTest, LongPathsWorkThroughTheExtendedForm) {
    std::u16string folder = scratch_.path();
    for (int level = 0; folder.size() < 300; ++level) {
        folder += std::u16string(60, static_cast<char16_t>(u'a' + level));
        ASSERT_EQ(create_folder(folder), CreateFolderResult::ok);
        folder += u'\\';
    }
    const std::u16string path = folder + u"long-name-file.bin";
    ASSERT_GT(path.size(), 260u);
    std::FILE* stream = open_file_stream(path, "wb");
    ASSERT_NE(stream, nullptr);
    std::fwrite(kSixteen.data(), 1, kSixteen.size(), stream);
    std::fclose(stream);

    EXPECT_TRUE(file_exists(path));
    // The form the retry uses names the file by itself.
    std::u16string long_form;
    ASSERT_TRUE(ExtendedLengthPath(path, long_form));
    const os::NativeFile direct = os::open_file(long_form, {});
    ASSERT_NE(direct, os::kInvalidFile);
    os::close_file(direct);

    DiskFile file;
    ASSERT_TRUE(file.Open(path));
    EXPECT_EQ(read(file, 5), "01234");
    EXPECT_EQ(file.FileLength(), 16);
    EXPECT_TRUE(file.Delete());
    EXPECT_FALSE(file_exists(path));
    DiskFile missing;
    EXPECT_FALSE(missing.Open(path));
    EXPECT_EQ(missing.LastError(), kFileErrorNotFound);
}
#endif

}  // namespace
}  // namespace kub

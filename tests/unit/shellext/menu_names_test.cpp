// The folder an archive is extracted into and the default name of a new archive.
#include <gtest/gtest.h>

#include <string>

#include "shellext/core/commands/derive_names.h"
#include "tests/support/menu_settings.h"
#include "tests/support/scratch_folder.h"

#include "common/os/os.h"

namespace kub {
namespace {

struct FolderNameCase {
    std::u16string_view path;
    std::u16string_view folder;
};

TEST(DeriveFolderName, VolumePartsInnerTarAndTrailingDots) {
    const FolderNameCase cases[] = {
        {u"D:\\in\\arc.part1.kub", u"arc"},
        {u"arc.part3.kub", u"arc"},
        {u"ARC.PART12.KUB", u"ARC"},
        {u"setup.part2.exe", u"setup"},
        // Only KUB and executable volumes carry ".partN"; other formats keep it.
        {u"arc.part3.zip", u"arc.part3"},
        // ".part" must end in a digit to be a volume number.
        {u"arc.partx.kub", u"arc.partx"},
        {u"backup.tar.bz2", u"backup"},
        {u"backup.TAR.gz", u"backup"},
        {u"a.b.c.7z", u"a.b.c"},
        {u"arc..kub", u"arc"},
        {u"arc...zip", u"arc"},
        {u"C:\\x\\noext", u"noext"},
        {u".hidden.kub", u".hidden"},
        {u"a.kub", u"a"},
        {u"/home/user/R&D.kub", u"R&D"},
        // Every cut drops the dots and spaces Windows would drop silently.
        {u"arc..part1.kub", u"arc"},
        {u"arc .tar.gz", u"arc"},
        {u"arc. .kub", u"arc"},
        // Names that would leave the target folder, or name it itself.
        {u"D:\\in\\...part1.kub", u"Archive"},
        {u"..part2.exe", u"Archive"},
        {u"...kub", u"Archive"},
        {u".kub", u"Archive"},
        {u"..tar.gz", u"Archive"},
        {u". .zip", u"Archive"},
        {u"..", u"Archive"},
    };
    for (const FolderNameCase& c : cases) {
        EXPECT_EQ(DeriveFolderName(c.path), c.folder) << std::string(c.path.begin(), c.path.end());
    }
}

class DeriveArchiveNameTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::reset_menu_settings();
    }
    void TearDown() override { test::reset_menu_settings(); }
};

TEST_F(DeriveArchiveNameTest, SingleFileSeveralFilesAndFolders) {
    EXPECT_EQ(DeriveArchiveName(u"C:\\dir\\a.txt", 2, u"", -1), u"dir.kub");
    EXPECT_EQ(DeriveArchiveName(u"C:\\a.txt", 1, u"", -1), u"a.kub");
    // Files directly in a root have no holding folder: the first file names the archive.
    EXPECT_EQ(DeriveArchiveName(u"C:\\a.txt", 2, u"", -1), u"a.kub");
    EXPECT_EQ(DeriveArchiveName(u"C:\\My Docs\\x.txt", 3, u"", -1), u"\"My Docs.kub\"");
    EXPECT_EQ(DeriveArchiveName(u"C:\\", 1, u"", -1), u"Archive.kub");
    EXPECT_EQ(DeriveArchiveName(u"C:\\dir\\report.final.doc", 1, u"D:\\mail", -1),
              u"D:\\mail\\report.final.kub");
    // The holding folder's name replaces the base folder.
    EXPECT_EQ(DeriveArchiveName(u"C:\\dir\\a.txt", 2, u"D:\\mail", -1), u"dir.kub");

    test::ScratchFolder scratch;
    ASSERT_TRUE(scratch.make_folder(u"my data"));
    ASSERT_TRUE(scratch.make_folder(u"v1.2"));
    EXPECT_EQ(DeriveArchiveName(scratch / u"my data", 1, u"", -1), u"\"my data.kub\"");
    EXPECT_EQ(DeriveArchiveName(scratch / u"v1.2", 1, u"", -1), u"v1.2.kub");
}

TEST_F(DeriveArchiveNameTest, ProfileChoosesTheExtension) {
    test::write_profile(0, {.name = u"Zip it", .add_to_menu = 1, .is_default = 1, .use_kub = 0});
    test::write_profile(1, {.name = u"Kub it", .add_to_menu = 1, .use_kub = 1});
    EXPECT_EQ(DeriveArchiveName(u"C:\\a.txt", 1, u"", -1), u"a.zip");
    EXPECT_EQ(DeriveArchiveName(u"C:\\a.txt", 1, u"", 0), u"a.zip");
    EXPECT_EQ(DeriveArchiveName(u"C:\\a.txt", 1, u"", 1), u"a.kub");
}

TEST_F(DeriveArchiveNameTest, CutToCapacityKeepingQuotes) {
    EXPECT_EQ(DeriveArchiveName(u"C:\\dir\\some name.txt", 1, u"", -1, 10), u"\"some na\"");
}

}  // namespace
}  // namespace kub

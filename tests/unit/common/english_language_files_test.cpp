// The shipped English language files, as the generator wrote them, read by the lookup code: the
// generator keys lines by its own CRC-32 and code page 936, so every lookup below checks both.
#include <gtest/gtest.h>

#include <string>

#include "common/files/path_ops.h"
#include "common/language/language_file.h"
#include "common/os/os.h"
#include "resources/builtin_strings.h"

namespace kub {
namespace {

bool has_cjk(std::u16string_view text) {
    for (char16_t c : text)
        if ((c >= 0x3000 && c <= 0x9FFF) || (c >= 0xFF00 && c <= 0xFFEF)) return true;
    return false;
}

class EnglishLanguageFile : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(os::select_code_pages(936, 936) || os::code_page_number(os::CodePage::kAnsi) == 936);
    }
    // The build puts the language files in english/ beside the programs.
    LanguageFile load(std::u16string_view name) {
        std::u16string path = os::executable_path();
        replace_name(path, u"english\\");
        path += name;
        LanguageFile file;
        EXPECT_TRUE(file.load(path)) << "cannot load english/" << std::string(name.begin(), name.end());
        return file;
    }
};

TEST_F(EnglishLanguageFile, ExtensionTextsReadInEnglish) {
    LanguageFile file = load(u"kubext.lng");
    auto s = [&](std::u16string_view text) { return file.translate(text, TranslationKind::kString); };
    EXPECT_EQ(s(u"解压文件(&A)..."), u"Extr&act files...");
    EXPECT_EQ(s(u"解压到 %s(&E)"), u"&Extract to %s");
    EXPECT_EQ(s(u"%s 压缩文件"), u"%s archive");
    EXPECT_EQ(s(u"字节"), u"bytes");
    EXPECT_EQ(file.translate(u"压缩平台", TranslationKind::kDialog, u"EXTARCINFODLG"), u"Host systems");
    EXPECT_EQ(file.translate(u"压缩文件锁定记录", TranslationKind::kDialog, u"EXTARCINFODLG"),
              u"Archive lock");
    // A dialog text is keyed with its dialog: another dialog's name finds nothing.
    EXPECT_EQ(file.translate(u"压缩平台", TranslationKind::kDialog, u"SETUPDLG"), u"压缩平台");
    // The setup program's texts are in its own file.
    EXPECT_EQ(s(u"卸载 Korvex"), u"卸载 Korvex");
    EXPECT_FALSE(file.right_to_left());
}

TEST_F(EnglishLanguageFile, SetupTextsReadInEnglishWithTheirQuotes) {
    LanguageFile file = load(u"uninstall.lng");
    auto s = [&](std::u16string_view text) { return file.translate(text, TranslationKind::kString); };
    EXPECT_EQ(s(u"卸载 Korvex"), u"Uninstall Korvex");
    EXPECT_EQ(s(u"点击“帮助”按钮可以阅读关于这些选项的更多详细描述。"),
              u"Click the \"Help\" button to read more about these options.");
    EXPECT_EQ(s(u"字节"), u"bytes");  // common to both deliverables
    auto d = [&](std::u16string_view dialog, std::u16string_view text) {
        return file.translate(text, TranslationKind::kDialog, dialog);
    };
    EXPECT_EQ(d(u"SETUPDLG", u"Korvex 简体中文版安装"), u"Korvex Setup");
    EXPECT_EQ(d(u"SETUPCONTEXTITEMS", u"解压到<文件夹\\>(&E)"), u"&Extract to <folder\\>");
    EXPECT_EQ(d(u"SETUPCONTEXTITEMS", u"帮助"), u"Help");
    EXPECT_EQ(d(u"SETUPDLG", u"帮助"), u"Help");
    EXPECT_EQ(d(u"DONEDLG", u"完成"), u"Done");
    EXPECT_EQ(d(u"DONEDLG", u"感谢您使用Korvex！"), u"Thank you for using Korvex!");
    // No size factors: the English dialogs keep the built-in layout.
    EXPECT_FALSE(file.size_factors(u"SETUPDLG").given());
}

// Every built-in text of each file's deliverable has an English line (the scope of a text is the
// table it is in; the native table holds them all, so each id is looked up in both files).
TEST_F(EnglishLanguageFile, EveryBuiltInTextIsTranslatedInOneOfTheFiles) {
    LanguageFile kubext = load(u"kubext.lng");
    LanguageFile setup = load(u"uninstall.lng");
    for (const BuiltinString& s : builtin_strings()) {
        std::u16string text(s.text);
        if (!has_cjk(text)) continue;
        std::u16string a = kubext.translate(text, TranslationKind::kString);
        std::u16string b = setup.translate(text, TranslationKind::kString);
        EXPECT_TRUE(!has_cjk(a) || !has_cjk(b)) << "id " << s.id << " has no English";
        // The extension's ids, the setup program's, and the common ones in both alike.
        const bool extension = s.id < 4150, common = s.id >= 4150 && s.id < 4160;
        EXPECT_FALSE(has_cjk(extension || common ? a : b)) << "id " << s.id;
        EXPECT_TRUE(!common || a == b) << "id " << s.id;
    }
}

}  // namespace
}  // namespace kub

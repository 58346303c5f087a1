// The string tables windres built from the generated .rc files hold exactly the native table's
// texts, each in the deliverable its scope names.
#include <windows.h>

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <string_view>

#include "common/os/win32/wide_cast.h"
#include "resources/builtin_strings.h"

namespace kub {
namespace {

class StringModule {
  public:
    explicit StringModule(const wchar_t* file_name) {
        wchar_t path[MAX_PATH];
        DWORD length = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
        std::wstring full(path, length);
        full.replace(full.rfind(L'\\') + 1, std::wstring::npos, file_name);
        module_ = ::LoadLibraryExW(full.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    }
    ~StringModule() {
        if (module_) ::FreeLibrary(module_);
    }
    StringModule(const StringModule&) = delete;
    StringModule& operator=(const StringModule&) = delete;

    bool loaded() const { return module_ != nullptr; }

    // Every string of the module, read in place (a zero-size buffer gives the resource itself,
    // so nothing is cut).
    std::map<unsigned, std::u16string> all_strings() const {
        std::map<unsigned, std::u16string> found;
        for (unsigned id = 0; id <= 0xFFFF; ++id) {
            const wchar_t* text = nullptr;
            int length = ::LoadStringW(module_, id, reinterpret_cast<wchar_t*>(&text), 0);
            if (length > 0)
                found[id].assign(os::as_u16cstr(text), static_cast<std::size_t>(length));
        }
        return found;
    }

  private:
    HMODULE module_ = nullptr;
};

bool in_both(unsigned id) {
    return id >= 4150 && id <= 4155;
}

TEST(StringTables, EachDeliverableHoldsTheNativeTextsOfItsScope) {
    StringModule kubext(L"kubext_strings_probe.dll");
    StringModule uninstall(L"uninstall_strings_probe.dll");
    ASSERT_TRUE(kubext.loaded());
    ASSERT_TRUE(uninstall.loaded());
    const auto kubext_strings = kubext.all_strings();
    const auto uninstall_strings = uninstall.all_strings();

    std::map<unsigned, std::u16string> expected_kubext;
    std::map<unsigned, std::u16string> expected_uninstall;
    for (const auto& entry : builtin_strings()) {
        if (entry.id < 5000 || in_both(entry.id)) expected_kubext[entry.id] = entry.text;
        if (entry.id >= 5000 || in_both(entry.id)) expected_uninstall[entry.id] = entry.text;
    }
    EXPECT_EQ(kubext_strings, expected_kubext);
    EXPECT_EQ(uninstall_strings, expected_uninstall);
    // The tables are not trivially empty on both sides.
    EXPECT_EQ(kubext_strings.at(4101), u"解压到 %s(&E)");
    EXPECT_EQ(uninstall_strings.at(5109), u"继续卸载 Korvex 吗？");
    EXPECT_EQ(uninstall_strings.at(4150), u"字节");
}

TEST(StringTables, EscapesSurviveTheResourceCompiler) {
    StringModule escaped(L"escaped_strings_probe.dll");
    ASSERT_TRUE(escaped.loaded());
    const std::map<unsigned, std::u16string> expected = {
        {1, u"line\nbreak"}, {2, u"tab\there"},
        {3, u"back\\slash"}, {4, u"say \"hi\" twice"},
        {5, u"\"quoted\""},  {6, u"C:\\dir\\"},
        {7, u"50%% and %s"}, {8, u"\\n is not a line break"},
    };
    EXPECT_EQ(escaped.all_strings(), expected);
}

}  // namespace
}  // namespace kub

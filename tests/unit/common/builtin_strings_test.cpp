#include <gtest/gtest.h>

#include <string_view>

#include "resources/builtin_strings.h"

namespace kub {
namespace {

TEST(BuiltinStrings, TableIsSortedAndUnitTextsArePresent) {
    auto table = builtin_strings();
    ASSERT_FALSE(table.empty());
    for (size_t i = 1; i < table.size(); ++i) EXPECT_LT(table[i - 1].id, table[i].id);
    ASSERT_NE(find_builtin_string(4150), nullptr);
    EXPECT_EQ(std::u16string_view(find_builtin_string(4150)), u"字节");
    EXPECT_EQ(std::u16string_view(find_builtin_string(4153)), u"MB");
    EXPECT_EQ(find_builtin_string(1), nullptr);
}

}  // namespace
}  // namespace kub

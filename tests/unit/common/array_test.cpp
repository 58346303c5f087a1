#include "common/text/array.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "common/text/string_list.h"
#include "tests/support/report_recorder.h"

namespace kub {
namespace {

using test::RecordedReport;
using test::ReportRecorder;

TEST(Array, GrowsByAQuarterPlus32) {
    Array<int> a;
    std::vector<std::size_t> capacities;
    for (int i = 0; i < 300; ++i) {
        a.push(i);
        if (capacities.empty() || capacities.back() != a.capacity())
            capacities.push_back(a.capacity());
    }
    EXPECT_EQ(capacities, (std::vector<std::size_t>{32, 72, 122, 184, 262, 359}));
    for (int i = 0; i < 300; ++i) ASSERT_EQ(a[i], i);
}

TEST(Array, GrowsToTheNeededCountWhenThatIsLarger) {
    Array<char16_t> a;
    a.add(40);
    EXPECT_EQ(a.capacity(), 40u);
    a.add(1);
    EXPECT_EQ(a.capacity(), 40u + 10 + 32);
    a.add(1000);
    EXPECT_EQ(a.capacity(), 1041u);
    EXPECT_EQ(a.size(), 1041u);
    EXPECT_EQ(a[1040], u'\0');  // added elements are value-initialised
}

TEST(Array, ClearEmptiesAndStartsGrowthOver) {
    Array<int> a;
    a.add(500);
    a.clear();
    EXPECT_EQ(a.size(), 0u);
    a.push(1);
    EXPECT_EQ(a.capacity(), 32u);
}

TEST(Array, PushingOwnElementWhileGrowingCopiesIt) {
    Array<std::string> a;
    a.push("first element, long enough to live on the heap");
    while (a.size() < a.capacity()) a.push("filler");
    a.push(a[0]);
    EXPECT_EQ(a[a.size() - 1], "first element, long enough to live on the heap");
}

TEST(Array, BeyondTheMaximumReportsAndRaisesOutOfMemory) {
    ReportRecorder recorder;
    Array<int> a(100);
    for (int i = 0; i < 100; ++i) a.push(i);
    try {
        a.push(100);
        FAIL() << "no error raised";
    } catch (KUB_EXIT code) {
        EXPECT_EQ(code, KUB_MEMORY_ERROR);
    }
    ASSERT_EQ(recorder.reports().size(), 2u);
    EXPECT_EQ(recorder.reports()[0],
              (RecordedReport{kMsgText, u"Maximum allowed array size (100) is exceeded", u""}));
    EXPECT_EQ(recorder.reports()[1].id, kMsgOutOfMemory);
    EXPECT_EQ(ErrorState::data().exit_code, KUB_MEMORY_ERROR);
    EXPECT_EQ(a.size(), 100u);
    EXPECT_EQ(a[99], 99);

    EXPECT_THROW(a.add(1), KUB_EXIT);
}

TEST(Array, ImpossibleSizesRaiseOutOfMemory) {
    ReportRecorder recorder;
    Array<std::uint64_t> a;
    a.push(7);
    EXPECT_THROW(a.add(std::numeric_limits<std::size_t>::max()), KUB_EXIT);  // count overflows
    EXPECT_THROW(a.add(std::numeric_limits<std::size_t>::max() / 4),
                 KUB_EXIT);  // cannot be allocated
    EXPECT_EQ(recorder.ids(), (std::vector<int>{kMsgOutOfMemory, kMsgOutOfMemory}));
    EXPECT_EQ(ErrorState::data().exit_code, KUB_MEMORY_ERROR);
    ASSERT_EQ(a.size(), 1u);
    EXPECT_EQ(a[0], 7u);
}

std::vector<std::u16string> read_all(StringList& list) {
    std::vector<std::u16string> out;
    std::u16string_view s;
    while (list.next(s)) out.emplace_back(s);
    return out;
}

TEST(StringList, ReadsBackInOrderUntilTheEnd) {
    StringList list;
    list.add(u"one");
    list.add(u"");
    list.add(u"three");
    EXPECT_EQ(list.size(), 3u);
    EXPECT_EQ(read_all(list), (std::vector<std::u16string>{u"one", u"", u"three"}));
    std::u16string_view s;
    EXPECT_FALSE(list.next(s));
    list.rewind();
    ASSERT_TRUE(list.next(s));
    EXPECT_EQ(s, u"one");
}

TEST(StringList, StoredStringsEndAtAnEmbeddedTerminator) {
    StringList list;
    list.add(std::u16string_view(u"ab\0cd", 5));
    list.add(u"next");
    EXPECT_EQ(read_all(list), (std::vector<std::u16string>{u"ab", u"next"}));
}

TEST(StringList, AddingAStringReadFromTheSameListSurvivesGrowth) {
    StringList list;
    list.add(u"repeat me");
    std::u16string_view s;
    ASSERT_TRUE(list.next(s));
    list.add(s);  // grows the array that s points into
    list.rewind();
    EXPECT_EQ(read_all(list), (std::vector<std::u16string>{u"repeat me", u"repeat me"}));
}

TEST(StringList, SplitsCommandLikeText) {
    struct Case {
        std::u16string_view text;
        std::u16string_view prefix;
        std::vector<std::u16string> words;
    };
    const Case cases[] = {
        {u"", u"", {}},
        {u"   ", u"", {}},
        {u"a bb  ccc ", u"", {u"a", u"bb", u"ccc"}},
        {u"\"C:\\Program Files\\x.txt\" next", u"", {u"C:\\Program Files\\x.txt", u"next"}},
        {u"\"two words\"tail", u"", {u"two words", u"tail"}},
        {u"\"never closed here", u"", {u"never closed here"}},
        {u"x \"\" y", u"", {u"x", u"", u"y"}},
        {u"*.txt \"a b.doc\"", u"-x", {u"-x*.txt", u"-xa b.doc"}},
        {u"中文 名字", u"", {u"中文", u"名字"}},
    };
    for (const Case& c : cases) {
        StringList list;
        list.add_words(c.text, c.prefix);
        EXPECT_EQ(read_all(list), c.words) << std::string(c.text.begin(), c.text.end());
    }
}

TEST(StringList, SplitEntriesAreCutToTheEntryLimit) {
    StringList list;
    std::u16string word(3000, u'w');
    list.add_words(word + u" short", u"pre");
    auto words = read_all(list);
    ASSERT_EQ(words.size(), 2u);
    EXPECT_EQ(words[0].size(), StringList::kMaxEntryUnits - 1);
    EXPECT_EQ(words[0].substr(0, 4), u"prew");
    EXPECT_EQ(words[1], u"preshort");
}

}  // namespace
}  // namespace kub

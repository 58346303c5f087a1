#include <gtest/gtest.h>

#include <string>

#include "common/files/volume_name.h"

namespace kub {
namespace {

struct VolumeCase {
    std::u16string_view name;
    std::u16string_view next;
};

std::u16string advance(std::u16string_view name, bool old_style,
                       std::size_t size = kPathBufferSize) {
    std::u16string result(name);
    AdvanceVolumeName(result, size, old_style);
    return result;
}

TEST(AdvanceVolumeName, OldStyleCountsInTheExtension) {
    const VolumeCase cases[] = {
        {u"arc.kub", u"arc.k00"},
        {u"arc.k00", u"arc.k01"},
        {u"arc.k09", u"arc.k10"},
        {u"arc.k99", u"arc.l00"},
        {u"arc.K41", u"arc.K42"},
        {u"arc.999", u"arc.A00"},  // the carry reaches the dot
        {u"D:\\v1.2\\arc.exe", u"D:\\v1.2\\arc.k00"},
        {u"arc.SFX", u"arc.k00"},
        {u"arc", u"arc.k00"},
        {u"arc.", u"arc.k00"},
        {u"arc.z7", u"arc.z00"},
    };
    for (const auto& c : cases) EXPECT_EQ(advance(c.name, true), c.next);
}

TEST(AdvanceVolumeName, OldStyleSequenceRunsOn) {
    std::u16string name = u"arc.kub";
    for (int i = 0; i < 101; ++i) ASSERT_TRUE(AdvanceVolumeName(name, kPathBufferSize, true));
    EXPECT_EQ(name, u"arc.l00");
}

TEST(AdvanceVolumeName, NewStyleCountsTheLastDigitsOfTheName) {
    const VolumeCase cases[] = {
        {u"arc.part1.kub", u"arc.part2.kub"},
        {u"arc.part9.kub", u"arc.part10.kub"},
        {u"arc.part99.kub", u"arc.part100.kub"},
        {u"arc.part009.kub", u"arc.part010.kub"},
        {u"arc.part1.exe", u"arc.part2.kub"},
        {u"arc.part1", u"arc.part2"},  // "part1" is the extension here
        {u"arc.k01", u"arc.k02"},
        {u"C:\\x9\\arc.part19.KUB", u"C:\\x9\\arc.part20.KUB"},
        {u"photos2010.part3.kub", u"photos2010.part4.kub"},
        // A digit before the last run, after the name's first dot, ends the counter instead.
        {u"arc.v2x3.kub", u"arc.v3x3.kub"},
        {u"arc.v19x3.kub", u"arc.v20x3.kub"},
        // With the first dot after it, that digit belongs to the base name.
        {u"arc2x3.kub", u"arc2x4.kub"},
        // The search back ends at the dot before the run.
        {u"a1.b.c3.kub", u"a1.b.c4.kub"},
    };
    for (const auto& c : cases) EXPECT_EQ(advance(c.name, false), c.next);
}

TEST(AdvanceVolumeName, NewStyleNeedsACounterInTheName) {
    // Digits of the folder are another name's: the name stays, which ends the volume walk.
    std::u16string name = u"D:\\backup2\\arc.kub";
    EXPECT_FALSE(AdvanceVolumeName(name, kPathBufferSize, false));
    EXPECT_EQ(name, u"D:\\backup2\\arc.kub");
}

TEST(AdvanceVolumeName, StaysWithinTheBuffer) {
    // "arc.part9.kub" is 13 units: a 14-unit buffer has no room for "part10".
    std::u16string name = u"arc.part9.kub";
    EXPECT_FALSE(AdvanceVolumeName(name, 14, false));
    EXPECT_EQ(name, u"arc.part9.kub");
    EXPECT_TRUE(AdvanceVolumeName(name, 15, false));
    EXPECT_EQ(name, u"arc.part10.kub");

    // "kub" is added after a final dot only with room for it.
    EXPECT_EQ(advance(u"abc.", true, 8), u"abc.k00");
    name = u"abc.";
    AdvanceVolumeName(name, 7, true);
    EXPECT_LT(name.size(), 7u);
}

}  // namespace
}  // namespace kub

// The ratio bar's shapes: every corner for a half-filled bar, and where the fill level lies for
// an empty, a full and an over-full bar; only x follows the horizontal resolution.
#include "shellext/core/pages/ratio_bar_plan.h"

#include <gtest/gtest.h>

namespace kub {
namespace {

using P = BarPoint;

TEST(RatioBarPlan, HalfFilledBarAt96Dpi) {
    // The page draws it at x 5, y 40; a 200-pixel client area leaves 140 for the column.
    const RatioBarPlan plan = plan_ratio_bar(5, 40, 140, 50, 96);
    // X0 5, X1 20, X2 35; T 40, B 180; filled 70, level 110.
    EXPECT_EQ(plan.label, u"50%");
    EXPECT_EQ(plan.label_at, (P{38, 100}));
    EXPECT_EQ(plan.label_colour, (Rgb{92, 0, 128}));
    ASSERT_EQ(plan.faces.size(), 7u);
    struct Expected {
        BarPen pen;
        BarBrush brush;
        std::array<P, 4> points;
    } expected[] = {
        {BarPen::kLight, BarBrush::kEmptyLeft, {P{20, 100}, P{5, 105}, P{5, 35}, P{20, 40}}},
        {BarPen::kLight, BarBrush::kBlue, {P{20, 100}, P{35, 105}, P{35, 35}, P{20, 40}}},
        {BarPen::kLight, BarBrush::kBlue, {P{5, 35}, P{20, 30}, P{35, 35}, P{20, 40}}},
        {BarPen::kLight, BarBrush::kFilledLeft, {P{20, 185}, P{5, 180}, P{5, 105}, P{20, 110}}},
        {BarPen::kLight, BarBrush::kPink, {P{20, 185}, P{35, 180}, P{35, 105}, P{20, 110}}},
        {BarPen::kBottom, BarBrush::kBottom, {P{20, 185}, P{35, 180}, P{20, 175}, P{5, 180}}},
        {BarPen::kLevel, BarBrush::kLevel, {P{20, 110}, P{5, 105}, P{20, 100}, P{35, 105}}},
    };
    for (std::size_t i = 0; i < 7; ++i) {
        EXPECT_EQ(plan.faces[i].pen, expected[i].pen) << i;
        EXPECT_EQ(plan.faces[i].brush, expected[i].brush) << i;
        EXPECT_EQ(plan.faces[i].points, expected[i].points) << i;
    }
    const std::vector<P> outline = {P{20, 185}, P{5, 180},  P{5, 35},  P{20, 40},
                                    P{20, 185}, P{35, 180}, P{35, 35}, P{20, 40},
                                    P{5, 35},   P{20, 30},  P{35, 35}};
    EXPECT_EQ(plan.outline, outline);
}

TEST(RatioBarPlan, FillLevelFollowsTheRatioCappedAt100) {
    struct Case {
        std::int32_t percent;
        int level;  // the fill level's centre y
        const char16_t* label;
    } cases[] = {
        {0, 180, u"0%"},                         // lies on the bottom
        {100, 40, u"100%"}, {112, 40, u"112%"},  // full, but the label keeps the true ratio
        {33, 134, u"33%"},                       // 33 * 140 / 100 = 46 (integer)
        {-5, 187, u"-5%"},
    };
    for (const Case& c : cases) {
        const RatioBarPlan plan = plan_ratio_bar(5, 40, 140, c.percent, 96);
        EXPECT_EQ(plan.faces[6].points[0], (P{20, c.level})) << c.percent;
        EXPECT_EQ(plan.label_at.y, c.level - 10) << c.percent;
        EXPECT_EQ(plan.label, c.label);
    }
}

TEST(RatioBarPlan, OnlyXScalesWithTheResolution) {
    const RatioBarPlan plan = plan_ratio_bar(5, 40, 140, 50, 144);
    // X0 7, e 22: X1 29, X2 51; the label 4 further right. y and heights as at 96 dpi.
    EXPECT_EQ(plan.faces[2].points, (std::array<P, 4>{P{7, 35}, P{29, 30}, P{51, 35}, P{29, 40}}));
    EXPECT_EQ(plan.faces[5].points,
              (std::array<P, 4>{P{29, 185}, P{51, 180}, P{29, 175}, P{7, 180}}));
    EXPECT_EQ(plan.label_at, (P{55, 100}));
}

TEST(RatioBarPlan, Colours) {
    EXPECT_EQ(pen_colour(BarPen::kLight), (Rgb{224, 224, 255}));
    EXPECT_EQ(pen_colour(BarPen::kLevel), (Rgb{160, 96, 128}));
    EXPECT_EQ(pen_colour(BarPen::kBottom), (Rgb{140, 64, 100}));
    EXPECT_EQ(brush_colour(BarBrush::kBlue), (Rgb{128, 128, 255}));
    EXPECT_EQ(brush_colour(BarBrush::kPink), (Rgb{192, 66, 140}));
    EXPECT_EQ(brush_colour(BarBrush::kLevel), (Rgb{160, 96, 160}));
    EXPECT_EQ(brush_colour(BarBrush::kBottom), (Rgb{140, 64, 122}));
    EXPECT_EQ(brush_colour(BarBrush::kFilledLeft), (Rgb{150, 60, 130}));
    EXPECT_EQ(brush_colour(BarBrush::kEmptyLeft), (Rgb{104, 104, 224}));
}

}  // namespace
}  // namespace kub

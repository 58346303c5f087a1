#include <gtest/gtest.h>

#include "common/language/dialog_layout.h"

namespace kub {
namespace {

void expect_rect(const LayoutRect& r, std::int32_t left, std::int32_t top, std::int32_t width,
                 std::int32_t height) {
    EXPECT_EQ(r.left, left);
    EXPECT_EQ(r.top, top);
    EXPECT_EQ(r.width, width);
    EXPECT_EQ(r.height, height);
}

TEST(DialogLayout, DialogGrowsAroundItsCentreAndKeepsItsFrame) {
    // A 400x300 window with a 390x270 client area (frame 10 wide, caption and frame 30 high).
    LayoutRect window{100, 100, 400, 300};
    expect_rect(scaled_dialog_rect(window, 390, 270, {120, 110}), 61, 87, 478, 327);
    // Shrinking moves it the other way.
    expect_rect(scaled_dialog_rect(window, 390, 270, {50, 50}), 197, 167, 205, 165);
    // Near the screen's corner it stops at 0.
    expect_rect(scaled_dialog_rect({10, 5, 400, 300}, 390, 270, {200, 200}), 0, 0, 790, 570);
}

TEST(DialogLayout, ControlsScaleInPositionAndSizeAndCombosKeepTheirList) {
    expect_rect(scaled_control_rect({10, 20, 100, 14}, {120, 110}), 12, 22, 120, 15);
    expect_rect(scaled_control_rect({10, 20, 100, 14}, {120, 110}, 100), 12, 22, 120, 125);
    expect_rect(scaled_control_rect({10, 20, 100, 14}, {0, 0}, 100), 0, 0, 0, 0);
}

TEST(DialogLayout, HugeFactorsStayWithinWindowCoordinates) {
    LayoutRect r = scaled_control_rect({1000000, 1000000, 1000000, 1000000}, {100000, 100000});
    EXPECT_GT(r.width, 0);
    EXPECT_LE(r.width, 0x7FFFFFFF / 4);
    LayoutRect d = scaled_dialog_rect({0, 0, 2000000000, 2000000000}, 1999999990, 1999999970,
                                      {100000, 100000});
    EXPECT_GT(d.width, 0);
    EXPECT_LE(d.width, 0x7FFFFFFF / 4);
    EXPECT_GE(d.left, 0);
}

}  // namespace
}  // namespace kub

#include "shellext/core/pages/ratio_bar_plan.h"

#include <algorithm>

#include "formats/summary_text.h"

namespace kub {
namespace {

constexpr int kDepth = 15;      // half the column's width, before scaling
constexpr int kLabelGap = 3;    // between the column and its label, before scaling
constexpr int kLabelRise = 10;  // the label sits this far above the fill level
constexpr int kSlant = 5;       // vertical offset of the faces' corners
constexpr int kBaseDpi = 96;

int scale(int value, int dpi) {
    return value * dpi / kBaseDpi;
}

}  // namespace

Rgb pen_colour(BarPen pen) {
    switch (pen) {
        case BarPen::kLight:
            return {224, 224, 255};
        case BarPen::kLevel:
            return {160, 96, 128};
        case BarPen::kBottom:
            return {140, 64, 100};
    }
    return {};
}

Rgb brush_colour(BarBrush brush) {
    switch (brush) {
        case BarBrush::kBlue:
            return {128, 128, 255};
        case BarBrush::kPink:
            return {192, 66, 140};
        case BarBrush::kLevel:
            return {160, 96, 160};
        case BarBrush::kBottom:
            return {140, 64, 122};
        case BarBrush::kFilledLeft:
            return {150, 60, 130};
        case BarBrush::kEmptyLeft:
            return {104, 104, 224};
    }
    return {};
}

RatioBarPlan plan_ratio_bar(int x, int y, int height, std::int32_t percent, int dpi_x) {
    const int e = scale(kDepth, dpi_x);
    const int x0 = scale(x, dpi_x);
    const int x1 = x0 + e;
    const int x2 = x0 + 2 * e;
    const int top = y;
    const int bottom = y + height;
    // 64-bit so a tall page and a large ratio cannot overflow before the division.
    const int filled = static_cast<int>(
        static_cast<std::int64_t>(std::min<std::int32_t>(percent, 100)) * height / 100);
    const int level = top + height - filled;

    RatioBarPlan plan;
    plan.label = percent_text(percent);
    plan.label_at = {x2 + scale(kLabelGap, dpi_x), level - kLabelRise};
    plan.label_colour = {92, 0, 128};

    const int s = kSlant;
    plan.faces = {
        // The empty part above the fill level, left and right.
        {BarPen::kLight,
         BarBrush::kEmptyLeft,
         {{{x1, level - 2 * s}, {x0, level - s}, {x0, top - s}, {x1, top}}}},
        {BarPen::kLight,
         BarBrush::kBlue,
         {{{x1, level - 2 * s}, {x2, level - s}, {x2, top - s}, {x1, top}}}},
        // The top.
        {BarPen::kLight,
         BarBrush::kBlue,
         {{{x0, top - s}, {x1, top - 2 * s}, {x2, top - s}, {x1, top}}}},
        // The filled part, left and right.
        {BarPen::kLight,
         BarBrush::kFilledLeft,
         {{{x1, bottom + s}, {x0, bottom}, {x0, level - s}, {x1, level}}}},
        {BarPen::kLight,
         BarBrush::kPink,
         {{{x1, bottom + s}, {x2, bottom}, {x2, level - s}, {x1, level}}}},
        // The bottom, then the fill level on top of everything.
        {BarPen::kBottom,
         BarBrush::kBottom,
         {{{x1, bottom + s}, {x2, bottom}, {x1, bottom - s}, {x0, bottom}}}},
        {BarPen::kLevel,
         BarBrush::kLevel,
         {{{x1, level}, {x0, level - s}, {x1, level - 2 * s}, {x2, level - s}}}},
    };
    plan.outline = {{x1, bottom + s}, {x0, bottom},      {x0, top - s}, {x1, top},
                    {x1, bottom + s}, {x2, bottom},      {x2, top - s}, {x1, top},
                    {x0, top - s},    {x1, top - 2 * s}, {x2, top - s}};
    return plan;
}

}  // namespace kub

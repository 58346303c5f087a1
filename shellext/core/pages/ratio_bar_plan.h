#pragma once
// The ratio bar of the information page as data: a three-dimensional column whose lower part is
// filled to the compression ratio, described as faces, an outline and a label so the drawing
// code only has to replay it (and tests can check every point without a screen).
#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace kub {

struct Rgb {
    std::uint8_t r = 0, g = 0, b = 0;
    bool operator==(const Rgb&) const = default;
};

struct BarPoint {
    int x = 0, y = 0;
    bool operator==(const BarPoint&) const = default;
};

// The bar's three pens and six brushes, created in this order.
enum class BarPen { kLight, kLevel, kBottom };
enum class BarBrush { kBlue, kPink, kLevel, kBottom, kFilledLeft, kEmptyLeft };

Rgb pen_colour(BarPen pen);
Rgb brush_colour(BarBrush brush);

struct BarFace {
    BarPen pen;
    BarBrush brush;
    std::array<BarPoint, 4> points;
};

struct RatioBarPlan {
    std::u16string label;  // "112%": the ratio, never limited to 100
    BarPoint label_at;
    Rgb label_colour;
    std::vector<BarFace> faces;     // filled in this order
    std::vector<BarPoint> outline;  // one polyline, drawn with the light pen
};

// The bar at (x, y), `height` high, for `percent`. Only x positions and widths follow the
// horizontal resolution `dpi_x`; y and height are used as given.
RatioBarPlan plan_ratio_bar(int x, int y, int height, std::int32_t percent, int dpi_x);

}  // namespace kub

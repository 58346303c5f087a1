#include "shellext/win32/ratio_bar.h"

#include <array>
#include <vector>

#include "common/os/win32/wide_cast.h"
#include "shellext/core/ratio_bar_plan.h"

namespace kub {
namespace {

COLORREF colour(Rgb c) {
    return RGB(c.r, c.g, c.b);
}

std::vector<POINT> points(const BarPoint* first, std::size_t count) {
    std::vector<POINT> out(count);
    for (std::size_t i = 0; i < count; ++i) out[i] = {first[i].x, first[i].y};
    return out;
}

}  // namespace

void RatioBar(int x, int y, int height, std::int32_t percent, HDC dc, HFONT font) {
    const RatioBarPlan plan =
        plan_ratio_bar(x, y, height, percent, ::GetDeviceCaps(dc, LOGPIXELSX));

    constexpr std::array kPens = {BarPen::kLight, BarPen::kLevel, BarPen::kBottom};
    constexpr std::array kBrushes = {BarBrush::kBlue,       BarBrush::kPink,
                                     BarBrush::kLevel,      BarBrush::kBottom,
                                     BarBrush::kFilledLeft, BarBrush::kEmptyLeft};
    std::array<HPEN, kPens.size()> pens{};
    std::array<HBRUSH, kBrushes.size()> brushes{};
    for (std::size_t i = 0; i < kPens.size(); ++i) {
        pens[i] = ::CreatePen(PS_SOLID, 1, colour(pen_colour(kPens[i])));
    }
    for (std::size_t i = 0; i < kBrushes.size(); ++i) {
        brushes[i] = ::CreateSolidBrush(colour(brush_colour(kBrushes[i])));
    }
    const auto pen = [&](BarPen p) { return pens[static_cast<std::size_t>(p)]; };
    const auto brush = [&](BarBrush b) { return brushes[static_cast<std::size_t>(b)]; };

    HGDIOBJ old_pen = ::SelectObject(dc, pen(BarPen::kLight));
    HGDIOBJ old_brush = ::SelectObject(dc, brush(BarBrush::kEmptyLeft));

    const COLORREF old_colour = ::SetTextColor(dc, colour(plan.label_colour));
    HGDIOBJ old_font = font != nullptr ? ::SelectObject(dc, font) : nullptr;
    ::TextOutW(dc, plan.label_at.x, plan.label_at.y, os::as_wcstr(plan.label.c_str()),
               static_cast<int>(plan.label.size()));
    ::SetTextColor(dc, old_colour);
    if (old_font != nullptr) ::SelectObject(dc, old_font);

    for (const BarFace& face : plan.faces) {
        ::SelectObject(dc, pen(face.pen));
        ::SelectObject(dc, brush(face.brush));
        const std::vector<POINT> corners = points(face.points.data(), face.points.size());
        ::Polygon(dc, corners.data(), static_cast<int>(corners.size()));
    }
    ::SelectObject(dc, pen(BarPen::kLight));
    const std::vector<POINT> outline = points(plan.outline.data(), plan.outline.size());
    ::Polyline(dc, outline.data(), static_cast<int>(outline.size()));

    ::SelectObject(dc, old_pen);
    ::SelectObject(dc, old_brush);
    for (HPEN p : pens) ::DeleteObject(p);
    for (HBRUSH b : brushes) ::DeleteObject(b);
}

}  // namespace kub

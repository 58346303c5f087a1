#include "shellext/win32/pages/ratio_bar.h"

#include <array>
#include <vector>

#include "common/os/win32/wide_cast.h"
#include "shellext/core/pages/ratio_bar_plan.h"

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

constexpr std::array kPens = {BarPen::kLight, BarPen::kLevel, BarPen::kBottom};
constexpr std::array kBrushes = {BarBrush::kBlue,       BarBrush::kPink,
                                 BarBrush::kLevel,      BarBrush::kBottom,
                                 BarBrush::kFilledLeft, BarBrush::kEmptyLeft};

// The bar's pens and brushes, selected into the device context in turn: whatever way the drawing
// ends, the context gets its own pen and brush back and the objects are deleted.
class BarTools {
  public:
    explicit BarTools(HDC dc) : dc_(dc) {
        for (std::size_t i = 0; i < kPens.size(); ++i) {
            pens_[i] = ::CreatePen(PS_SOLID, 1, colour(pen_colour(kPens[i])));
        }
        for (std::size_t i = 0; i < kBrushes.size(); ++i) {
            brushes_[i] = ::CreateSolidBrush(colour(brush_colour(kBrushes[i])));
        }
        old_pen_ = ::SelectObject(dc_, pen(BarPen::kLight));
        old_brush_ = ::SelectObject(dc_, brush(BarBrush::kEmptyLeft));
    }
    ~BarTools() {
        ::SelectObject(dc_, old_pen_);
        ::SelectObject(dc_, old_brush_);
        for (HPEN p : pens_) ::DeleteObject(p);
        for (HBRUSH b : brushes_) ::DeleteObject(b);
    }
    BarTools(const BarTools&) = delete;
    BarTools& operator=(const BarTools&) = delete;

    HPEN pen(BarPen p) const { return pens_[static_cast<std::size_t>(p)]; }
    HBRUSH brush(BarBrush b) const { return brushes_[static_cast<std::size_t>(b)]; }

  private:
    HDC dc_;
    std::array<HPEN, kPens.size()> pens_{};
    std::array<HBRUSH, kBrushes.size()> brushes_{};
    HGDIOBJ old_pen_ = nullptr;
    HGDIOBJ old_brush_ = nullptr;
};

}  // namespace

void RatioBar(int x, int y, int height, std::int32_t percent, HDC dc, HFONT font) {
    const RatioBarPlan plan =
        plan_ratio_bar(x, y, height, percent, ::GetDeviceCaps(dc, LOGPIXELSX));

    const BarTools tools(dc);
    const auto pen = [&](BarPen p) { return tools.pen(p); };
    const auto brush = [&](BarBrush b) { return tools.brush(b); };

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
}

}  // namespace kub

#include "common/language/dialog_layout.h"

#include <algorithm>
#include <limits>

namespace kub {
namespace {

// Factors are capped when parsed; the products still need 64 bits, and the results are kept in
// the range windows accept.
constexpr std::int64_t kCoordinateLimit = std::numeric_limits<std::int32_t>::max() / 4;

std::int32_t clamp_coordinate(std::int64_t v) {
    return static_cast<std::int32_t>(std::clamp(v, -kCoordinateLimit, kCoordinateLimit));
}

std::int32_t scale(std::int32_t v, unsigned percent) {
    return clamp_coordinate(static_cast<std::int64_t>(v) * percent / kFactorPercent);
}

}  // namespace

LayoutRect scaled_dialog_rect(const LayoutRect& window, std::int32_t client_width,
                              std::int32_t client_height, const SizeFactors& factors) {
    LayoutRect r;
    r.width = clamp_coordinate(static_cast<std::int64_t>(scale(client_width, factors.width)) +
                               window.width - client_width);
    r.height = clamp_coordinate(static_cast<std::int64_t>(scale(client_height, factors.height)) +
                                window.height - client_height);
    std::int64_t left = window.left - (static_cast<std::int64_t>(r.width) - window.width) / 2;
    std::int64_t top = window.top - (static_cast<std::int64_t>(r.height) - window.height) / 2;
    r.left = clamp_coordinate(std::max<std::int64_t>(left, 0));
    r.top = clamp_coordinate(std::max<std::int64_t>(top, 0));
    return r;
}

LayoutRect scaled_control_rect(const LayoutRect& control, const SizeFactors& factors,
                               std::int32_t drop_list_height) {
    return {scale(control.left, factors.width), scale(control.top, factors.height),
            scale(control.width, factors.width),
            clamp_coordinate(static_cast<std::int64_t>(scale(control.height, factors.height)) +
                             scale(drop_list_height, factors.height))};
}

}  // namespace kub

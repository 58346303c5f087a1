#pragma once
// Re-layout of a dialog whose translated texts need more (or less) room: the client area and
// every control scale by the language file's size factors. Pure arithmetic, so the window code
// only reads and moves windows.
#include <cstdint>

#include "common/language/language_file.h"

namespace kub {

struct LayoutRect {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;
};

// The dialog's new outer rectangle: the client area scaled, the frame as it was, moved by half
// the change so the dialog keeps its centre, but never above or left of 0.
LayoutRect scaled_dialog_rect(const LayoutRect& window, std::int32_t client_width,
                              std::int32_t client_height, const SizeFactors& factors);

// A control's rectangle in the dialog's client area, scaled. A drop-down combo box is sized with
// its list, so its (scaled) list height is added.
LayoutRect scaled_control_rect(const LayoutRect& control, const SizeFactors& factors,
                               std::int32_t drop_list_height = 0);

}  // namespace kub

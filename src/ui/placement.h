// The main window's placement, saved in twips (1/1440 inch) as text and applied in pixels.
#pragma once

#include <QRect>
#include <cstdint>
#include <optional>

#include "app/modQuillora.h"

namespace quillora {

// pixels = twips x logical DPI / 1440, rounded to the nearest pixel.
[[nodiscard]] int TwipsAsPixels(std::int64_t twips, int dpi);
[[nodiscard]] std::int64_t PixelsAsTwips(int pixels, int dpi);

// The outer rectangle the four View settings describe, or nullopt when any of them is not a number.
[[nodiscard]] std::optional<QRect> SavedPlacement(const AppState& state, int dpi_x, int dpi_y);

// Stores an outer rectangle in the four View settings.
void StorePlacement(const QRect& outer, int dpi_x, int dpi_y, AppState& state);

}  // namespace quillora

// The main window's placement, saved in twips (1/1440 inch) as text and applied in pixels.
#pragma once

#include <QList>
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

// outer moved, and shrunk where it is larger, to lie wholly within one of the screens' available
// areas: the one it overlaps most, or the first when it overlaps none. Unchanged without screens.
[[nodiscard]] QRect KeptOnScreen(const QRect& outer, const QList<QRect>& available);

// Whether the window was maximised when it was last closed: a key of its own beside the four
// View settings, which then hold the window's normal placement.
[[nodiscard]] bool SavedMaximized();
void StoreMaximized(bool maximized);

}  // namespace quillora

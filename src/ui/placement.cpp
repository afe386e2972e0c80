// The main window's placement in twips.
#include "ui/placement.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>

#include "app/number_text.h"
#include "app/settings.h"

namespace quillora {

namespace {

constexpr std::u16string_view kSection = u"View";
constexpr std::u16string_view kMaximizedKey = u"Maximized";

Text DecimalText(std::int64_t value) {
  const std::string digits = std::to_string(value);
  return {digits.begin(), digits.end()};
}

}  // namespace

int TwipsAsPixels(std::int64_t twips, int dpi) {
  const double pixels = std::round(static_cast<double>(twips) * dpi / 1440.0);
  // A hand-edited position far off any screen must not overflow the window system's coordinates.
  constexpr double kLimit = 1 << 24;
  return static_cast<int>(std::clamp(pixels, -kLimit, kLimit));
}

std::int64_t PixelsAsTwips(int pixels, int dpi) {
  return std::llround(static_cast<double>(pixels) * 1440.0 / dpi);
}

std::optional<QRect> SavedPlacement(const AppState& state, int dpi_x, int dpi_y) {
  const auto left = WholeNumberFromText<std::int32_t>(state.ViewLeft);
  const auto top = WholeNumberFromText<std::int32_t>(state.ViewTop);
  const auto width = WholeNumberFromText<std::int32_t>(state.ViewWidth);
  const auto height = WholeNumberFromText<std::int32_t>(state.ViewHeight);
  if (!left || !top || !width || !height) {
    return std::nullopt;
  }
  return QRect(TwipsAsPixels(*left, dpi_x), TwipsAsPixels(*top, dpi_y),
               TwipsAsPixels(*width, dpi_x), TwipsAsPixels(*height, dpi_y));
}

void StorePlacement(const QRect& outer, int dpi_x, int dpi_y, AppState& state) {
  state.ViewLeft = DecimalText(PixelsAsTwips(outer.left(), dpi_x));
  state.ViewTop = DecimalText(PixelsAsTwips(outer.top(), dpi_y));
  state.ViewWidth = DecimalText(PixelsAsTwips(outer.width(), dpi_x));
  state.ViewHeight = DecimalText(PixelsAsTwips(outer.height(), dpi_y));
}

QRect KeptOnScreen(const QRect& outer, const QList<QRect>& available) {
  if (available.isEmpty()) {
    return outer;
  }
  const auto overlap = [&outer](const QRect& screen) {
    const QRect common = screen.intersected(outer);
    return static_cast<std::int64_t>(common.width()) * common.height();
  };
  const QRect screen = *std::max_element(
      available.begin(), available.end(),
      [&overlap](const QRect& a, const QRect& b) { return overlap(a) < overlap(b); });
  QRect kept(outer.topLeft(), outer.size().boundedTo(screen.size()));
  kept.moveLeft(std::clamp(kept.left(), screen.left(), screen.right() + 1 - kept.width()));
  kept.moveTop(std::clamp(kept.top(), screen.top(), screen.bottom() + 1 - kept.height()));
  return kept;
}

bool SavedMaximized() {
  return ReadIniString(SettingsFilePath(), Text(kSection), Text(kMaximizedKey)) == u"1";
}

void StoreMaximized(bool maximized) {
  WriteIniString(SettingsFilePath(), Text(kSection), Text(kMaximizedKey), maximized ? u"1" : u"0");
}

}  // namespace quillora

// Tiling document windows: side by side at full height, or stacked at full width.
#pragma once

#include <QRect>
#include <vector>

namespace quillora {

// count rectangles that together fill area: Qt::Horizontal lays them out left to right,
// Qt::Vertical top to bottom. The last one takes what division leaves over.
[[nodiscard]] std::vector<QRect> TileRects(const QRect& area, int count,
                                           Qt::Orientation orientation);

}  // namespace quillora

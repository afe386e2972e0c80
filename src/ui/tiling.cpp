// Tiling document windows.
#include "ui/tiling.h"

namespace quillora {

std::vector<QRect> TileRects(const QRect& area, int count, Qt::Orientation orientation) {
  std::vector<QRect> tiles;
  if (count <= 0) {
    return tiles;
  }
  const bool across = orientation == Qt::Horizontal;
  const int length = across ? area.width() : area.height();
  const int step = length / count;
  for (int i = 0; i < count; ++i) {
    const int start = i * step;
    const int extent = i + 1 == count ? length - start : step;
    tiles.push_back(across ? QRect(area.left() + start, area.top(), extent, area.height())
                           : QRect(area.left(), area.top() + start, area.width(), extent));
  }
  return tiles;
}

}  // namespace quillora

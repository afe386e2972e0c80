// The program's picture, painted on a 32-unit grid and scaled to the size asked for.
#include "ui/program_picture.h"

#include <QPainter>
#include <QPainterPath>

namespace quillora {

QPixmap ProgramPicture(int size) {
  QPixmap picture(size, size);
  picture.fill(Qt::transparent);
  QPainter p(&picture);
  p.setRenderHint(QPainter::Antialiasing);
  p.scale(size / 32.0, size / 32.0);

  // The letter, its flap and a red seal.
  p.setPen(QPen(QColor(60, 60, 70), 1.2));
  p.setBrush(QColor(250, 248, 235));
  p.drawRect(QRectF(2, 10, 24, 17));
  p.drawPolyline(QPolygonF({{2, 10}, {14, 20}, {26, 10}}));
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(200, 40, 40));
  p.drawEllipse(QPointF(14, 20), 3, 3);

  // The quill across the letter's corner.
  QPainterPath feather;
  feather.moveTo(30, 2);
  feather.cubicTo(22, 4, 17, 10, 15, 18);
  feather.cubicTo(21, 15, 27, 10, 30, 2);
  p.setPen(QPen(QColor(30, 60, 140), 1));
  p.setBrush(QColor(90, 140, 220));
  p.drawPath(feather);
  p.setPen(QPen(QColor(30, 30, 30), 1.4));
  p.drawLine(QPointF(29, 3), QPointF(12, 24));
  return picture;
}

}  // namespace quillora

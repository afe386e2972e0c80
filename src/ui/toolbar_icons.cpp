// The toolbar's pictures: plain shapes on a transparent 16 x 16 grid, painted again for each
// display scale so that they stay sharp at 2x and 3x rather than being enlarged.
#include "ui/toolbar_icons.h"

#include <QPainter>
#include <QPixmap>

namespace quillora {

namespace {

constexpr int kSize = 16;
const QColor kOutline(40, 40, 40);

// An open door with an arrow leaving through it.
void PaintExit(QPainter& p) {
  p.setPen(kOutline);
  p.setBrush(QColor(150, 95, 45));
  p.drawRect(2, 1, 7, 13);
  p.setBrush(QColor(230, 230, 230));
  p.drawRect(4, 3, 3, 9);
  p.setPen(QPen(QColor(200, 30, 30), 2));
  p.drawLine(8, 8, 14, 8);
  p.drawLine(12, 6, 14, 8);
  p.drawLine(12, 10, 14, 8);
}

// An opened yellow folder.
void PaintOpen(QPainter& p) {
  p.setPen(kOutline);
  p.setBrush(QColor(220, 170, 40));
  p.drawPolygon(QPolygon({{1, 3}, {6, 3}, {7, 5}, {13, 5}, {13, 13}, {1, 13}}));
  p.setBrush(QColor(250, 215, 90));
  p.drawPolygon(QPolygon({{3, 7}, {15, 7}, {13, 13}, {1, 13}}));
}

// A floppy disk: body, shutter and label.
void PaintSave(QPainter& p) {
  p.setPen(kOutline);
  p.setBrush(QColor(40, 80, 170));
  p.drawRect(1, 1, 13, 13);
  p.setBrush(QColor(200, 200, 210));
  p.drawRect(4, 1, 7, 5);
  p.fillRect(8, 2, 2, 3, QColor(40, 80, 170));
  p.setBrush(Qt::white);
  p.drawRect(3, 8, 9, 6);
}

// A printer with a sheet in it.
void PaintPrint(QPainter& p) {
  p.setPen(kOutline);
  p.setBrush(Qt::white);
  p.drawRect(4, 1, 7, 6);
  p.setBrush(QColor(170, 170, 175));
  p.drawRect(1, 6, 13, 6);
  p.setBrush(Qt::white);
  p.drawRect(4, 10, 7, 4);
  p.fillRect(11, 8, 2, 1, QColor(40, 170, 40));
}

// Two pages, scrambled lines becoming straight ones, with an arrow between them.
void PaintDecode(QPainter& p) {
  p.setPen(kOutline);
  p.setBrush(Qt::white);
  p.drawRect(0, 2, 6, 11);
  p.drawRect(9, 2, 6, 11);
  p.setPen(QColor(200, 60, 60));
  for (int y = 4; y <= 11; y += 2) {
    p.drawLine(2, y, 3 + (y % 3), y);
  }
  p.setPen(QColor(30, 30, 160));
  for (int y = 4; y <= 11; y += 2) {
    p.drawLine(11, y, 13, y);
  }
  p.setPen(QColor(30, 140, 30));
  p.drawLine(6, 7, 9, 7);
  p.drawPoint(8, 6);
  p.drawPoint(8, 8);
}

}  // namespace

QIcon ToolbarIcon(QStringView key) {
  using Painter = void (*)(QPainter&);
  Painter paint = nullptr;
  if (key == u"Exit") {
    paint = PaintExit;
  } else if (key == u"Open") {
    paint = PaintOpen;
  } else if (key == u"Save") {
    paint = PaintSave;
  } else if (key == u"Print") {
    paint = PaintPrint;
  } else if (key == u"Decode") {
    paint = PaintDecode;
  } else {
    return {};
  }
  QIcon icon;
  for (const int ratio : {1, 2, 3}) {
    QPixmap picture(kSize * ratio, kSize * ratio);
    picture.setDevicePixelRatio(ratio);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    // At 1x the shapes sit on whole pixels; larger, their slanted lines are smoothed.
    painter.setRenderHint(QPainter::Antialiasing, ratio > 1);
    paint(painter);
    painter.end();
    icon.addPixmap(picture);
  }
  return icon;
}

}  // namespace quillora

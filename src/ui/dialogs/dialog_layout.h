// Dialog layouts are given in twips (1/1440 inch); widgets are placed in pixels at the screen's
// logical DPI.
#pragma once

#include <QFont>
#include <QPoint>
#include <QRect>
#include <QScreen>
#include <QSize>
#include <QWidget>

#include "ui/placement.h"

namespace quillora {

// A fixed dialog border: a close button but no minimise or maximise button. Without
// CustomizeWindowHint the window manager would add its own choice of buttons.
inline constexpr Qt::WindowFlags kFixedDialogFlags =
    Qt::Dialog | Qt::CustomizeWindowHint | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
    Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;

[[nodiscard]] inline QPoint TwipsPoint(const QWidget& widget, int x, int y) {
  return {TwipsAsPixels(x, widget.logicalDpiX()), TwipsAsPixels(y, widget.logicalDpiY())};
}

[[nodiscard]] inline QSize TwipsSize(const QWidget& widget, int width, int height) {
  return {TwipsAsPixels(width, widget.logicalDpiX()), TwipsAsPixels(height, widget.logicalDpiY())};
}

[[nodiscard]] inline QRect TwipsRect(const QWidget& widget, int x, int y, int width, int height) {
  return {TwipsPoint(widget, x, y), TwipsSize(widget, width, height)};
}

// The layouts were drawn for 9-point text; larger text would crowd the controls.
inline void UseLayoutFontSize(QWidget& dialog) {
  QFont font = dialog.font();
  font.setPointSize(9);
  dialog.setFont(font);
}

// Gives the dialog a fixed client size and centres it on its screen.
inline void MakeFixedCentredDialog(QWidget& dialog, QSize client_size) {
  dialog.setFixedSize(client_size);
  dialog.move(dialog.screen()->availableGeometry().center() - dialog.rect().center());
}

}  // namespace quillora

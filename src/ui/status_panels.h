// The status bar: an empty panel taking the spare width, then the date and the time, which keep
// themselves current.
#pragma once

#include <QStatusBar>
#include <QTimer>

class QLabel;

namespace quillora {

class StatusPanels : public QStatusBar {
  Q_OBJECT

 public:
  explicit StatusPanels(QWidget* parent = nullptr);

 private:
  void Refresh();

  QLabel* date_;
  QLabel* time_;
  QTimer next_minute_;
};

}  // namespace quillora

// The status bar: a panel taking the spare width, the work in progress with a way to cancel it,
// the active document's kind, size and cursor position, then the date and the time, which keep
// themselves current.
#pragma once

#include <QStatusBar>
#include <QTimer>

class QLabel;
class QProgressBar;
class QToolButton;

namespace quillora {

class StatusPanels : public QStatusBar {
  Q_OBJECT

 public:
  explicit StatusPanels(QWidget* parent = nullptr);

  // What the program is busy with; the empty text hides the work panels.
  void ShowWork(const QString& what);
  // The active document's decode type or encoding, size and cursor position; empty texts hide
  // their panels.
  void ShowDocument(const QString& kind, const QString& size, const QString& position);
  // A decode type that would fit better, as a button; the empty text hides it.
  void ShowHint(const QString& hint);

 signals:
  void CancelWork();
  void HintChosen();

 private:
  void Refresh();

  QLabel* work_;
  QProgressBar* progress_;
  QToolButton* cancel_;
  QToolButton* hint_;
  QLabel* kind_;
  QLabel* size_;
  QLabel* position_;
  QLabel* date_;
  QLabel* time_;
  QTimer next_minute_;
};

}  // namespace quillora

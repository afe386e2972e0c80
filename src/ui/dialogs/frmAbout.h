// The About box: icon, title, version, copyright, the developer's two links and System Information.
#pragma once

#include <QDialog>
#include <array>

#include "ui/dialogs/about_box_logic.h"

class QLabel;
class QPushButton;

namespace quillora {

// Modal; create one for each showing.
class frmAbout : public QDialog {
  Q_OBJECT

 public:
  explicit frmAbout(QWidget* owner);

  // Starts System Information, or tells the user it cannot be used; the box stays open.
  void StartSysInfo();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  void ShowLinkColours();

  std::array<QLabel*, kLinkCount> links_{};
  QPushButton* cmdSysInfo_;
  QPushButton* cmdOK_;
  LinkColours link_colours_;
};

}  // namespace quillora

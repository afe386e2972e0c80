// The wait banner: a small topmost window, centred on the screen, shown while a default conversion
// keeps the program busy.
#pragma once

#include <QFrame>

namespace quillora {

class frmDummy : public QFrame {
  Q_OBJECT

 public:
  explicit frmDummy(QWidget* parent = nullptr);

  // Shows the banner centred and above other windows, and lets it paint before the work starts.
  void ShowCentred();
};

}  // namespace quillora

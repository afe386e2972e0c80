// The options dialog: chooses the default decode type.
#pragma once

#include <QDialog>

class QComboBox;

namespace quillora {

// Modal; create one for each showing. OK stores the selected entry in App().DefaultDecodeType;
// every other way of closing leaves it unchanged.
class frmOption : public QDialog {
  Q_OBJECT

 public:
  explicit frmOption(QWidget* parent = nullptr);

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void cmdOk_Click();

  QComboBox* cboDecodeType_;
};

}  // namespace quillora

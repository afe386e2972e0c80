// The options dialog.
#include "ui/dialogs/frmOption.h"

#include <QComboBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>

#include "app/modQuillora.h"
#include "app/settings.h"
#include "convert/decode_types.h"
#include "ui/dialogs/dialog_layout.h"
#include "ui/qt_text.h"

namespace quillora {
frmOption::frmOption(QWidget* parent) : QDialog(parent, kFixedDialogFlags) {
  setWindowTitle(QStringLiteral(u"ｵﾌﾟｼｮﾝ"));
  UseLayoutFontSize(*this);

  auto* tabOption = new QTabWidget(this);
  tabOption->setObjectName(QStringLiteral("tabOption"));
  tabOption->addTab(new QWidget(tabOption), QStringLiteral(u"ｵﾌﾟｼｮﾝ"));
  tabOption->setGeometry(TwipsRect(*this, 120, 120, 6015, 4695));

  // The frame lies over the tab strip's page area, not inside it, as the form was laid out.
  auto* fraOption = new QGroupBox(this);
  fraOption->setObjectName(QStringLiteral("fraOption"));
  fraOption->setGeometry(TwipsRect(*this, 240, 480, 5775, 4215));

  auto* lblDecodeType = new QLabel(QStringLiteral(u"標準のﾃﾞｺｰﾄﾞﾀｲﾌﾟ(&T)"), fraOption);
  lblDecodeType->setObjectName(QStringLiteral("lblDecodeType"));
  lblDecodeType->move(TwipsPoint(*this, 240, 360));
  lblDecodeType->adjustSize();

  cboDecodeType_ = new QComboBox(fraOption);
  cboDecodeType_->setObjectName(QStringLiteral("cboDecodeType"));
  for (const DecodeType& type : kDecodeTypes) {
    cboDecodeType_->addItem(ToQString(type.name));
  }
  cboDecodeType_->setGeometry(
      QRect(TwipsPoint(*this, 480, 600),
            QSize(TwipsAsPixels(2655, logicalDpiX()), cboDecodeType_->sizeHint().height())));
  cboDecodeType_->setCurrentIndex(
      DefaultDecodeTypeSetting().value_or(-1));
  lblDecodeType->setBuddy(cboDecodeType_);

  // Neither button may become the dialog's default: Enter is handled in keyPressEvent.
  auto* cmdOk = new QPushButton(QStringLiteral(u"&OK"), this);
  cmdOk->setObjectName(QStringLiteral("cmdOk"));
  cmdOk->setGeometry(TwipsRect(*this, 3600, 4920, 1215, 375));
  cmdOk->setAutoDefault(false);
  connect(cmdOk, &QPushButton::clicked, this, &frmOption::cmdOk_Click);

  auto* cmdCancel = new QPushButton(QStringLiteral(u"ｷｬﾝｾﾙ(&C)"), this);
  cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
  cmdCancel->setGeometry(TwipsRect(*this, 4920, 4920, 1215, 375));
  cmdCancel->setAutoDefault(false);
  connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);

  MakeFixedCentredDialog(*this, TwipsSize(*this, 6255, 5385));
}

void frmOption::keyPressEvent(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Escape:
      break;  // no cancel button
    case Qt::Key_Return:
    case Qt::Key_Enter:
      if (auto* button = qobject_cast<QPushButton*>(focusWidget())) {
        button->click();
      }
      break;
    default:
      QDialog::keyPressEvent(event);
  }
}

void frmOption::cmdOk_Click() {
  const int selected = cboDecodeType_->currentIndex();
  if (selected >= 0) {
    App().DefaultDecodeType = QString::number(selected).toStdU16String();
  }
  accept();
}

}  // namespace quillora

#include "dialogs/frmOption.h"

#include <QComboBox>
#include <QPushButton>
#include <QtTest>

#include "app/modQuillora.h"
#include "ui/qt_text.h"

namespace quillora {

namespace {

QComboBox* List(frmOption& dialog) {
  return dialog.findChild<QComboBox*>(QStringLiteral("cboDecodeType"));
}

QPushButton* Button(frmOption& dialog, const QString& name) {
  return dialog.findChild<QPushButton*>(name);
}

enum class Closing { ok, cancel, window };

QString Stored() {
  return ToQString(App().DefaultDecodeType);
}

}  // namespace

class frmOption_test : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    App().DecodeTypeNames = MakeDecodeTypeNames();
    App().DefaultDecodeType = u"0";
  }

  // pick -1 leaves the list as it opened. A stored value that names no entry, which only a
  // hand-edited settings file gives, selects none and is kept unless another is picked.
  void opens_with_the_stored_default_and_stores_the_pick_on_ok_data() {
    QTest::addColumn<QString>("stored");
    QTest::addColumn<int>("selected");
    QTest::addColumn<int>("pick");
    QTest::addColumn<Closing>("closing");
    QTest::addColumn<QString>("kept");
    QTest::newRow("first, OK stores the pick") << "0" << 0 << 1 << Closing::ok << "1";
    QTest::newRow("last, cancelled") << "4" << 4 << 1 << Closing::cancel << "4";
    QTest::newRow("leading zero, OK normalises it") << "03" << 3 << -1 << Closing::ok << "3";
    QTest::newRow("past the list, OK keeps it") << "5" << -1 << -1 << Closing::ok << "5";
    QTest::newRow("negative, OK repairs it") << "-1" << -1 << 2 << Closing::ok << "2";
    QTest::newRow("not a number, window closed") << "MIME" << -1 << 1 << Closing::window << "MIME";
  }
  void opens_with_the_stored_default_and_stores_the_pick_on_ok() {
    QFETCH(QString, stored);
    QFETCH(int, selected);
    QFETCH(int, pick);
    QFETCH(Closing, closing);
    QFETCH(QString, kept);
    App().DefaultDecodeType = ToText(stored);
    frmOption dialog;
    QCOMPARE(dialog.minimumSize(), dialog.maximumSize());
    QVERIFY(!List(dialog)->isEditable());
    QCOMPARE(List(dialog)->count(), 5);
    for (int i = 0; i < 5; ++i) {
      QCOMPARE(List(dialog)->itemText(i), ToQString(App().DecodeTypeNames[i]));
    }
    QCOMPARE(List(dialog)->currentIndex(), selected);
    dialog.show();
    if (pick >= 0) {
      List(dialog)->setCurrentIndex(pick);
    }
    if (closing == Closing::window) {
      dialog.close();
    } else {
      QTest::mouseClick(Button(dialog, closing == Closing::ok ? "cmdOk" : "cmdCancel"),
                        Qt::LeftButton);
    }
    QVERIFY(!dialog.isVisible());
    QCOMPARE(Stored(), kept);
  }

  // Neither button is the default and Esc is no Cancel: only Enter on a button closes.
  void keys_data() {
    QTest::addColumn<QString>("focus");
    QTest::addColumn<int>("key");
    QTest::addColumn<bool>("closed");
    QTest::addColumn<int>("expected");
    QTest::newRow("Enter on the list") << "cboDecodeType" << int(Qt::Key_Return) << false << 0;
    QTest::newRow("Enter on the tab strip") << "tabOption" << int(Qt::Key_Return) << false << 0;
    QTest::newRow("Enter on OK") << "cmdOk" << int(Qt::Key_Return) << true << 4;
    QTest::newRow("Enter on cancel") << "cmdCancel" << int(Qt::Key_Return) << true << 0;
    QTest::newRow("Esc on the list") << "cboDecodeType" << int(Qt::Key_Escape) << false << 0;
    QTest::newRow("Esc on OK") << "cmdOk" << int(Qt::Key_Escape) << false << 0;
    QTest::newRow("Esc on cancel") << "cmdCancel" << int(Qt::Key_Escape) << false << 0;
  }
  void keys() {
    QFETCH(QString, focus);
    QFETCH(int, key);
    QFETCH(bool, closed);
    QFETCH(int, expected);
    frmOption dialog;
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    List(dialog)->setCurrentIndex(4);
    dialog.findChild<QWidget*>(focus)->setFocus();
    QTest::keyClick(QApplication::focusWidget(), static_cast<Qt::Key>(key));
    QCOMPARE(!dialog.isVisible(), closed);
    QCOMPARE(Stored(), QString::number(expected));
  }

  void access_key_t_focuses_the_list() {
    frmOption dialog;
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    Button(dialog, "cmdOk")->setFocus();
    QTest::keyClick(&dialog, Qt::Key_T, Qt::AltModifier);
    QCOMPARE(QApplication::focusWidget(), List(dialog));
  }
};

}  // namespace quillora

QTEST_MAIN(quillora::frmOption_test)
#include "frmOption_test.moc"

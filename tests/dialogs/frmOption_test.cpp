#include "dialogs/frmOption.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
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

  void texts() {
    frmOption dialog;
    QCOMPARE(dialog.windowTitle(), QStringLiteral(u"ｵﾌﾟｼｮﾝ"));
    QCOMPARE(dialog.minimumSize(), dialog.maximumSize());
    QCOMPARE(dialog.findChild<QTabWidget*>(QStringLiteral("tabOption"))->tabText(0),
             QStringLiteral(u"ｵﾌﾟｼｮﾝ"));
    auto* label = dialog.findChild<QLabel*>(QStringLiteral("lblDecodeType"));
    QCOMPARE(label->text(), QStringLiteral(u"標準のﾃﾞｺｰﾄﾞﾀｲﾌﾟ(&T)"));
    QCOMPARE(label->buddy(), List(dialog));
    QVERIFY(!List(dialog)->isEditable());
    QCOMPARE(Button(dialog, "cmdOk")->text(), QStringLiteral("&OK"));
    QCOMPARE(Button(dialog, "cmdCancel")->text(), QStringLiteral(u"ｷｬﾝｾﾙ(&C)"));
  }

  // A stored value that names no entry, which only a hand-edited settings file gives, selects none.
  void opens_with_the_stored_default_data() {
    QTest::addColumn<QString>("stored");
    QTest::addColumn<int>("selected");
    QTest::newRow("first") << "0" << 0;
    QTest::newRow("last") << "4" << 4;
    QTest::newRow("leading zero") << "03" << 3;
    QTest::newRow("past the list") << "5" << -1;
    QTest::newRow("negative") << "-1" << -1;
    QTest::newRow("not a number") << "MIME" << -1;
  }
  void opens_with_the_stored_default() {
    QFETCH(QString, stored);
    QFETCH(int, selected);
    App().DefaultDecodeType = ToText(stored);
    frmOption dialog;
    QCOMPARE(List(dialog)->count(), 5);
    for (int i = 0; i < 5; ++i) {
      QCOMPARE(List(dialog)->itemText(i), ToQString(App().DecodeTypeNames[i]));
    }
    QCOMPARE(List(dialog)->currentIndex(), selected);
  }

  // pick -1 leaves the list as it opened; an empty button closes the window.
  void closing_data() {
    QTest::addColumn<QString>("stored");
    QTest::addColumn<int>("pick");
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("expected");
    QTest::newRow("OK stores the pick") << "3" << 1 << "cmdOk" << 1;
    QTest::newRow("OK normalises the text") << "03" << -1 << "cmdOk" << 3;
    QTest::newRow("OK with nothing selected keeps an invalid value") << "9" << -1 << "cmdOk" << 9;
    QTest::newRow("OK repairs an invalid value") << "9" << 2 << "cmdOk" << 2;
    QTest::newRow("cancel") << "3" << 1 << "cmdCancel" << 3;
    QTest::newRow("window close") << "3" << 1 << "" << 3;
  }
  void closing() {
    QFETCH(QString, stored);
    QFETCH(int, pick);
    QFETCH(QString, button);
    QFETCH(int, expected);
    App().DefaultDecodeType = ToText(stored);
    frmOption dialog;
    dialog.show();
    if (pick >= 0) {
      List(dialog)->setCurrentIndex(pick);
    }
    if (button.isEmpty()) {
      dialog.close();
    } else {
      QTest::mouseClick(Button(dialog, button), Qt::LeftButton);
    }
    QVERIFY(!dialog.isVisible());
    QCOMPARE(Stored(), QString::number(expected));
  }

  void escape_does_nothing() {
    frmOption dialog;
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    for (const char* name : {"cmdOk", "cmdCancel", "cboDecodeType"}) {
      dialog.findChild<QWidget*>(QLatin1String(name))->setFocus();
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
      QVERIFY2(dialog.isVisible(), name);
    }
  }

  // Neither button is the default: Enter presses the focused button and nothing else.
  void enter_presses_only_a_focused_button_data() {
    QTest::addColumn<QString>("focus");
    QTest::addColumn<bool>("closed");
    QTest::addColumn<int>("expected");
    QTest::newRow("list") << "cboDecodeType" << false << 0;
    QTest::newRow("tab strip") << "tabOption" << false << 0;
    QTest::newRow("OK") << "cmdOk" << true << 4;
    QTest::newRow("cancel") << "cmdCancel" << true << 0;
  }
  void enter_presses_only_a_focused_button() {
    QFETCH(QString, focus);
    QFETCH(bool, closed);
    QFETCH(int, expected);
    frmOption dialog;
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    List(dialog)->setCurrentIndex(4);
    dialog.findChild<QWidget*>(focus)->setFocus();
    QVERIFY(!Button(dialog, "cmdOk")->isDefault());
    QVERIFY(!Button(dialog, "cmdCancel")->isDefault());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
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

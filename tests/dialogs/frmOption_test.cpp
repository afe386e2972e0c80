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

QPushButton* Button(frmOption& dialog, const char* name) {
  return dialog.findChild<QPushButton*>(QLatin1String(name));
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

  void layout_is_as_designed() {
    frmOption dialog;
    QCOMPARE(dialog.windowTitle(), QStringLiteral(u"ｵﾌﾟｼｮﾝ"));
    QCOMPARE(dialog.size(), QSize(417, 359));  // 6255 x 5385 twips at 96 DPI
    QCOMPARE(dialog.minimumSize(), dialog.maximumSize());
    auto* tab = dialog.findChild<QTabWidget*>(QStringLiteral("tabOption"));
    QCOMPARE(tab->count(), 1);
    QCOMPARE(tab->tabText(0), QStringLiteral(u"ｵﾌﾟｼｮﾝ"));
    QCOMPARE(tab->geometry(), QRect(8, 8, 401, 313));
    QCOMPARE(dialog.findChild<QWidget*>(QStringLiteral("fraOption"))->geometry(),
             QRect(16, 32, 385, 281));
    auto* label = dialog.findChild<QLabel*>(QStringLiteral("lblDecodeType"));
    QCOMPARE(label->text(), QStringLiteral(u"標準のﾃﾞｺｰﾄﾞﾀｲﾌﾟ(&T)"));
    QCOMPARE(label->pos(), QPoint(16, 24));
    QCOMPARE(label->buddy(), List(dialog));
    QCOMPARE(List(dialog)->pos(), QPoint(32, 40));
    QCOMPARE(List(dialog)->width(), 177);
    QVERIFY(!List(dialog)->isEditable());
    QCOMPARE(Button(dialog, "cmdOk")->text(), QStringLiteral("&OK"));
    QCOMPARE(Button(dialog, "cmdOk")->geometry(), QRect(240, 328, 81, 25));
    QCOMPARE(Button(dialog, "cmdCancel")->text(), QStringLiteral(u"ｷｬﾝｾﾙ(&C)"));
    QCOMPARE(Button(dialog, "cmdCancel")->geometry(), QRect(328, 328, 81, 25));
  }

  void opens_with_the_stored_default_data() {
    QTest::addColumn<QString>("stored");
    QTest::addColumn<int>("selected");
    QTest::newRow("first") << "0" << 0;
    QTest::newRow("MIME") << "3" << 3;
    QTest::newRow("last") << "4" << 4;
    QTest::newRow("leading zero") << "03" << 3;
    QTest::newRow("past the list") << "5" << -1;
    QTest::newRow("negative") << "-1" << -1;
    QTest::newRow("not a number") << "MIME" << -1;
    QTest::newRow("empty") << "" << -1;
  }
  void opens_with_the_stored_default() {
    QFETCH(QString, stored);
    QFETCH(int, selected);
    App().DefaultDecodeType = ToText(stored);
    frmOption dialog;
    QComboBox* list = List(dialog);
    QCOMPARE(list->count(), 5);
    for (int i = 0; i < 5; ++i) {
      QCOMPARE(list->itemText(i), ToQString(App().DecodeTypeNames[i]));
    }
    QCOMPARE(list->currentIndex(), selected);
  }

  // pick -1 leaves the list as it opened.
  void closing_data() {
    QTest::addColumn<QString>("stored");
    QTest::addColumn<int>("pick");
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("expected");
    QTest::newRow("OK stores the pick") << "3" << 1 << "cmdOk"
                                        << "1";
    QTest::newRow("OK without change") << "3" << -1 << "cmdOk"
                                       << "3";
    QTest::newRow("OK normalises the text") << "03" << -1 << "cmdOk"
                                            << "3";
    QTest::newRow("OK with nothing selected keeps an invalid value") << "9" << -1 << "cmdOk"
                                                                     << "9";
    QTest::newRow("OK repairs an invalid value") << "9" << 2 << "cmdOk"
                                                 << "2";
    QTest::newRow("cancel") << "3" << 1 << "cmdCancel"
                            << "3";
    QTest::newRow("window close") << "3" << 1 << ""
                                  << "3";
  }
  void closing() {
    QFETCH(QString, stored);
    QFETCH(int, pick);
    QFETCH(QString, button);
    QFETCH(QString, expected);
    App().DefaultDecodeType = ToText(stored);
    frmOption dialog;
    dialog.show();
    if (pick >= 0) {
      List(dialog)->setCurrentIndex(pick);
    }
    if (button.isEmpty()) {
      dialog.close();
    } else {
      QTest::mouseClick(Button(dialog, button.toLatin1().constData()), Qt::LeftButton);
    }
    QVERIFY(!dialog.isVisible());
    QCOMPARE(Stored(), expected);
  }

  void reopening_after_cancel_shows_the_stored_default() {
    App().DefaultDecodeType = u"3";
    {
      frmOption first;
      first.show();
      List(first)->setCurrentIndex(0);
      QTest::mouseClick(Button(first, "cmdCancel"), Qt::LeftButton);
    }
    frmOption second;
    QCOMPARE(List(second)->count(), 5);
    QCOMPARE(List(second)->currentIndex(), 3);
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
    QTest::addColumn<QString>("expected");
    QTest::newRow("list") << "cboDecodeType" << false << "0";
    QTest::newRow("tab strip") << "tabOption" << false << "0";
    QTest::newRow("OK") << "cmdOk" << true << "4";
    QTest::newRow("cancel") << "cmdCancel" << true << "0";
  }
  void enter_presses_only_a_focused_button() {
    QFETCH(QString, focus);
    QFETCH(bool, closed);
    QFETCH(QString, expected);
    frmOption dialog;
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    List(dialog)->setCurrentIndex(4);
    dialog.findChild<QWidget*>(focus)->setFocus();
    QVERIFY(!Button(dialog, "cmdOk")->isDefault());
    QVERIFY(!Button(dialog, "cmdCancel")->isDefault());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QCOMPARE(!dialog.isVisible(), closed);
    QCOMPARE(Stored(), expected);
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

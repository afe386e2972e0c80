// The main frame's fonts, View toggles, window arrangements and tiles, Window menu, toolbar
// dispatch and the Tools and Help commands.
#include <QApplication>
#include <QMdiArea>
#include <QMenu>
#include <QPushButton>
#include <QTextEdit>
#include <QTimer>
#include <QToolBar>
#include <QtTest>
#include <functional>
#include <utility>

#include "app/startup/font_lists.h"
#include "dialogs/frmAbout.h"
#include "dialogs/frmOption.h"
#include "gui_support/frame_fixture.h"
#include "ui/qt_text.h"
#include "ui/tiling.h"

namespace quillora {

using namespace Qt::StringLiterals;

class frmQuillora_view_test : public QObject, testing::FrameFixture {
  Q_OBJECT

  void OpenSampleAndConvert(int results) {
    OpenSample(u"jis_mail.txt"_s);
    for (int i = 0; i < results; ++i) {
      DecodeItem(*frame_, 0)->trigger();
    }
  }

  // Triggers action, whose modal dialog of type T respond then answers.
  template <typename T>
  static void WithModal(QAction* action, const std::function<void(T&)>& respond) {
    bool seen = false;
    QTimer timer;
    OnNextEvents(timer, [&] {
      auto* dialog = qobject_cast<T*>(QApplication::activeModalWidget());
      QVERIFY(dialog != nullptr);
      seen = true;
      respond(*dialog);
    });
    action->trigger();
    QVERIFY(seen);
  }

 private slots:
  void init() {
    StartFrame();
    FillFontLists(*frame_);
  }
  void cleanup() { Stop(); }

  void choosing_a_size_changes_every_document_and_keeps_its_font() {
    QStringList sizes;
    for (int i = 0; i < frame_->cboFontSize().count(); ++i) {
      sizes << frame_->cboFontSize().itemText(i);
    }
    QCOMPARE(sizes, QStringList({"8", "9", "10", "11", "12", "14", "16", "18", "20", "22", "24",
                                 "26", "28", "36", "48", "72"}));
    QCOMPARE(frame_->cboFontSize().currentText(), u"10"_s);
    QVERIFY(!frame_->cboFontSize().isEditable());

    OpenSampleAndConvert(2);
    const QString family = frame_->cboFonts().itemText(0);
    frame_->cboFonts().setCurrentIndex(0);
    emit frame_->cboFonts().activated(0);
    const int size_72 = frame_->cboFontSize().findText(u"72"_s);
    emit frame_->cboFontSize().activated(size_72);

    QCOMPARE(frame_->Documents().size(), 3);
    for (frmDocument* document : frame_->Documents()) {
      QCOMPARE(document->rtfText().font().pointSizeF(), 72.0);
      QCOMPARE(document->rtfText().font().family(), family);
    }
    QCOMPARE(ToQString(App().SelectFont), family);
    QCOMPARE(ToQString(App().SelectFontsize), u"72"_s);

    // A document opened later takes the chosen font.
    DecodeItem(*frame_, 0)->trigger();
    QCOMPARE(frame_->ActiveDocument()->rtfText().font().pointSizeF(), 72.0);
  }

  // Filling lets events run; a command arriving then must find the lists disabled, and they are
  // enabled afterwards because a source document is open.
  void the_font_lists_stay_disabled_while_filled_then_follow_the_source() {
    OpenSampleAndConvert(0);
    bool enabled_while_filling = true;
    QTimer timer;
    OnNextEvents(timer, [&] { enabled_while_filling = frame_->cboFonts().isEnabled(); });
    FillFontLists(*frame_);
    QVERIFY(!enabled_while_filling);
    QCOMPARE(CommandStates(*frame_), u"-C-PDF"_s);

    Item(*frame_, "mnuFileClose")->trigger();
    FillFontLists(*frame_);
    QCOMPARE(CommandStates(*frame_), u"O-----"_s);
  }

  // A saved size the list does not offer selects none.
  void the_saved_font_and_size_are_selected() {
    const QString family = frame_->cboFonts().itemText(frame_->cboFonts().count() - 1);
    for (const auto& [size, selected] : {std::pair("14", "14"), {"13", ""}, {"big", ""}}) {
      WriteSettings("[Option]\r\nSelectFont=" + family.toUtf8() + "\r\nSelectFontsize=" + size +
                    "\r\n");
      FillFontLists(*frame_);
      QCOMPARE(frame_->cboFonts().currentText(), family);
      QCOMPARE(frame_->cboFontSize().currentText(), QLatin1String(selected));
    }
  }

  void the_view_items_toggle_their_bars() {
    for (const auto& [item, bar] :
         {std::pair("mnuViewToolbar", "cbrTool"), std::pair("mnuViewStatusBar", "sbStatusBar")}) {
      QAction* toggle = Item(*frame_, item);
      auto* widget = frame_->findChild<QWidget*>(QLatin1String(bar));
      QVERIFY(toggle->isChecked() && widget->isVisible());
      toggle->trigger();
      QVERIFY(!toggle->isChecked() && !widget->isVisible());
      // The tool band takes the font lists with it.
      QCOMPARE(frame_->cboFonts().isVisible(), toggle != Item(*frame_, "mnuViewToolbar"));
      toggle->trigger();
      QVERIFY(toggle->isChecked() && widget->isVisible());
    }
  }

  void tiles_fill_the_area_data() {
    QTest::addColumn<int>("count");
    QTest::addColumn<Qt::Orientation>("orientation");
    QTest::addColumn<QList<QRect>>("tiles");
    QTest::newRow("none") << 0 << Qt::Horizontal << QList<QRect>{};
    QTest::newRow("one") << 1 << Qt::Vertical << QList<QRect>{QRect(0, 0, 100, 61)};
    QTest::newRow("side by side, remainder last")
        << 3 << Qt::Horizontal
        << QList<QRect>{QRect(0, 0, 33, 61), QRect(33, 0, 33, 61), QRect(66, 0, 34, 61)};
    QTest::newRow("stacked") << 2 << Qt::Vertical
                             << QList<QRect>{QRect(0, 0, 100, 30), QRect(0, 30, 100, 31)};
  }
  void tiles_fill_the_area() {
    QFETCH(int, count);
    QFETCH(Qt::Orientation, orientation);
    QFETCH(QList<QRect>, tiles);
    const std::vector<QRect> made = TileRects(QRect(0, 0, 100, 61), count, orientation);
    QCOMPARE(QList<QRect>(made.begin(), made.end()), tiles);
  }

  void arrangements_leave_minimised_documents_alone_data() {
    QTest::addColumn<QByteArray>("item");
    QTest::addColumn<Qt::Orientation>("tiles");
    QTest::newRow("tile vertically") << QByteArray("mnuWindowTileVertical") << Qt::Horizontal;
    QTest::newRow("tile horizontally") << QByteArray("mnuWindowTileHorizontal") << Qt::Vertical;
  }
  void arrangements_leave_minimised_documents_alone() {
    QFETCH(QByteArray, item);
    QFETCH(Qt::Orientation, tiles);
    Item(*frame_, item.constData())->trigger();  // with nothing to arrange
    OpenSampleAndConvert(2);
    frmDocument* minimised = frame_->Documents().at(1);
    minimised->showMinimized();
    const QRect parked = minimised->geometry();

    Item(*frame_, item.constData())->trigger();
    QCOMPARE(minimised->geometry(), parked);
    QVERIFY(minimised->isMinimized());
    const std::vector<QRect> expected =
        TileRects(frame_->findChild<QMdiArea*>()->viewport()->rect(), 2, tiles);
    QCOMPARE(frame_->Documents().at(0)->geometry(), expected[0]);
    QCOMPARE(frame_->Documents().at(2)->geometry(), expected[1]);
  }

  void the_window_menu_lists_the_documents() {
    OpenSampleAndConvert(1);
    auto* menu = frame_->findChild<QMenu*>(u"mnuWindow"_s);
    emit menu->aboutToShow();
    emit menu->aboutToShow();  // a second showing must not list the documents twice
    QList<QAction*> listed;
    QStringList entries;
    for (QAction* action : menu->actions()) {
      if (action->isCheckable()) {
        listed << action;
        entries << action->text() + (action->isChecked() ? u" *"_s : QString());
      }
    }
    const QList<frmDocument*> documents = frame_->Documents();
    QCOMPARE(entries, (QStringList{u"&1 "_s + documents[0]->windowTitle(),
                                   u"&2 "_s + documents[1]->windowTitle() + u" *"_s}));
    listed.front()->trigger();
    QCOMPARE(frame_->ActiveDocument(), documents[0]);
  }

  // Keyed by the row's tag. What a key did: open and save dialogs, print questions, documents,
  // and whether the frame shows.
  void the_toolbar_runs_the_menu_commands_data() {
    QTest::addColumn<QString>("outcome");
    QTest::newRow("Open") << "2 0 0 2 shown";
    QTest::newRow("Save") << "1 1 0 2 shown";
    QTest::newRow("Print") << "1 0 1 2 shown";
    QTest::newRow("Decode") << "1 0 0 3 shown";
    QTest::newRow("Exit") << "1 0 0 2 hidden";
    QTest::newRow("Bold") << "1 0 0 2 shown";    // no such button
    QTest::newRow("decode") << "1 0 0 2 shown";  // keys are case-sensitive
  }
  void the_toolbar_runs_the_menu_commands() {
    QFETCH(QString, outcome);
    OpenSampleAndConvert(1);
    world_->answer_ok = false;
    frame_->tbToolBar_ButtonClick(QString::fromLatin1(QTest::currentDataTag()));
    QCOMPARE(u"%1 %2 %3 %4 %5"_s.arg(world_->open_requests.size())
                 .arg(world_->save_requests.size())
                 .arg(world_->questions.size())
                 .arg(frame_->Documents().size())
                 .arg(frame_->isVisible() ? "shown" : "hidden"),
             outcome);
  }

  // A command failing under the toolbar must end quietly, not take the program down.
  void a_button_click_reaches_the_dispatch_which_contains_failures() {
    world_->open_fails = true;
    QToolBar* band = frame_->findChild<QToolBar*>(u"cbrTool"_s);
    QTest::mouseClick(band->widgetForAction(Button(*frame_, "Open")), Qt::LeftButton);
    QCOMPARE(world_->open_requests.size(), 1);
    QVERIFY(world_->messages.isEmpty());
    QVERIFY(frame_->Documents().isEmpty());
  }

  void options_refresh_the_decode_caption_only_on_change_data() {
    QTest::addColumn<int>("choice");
    QTest::addColumn<bool>("accept");
    QTest::addColumn<QString>("caption");
    QTest::newRow("another type") << 2 << true << "標準のﾃﾞｺｰﾄﾞﾀｲﾌﾟ - UUENCODE → ShiftJIS";
    QTest::newRow("cancelled") << 2 << false << "unchanged";
    QTest::newRow("same type") << 0 << true << "unchanged";
  }
  void options_refresh_the_decode_caption_only_on_change() {
    QFETCH(int, choice);
    QFETCH(bool, accept);
    QFETCH(QString, caption);
    QAction* default_item = Item(*frame_, "mnuConvertRunDefault");
    default_item->setText(u"unchanged"_s);
    WithModal<frmOption>(Item(*frame_, "mnuToolsOptions"), [&](frmOption& dialog) {
      QVERIFY(dialog.parentWidget() == nullptr);
      dialog.findChild<QComboBox*>(u"cboDecodeType"_s)->setCurrentIndex(choice);
      dialog.findChild<QPushButton*>(accept ? "cmdOk" : "cmdCancel")->click();
    });
    QCOMPARE(default_item->text(), caption);
  }

  void the_about_box_belongs_to_the_frame() {
    WithModal<frmAbout>(Item(*frame_, "mnuHelpAbout"), [&](frmAbout& box) {
      QCOMPARE(box.parentWidget(), frame_.get());
      box.accept();
    });
  }

  void the_help_command_says_there_is_no_help() {
    frame_->mnuHelpSearchForHelpOn_Click();
    QCOMPARE(world_->messages.size(), 1);
    QCOMPARE(world_->messages.front().text,
             u"ﾍﾙﾌﾟの目次を表示できません。 このﾌﾟﾛｼﾞｪｸﾄに関連付けられたﾍﾙﾌﾟが存在しません。"_s);
    QCOMPARE(world_->messages.front().icon, MessageIcon::information);
  }
};

}  // namespace quillora

QTEST_MAIN(quillora::frmQuillora_view_test)
#include "frmQuillora_view_test.moc"

// The main frame's fonts, View toggles, window arrangements, Window menu, toolbar dispatch and the
// Tools and Help commands.
#include <QApplication>
#include <QMdiArea>
#include <QMenu>
#include <QPushButton>
#include <QTextEdit>
#include <QTimer>
#include <QToolBar>
#include <QtTest>
#include <functional>

#include "app/startup/font_lists.h"
#include "dialogs/frmAbout.h"
#include "dialogs/frmOption.h"
#include "gui_support/frame_fixture.h"
#include "gui_support/frame_probe.h"
#include "ui/qt_text.h"

namespace quillora {

using testing::Button;
using testing::CommandStates;
using testing::DecodeItem;
using testing::Item;

namespace {

QMdiArea& Area(const frmQuillora& frame) {
  return *frame.findChild<QMdiArea*>();
}

}  // namespace

class frmQuillora_view_test : public QObject, testing::FrameFixture {
  Q_OBJECT

  void OpenSampleAndConvert(int results) {
    OpenSample(QStringLiteral("jis_mail.txt"));
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

  void the_size_list_offers_the_sixteen_sizes() {
    QStringList sizes;
    for (int i = 0; i < frame_->cboFontSize().count(); ++i) {
      sizes << frame_->cboFontSize().itemText(i);
    }
    QCOMPARE(sizes, QStringList({"8", "9", "10", "11", "12", "14", "16", "18", "20", "22", "24",
                                 "26", "28", "36", "48", "72"}));
    QCOMPARE(frame_->cboFontSize().currentText(), QStringLiteral("10"));
    QVERIFY(!frame_->cboFontSize().isEditable());
    QVERIFY(frame_->cboFonts().count() > 0);
  }

  void choosing_a_size_changes_every_document_and_keeps_its_font() {
    OpenSampleAndConvert(2);
    const QString family = frame_->cboFonts().itemText(0);
    frame_->cboFonts().setCurrentIndex(0);
    emit frame_->cboFonts().activated(0);
    const int size_72 = frame_->cboFontSize().findText(QStringLiteral("72"));
    emit frame_->cboFontSize().activated(size_72);

    QCOMPARE(frame_->Documents().size(), 3);
    for (frmDocument* document : frame_->Documents()) {
      QCOMPARE(document->rtfText().font().pointSizeF(), 72.0);
      QCOMPARE(document->rtfText().font().family(), family);
    }
    QCOMPARE(ToQString(App().SelectFont), family);
    QCOMPARE(ToQString(App().SelectFontsize), QStringLiteral("72"));

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
    QCOMPARE(CommandStates(*frame_), QStringLiteral("-C-PDF"));

    Item(*frame_, "mnuFileClose")->trigger();
    FillFontLists(*frame_);
    QCOMPARE(CommandStates(*frame_), QStringLiteral("O-----"));
  }

  void the_saved_font_and_size_are_selected_data() {
    QTest::addColumn<QByteArray>("size");
    QTest::addColumn<QString>("selected");
    QTest::newRow("listed") << QByteArray("14") << "14";
    QTest::newRow("not listed") << QByteArray("13") << "";
    QTest::newRow("not a number") << QByteArray("big") << "";
  }
  void the_saved_font_and_size_are_selected() {
    QFETCH(QByteArray, size);
    QFETCH(QString, selected);
    const QString family = frame_->cboFonts().itemText(frame_->cboFonts().count() - 1);
    env_->WriteSettings("[Option]\r\nSelectFont=" + family.toUtf8() + "\r\nSelectFontsize=" + size +
                        "\r\n");
    FillFontLists(*frame_);
    QCOMPARE(frame_->cboFonts().currentText(), family);
    QCOMPARE(frame_->cboFontSize().currentText(), selected);
  }

  void the_view_items_toggle_their_bars_data() {
    QTest::addColumn<QByteArray>("item");
    QTest::addColumn<QByteArray>("bar");
    QTest::newRow("tool band") << QByteArray("mnuViewToolbar") << QByteArray("cbrTool");
    QTest::newRow("status bar") << QByteArray("mnuViewStatusBar") << QByteArray("sbStatusBar");
  }
  void the_view_items_toggle_their_bars() {
    QFETCH(QByteArray, item);
    QFETCH(QByteArray, bar);
    QAction* toggle = Item(*frame_, item.constData());
    auto* widget = frame_->findChild<QWidget*>(QLatin1String(bar));
    QVERIFY(widget->isVisible());
    toggle->trigger();
    QVERIFY(!toggle->isChecked());
    QVERIFY(!widget->isVisible());
    // The tool band takes the font lists with it.
    QCOMPARE(frame_->cboFonts().isVisible(), bar != "cbrTool");
    toggle->trigger();
    QVERIFY(toggle->isChecked());
    QVERIFY(widget->isVisible());
  }

  void arranging_no_documents_changes_nothing() {
    for (const char* item :
         {"mnuWindowCascade", "mnuWindowTileHorizontal", "mnuWindowTileVertical"}) {
      Item(*frame_, item)->trigger();
    }
    QVERIFY(frame_->Documents().isEmpty());
  }

  void arrangements_leave_minimised_documents_alone_data() {
    QTest::addColumn<QByteArray>("item");
    QTest::addColumn<bool>("side_by_side");
    QTest::newRow("tile vertically") << QByteArray("mnuWindowTileVertical") << true;
    QTest::newRow("tile horizontally") << QByteArray("mnuWindowTileHorizontal") << false;
  }
  void arrangements_leave_minimised_documents_alone() {
    QFETCH(QByteArray, item);
    QFETCH(bool, side_by_side);
    OpenSampleAndConvert(2);
    frmDocument* minimised = frame_->Documents().at(1);
    minimised->showMinimized();
    const QRect parked = minimised->geometry();

    Item(*frame_, item.constData())->trigger();
    QCOMPARE(minimised->geometry(), parked);
    QVERIFY(minimised->isMinimized());
    const QRect area = Area(*frame_).viewport()->rect();
    const QRect first = frame_->Documents().at(0)->geometry();
    const QRect last = frame_->Documents().at(2)->geometry();
    if (side_by_side) {
      QCOMPARE(first, QRect(0, 0, area.width() / 2, area.height()));
      QCOMPARE(last.left(), first.right() + 1);
      QCOMPARE(last.height(), area.height());
    } else {
      QCOMPARE(first, QRect(0, 0, area.width(), area.height() / 2));
      QCOMPARE(last.top(), first.bottom() + 1);
      QCOMPARE(last.width(), area.width());
    }
  }

  void the_window_menu_lists_the_documents() {
    OpenSampleAndConvert(1);
    auto* menu = frame_->findChild<QMenu*>(QStringLiteral("mnuWindow"));
    for (int showing = 0; showing < 2; ++showing) {
      emit menu->aboutToShow();
    }
    QList<QAction*> listed;
    QStringList entries;
    for (QAction* action : menu->actions()) {
      if (action->isCheckable()) {
        listed << action;
        entries << action->text() + (action->isChecked() ? QStringLiteral(" *") : QString());
      }
    }
    const QList<frmDocument*> documents = frame_->Documents();
    QCOMPARE(entries, (QStringList{QStringLiteral("&1 ") + documents[0]->windowTitle(),
                                   QStringLiteral("&2 ") + documents[1]->windowTitle() +
                                       QStringLiteral(" *")}));
    listed.front()->trigger();
    QCOMPARE(frame_->ActiveDocument(), documents[0]);
  }

  void the_toolbar_runs_the_menu_commands_data() {
    QTest::addColumn<QString>("key");
    QTest::addColumn<int>("open_dialogs");
    QTest::addColumn<int>("save_dialogs");
    QTest::addColumn<int>("questions");
    QTest::addColumn<int>("documents");
    QTest::addColumn<bool>("visible");
    QTest::newRow("Open") << "Open" << 2 << 0 << 0 << 2 << true;
    QTest::newRow("Save") << "Save" << 1 << 1 << 0 << 2 << true;
    QTest::newRow("Print") << "Print" << 1 << 0 << 1 << 2 << true;
    QTest::newRow("Decode") << "Decode" << 1 << 0 << 0 << 3 << true;
    QTest::newRow("Exit") << "Exit" << 1 << 0 << 0 << 2 << false;
    QTest::newRow("unknown") << "Bold" << 1 << 0 << 0 << 2 << true;
    QTest::newRow("wrong case") << "decode" << 1 << 0 << 0 << 2 << true;
  }
  void the_toolbar_runs_the_menu_commands() {
    QFETCH(QString, key);
    QFETCH(int, open_dialogs);
    QFETCH(int, save_dialogs);
    QFETCH(int, questions);
    QFETCH(int, documents);
    QFETCH(bool, visible);
    OpenSampleAndConvert(1);
    world_->answer_ok = false;
    frame_->tbToolBar_ButtonClick(key);
    QCOMPARE(world_->open_requests.size(), open_dialogs);
    QCOMPARE(world_->save_requests.size(), save_dialogs);
    QCOMPARE(world_->questions.size(), questions);
    QCOMPARE(frame_->Documents().size(), documents);
    QCOMPARE(frame_->isVisible(), visible);
  }

  void a_button_click_reaches_the_dispatch() {
    QToolBar* band = frame_->findChild<QToolBar*>(QStringLiteral("cbrTool"));
    QTest::mouseClick(band->widgetForAction(Button(*frame_, "Open")), Qt::LeftButton);
    QCOMPARE(world_->open_requests.size(), 1);
  }

  void a_command_failing_under_the_toolbar_ends_quietly() {
    world_->open_fails = true;
    frame_->tbToolBar_ButtonClick(QStringLiteral("Open"));
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
    default_item->setText(QStringLiteral("unchanged"));
    WithModal<frmOption>(Item(*frame_, "mnuToolsOptions"), [&](frmOption& dialog) {
      QVERIFY(dialog.parentWidget() == nullptr);
      dialog.findChild<QComboBox*>(QStringLiteral("cboDecodeType"))->setCurrentIndex(choice);
      if (accept) {
        dialog.findChild<QPushButton*>(QStringLiteral("cmdOk"))->click();
      } else {
        dialog.findChild<QPushButton*>(QStringLiteral("cmdCancel"))->click();
      }
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
    QCOMPARE(world_->messages.front().title, frame_->windowTitle());
    QCOMPARE(world_->messages.front().text,
             QStringLiteral(
                 "ﾍﾙﾌﾟの目次を表示できません。 このﾌﾟﾛｼﾞｪｸﾄに関連付けられたﾍﾙﾌﾟが存在しません。"));
    QCOMPARE(world_->messages.front().icon, MessageIcon::information);
  }
};

}  // namespace quillora

QTEST_MAIN(quillora::frmQuillora_view_test)
#include "frmQuillora_view_test.moc"

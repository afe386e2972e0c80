// The main frame's command states, documents, conversion and file commands, driven through its
// menus and toolbar with the dialogs answered by a script.
#include <QFile>
#include <QMdiArea>
#include <QTextEdit>
#include <QtTest>

#include "app/identity.h"
#include "convert/clsConvert.h"
#include "convert/cp932_codec.h"
#include "gui_support/frame_fixture.h"
#include "gui_support/frame_probe.h"
#include "ui/qt_text.h"

namespace quillora {

using testing::Activate;
using testing::Button;
using testing::Captions;
using testing::CommandStates;
using testing::DecodeItem;
using testing::Item;

namespace {

QByteArray ReadFile(const QString& path) {
  QFile file(path);
  file.open(QIODevice::ReadOnly);
  return file.readAll();
}

// What the converter makes of a file, as quillora-convert prints it.
QByteArray Converted(const QString& path, std::int16_t mode) {
  Text name = ToText(path);
  const ByteBuffer bytes = TextToBytes(clsConvert().KanjiConv(name, mode, 0));
  return {reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size())};
}

}  // namespace

class frmQuillora_test : public QObject, testing::FrameFixture {
  Q_OBJECT

 private slots:
  void init() { StartFrame(); }
  void cleanup() { Stop(); }

  void starts_with_open_as_the_only_document_command() {
    QCOMPARE(frame_->windowTitle(), ToQString(identity::kTitle));
    QCOMPARE(CommandStates(*frame_), QStringLiteral("O-----"));
    QVERIFY(!Item(*frame_, "mnuFileSave")->isEnabled());
    QVERIFY(!Item(*frame_, "mnuHelpSearchForHelpOn")->isEnabled());
    for (const char* always : {"mnuFileExit", "mnuViewToolbar", "mnuViewStatusBar",
                               "mnuToolsOptions", "mnuWindowCascade", "mnuHelpAbout"}) {
      QVERIFY2(Item(*frame_, always)->isEnabled(), always);
    }
    QVERIFY(Button(*frame_, "Exit")->isEnabled());
    QVERIFY(frame_->Documents().isEmpty());
  }

  void menus_carry_their_captions_and_keys() {
    QCOMPARE(Item(*frame_, "mnuFileOpen")->text(), QStringLiteral("開く(&O)..."));
    QCOMPARE(Item(*frame_, "mnuFileOpen")->shortcut(), QKeySequence(QStringLiteral("Ctrl+O")));
    QCOMPARE(Item(*frame_, "mnuFileSaveAs")->text(), QStringLiteral("名前を付けて保存(&A)..."));
    QCOMPARE(Item(*frame_, "mnuConvertRunDefault")->text(), QStringLiteral("標準のﾃﾞｺｰﾄﾞﾀｲﾌﾟ - "));
    QCOMPARE(DecodeItem(*frame_, 4)->text(), QStringLiteral("UNICODE → ShiftJIS(&M)"));
    QVERIFY(Item(*frame_, "mnuViewToolbar")->isChecked());
    QVERIFY(Item(*frame_, "mnuViewStatusBar")->isChecked());
    QCOMPARE(Button(*frame_, "Decode")->toolTip(), QStringLiteral("ﾃﾞｺｰﾄﾞ"));
    QCOMPARE(Button(*frame_, "Exit")->toolTip(), QStringLiteral("閉じる"));
    QCOMPARE(Button(*frame_, "Exit")->icon().actualSize(QSize(16, 16)), QSize(16, 16));
    int shortcuts = 0;
    for (const QAction* action : frame_->findChildren<QAction*>()) {
      shortcuts += action->shortcut().isEmpty() ? 0 : 1;
    }
    QCOMPARE(shortcuts, 1);
  }

  void command_states_follow_every_transition() {
    const QString source = OpenSample(QStringLiteral("jis_mail.txt"));
    QCOMPARE(CommandStates(*frame_), QStringLiteral("-C-PDF"));

    DecodeItem(*frame_, 0)->trigger();
    QCOMPARE(CommandStates(*frame_), QStringLiteral("-CSPDF"));
    frmDocument* result = frame_->ActiveDocument();

    Activate(*frame_, frame_->Documents().front());
    QCOMPARE(CommandStates(*frame_), QStringLiteral("-C-PDF"));
    Activate(*frame_, result);
    QCOMPARE(CommandStates(*frame_), QStringLiteral("-CSPDF"));

    world_->save_answers.push_back(env_->Path(QStringLiteral("saved.txt")));
    Item(*frame_, "mnuFileSaveAs")->trigger();
    QCOMPARE(CommandStates(*frame_), QStringLiteral("-C-PDF"));

    result->close();
    QCOMPARE(CommandStates(*frame_), QStringLiteral("-C-PDF"));
    QCOMPARE(Captions(*frame_), QStringList{source});

    Item(*frame_, "mnuFileClose")->trigger();
    QCOMPARE(CommandStates(*frame_), QStringLiteral("O-----"));
  }

  void results_are_numbered_and_numbers_are_never_reused() {
    const QString source = OpenSample(QStringLiteral("jis_mail.txt"));
    DecodeItem(*frame_, 0)->trigger();
    DecodeItem(*frame_, 1)->trigger();
    QCOMPARE(
        Captions(*frame_),
        (QStringList{source, QStringLiteral("(1) ") + source + QStringLiteral(" (JIS→ShiftJIS)"),
                     QStringLiteral("(2) ") + source + QStringLiteral(" (EUC→ShiftJIS)")}));
    frame_->Documents().at(1)->close();
    DecodeItem(*frame_, 0)->trigger();
    QCOMPARE(frame_->ActiveDocument()->windowTitle(),
             QStringLiteral("(3) ") + source + QStringLiteral(" (JIS→ShiftJIS)"));
  }

  void each_decode_type_tags_its_result_data() {
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("sample");
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("suffix");
    QTest::newRow("JIS") << 0 << "jis_mail.txt" << 1 << " (JIS→ShiftJIS)";
    QTest::newRow("EUC") << 1 << "euc_halfwidth.txt" << 8 << " (EUC→ShiftJIS)";
    QTest::newRow("BASE64") << 3 << "base64_mail.eml" << 9 << " (BASE64→ShiftJIS)";
    QTest::newRow("UNICODE") << 4 << "utf16le_bom.txt" << 11 << " (UNICODE→ShiftJIS)";
  }
  void each_decode_type_tags_its_result() {
    QFETCH(int, type);
    QFETCH(QString, sample);
    QFETCH(int, mode);
    QFETCH(QString, suffix);
    const QString source = OpenSample(sample);
    DecodeItem(*frame_, type)->trigger();
    frmDocument* result = frame_->ActiveDocument();
    QCOMPARE(result->windowTitle(), QStringLiteral("(1) ") + source + suffix);
    const ByteBuffer shown = TextToBytes(ToText(result->rtfText().toPlainText()));
    QCOMPARE(QByteArray(reinterpret_cast<const char*>(shown.data()),
                        static_cast<qsizetype>(shown.size())),
             Converted(source, static_cast<std::int16_t>(mode)).replace("\r\n", "\n"));
  }

  // The begin line's name goes into the caption; the opened file stays the one converted next.
  void uuencode_names_the_result_but_keeps_the_current_file() {
    const QString source = OpenSample(QStringLiteral("uuencoded_message.txt"));
    DecodeItem(*frame_, 2)->trigger();
    QCOMPARE(frame_->ActiveDocument()->windowTitle(),
             QStringLiteral("(1) recipe.txt (UUENCODE→ShiftJIS)"));
    QCOMPARE(ToQString(App().CurrentFile), source);
    DecodeItem(*frame_, 2)->trigger();
    QCOMPARE(frame_->ActiveDocument()->windowTitle(),
             QStringLiteral("(2) recipe.txt (UUENCODE→ShiftJIS)"));
  }

  void a_vanished_file_converts_to_no_window() {
    const QString source = OpenSample(QStringLiteral("jis_mail.txt"));
    QFile::remove(source);
    DecodeItem(*frame_, 0)->trigger();
    QCOMPARE(frame_->Documents().size(), 1);
    QVERIFY(world_->messages.isEmpty());
  }

  void the_default_command_uses_the_default_decode_type() {
    App().DefaultDecodeType = u"3";
    const QString source = OpenSample(QStringLiteral("base64_mail.eml"));
    Item(*frame_, "mnuConvertRunDefault")->trigger();
    QCOMPARE(frame_->ActiveDocument()->windowTitle(),
             QStringLiteral("(1) ") + source + QStringLiteral(" (BASE64→ShiftJIS)"));
    QVERIFY(frame_->findChildren<QWidget*>(QStringLiteral("frmDummy")).isEmpty());
  }

  void the_source_is_read_only_in_the_left_half() {
    OpenSample(QStringLiteral("jis_mail.txt"));
    frmDocument* source = frame_->ActiveDocument();
    QVERIFY(source->rtfText().isReadOnly());
    const QRect area = frame_->findChild<QMdiArea*>()->viewport()->rect();
    QCOMPARE(source->geometry(), QRect(0, 0, area.width() / 2, area.height()));

    DecodeItem(*frame_, 0)->trigger();
    frmDocument* result = frame_->ActiveDocument();
    QVERIFY(!result->rtfText().isReadOnly());
    QCOMPARE(source->geometry().top(), 0);
    QCOMPARE(result->geometry().top(), 0);
    QCOMPARE(source->geometry().height(), area.height());
    QCOMPARE(source->geometry().right() + 1, result->geometry().left());
  }

  void closing_the_source_closes_every_document() {
    OpenSample(QStringLiteral("jis_mail.txt"));
    DecodeItem(*frame_, 0)->trigger();
    DecodeItem(*frame_, 1)->trigger();
    frame_->Documents().front()->close();
    QVERIFY(frame_->Documents().isEmpty());
    QCOMPARE(CommandStates(*frame_), QStringLiteral("O-----"));
    QCOMPARE(App().DocumentCount, 0);
    QVERIFY(App().CurrentFile.empty());
  }

  void after_close_all_the_next_file_starts_again_at_one() {
    OpenSample(QStringLiteral("jis_mail.txt"));
    DecodeItem(*frame_, 0)->trigger();
    DecodeItem(*frame_, 0)->trigger();
    Item(*frame_, "mnuFileClose")->trigger();
    QVERIFY(frame_->Documents().isEmpty());

    const QString source = OpenSample(QStringLiteral("euc_halfwidth.txt"));
    DecodeItem(*frame_, 1)->trigger();
    QCOMPARE(Captions(*frame_), (QStringList{source, QStringLiteral("(1) ") + source +
                                                         QStringLiteral(" (EUC→ShiftJIS)")}));
  }

  void save_on_a_source_document_does_nothing() {
    OpenSample(QStringLiteral("jis_mail.txt"));
    frame_->mnuFileSave_Click();
    frame_->mnuFileSaveAs_Click();
    QVERIFY(world_->save_requests.isEmpty());
  }

  void the_save_button_saves_a_result_as_the_converter_wrote_it() {
    const QString source = OpenSample(QStringLiteral("jis_mail.txt"));
    DecodeItem(*frame_, 0)->trigger();
    const QString target = env_->Path(QStringLiteral("out.txt"));
    world_->save_answers.push_back(target);
    Button(*frame_, "Save")->trigger();

    QCOMPARE(world_->open_requests.front().title, QStringLiteral("開く"));
    QCOMPARE(world_->open_requests.front().filter, QStringLiteral("すべてのﾌｧｲﾙ (*.*)"));
    QCOMPARE(ToQString(App().LastOpenFolder), QFileInfo(source).absolutePath());
    QCOMPARE(world_->save_requests.size(), 1);
    const FileDialogRequest& request = world_->save_requests.front();
    QCOMPARE(request.title, QStringLiteral("名前を付けて保存"));
    QCOMPARE(request.filter, QStringLiteral("すべてのﾌｧｲﾙ (*.*)"));
    QCOMPARE(request.initial_folder, ToQString(App().LastOpenFolder));
    QCOMPARE(request.proposed_name, QStringLiteral("jis_mail.txt"));
    QCOMPARE(ReadFile(target), Converted(source, 1));
    QVERIFY(ReadFile(target).contains("\r\n"));
    QCOMPARE(frame_->ActiveDocument()->windowTitle(), target);

    // Saved under a name, the window is no longer a result: Save opens no dialog.
    Button(*frame_, "Save")->setEnabled(true);
    Button(*frame_, "Save")->trigger();
    QCOMPARE(world_->save_requests.size(), 1);
  }

  void a_failed_save_is_told_and_leaves_the_result_unsaved() {
    OpenSample(QStringLiteral("jis_mail.txt"));
    DecodeItem(*frame_, 0)->trigger();
    const QString caption = frame_->ActiveDocument()->windowTitle();
    const QString target = env_->Path(QStringLiteral("no such folder/out.txt"));
    world_->save_answers.push_back(target);
    Item(*frame_, "mnuFileSaveAs")->trigger();

    QCOMPARE(world_->messages.size(), 1);
    QVERIFY2(world_->messages.front().text.contains(target),
             qPrintable(world_->messages.front().text));
    QCOMPARE(world_->messages.front().icon, MessageIcon::critical);
    QCOMPARE(frame_->ActiveDocument()->windowTitle(), caption);
    QCOMPARE(CommandStates(*frame_), QStringLiteral("-CSPDF"));
    QVERIFY(!QFile::exists(target));
  }

  void cancelled_dialogs_change_nothing() {
    Item(*frame_, "mnuFileOpen")->trigger();
    QVERIFY(frame_->Documents().isEmpty());
    QCOMPARE(CommandStates(*frame_), QStringLiteral("O-----"));

    OpenSample(QStringLiteral("jis_mail.txt"));
    DecodeItem(*frame_, 0)->trigger();
    const QString caption = frame_->ActiveDocument()->windowTitle();
    Item(*frame_, "mnuFileSaveAs")->trigger();
    QCOMPARE(frame_->ActiveDocument()->windowTitle(), caption);
    QCOMPARE(CommandStates(*frame_), QStringLiteral("-CSPDF"));
  }

  void print_asks_first_and_tells_when_no_printer_is_there_data() {
    QTest::addColumn<bool>("ok");
    QTest::addColumn<PrintOutcome>("outcome");
    QTest::addColumn<int>("jobs");
    QTest::addColumn<int>("messages");
    QTest::newRow("cancelled") << false << PrintOutcome::printed << 0 << 0;
    QTest::newRow("printed") << true << PrintOutcome::printed << 1 << 0;
    QTest::newRow("no printer") << true << PrintOutcome::no_printer << 1 << 1;
    QTest::newRow("failed") << true << PrintOutcome::failed << 1 << 1;
  }
  void print_asks_first_and_tells_when_no_printer_is_there() {
    QFETCH(bool, ok);
    QFETCH(PrintOutcome, outcome);
    QFETCH(int, jobs);
    QFETCH(int, messages);
    const QString source = OpenSample(QStringLiteral("jis_mail.txt"));
    DecodeItem(*frame_, 0)->trigger();
    world_->answer_ok = ok;
    world_->print_outcome = outcome;
    Button(*frame_, "Print")->trigger();
    QCOMPARE(world_->questions.size(), 1);
    QCOMPARE(world_->questions.front().text,
             QStringLiteral("\"(1) ") + source +
                 QStringLiteral(" (JIS→ShiftJIS)\" を印刷します よろしいですか"));
    QCOMPARE(world_->questions.front().icon, MessageIcon::question);
    QCOMPARE(world_->print_jobs.size(), jobs);
    QCOMPARE(world_->messages.size(), messages);
  }

  void exit_closes_the_frame_and_keeps_the_settings() {
    QVERIFY(!QFile::exists(env_->SettingsFile()));
    Item(*frame_, "mnuFileExit")->trigger();
    QVERIFY(!frame_->isVisible());
    QVERIFY(QFile::exists(env_->SettingsFile()));
    QVERIFY(App().DecodeTypeNames.empty());
  }
};

}  // namespace quillora

QTEST_MAIN(quillora::frmQuillora_test)
#include "frmQuillora_test.moc"

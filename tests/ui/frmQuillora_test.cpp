// The main frame's command states, documents, conversion, file commands and drops, driven through
// its menus and toolbar with the dialogs answered by a script.
#include <QFile>
#include <QMdiArea>
#include <QMimeData>
#include <QTextEdit>
#include <QUrl>
#include <QtTest>
#include <algorithm>

#include "convert/clsConvert.h"
#include "convert/cp932_codec.h"
#include "gui_support/frame_fixture.h"
#include "ui/qt_text.h"

namespace quillora {

using namespace Qt::StringLiterals;

namespace {

QByteArray ReadFile(const QString& path) {
  QFile file(path);
  file.open(QIODevice::ReadOnly);
  return file.readAll();
}

// What the converter makes of a file, as quillora-convert prints it.
QByteArray Converted(const QString& path, int mode) {
  Text name = ToText(path);
  const ByteBuffer bytes =
      TextToBytes(clsConvert().KanjiConv(name, static_cast<std::int16_t>(mode), 0));
  return {reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size())};
}

// Delivers a drop of urls at the frame's centre; true when the frame accepted it.
bool Drop(frmQuillora& frame, const QList<QUrl>& urls) {
  QMimeData data;
  data.setUrls(urls);
  const QPointF centre = QRectF(frame.rect()).center();
  QDragEnterEvent enter(centre.toPoint(), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(&frame, &enter);
  if (!enter.isAccepted()) {
    return false;
  }
  QDropEvent drop(centre, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(&frame, &drop);
  return drop.isAccepted();
}

}  // namespace

class frmQuillora_test : public QObject, testing::FrameFixture {
  Q_OBJECT

 private slots:
  void init() { StartFrame(); }
  void cleanup() { Stop(); }

  void starts_with_open_as_the_only_document_command() {
    QCOMPARE(CommandStates(*frame_), u"O-----"_s);
    QVERIFY(!Item(*frame_, "mnuFileSave")->isEnabled());
    QVERIFY(!Item(*frame_, "mnuHelpSearchForHelpOn")->isEnabled());
    for (const char* always : {"mnuFileExit", "mnuViewToolbar", "mnuViewStatusBar",
                               "mnuToolsOptions", "mnuWindowCascade", "mnuHelpAbout"}) {
      QVERIFY2(Item(*frame_, always)->isEnabled(), always);
    }
    QVERIFY(Button(*frame_, "Exit")->isEnabled());
    // Ctrl+O is the frame's only shortcut.
    const QList<QAction*> actions = frame_->findChildren<QAction*>();
    QCOMPARE(std::ranges::count_if(actions, [](QAction* a) { return !a->shortcut().isEmpty(); }),
             1);
    QCOMPARE(Item(*frame_, "mnuFileOpen")->shortcut(), QKeySequence(u"Ctrl+O"_s));
  }

  void command_states_and_layout_follow_every_transition() {
    const QString source = OpenSample(u"jis_mail.txt"_s);
    QCOMPARE(CommandStates(*frame_), u"-C-PDF"_s);
    frmDocument* opened = frame_->ActiveDocument();
    QVERIFY(opened->rtfText().isReadOnly());
    const QRect area = frame_->findChild<QMdiArea*>()->viewport()->rect();
    QCOMPARE(opened->geometry(), QRect(0, 0, area.width() / 2, area.height()));

    DecodeItem(*frame_, 0)->trigger();
    QCOMPARE(CommandStates(*frame_), u"-CSPDF"_s);
    frmDocument* result = frame_->ActiveDocument();
    QVERIFY(!result->rtfText().isReadOnly());
    QCOMPARE(opened->geometry(), QRect(0, 0, result->geometry().left(), area.height()));
    QCOMPARE(result->geometry().top(), 0);

    frame_->findChild<QMdiArea*>()->setActiveSubWindow(opened);
    QCOMPARE(CommandStates(*frame_), u"-C-PDF"_s);
    frame_->findChild<QMdiArea*>()->setActiveSubWindow(result);
    QCOMPARE(CommandStates(*frame_), u"-CSPDF"_s);

    world_->save_answers.push_back(Path(u"saved.txt"_s));
    Item(*frame_, "mnuFileSaveAs")->trigger();
    QCOMPARE(CommandStates(*frame_), u"-C-PDF"_s);

    // A saved result no longer looks like one by its caption; closing it must spare the source,
    // and must not free its number for the next result.
    result->close();
    QCOMPARE(CommandStates(*frame_), u"-C-PDF"_s);
    QCOMPARE(Captions(*frame_), QStringList{source});
    DecodeItem(*frame_, 0)->trigger();
    QCOMPARE(frame_->ActiveDocument()->windowTitle(), "(2) " + source + " (JIS→ShiftJIS)");

    Item(*frame_, "mnuFileClose")->trigger();
    QCOMPARE(CommandStates(*frame_), u"O-----"_s);
  }

  // type -1 is the default command, set to BASE64; "@" in a caption stands for the opened file.
  void each_decode_type_tags_its_result_data() {
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("sample");
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("caption");
    QTest::newRow("JIS") << 0 << "jis_mail.txt" << 1 << "@ (JIS→ShiftJIS)";
    QTest::newRow("EUC") << 1 << "euc_halfwidth.txt" << 8 << "@ (EUC→ShiftJIS)";
    // The begin line's name goes into the caption, but the opened file is still converted next.
    QTest::newRow("UUENCODE") << 2 << "uuencoded_message.txt" << 10
                              << "recipe.txt (UUENCODE→ShiftJIS)";
    QTest::newRow("BASE64") << 3 << "base64_mail.eml" << 9 << "@ (BASE64→ShiftJIS)";
    QTest::newRow("UNICODE") << 4 << "utf16le_bom.txt" << 11 << "@ (UNICODE→ShiftJIS)";
    QTest::newRow("default") << -1 << "base64_mail.eml" << 9 << "@ (BASE64→ShiftJIS)";
  }
  void each_decode_type_tags_its_result() {
    QFETCH(int, type);
    QFETCH(QString, sample);
    QFETCH(int, mode);
    QFETCH(QString, caption);
    App().DefaultDecodeType = u"3";
    const QString source = OpenSample(sample);
    QAction* command = type < 0 ? Item(*frame_, "mnuConvertRunDefault") : DecodeItem(*frame_, type);
    caption.replace(u'@', source);
    for (const char* number : {"(1) ", "(2) "}) {
      command->trigger();
      frmDocument* result = frame_->ActiveDocument();
      QCOMPARE(result->windowTitle(), number + caption);
      const ByteBuffer shown = TextToBytes(ToText(result->rtfText().toPlainText()));
      QCOMPARE(QByteArray(reinterpret_cast<const char*>(shown.data()),
                          static_cast<qsizetype>(shown.size())),
               Converted(source, mode).replace("\r\n", "\n"));
      QCOMPARE(ToQString(App().CurrentFile), source);
    }
    // The default command's wait banner is gone afterwards.
    QVERIFY(frame_->findChildren<QWidget*>(u"frmDummy"_s).isEmpty());
  }

  void a_vanished_file_converts_to_no_window() {
    QFile::remove(OpenSample(u"jis_mail.txt"_s));
    DecodeItem(*frame_, 0)->trigger();
    QCOMPARE(frame_->Documents().size(), 1);
    QVERIFY(world_->messages.isEmpty());
  }

  // Either way of closing takes every result with it, and numbering starts again at one.
  void closing_the_source_or_all_starts_afresh_data() {
    QTest::addColumn<bool>("by_menu");
    QTest::newRow("the source window") << false;
    QTest::newRow("Close all") << true;
  }
  void closing_the_source_or_all_starts_afresh() {
    QFETCH(bool, by_menu);
    OpenSample(u"jis_mail.txt"_s);
    DecodeItem(*frame_, 0)->trigger();
    DecodeItem(*frame_, 1)->trigger();
    if (by_menu) {
      Item(*frame_, "mnuFileClose")->trigger();
    } else {
      frame_->Documents().front()->close();
    }
    QVERIFY(frame_->Documents().isEmpty());
    QCOMPARE(CommandStates(*frame_), u"O-----"_s);
    QVERIFY(App().CurrentFile.empty());

    const QString source = OpenSample(u"euc_halfwidth.txt"_s);
    DecodeItem(*frame_, 1)->trigger();
    QCOMPARE(Captions(*frame_), (QStringList{source, "(1) " + source + " (EUC→ShiftJIS)"}));
  }

  void the_save_button_saves_a_result_as_the_converter_wrote_it() {
    const QString source = OpenSample(u"jis_mail.txt"_s);
    DecodeItem(*frame_, 0)->trigger();
    const QString target = Path(u"out.txt"_s);
    world_->save_answers.push_back(target);
    Button(*frame_, "Save")->trigger();

    QCOMPARE(world_->open_requests.front().filter, u"すべてのﾌｧｲﾙ (*.*)"_s);
    QCOMPARE(world_->save_requests.size(), 1);
    const FileDialogRequest& request = world_->save_requests.front();
    QCOMPARE(request.filter, u"すべてのﾌｧｲﾙ (*.*)"_s);
    QCOMPARE(request.initial_folder, QFileInfo(source).absolutePath());
    QCOMPARE(request.proposed_name, u"jis_mail.txt"_s);
    QCOMPARE(ReadFile(target), Converted(source, 1));
    QVERIFY(ReadFile(target).contains("\r\n"));
    QCOMPARE(frame_->ActiveDocument()->windowTitle(), target);

    // Saved under a name, the window is no longer a result: Save opens no dialog.
    Button(*frame_, "Save")->setEnabled(true);
    Button(*frame_, "Save")->trigger();
    QCOMPARE(world_->save_requests.size(), 1);
  }

  void cancelled_or_failed_dialogs_and_saving_a_source_change_nothing() {
    Item(*frame_, "mnuFileOpen")->trigger();
    QVERIFY(frame_->Documents().isEmpty());
    QCOMPARE(CommandStates(*frame_), u"O-----"_s);

    OpenSample(u"jis_mail.txt"_s);
    frame_->mnuFileSave_Click();
    frame_->mnuFileSaveAs_Click();
    QVERIFY(world_->save_requests.isEmpty());

    DecodeItem(*frame_, 0)->trigger();
    const QString caption = frame_->ActiveDocument()->windowTitle();
    const QString target = Path(u"no such folder/out.txt"_s);
    Item(*frame_, "mnuFileSaveAs")->trigger();
    world_->save_answers.push_back(target);
    Item(*frame_, "mnuFileSaveAs")->trigger();
    QCOMPARE(world_->save_requests.size(), 2);
    QCOMPARE(world_->messages.size(), 1);
    QVERIFY2(world_->messages.front().text.contains(target),
             qPrintable(world_->messages.front().text));
    QCOMPARE(world_->messages.front().icon, MessageIcon::critical);
    QVERIFY(!QFile::exists(target));
    QCOMPARE(frame_->ActiveDocument()->windowTitle(), caption);
    QCOMPARE(CommandStates(*frame_), u"-CSPDF"_s);
  }

  void print_asks_first_and_tells_when_it_fails_data() {
    QTest::addColumn<bool>("ok");
    QTest::addColumn<PrintOutcome>("outcome");
    QTest::addColumn<int>("told");
    QTest::newRow("cancelled") << false << PrintOutcome::printed << 0;
    QTest::newRow("printed") << true << PrintOutcome::printed << 0;
    QTest::newRow("no printer") << true << PrintOutcome::no_printer << 1;
    QTest::newRow("failed") << true << PrintOutcome::failed << 1;
  }
  void print_asks_first_and_tells_when_it_fails() {
    QFETCH(bool, ok);
    QFETCH(PrintOutcome, outcome);
    QFETCH(int, told);
    const QString source = OpenSample(u"jis_mail.txt"_s);
    DecodeItem(*frame_, 0)->trigger();
    world_->answer_ok = ok;
    world_->print_outcome = outcome;
    Button(*frame_, "Print")->trigger();
    QCOMPARE(world_->questions.size(), 1);
    QCOMPARE(world_->questions.front().text,
             "\"(1) " + source + " (JIS→ShiftJIS)\" を印刷します よろしいですか");
    QCOMPARE(world_->questions.front().icon, MessageIcon::question);
    QCOMPARE(world_->print_jobs.size(), ok ? 1 : 0);
    QCOMPARE(world_->messages.size(), told);
  }

  // Once a source is open, Open is disabled and so are drops.
  void a_dropped_file_opens_as_the_source_document_and_no_second_one() {
    const QString path = Sample(u"jis_mail.txt"_s);
    QVERIFY(Drop(*frame_, {QUrl::fromLocalFile(path)}));
    QVERIFY(!Item(*frame_, "mnuFileOpen")->isEnabled());
    QVERIFY(!Drop(*frame_, {QUrl::fromLocalFile(Sample(u"base64_mail.eml"_s))}));
    QCOMPARE(Captions(*frame_), QStringList{path});
  }

  void several_files_or_a_remote_url_are_refused() {
    const QUrl one = QUrl::fromLocalFile(Sample(u"jis_mail.txt"_s));
    const QUrl two = QUrl::fromLocalFile(Sample(u"base64_mail.eml"_s));
    QVERIFY(!Drop(*frame_, {one, two}));
    QVERIFY(!Drop(*frame_, {QUrl(u"https://www.example.com/mail.txt"_s)}));
    QVERIFY(frame_->Documents().isEmpty());
  }
};

}  // namespace quillora

QTEST_MAIN(quillora::frmQuillora_test)
#include "frmQuillora_test.moc"

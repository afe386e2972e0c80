// The main frame driven through its menus and toolbar, with the dialogs answered by a script,
// and its document windows: saving never changes an unedited text, edited text keeps its line
// ends, and the text area is filled only when the window is first shown.
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMenu>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPointer>
#include <QTextCursor>
#include <QThreadPool>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QUrl>
#include <QtTest>

#include "convert/clsConvert.h"
#include "mail/mail_reader.h"
#include "support/frame_fixture.h"
#include "support/hex.h"
#include "text/cp932_codec.h"
#include "ui/find_bar.h"
#include "ui/qt_text.h"
#include "ui/repair_report.h"
#include "ui/startup/font_lists.h"
#include "ui/text_view.h"
#include "ui/toolbar_icons.h"

namespace quillora::test {

using namespace Qt::StringLiterals;

namespace {

QByteArray AsBytes(std::span<const std::uint8_t> bytes) {
  return {reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size())};
}

// The file's bytes; none when it cannot be read.
QByteArray ReadAll(const QString& path) {
  QFile file(path);
  file.open(QIODevice::ReadOnly);
  return file.readAll();
}

// What quillora-convert writes for the file in a mode, or for mode -1 as "mail".
QByteArray Converted(const QString& path, int mode) {
  Text name = ToText(path);
  if (mode < 0) {
    const QByteArray bytes = ReadAll(path);
    return AsBytes(TextToBytes(mail::ReadMail({reinterpret_cast<const std::uint8_t*>(bytes.data()),
                                               static_cast<std::size_t>(bytes.size())})
                                   .text));
  }
  return AsBytes(TextToBytes(clsConvert().KanjiConv(name, static_cast<std::int16_t>(mode), 0)));
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

class frmQuillora_test : public QObject, FrameFixture {
  Q_OBJECT

  [[nodiscard]] QString Panel(const QString& name) const {
    const auto* panel = frame_->findChild<QLabel*>("sbStatusBar_" + name);
    return panel->isVisible() ? panel->text() : QString();
  }

  // Opens the JIS sample and converts it that many times; returns its path.
  QString OpenSampleAndConvert(int results) {
    QString source = OpenSample(u"jis_mail.txt"_s);
    for (int i = 0; i < results; ++i) {
      Trigger(DecodeItem(*frame_, 0));
    }
    return source;
  }

 private slots:
  void init() {
    StartEnvironment();
    frame_ = LoadFrame();
  }
  void cleanup() { Stop(); }

  void an_unedited_result_saves_exactly_as_held_data() {
    QTest::addColumn<QString>("text");
    QTest::newRow("CR LF") << u"一行目\r\n二行目\r\n"_s;
    QTest::newRow("NUL and lone CR") << QString::fromUtf16(u"a\0b\rc\r\n\0", 8);
    QTest::newRow("empty") << QString();
  }
  void an_unedited_result_saves_exactly_as_held() {
    QFETCH(QString, text);
    const ByteBuffer held = TextToBytes(ToText(text));
    frmDocument document;
    document.SetConverted(held);
    QVERIFY(document.findChild<QPlainTextEdit*>()->document()->isEmpty());
    QCOMPARE(AsBytes(document.BytesForSaving()), AsBytes(held));
    document.show();
    QTRY_VERIFY(!document.IsLoading());
    QCOMPARE(document.findChild<QPlainTextEdit*>()->toPlainText().isEmpty(), text.isEmpty());
    // Showing and restyling the text is no edit.
    document.SetFontName(u"Serif"_s);
    document.SetFontSize(20);
    QCOMPARE(AsBytes(document.BytesForSaving()), AsBytes(held));
  }

  void edited_text_keeps_the_documents_line_ends_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("saved");
    QTest::newRow("LF") << u"a\nb\n"_s << QByteArray("x\na\nb\n");
    QTest::newRow("none yet") << u"ab"_s << QByteArray("x\r\nab");
    QTest::newRow("past one paragraph of lines")
        << u"a\r\n"_s.repeated(100) << "x\r\n" + QByteArray("a\r\n").repeated(100);
    // The text is taken from the view a slice of blocks at a time.
    QTest::newRow("past one slice of blocks")
        << u"a\r\n"_s.repeated(qsizetype{64} * 2100)
        << "x\r\n" + QByteArray("a\r\n").repeated(qsizetype{64} * 2100);
  }
  void edited_text_keeps_the_documents_line_ends() {
    QFETCH(QString, text);
    QFETCH(QByteArray, saved);
    frmDocument document;
    document.SetConverted(TextToBytes(ToText(text)));
    document.show();
    QTRY_VERIFY(!document.IsLoading());
    QTextCursor cursor(document.rtfText().document());
    cursor.insertText(u"x\n"_s);
    QCOMPARE(AsBytes(document.BytesForSaving()), saved);
  }

  // A null file stands for one that is missing; "bold" must show in bold where it is.
  void a_source_file_shows_and_saves_as_text_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QByteArray>("saved");
    const QByteArray mail("\x83\x81\x81\x5B\x83\x8B\r\n");  // "メール" in Shift_JIS
    QTest::newRow("code page 932") << mail << u"メール\n"_s << mail;
    QTest::newRow("rich text") << QByteArray("{\\rtf1 plain {\\b bold}\\par next}")
                               << "plain bold\nnext" << QByteArray("plain bold\r\nnext");
    QTest::newRow("unreadable") << QByteArray() << "" << QByteArray();
  }
  void a_source_file_shows_and_saves_as_text() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, shown);
    QFETCH(QByteArray, saved);
    const QString file =
        bytes.isNull() ? Path(u"missing.txt"_s) : WriteFile(u"source.txt"_s, bytes);
    frmDocument document;
    document.SetFile(ToText(file));
    document.show();
    QTRY_VERIFY(!document.IsLoading());
    QVERIFY(document.IsSource());
    QCOMPARE(document.rtfText().toPlainText(), shown);
    const QTextCursor bold = document.rtfText().document()->find(u"bold"_s);
    QVERIFY(bold.isNull() || bold.charFormat().fontWeight() >= QFont::Bold);
    QCOMPARE(AsBytes(document.BytesForSaving()), saved);
  }

  void command_states_and_layout_follow_every_transition() {
    QCOMPARE(CommandStates(*frame_), u"O-----"_s);
    const QString source = OpenSample(u"jis_mail.txt"_s);
    QCOMPARE(CommandStates(*frame_), u"-C-PDF"_s);
    frmDocument* opened = frame_->ActiveDocument();
    QVERIFY(opened->rtfText().isReadOnly());
    const QRect area = frame_->findChild<QMdiArea*>()->viewport()->rect();
    QCOMPARE(opened->geometry(), QRect(0, 0, area.width() / 2, area.height()));

    Trigger(DecodeItem(*frame_, 0));
    QCOMPARE(CommandStates(*frame_), u"-CSPDF"_s);
    frmDocument* result = frame_->ActiveDocument();
    QVERIFY(!result->rtfText().isReadOnly());
    QCOMPARE(opened->geometry(), QRect(0, 0, result->geometry().left(), area.height()));
    frame_->findChild<QMdiArea*>()->setActiveSubWindow(opened);
    QCOMPARE(CommandStates(*frame_), u"-C-PDF"_s);
    frame_->findChild<QMdiArea*>()->setActiveSubWindow(result);

    world_->save_answers.push_back(Path(u"saved.txt"_s));
    Item(*frame_, "mnuFileSaveAs")->trigger();
    QCOMPARE(CommandStates(*frame_), u"-C-PDF"_s);

    // A saved result no longer looks like one by its caption; closing it must spare the source,
    // and must not free its number for the next result.
    result->close();
    QCOMPARE(Captions(*frame_), QStringList{source});
    Trigger(DecodeItem(*frame_, 0));
    QCOMPARE(frame_->ActiveDocument()->windowTitle(), "(2) " + source + " (JIS→ShiftJIS)");

    // Closing the source takes every result with it, and numbering starts again at one.
    frame_->Documents().front()->close();
    QCOMPARE(CommandStates(*frame_), u"O-----"_s);
    const QString other = OpenSample(u"euc_halfwidth.txt"_s);
    Trigger(DecodeItem(*frame_, 1));
    QCOMPARE(Captions(*frame_), (QStringList{other, "(1) " + other + " (EUC→ShiftJIS)"}));
  }

  // However the edited result would close, the user is asked; only "save" writes, only "cancel"
  // keeps the window. The unedited result beside it is never asked about.
  void edits_are_kept_unless_the_user_drops_them_data() {
    QTest::addColumn<QString>("how");
    QTest::addColumn<SaveAnswer>("answer");
    for (const char* how : {"result", "source", "close all", "exit"}) {
      QTest::addRow("%s, cancel", how) << QString::fromLatin1(how) << SaveAnswer::cancel;
      QTest::addRow("%s, discard", how) << QString::fromLatin1(how) << SaveAnswer::discard;
      QTest::addRow("%s, save", how) << QString::fromLatin1(how) << SaveAnswer::save;
    }
  }
  void edits_are_kept_unless_the_user_drops_them() {
    QFETCH(QString, how);
    QFETCH(SaveAnswer, answer);
    OpenSampleAndConvert(1);
    const QPointer<frmDocument> edited = frame_->ActiveDocument();
    Trigger(DecodeItem(*frame_, 1));
    QTextCursor(edited->rtfText().document()).insertText(u"追記\n"_s);
    const QString target = Path(u"kept.txt"_s);
    world_->save_answers.push_back(target);
    world_->save_answers_to_ask.push_back(answer);

    if (how == u"result") {
      edited->close();
    } else if (how == u"source") {
      frame_->Documents().front()->close();
    } else {
      Item(*frame_, how == u"exit" ? "mnuFileExit" : "mnuFileClose")->trigger();
    }
    QCOMPARE(world_->save_questions.size(), 1);
    QVERIFY(world_->save_questions.front().contains(u"(1) "_s));
    const bool closed = answer != SaveAnswer::cancel;
    if (how == u"exit") {
      QCOMPARE(frame_->isVisible(), !closed);
    } else {
      QTRY_COMPARE(edited.isNull(), closed);
    }
    QFile saved(target);
    QCOMPARE(saved.open(QIODevice::ReadOnly), answer == SaveAnswer::save);
    if (saved.isOpen()) {
      QVERIFY(saved.readAll().startsWith(AsBytes(TextToBytes(u"追記")) + "\r\n"));
    }
  }

  // The status bar names the active document's kind and size; work shows there while it runs.
  void the_status_bar_describes_the_active_document_and_the_work() {
    const QString source = OpenSample(u"jis_mail.txt"_s);
    QCOMPARE(Panel(u"Kind"_s), u"Shift_JIS"_s);
    QCOMPARE(Panel(u"Size"_s), u"%L1 ﾊﾞｲﾄ"_s.arg(QFileInfo(source).size()));
    QCOMPARE(Panel(u"Position"_s), u"1 行 1 列"_s);
    Item(*frame_, "mnuConvertRunDefault")->trigger();
    QCOMPARE(Panel(u"Work"_s), u"デコード中..."_s);
    WaitForWork(*frame_);
    QCOMPARE(Panel(u"Work"_s), QString());
    QCOMPARE(Panel(u"Kind"_s), u"JIS → ShiftJIS"_s);
    QCOMPARE(Panel(u"Size"_s), u"%L1 ﾊﾞｲﾄ"_s.arg(Converted(source, 1).size()));
  }

  // Cancelled, or its source closed meanwhile, a decoding opens no window; the banner goes.
  void a_decoding_cancelled_or_orphaned_shows_nothing_data() {
    QTest::addColumn<bool>("cancel");
    QTest::newRow("cancel") << true;
    QTest::newRow("source closed") << false;
  }
  void a_decoding_cancelled_or_orphaned_shows_nothing() {
    QFETCH(bool, cancel);
    OpenSample(u"jis_mail.txt"_s);
    Item(*frame_, "mnuConvertRunDefault")->trigger();
    QVERIFY(frame_->IsBusy());
    if (cancel) {
      frame_->findChild<QToolButton*>(u"sbStatusBar_Cancel"_s)->click();
    } else {
      frame_->Documents().front()->close();
    }
    WaitForWork(*frame_);
    QThreadPool::globalInstance()->waitForDone();
    QTest::qWait(10);
    QCOMPARE(frame_->Documents().size(), cancel ? 1 : 0);
    QVERIFY(frame_->findChildren<QWidget*>(u"frmDummy"_s).isEmpty());
  }

  // Lines are counted as the text has them, though the view holds 64 in a block, and after an
  // edit above the cursor too. Each line of the text is "ab" and a line end.
  void the_cursor_position_counts_the_texts_lines_data() {
    QTest::addColumn<int>("line");
    QTest::addColumn<int>("column");
    QTest::newRow("start") << 1 << 1;
    QTest::newRow("in the first block") << 10 << 2;
    QTest::newRow("first of the second block") << 65 << 1;
    QTest::newRow("far on") << 130 << 3;
    QTest::newRow("the last, without a line end") << 201 << 4;
  }
  void the_cursor_position_counts_the_texts_lines() {
    QFETCH(int, line);
    QFETCH(int, column);
    frmDocument document;
    document.SetConverted(TextToBytes(ToText(u"ab\r\n"_s.repeated(200) + u"xyz"_s)));
    document.show();
    QTRY_VERIFY(!document.IsLoading());
    QTextCursor cursor(document.rtfText().document());
    cursor.setPosition((line - 1) * 3 + column - 1);
    QCOMPARE(CursorLineColumn(cursor).line, line);
    QCOMPARE(CursorLineColumn(cursor).column, column);
    QTextCursor(document.rtfText().document()).insertText(u"\n"_s);
    QCOMPARE(CursorLineColumn(cursor).line, line + 1);
    QCOMPARE(CursorLineColumn(cursor).column, column);
  }

  // Matches after the cursor's selection, round the end once; case only when asked.
  void find_goes_round_the_text_data() {
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("selected");  // characters selected after from
    QTest::addColumn<QString>("phrase");
    QTest::addColumn<bool>("backward");
    QTest::addColumn<bool>("match_case");
    QTest::addColumn<int>("found");  // start of the match, -1 for none
    // Positions: "Mail" 0, "mail" 5, "MAIL" 10, the line end 14, "メール" 15.
    QTest::newRow("next") << 0 << 0 << "mail" << false << false << 0;
    QTest::newRow("next, case") << 0 << 0 << "mail" << false << true << 5;
    QTest::newRow("after the selected match") << 5 << 4 << "mail" << false << false << 10;
    QTest::newRow("round the end") << 12 << 0 << "mail" << false << true << 5;
    QTest::newRow("the only match, again") << 15 << 3 << "メール" << false << false << 15;
    QTest::newRow("previous") << 9 << 0 << "MAIL" << true << false << 5;
    QTest::newRow("before the selected match") << 10 << 4 << "mail" << true << false << 5;
    QTest::newRow("previous, round the start") << 1 << 0 << "メール" << true << false << 15;
    QTest::newRow("none") << 0 << 0 << "mails" << false << false << -1;
  }
  void find_goes_round_the_text() {
    QFETCH(int, from);
    QFETCH(int, selected);
    QFETCH(QString, phrase);
    QFETCH(bool, backward);
    QFETCH(bool, match_case);
    QFETCH(int, found);
    QTextDocument text(u"Mail mail MAIL\nメール"_s);
    QTextCursor cursor(&text);
    cursor.setPosition(from);
    cursor.setPosition(from + selected, QTextCursor::KeepAnchor);
    const QTextCursor match = FindText(cursor, phrase, backward, match_case);
    QCOMPARE(match.isNull() ? -1 : match.selectionStart(), found);
    QCOMPARE(match.selectedText().size(), match.isNull() ? 0 : phrase.size());
  }

  // Each shortcut runs its command: Ctrl+S only where the toolbar's Save would, Ctrl+F in the
  // active document's find bar.
  void the_shortcuts_run_their_commands() {
    frame_->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(frame_.get()));
    world_->open_answers.push_back(Sample(u"jis_mail.txt"_s));
    QTest::keyClick(frame_.get(), Qt::Key_O, Qt::ControlModifier);
    WaitForWork(*frame_);
    QCOMPARE(frame_->Documents().size(), 1);
    QTest::keyClick(frame_.get(), Qt::Key_S, Qt::ControlModifier);
    QVERIFY(world_->save_requests.isEmpty());
    Trigger(DecodeItem(*frame_, 0));
    QTest::keyClick(frame_.get(), Qt::Key_F, Qt::ControlModifier);
    auto* phrase = frame_->ActiveDocument()->findChild<QLineEdit*>(u"FindBar_Phrase"_s);
    QVERIFY(phrase->isVisible());
    QTest::keyClicks(phrase, u"Picnic"_s);
    QTest::keyClick(phrase, Qt::Key_Return);
    QCOMPARE(frame_->ActiveDocument()->rtfText().textCursor().selectedText(), u"Picnic"_s);
    QTest::keyClicks(phrase, u"x"_s);
    QTest::keyClick(phrase, Qt::Key_Return);
    QCOMPARE(frame_->ActiveDocument()->findChild<QLabel*>(u"FindBar_Outcome"_s)->text(),
             u"見つかりません"_s);
    QTest::keyClick(frame_.get(), Qt::Key_S, Qt::ControlModifier);
    QCOMPARE(world_->save_requests.size(), 1);
    world_->answer_ok = false;
    QTest::keyClick(frame_.get(), Qt::Key_P, Qt::ControlModifier);
    QCOMPARE(world_->questions.size(), 1);
    QTest::keyClick(frame_.get(), Qt::Key_Q, Qt::ControlModifier);
    QVERIFY(!frame_->isVisible());
  }

  // Opened files are offered again, newest first, after a restart too; one that has gone is
  // said to be missing and dropped.
  void recently_opened_files_are_offered_again() {
    const QString first = OpenSample(u"jis_mail.txt"_s);
    Trigger(Item(*frame_, "mnuFileClose"));
    const QString second = OpenSample(u"euc_halfwidth.txt"_s);
    Trigger(Item(*frame_, "mnuFileClose"));
    frame_.reset();
    frame_ = LoadFrame();
    auto* recent = frame_->findChild<QMenu*>(u"mnuFileRecent"_s);
    emit recent->aboutToShow();
    QCOMPARE(recent->actions().size(), 2);
    QVERIFY(recent->actions().front()->text().endsWith(second));
    Trigger(recent->actions().back());
    QCOMPARE(Captions(*frame_), QStringList{first});
    QVERIFY(!recent->isEnabled());  // one source file at a time

    Trigger(Item(*frame_, "mnuFileClose"));
    QFile::remove(second);
    emit recent->aboutToShow();
    Trigger(recent->actions().back());
    QCOMPARE(world_->messages.size(), 1);
    QVERIFY(world_->messages.front().contains(second));
    emit recent->aboutToShow();
    QCOMPARE(recent->actions().size(), 1);
  }

  void a_document_exports_as_pdf_or_says_why_not() {
    OpenSampleAndConvert(1);
    const QString target = Path(u"mail.pdf"_s);
    world_->save_answers.push_back(target);
    Trigger(Item(*frame_, "mnuFileExportPdf"));
    QCOMPARE(world_->save_requests.front().filter, u"PDF ﾌｧｲﾙ (*.pdf)"_s);
    QCOMPARE(world_->save_requests.front().proposed_name, u"jis_mail.pdf"_s);
    QVERIFY(ReadAll(target).startsWith("%PDF-"));
    QVERIFY(world_->messages.isEmpty());

    world_->save_answers.push_back(Path(u"no such folder/mail.pdf"_s));
    Trigger(Item(*frame_, "mnuFileExportPdf"));
    QCOMPARE(world_->messages.size(), 1);
  }

  // At 2x each picture is painted at 32 pixels, not the 16-pixel one enlarged.
  void toolbar_pictures_are_painted_for_2x() {
    for (const QStringView key : {u"Exit", u"Open", u"Save", u"Print", u"Decode"}) {
      const QIcon icon = ToolbarIcon(key);
      const QPixmap sharp = icon.pixmap(QSize(16, 16), 2.0);
      QCOMPARE(sharp.size(), QSize(32, 32));
      const QImage enlarged = icon.pixmap(QSize(16, 16), 1.0)
                                  .toImage()
                                  .scaled(32, 32)
                                  .convertToFormat(QImage::Format_ARGB32);
      QVERIFY(sharp.toImage().convertToFormat(QImage::Format_ARGB32) != enlarged);
    }
  }

  // type -1 is the default command, set to BASE64; "@" in a caption stands for the opened file.
  void each_decode_type_tags_its_result_data() {
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("stored_default");
    QTest::addColumn<QString>("sample");
    QTest::addColumn<int>("mode");  // -1: the whole mail
    QTest::addColumn<QString>("caption");
    QTest::newRow("JIS") << 0 << "3"
                         << "jis_mail.txt" << 1 << "@ (JIS→ShiftJIS)";
    // The begin line's name goes into the caption, but the opened file is still converted next.
    QTest::newRow("UUENCODE") << 2 << "3"
                              << "uuencoded_message.txt" << 10 << "recipe.txt (UUENCODE→ShiftJIS)";
    QTest::newRow("default") << -1 << "3"
                             << "base64_mail.eml" << 9 << "@ (BASE64→ShiftJIS)";
    QTest::newRow("whole mail") << 5 << "3"
                                << "multipart_mail.eml" << -1 << "@ (ﾒｰﾙ全体→ShiftJIS)";
    QTest::newRow("whole mail by default")
        << -1 << "5"
        << "windows_jis_mail.eml" << -1 << "@ (ﾒｰﾙ全体→ShiftJIS)";
  }
  void each_decode_type_tags_its_result() {
    QFETCH(int, type);
    QFETCH(QString, stored_default);
    QFETCH(QString, sample);
    QFETCH(int, mode);
    QFETCH(QString, caption);
    App().DefaultDecodeType = ToText(stored_default);
    const QString source = OpenSample(sample);
    QAction* command = type < 0 ? Item(*frame_, "mnuConvertRunDefault") : DecodeItem(*frame_, type);
    caption.replace(u'@', source);
    for (const char* number : {"(1) ", "(2) "}) {
      Trigger(command);
      frmDocument* result = frame_->ActiveDocument();
      QCOMPARE(result->windowTitle(), number + caption);
      QCOMPARE(AsBytes(TextToBytes(ToText(result->rtfText().toPlainText()))),
               Converted(source, mode).replace("\r\n", "\n"));
      QCOMPARE(ToQString(App().CurrentFile), source);
    }
    // The default command's wait banner is gone afterwards.
    QVERIFY(frame_->findChildren<QWidget*>(u"frmDummy"_s).isEmpty());
  }

  // A decode type that changes nothing: the status bar names the one the content looks like,
  // and one click runs it. One that fits offers nothing.
  void a_type_that_does_not_fit_offers_the_one_that_does() {
    OpenSample(u"euc_halfwidth.txt"_s);
    auto* hint = frame_->findChild<QToolButton*>(u"sbStatusBar_Hint"_s);
    Trigger(DecodeItem(*frame_, 0));
    QVERIFY(hint->isVisible());
    QVERIFY2(hint->text().contains(u"EUC → ShiftJIS"_s), qPrintable(hint->text()));
    hint->click();
    WaitForWork(*frame_);
    QVERIFY(frame_->ActiveDocument()->windowTitle().endsWith(u" (EUC→ShiftJIS)"_s));
    QVERIFY(!hint->isVisible());
    Trigger(DecodeItem(*frame_, 1));
    QVERIFY(!hint->isVisible());
  }

  // A whole mail's attachments, one or all, go into the folder the user picks, under names that
  // cannot leave it or replace a file there; a result without attachments offers none.
  void attachments_are_saved_inside_the_folder_and_replace_nothing() {
    QByteArray mail = "Subject: files\r\nContent-Type: multipart/mixed; boundary=b\r\n\r\n";
    for (const char* name : {"../escape.txt", "same.txt", "same.txt", "/etc/passwd"}) {
      mail += QByteArray(
                  "--b\r\nContent-Type: application/octet-stream\r\n"
                  "Content-Disposition: attachment; filename=\"") +
              name + "\"\r\n\r\n" + name + "\r\n";
    }
    OpenFile(WriteFile(u"files.eml"_s, mail + "--b--\r\n"));
    QDir(folder_->path()).mkdir(u"saved"_s);
    WriteFile(u"saved/same.txt"_s, "already here");
    QAction* save = Item(*frame_, "mnuFileSaveAttachments");
    QVERIFY(!save->isEnabled());
    Trigger(DecodeItem(*frame_, 5));
    QVERIFY(save->isEnabled());
    // Choosing one saves that one.
    world_->item_answers.push_back(2);
    world_->folder_answers.push_back(Path(u"saved_one"_s));
    QDir(folder_->path()).mkdir(u"saved_one"_s);
    Trigger(save);
    WaitForWork(*frame_);
    QCOMPARE(world_->offered_items.last().size(), 5);
    QCOMPARE(QDir(Path(u"saved_one"_s)).entryList(QDir::Files), QStringList{u"same.txt"_s});
    world_->item_answers.push_back(0);
    world_->folder_answers.push_back(Path(u"saved"_s));
    Trigger(save);
    WaitForWork(*frame_);
    // The naming rule itself is the mail library's (attachment_files_test): here, that every
    // attachment landed in the folder and the file that was there stayed.
    QStringList contents;
    for (const QString& name : QDir(Path(u"saved"_s)).entryList(QDir::Files)) {
      contents << QString::fromUtf8(ReadAll(Path(u"saved/"_s + name)));
    }
    contents.sort();
    QCOMPARE(contents, QStringList({u"../escape.txt"_s, u"/etc/passwd"_s, u"already here"_s,
                                    u"same.txt"_s, u"same.txt"_s}));
    QCOMPARE(ReadAll(Path(u"saved/same.txt"_s)), QByteArray("already here"));
    QVERIFY(!QFile::exists(Path(u"escape.txt"_s)));
    QVERIFY2(world_->messages.last().contains(u"4"_s), qPrintable(world_->messages.last()));
  }

  // Each repair of a whole mail is listed under its result; choosing one selects the bytes it
  // came from in the source window (shown as code page 932, so UTF-8 "é" shows as two kana) and the
  // text it became in the result.
  void choosing_a_repair_selects_its_bytes_and_its_text() {
    const QByteArray mail(
        "Subject: test\r\nContent-Type: multipart/mixed; boundary=b\r\n\r\n"
        "--b\r\nContent-Type: text/plain; charset=EUC-JP\r\n\r\n\xA4\xA2\xA4\xA4\r\nab\xFF"
        "cd\r\n--b\r\nContent-Type: text/plain; charset=UTF-8\r\n\r\n\xE6\x97\xA5\xE6\x9C\xAC"
        "\r\nx\xC3\xA9y\r\n--b--\r\n");
    OpenFile(WriteFile(u"repairs.eml"_s, mail));
    Trigger(DecodeItem(*frame_, 5));
    frmDocument* source = frame_->Documents().first();
    frmDocument* result = frame_->ActiveDocument();
    RepairReport* report = result->Report();
    QVERIFY(report != nullptr);
    QCOMPARE(report->model()->rowCount(), 2);

    // Where each repair is, found in the texts as shown.
    const QString shown_source = source->rtfText().toPlainText();
    const QString shown_result = result->rtfText().toPlainText();
    const QString ff = ToQString(BytesToText(Hex("ff")));
    struct Expected {
      QString source;
      qsizetype source_at;
      qsizetype result_at;
    };
    const Expected expected[] = {
        {ff, shown_source.indexOf(u"ab"_s + ff) + 2, shown_result.indexOf(u"ab?cd"_s) + 2},
        {u"ﾃｩ"_s, shown_source.indexOf(u"xﾃｩy"_s) + 1, shown_result.indexOf(u"x?y"_s) + 1},
    };
    for (int row = 0; row < 2; ++row) {
      report->setCurrentIndex(report->model()->index(row, 0));
      const QTextCursor in_source = source->rtfText().textCursor();
      const QTextCursor in_result = result->rtfText().textCursor();
      QCOMPARE(in_source.selectedText(), expected[row].source);
      QCOMPARE(in_source.selectionStart(), expected[row].source_at);
      QCOMPARE(in_result.selectedText(), u"?"_s);
      QCOMPARE(in_result.selectionStart(), expected[row].result_at);
    }
  }

  void a_vanished_file_converts_to_no_window() {
    QFile::remove(OpenSample(u"jis_mail.txt"_s));
    Trigger(DecodeItem(*frame_, 0));
    QCOMPARE(frame_->Documents().size(), 1);
    QVERIFY(world_->messages.isEmpty());
  }

  void the_save_button_saves_a_result_as_the_converter_wrote_it() {
    const QString source = OpenSampleAndConvert(1);
    const QString target = Path(u"out.txt"_s);
    world_->save_answers.push_back(target);
    Button(*frame_, "Save")->trigger();

    QCOMPARE(world_->open_requests.front().filter, u"すべてのﾌｧｲﾙ (*.*)"_s);
    const FileDialogRequest& request = world_->save_requests.front();
    QCOMPARE(request.filter, u"すべてのﾌｧｲﾙ (*.*)"_s);
    QCOMPARE(request.initial_folder, QFileInfo(source).absolutePath());
    QCOMPARE(request.proposed_name, u"jis_mail.txt"_s);
    QCOMPARE(ReadAll(target), Converted(source, 1));
    QCOMPARE(frame_->ActiveDocument()->windowTitle(), target);

    // Saved under a name, the window is no longer a result: Save, and saving the edits on
    // closing, go back to its file without a dialog.
    frmDocument* result = frame_->ActiveDocument();
    QVERIFY(!result->HasUnsavedEdits());
    Button(*frame_, "Save")->setEnabled(true);
    Button(*frame_, "Save")->trigger();
    QTextCursor(result->rtfText().document()).insertText(u"追記"_s);
    world_->save_answers_to_ask.push_back(SaveAnswer::save);
    result->close();
    QCOMPARE(world_->save_requests.size(), 1);
    QVERIFY(ReadAll(target).startsWith(AsBytes(TextToBytes(u"追記"))));
  }

  void a_failed_save_and_saving_a_source_change_nothing() {
    OpenSample(u"jis_mail.txt"_s);
    frame_->mnuFileSave_Click();
    frame_->mnuFileSaveAs_Click();
    QVERIFY(world_->save_requests.isEmpty());

    Trigger(DecodeItem(*frame_, 0));
    const QString caption = frame_->ActiveDocument()->windowTitle();
    const QString target = Path(u"no such folder/out.txt"_s);
    world_->save_answers.push_back(target);
    Item(*frame_, "mnuFileSaveAs")->trigger();
    QCOMPARE(world_->messages.size(), 1);
    QVERIFY(world_->messages.front().contains(target));
    QVERIFY(!QFile::exists(target));
    QCOMPARE(frame_->ActiveDocument()->windowTitle(), caption);
  }

  void print_asks_first_and_tells_when_it_fails() {
    const QString source = OpenSampleAndConvert(1);
    world_->answer_ok = false;
    Button(*frame_, "Print")->trigger();
    QCOMPARE(world_->questions,
             QStringList{"\"(1) " + source + " (JIS→ShiftJIS)\" を印刷します よろしいですか"});
    QVERIFY(world_->print_jobs.isEmpty());
    world_->answer_ok = true;
    world_->print_outcome = PrintOutcome::no_printer;
    Trigger(Button(*frame_, "Print"));
    QCOMPARE(world_->print_jobs.size(), 1);
    QCOMPARE(world_->messages.size(), 1);
    QPlainTextEdit& area = frame_->ActiveDocument()->rtfText();
    QCOMPARE(world_->printed.front(), area.document()->toRawText());
    // A selection prints alone.
    area.setTextCursor(area.document()->find(u"太郎さん"_s));
    Trigger(Button(*frame_, "Print"));
    QCOMPARE(world_->printed.back(), u"太郎さん"_s);
  }

  // One local file opens as the source; once it is open, Open is disabled and so are drops.
  void a_dropped_file_opens_as_the_source_document_and_no_second_one() {
    const QString path = Sample(u"jis_mail.txt"_s);
    const QUrl one = QUrl::fromLocalFile(path);
    QVERIFY(!Drop(*frame_, {one, one}));
    QVERIFY(!Drop(*frame_, {QUrl(u"https://www.example.com/mail.txt"_s)}));
    QVERIFY(Drop(*frame_, {one}));
    QVERIFY(!Item(*frame_, "mnuFileOpen")->isEnabled());
    QVERIFY(!Drop(*frame_, {QUrl::fromLocalFile(Sample(u"base64_mail.eml"_s))}));
    QCOMPARE(Captions(*frame_), QStringList{path});
  }

  // Filling lets events run; a command arriving then must find the lists disabled, and they are
  // enabled afterwards only while a source document is open. A size chosen changes every
  // document and keeps its font.
  void the_font_lists_follow_the_source_and_restyle_every_document() {
    OpenSampleAndConvert(2);
    bool enabled_while_filling = true;
    QTimer timer;
    timer.callOnTimeout([&] { enabled_while_filling = frame_->cboFonts().isEnabled(); });
    timer.start(0);
    FillFontLists(*frame_);
    QVERIFY(!enabled_while_filling);
    timer.stop();
    QCOMPARE(CommandStates(*frame_), u"-CSPDF"_s);

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
    Trigger(DecodeItem(*frame_, 0));
    QCOMPARE(frame_->ActiveDocument()->rtfText().font().pointSizeF(), 72.0);

    Item(*frame_, "mnuFileClose")->trigger();
    FillFontLists(*frame_);
    QCOMPARE(CommandStates(*frame_), u"O-----"_s);
  }

  void tiling_leaves_minimised_documents_alone() {
    Item(*frame_, "mnuWindowTileVertical")->trigger();  // with nothing to arrange
    OpenSampleAndConvert(2);
    frmDocument* minimised = frame_->Documents().at(1);
    minimised->showMinimized();
    const QRect parked = minimised->geometry();
    Item(*frame_, "mnuWindowTileVertical")->trigger();
    QCOMPARE(minimised->geometry(), parked);
    QVERIFY(minimised->isMinimized());
    // The other two sit side by side, the odd pixel going to the last.
    const QRect area = frame_->findChild<QMdiArea*>()->viewport()->rect();
    const QRect first = frame_->Documents().at(0)->geometry();
    QCOMPARE(first.united(frame_->Documents().at(2)->geometry()), area);
    QCOMPARE(first.size(), QSize(area.width() / 2, area.height()));
  }

  // A command failing under the toolbar must end quietly, not take the program down.
  void a_button_click_reaches_the_dispatch_which_contains_failures() {
    world_->open_fails = true;
    QToolBar* band = frame_->findChild<QToolBar*>(u"cbrTool"_s);
    QTest::mouseClick(band->widgetForAction(Button(*frame_, "Open")), Qt::LeftButton);
    QCOMPARE(world_->open_requests.size(), 1);
    QVERIFY(world_->messages.isEmpty() && frame_->Documents().isEmpty());
  }
};

}  // namespace quillora::test

QTEST_MAIN(quillora::test::frmQuillora_test)
#include "frmQuillora_test.moc"

// The document window: saving never changes an unedited text, edited text keeps its line ends, and
// the text area is filled only when the window is first shown.
#include "ui/frmDocument.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTextCursor>
#include <QTextEdit>
#include <QtTest>

#include "convert/cp932_codec.h"
#include "ui/qt_text.h"

namespace quillora {

namespace {

QByteArray AsBytes(std::span<const std::uint8_t> bytes) {
  return {reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size())};
}

// A file holding bytes, for as long as the returned folder lives.
Text FileWith(const QTemporaryDir& folder, const QByteArray& bytes) {
  QFile file(folder.filePath(QStringLiteral("source.txt")));
  file.open(QIODevice::WriteOnly);
  file.write(bytes);
  return ToText(file.fileName());
}

}  // namespace

class frmDocument_test : public QObject {
  Q_OBJECT

 private slots:
  void an_unedited_result_saves_exactly_as_held_data() {
    QTest::addColumn<QString>("text");
    QTest::newRow("CR LF") << QStringLiteral("一行目\r\n二行目\r\n");
    QTest::newRow("LF") << QStringLiteral("a\nb\n\n");
    QTest::newRow("lone CR") << QStringLiteral("a\rb");
    QTest::newRow("NUL") << QString::fromUtf16(u"a\0b\r\n\0", 6);
    QTest::newRow("no-break space and form feed") << QStringLiteral("a\u00A0b\fc");
    QTest::newRow("empty") << QString();
  }
  void an_unedited_result_saves_exactly_as_held() {
    QFETCH(QString, text);
    const ByteBuffer held = TextToBytes(ToText(text));
    frmDocument document;
    document.SetConverted(held);
    document.show();
    // Showing and restyling the text is no edit.
    document.SetFontName(QStringLiteral("Serif"));
    document.SetFontSize(20);
    QCOMPARE(AsBytes(document.BytesForSaving()), AsBytes(held));
  }

  void edited_text_keeps_the_documents_line_ends_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("saved");
    QTest::newRow("CR LF") << QStringLiteral("a\r\nb") << QByteArray("x\r\na\r\nb");
    QTest::newRow("LF") << QStringLiteral("a\nb\n") << QByteArray("x\na\nb\n");
    QTest::newRow("CR") << QStringLiteral("a\rb") << QByteArray("x\ra\rb");
    QTest::newRow("none yet") << QStringLiteral("ab") << QByteArray("x\r\nab");
    QTest::newRow("past one paragraph of lines")
        << QStringLiteral("a\r\n").repeated(100) << "x\r\n" + QByteArray("a\r\n").repeated(100);
  }
  void edited_text_keeps_the_documents_line_ends() {
    QFETCH(QString, text);
    QFETCH(QByteArray, saved);
    frmDocument document;
    document.SetConverted(TextToBytes(ToText(text)));
    document.show();
    QTextCursor cursor(document.rtfText().document());
    cursor.insertText(QStringLiteral("x\n"));
    QCOMPARE(AsBytes(document.BytesForSaving()), saved);
  }

  void a_source_file_shows_as_code_page_932_text() {
    const QTemporaryDir folder;
    frmDocument document;
    // "メール" and a line end in Shift_JIS.
    document.SetFile(FileWith(folder, QByteArray("\x83\x81\x81\x5B\x83\x8B\r\n")));
    document.show();
    QCOMPARE(document.rtfText().toPlainText(), QStringLiteral("メール\n"));
    QVERIFY(document.IsSource());
  }

  void a_rich_text_file_shows_formatted() {
    const QTemporaryDir folder;
    frmDocument document;
    document.SetFile(FileWith(folder, QByteArray("{\\rtf1 plain {\\b bold}\\par next}")));
    document.show();
    QTextEdit& area = document.rtfText();
    QCOMPARE(area.toPlainText(), QStringLiteral("plain bold\nnext"));
    QTextCursor cursor = area.document()->find(QStringLiteral("bold"));
    QVERIFY(cursor.charFormat().fontWeight() >= QFont::Bold);
    QCOMPARE(AsBytes(document.BytesForSaving()), QByteArray("plain bold\r\nnext"));
  }

  void the_text_area_waits_until_the_window_is_shown() {
    frmDocument document;
    document.SetConverted(TextToBytes(u"held"));
    QVERIFY(document.findChild<QTextEdit*>()->document()->isEmpty());
    QCOMPARE(AsBytes(document.BytesForSaving()), QByteArray("held"));
    document.show();
    QCOMPARE(document.findChild<QTextEdit*>()->toPlainText(), QStringLiteral("held"));
  }

  void an_unreadable_file_gives_an_empty_document() {
    frmDocument document;
    document.SetFile(u"/no such folder/mail.txt");
    document.show();
    QVERIFY(document.rtfText().document()->isEmpty());
    QVERIFY(document.BytesForSaving().empty());
  }
};

}  // namespace quillora

QTEST_MAIN(quillora::frmDocument_test)
#include "frmDocument_test.moc"

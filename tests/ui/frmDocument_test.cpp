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

using namespace Qt::StringLiterals;

namespace {

QByteArray AsBytes(std::span<const std::uint8_t> bytes) {
  return {reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size())};
}

// A file holding bytes, for as long as the returned folder lives.
Text FileWith(const QTemporaryDir& folder, const QByteArray& bytes) {
  QFile file(folder.filePath(u"source.txt"_s));
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
    QTest::newRow("CR LF") << u"一行目\r\n二行目\r\n"_s;
    QTest::newRow("LF") << u"a\nb\n\n"_s;
    QTest::newRow("lone CR") << u"a\rb"_s;
    QTest::newRow("NUL") << QString::fromUtf16(u"a\0b\r\n\0", 6);
    QTest::newRow("no-break space and form feed") << u"a\u00A0b\fc"_s;
    QTest::newRow("empty") << QString();
  }
  void an_unedited_result_saves_exactly_as_held() {
    QFETCH(QString, text);
    const ByteBuffer held = TextToBytes(ToText(text));
    frmDocument document;
    document.SetConverted(held);
    // The text area is filled only when the window is first shown.
    QVERIFY(document.findChild<QTextEdit*>()->document()->isEmpty());
    QCOMPARE(AsBytes(document.BytesForSaving()), AsBytes(held));
    document.show();
    QCOMPARE(document.findChild<QTextEdit*>()->toPlainText().isEmpty(), text.isEmpty());
    // Showing and restyling the text is no edit.
    document.SetFontName(u"Serif"_s);
    document.SetFontSize(20);
    QCOMPARE(AsBytes(document.BytesForSaving()), AsBytes(held));
  }

  void edited_text_keeps_the_documents_line_ends_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("saved");
    QTest::newRow("CR LF") << u"a\r\nb"_s << QByteArray("x\r\na\r\nb");
    QTest::newRow("LF") << u"a\nb\n"_s << QByteArray("x\na\nb\n");
    QTest::newRow("CR") << u"a\rb"_s << QByteArray("x\ra\rb");
    QTest::newRow("none yet") << u"ab"_s << QByteArray("x\r\nab");
    QTest::newRow("past one paragraph of lines")
        << u"a\r\n"_s.repeated(100) << "x\r\n" + QByteArray("a\r\n").repeated(100);
  }
  void edited_text_keeps_the_documents_line_ends() {
    QFETCH(QString, text);
    QFETCH(QByteArray, saved);
    frmDocument document;
    document.SetConverted(TextToBytes(ToText(text)));
    document.show();
    QTextCursor cursor(document.rtfText().document());
    cursor.insertText(u"x\n"_s);
    QCOMPARE(AsBytes(document.BytesForSaving()), saved);
  }

  // A null file stands for one that cannot be read; "bold" must show in bold where it is.
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
    const QTemporaryDir folder;
    frmDocument document;
    document.SetFile(bytes.isNull() ? Text(u"/no such folder/mail.txt") : FileWith(folder, bytes));
    document.show();
    QVERIFY(document.IsSource());
    QCOMPARE(document.rtfText().toPlainText(), shown);
    const QTextCursor bold = document.rtfText().document()->find(u"bold"_s);
    QVERIFY(bold.isNull() || bold.charFormat().fontWeight() >= QFont::Bold);
    QCOMPARE(AsBytes(document.BytesForSaving()), saved);
  }
};

}  // namespace quillora

QTEST_MAIN(quillora::frmDocument_test)
#include "frmDocument_test.moc"

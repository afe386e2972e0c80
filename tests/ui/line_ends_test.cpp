// Where bytes land in a text area: the places the repair report selects.
#include "ui/line_ends.h"

#include <QtTest>
#include <random>

#include "support/hex.h"
#include "text/cp932_codec.h"

namespace quillora::test {

class line_ends_test : public QObject {
  Q_OBJECT

 private slots:
  void byte_ranges_take_whole_characters_data() {
    QTest::addColumn<QString>("hex");
    QTest::addColumn<int>("offset");
    QTest::addColumn<int>("length");
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("to");
    // "a", the pair 82 A0, "b", CR LF, "cd": places a0 あ1 b2 (line end)3 c4 d5.
    const QString text = QStringLiteral("61 82a0 62 0d0a 6364");
    QTest::newRow("one byte") << text << 0 << 1 << 0 << 1;
    QTest::newRow("a pair") << text << 1 << 2 << 1 << 2;
    QTest::newRow("inside a pair") << text << 2 << 1 << 1 << 2;
    QTest::newRow("ending inside a pair") << text << 0 << 2 << 0 << 2;
    QTest::newRow("CR LF is one place") << text << 4 << 2 << 3 << 4;
    QTest::newRow("its LF alone") << text << 5 << 1 << 3 << 4;
    QTest::newRow("after it") << text << 6 << 2 << 4 << 6;
    QTest::newRow("nothing, between") << text << 6 << 0 << 4 << 4;
    QTest::newRow("past the end") << text << 7 << 9 << 5 << 6;
    QTest::newRow("far past the end") << text << 100 << 1 << 6 << 6;
    QTest::newRow("LF, then a lone CR") << QStringLiteral("0a 0d 61") << 1 << 2 << 1 << 3;
    QTest::newRow("lead byte last") << QStringLiteral("61 82") << 1 << 1 << 1 << 2;
    QTest::newRow("lead byte before CR") << QStringLiteral("82 0d0a 61") << 3 << 1 << 2 << 3;
  }
  void byte_ranges_take_whole_characters() {
    QFETCH(QString, hex);
    QFETCH(int, offset);
    QFETCH(int, length);
    QFETCH(int, from);
    QFETCH(int, to);
    const ByteBuffer bytes = Hex(hex.toStdString());
    const ByteRange range{static_cast<std::size_t>(offset), static_cast<std::size_t>(length)};
    const std::vector<AreaRange> places = AreaRangesOf(bytes, {&range, 1});
    QCOMPARE(places.at(0).from, static_cast<std::size_t>(from));
    QCOMPARE(places.at(0).to, static_cast<std::size_t>(to));
  }

  // The places follow the text area's own rule: the end of any bytes is the length of their text.
  void the_end_is_the_length_of_the_area_text() {
    std::mt19937 random(7);
    const std::uint8_t pool[] = {'a', '\r', '\n', 0x82, 0xA0, 0x81, 0xFC, 0xFF, 0xB1, 0x40};
    for (int round = 0; round < 500; ++round) {
      ByteBuffer bytes(random() % 40);
      for (std::uint8_t& byte : bytes) {
        byte = pool[random() % std::size(pool)];
      }
      const ByteRange all{0, bytes.size()};
      const std::vector<AreaRange> places = AreaRangesOf(bytes, {&all, 1});
      QCOMPARE(places.at(0).to, ForTextArea(BytesToText(bytes)).size());
    }
  }
};

}  // namespace quillora::test

QTEST_MAIN(quillora::test::line_ends_test)
#include "line_ends_test.moc"

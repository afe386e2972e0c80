// The main window's placement in twips, and the tiles the Window menu arranges documents in.
#include "ui/placement.h"

#include <QtTest>

#include "ui/tiling.h"

namespace quillora {

class placement_test : public QObject {
  Q_OBJECT

 private slots:
  void saved_values_are_read_as_numbers_data() {
    QTest::addColumn<QString>("left");
    QTest::addColumn<QString>("width");
    QTest::addColumn<QRect>("placed");
    const QRect none;
    QTest::newRow("defaults") << "500"
                              << "7830" << QRect(33, 33, 522, 348);
    QTest::newRow("blanks around") << " 1500 "
                                   << "7830" << QRect(100, 33, 522, 348);
    QTest::newRow("a fraction") << "1500.4"
                                << "7830" << QRect(100, 33, 522, 348);
    QTest::newRow("off the screen") << "-30000"
                                    << "7830" << QRect(-2000, 33, 522, 348);
    QTest::newRow("not a number") << "500"
                                  << "wide" << none;
    QTest::newRow("empty") << ""
                           << "7830" << none;
    QTest::newRow("beyond 32 bits") << "5000000000"
                                    << "7830" << none;
    QTest::newRow("two points") << "1.2.3"
                                << "7830" << none;
  }
  void saved_values_are_read_as_numbers() {
    QFETCH(QString, left);
    QFETCH(QString, width);
    QFETCH(QRect, placed);
    AppState state;
    state.ViewLeft = left.toStdU16String();
    state.ViewTop = u"500";
    state.ViewWidth = width.toStdU16String();
    state.ViewHeight = u"5220";
    const std::optional<QRect> rect = SavedPlacement(state, 96, 96);
    QCOMPARE(rect.value_or(QRect()), placed);
  }

  // What one close stores, the next start must place at the same pixels.
  void placement_survives_a_round_trip_data() {
    QTest::addColumn<int>("dpi");
    QTest::newRow("96") << 96;
    QTest::newRow("120") << 120;
    QTest::newRow("144") << 144;
    QTest::newRow("97") << 97;
  }
  void placement_survives_a_round_trip() {
    QFETCH(int, dpi);
    for (const QRect outer :
         {QRect(0, 0, 1, 1), QRect(7, 13, 641, 479), QRect(-31, 5, 1023, 767)}) {
      AppState state;
      StorePlacement(outer, dpi, dpi, state);
      QCOMPARE(SavedPlacement(state, dpi, dpi).value_or(QRect()), outer);
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
};

}  // namespace quillora

QTEST_MAIN(quillora::placement_test)
#include "placement_test.moc"

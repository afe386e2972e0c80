// Start-up and shut-down of the main frame: placement in twips, settings, the command-line file,
// the default-decode caption and the update notice.
#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QtTest>
#include <memory>
#include <utility>

#include "app/settings.h"
#include "platform/registry.h"
#include "support/frame_fixture.h"
#include "text/cp932_codec.h"
#include "ui/japanese_font.h"
#include "ui/placement.h"
#include "ui/qt_text.h"
#include "ui/startup/font_lists.h"
#include "ui/startup/qt_japanese.h"

namespace quillora::test {

using namespace Qt::StringLiterals;

namespace {

// The update notifier installed, with a newer build recorded for this program.
void RecordNewerBuild() {
  const std::unique_ptr<registry::Registry> store = registry::OpenPlatformRegistry();
  const ByteBuffer name =
      TextToBytes(u"Software\\Upcheck\\tovik@example.com\\Quillora－【文字コード変換】");
  registry::Key key = 0;
  QCOMPARE(store->RegCreateKeyExA(registry::kCurrentUser,
                                  {reinterpret_cast<const char*>(name.data()), name.size()}, 0,
                                  registry::kKeyAllAccess, &key),
           registry::kSuccess);
  const std::uint8_t build[] = {0x12, 0x27, 0x00, 0x00};
  store->RegSetValueExA(key, "LatestBuild", registry::kRegDword, build, sizeof build);
  store->RegCloseKey(key);
}

}  // namespace

class startup_test : public QObject, FrameFixture {
  Q_OBJECT

  QString Setting(const char16_t* section, const char16_t* key) const {
    return ToQString(ReadIniString(ToText(SettingsFile()), section, key));
  }

 private slots:
  void init() { StartEnvironment(); }
  void cleanup() { Stop(); }

  // Any one value that is not a whole 32-bit number voids the placement.
  void saved_values_are_read_as_numbers() {
    for (const auto& [left, placed] : {std::pair(u" 1500.4 "_s, QRect(100, 33, 522, 348)),
                                       {u"2000000000"_s, QRect(1 << 24, 33, 522, 348)},  // clamped
                                       {u"wide"_s, QRect()},
                                       {u"5000000000"_s, QRect()}}) {
      AppState state;
      state.ViewLeft = left.toStdU16String();
      state.ViewTop = u"500";
      state.ViewWidth = u"7830";
      state.ViewHeight = u"5220";
      QCOMPARE(SavedPlacement(state, 96, 96).value_or(QRect()), placed);
    }
  }

  // What one close stores, the next start must place at the same pixels.
  void placement_survives_a_round_trip() {
    for (const int dpi : {96, 120, 144, 97}) {
      for (const QRect outer :
           {QRect(0, 0, 1, 1), QRect(7, 13, 641, 479), QRect(-31, 5, 1023, 767)}) {
        AppState state;
        StorePlacement(outer, dpi, dpi, state);
        QCOMPARE(SavedPlacement(state, dpi, dpi).value_or(QRect()), outer);
      }
    }
  }

  // Two screens side by side, the second shorter; the window goes to the one it overlaps most.
  void a_placement_is_kept_on_a_screen_data() {
    QTest::addColumn<QRect>("outer");
    QTest::addColumn<QRect>("kept");
    QTest::newRow("inside") << QRect(10, 20, 300, 200) << QRect(10, 20, 300, 200);
    QTest::newRow("off every screen") << QRect(5000, -900, 300, 200) << QRect(724, 0, 300, 200);
    QTest::newRow("across, mostly on the second")
        << QRect(950, 500, 300, 200) << QRect(1024, 400, 300, 200);
    QTest::newRow("larger than the screen")
        << QRect(-50, -50, 3000, 2000) << QRect(0, 0, 1024, 768);
  }
  void a_placement_is_kept_on_a_screen() {
    QFETCH(QRect, outer);
    QFETCH(QRect, kept);
    const QList<QRect> screens{QRect(0, 0, 1024, 768), QRect(1024, 0, 800, 600)};
    QCOMPARE(KeptOnScreen(outer, screens), kept);
  }

  void a_start_places_the_window_on_the_screen() {
    WriteSettings("[View]\r\nLeft=-900000\r\nTop=300000\r\nWidth=900000\r\nHeight=6000\r\n");
    const auto frame = LoadFrame();
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    QVERIFY(screen.contains(frame->frameGeometry()));
    QCOMPARE(frame->frameGeometry().width(), screen.width());
    QCOMPARE(frame->frameGeometry().height(), 400);
  }

  // A first start takes the default placement, and what Exit stores the next start places at the
  // same pixels. The window system frames the window after it is shown; the frame must not be
  // added to the saved size at every start. Closed while minimised, the window keeps the placement
  // of the close before, wherever it was moved since.
  void a_restart_keeps_the_framed_placement() {
    QRect placed(33, 33, 522, 348);  // 500, 500, 7830 x 5220 twips at 96 DPI
    for (int start = 0; start < 4; ++start) {
      const auto frame = LoadFrame();
      QTRY_VERIFY(frame->frameGeometry() != frame->geometry());
      QTRY_COMPARE(frame->frameGeometry(), placed);
      if (start == 0) {
        frame->move(150, 120);
        frame->resize(600, 400);
        placed = frame->frameGeometry();
        Item(*frame, "mnuFileExit")->trigger();
        QVERIFY(!frame->isVisible());
      } else {
        if (start == 2) {
          frame->move(placed.topLeft() + QPoint(40, 40));
          frame->showMinimized();
        }
        frame->close();
      }
      // Twips at 96 DPI are 15 to the pixel.
      QCOMPARE(Setting(u"View", u"Width"), QString::number(placed.width() * 15));
      QCOMPARE(Setting(u"View", u"Height"), QString::number(placed.height() * 15));
      LoadSettings();
    }
  }

  // Quitting maximised keeps the normal placement, and the next start maximises that again.
  void a_maximised_window_comes_back_maximised() {
    WriteSettings("[View]\r\nLeft=1500\r\nTop=1500\r\nWidth=9000\r\nHeight=6000\r\n");
    for (int start = 0; start < 2; ++start) {
      const auto frame = LoadFrame();
      if (start == 0) {
        frame->showMaximized();
      }
      QTRY_VERIFY(frame->isMaximized());
      frame->close();
      QCOMPARE(Setting(u"View", u"Maximized"), u"1"_s);
      QCOMPARE(Setting(u"View", u"Width"), u"9000"_s);
      LoadSettings();
    }
    const auto frame = LoadFrame();
    QTRY_VERIFY(frame->isMaximized());
    frame->showNormal();
    frame->close();
    QCOMPARE(Setting(u"View", u"Maximized"), u"0"_s);
  }

  // A command-line path that is no file opens nothing; a file opens as the source, and the font
  // lists, filled after it, are enabled for it and show the saved size and a Japanese font.
  void the_command_line_file_is_opened_when_it_is_one() {
    App().CommandFile = ToText(Path(u"."_s));
    QVERIFY(LoadFrame()->Documents().isEmpty());
    const QString path = Sample(u"jis_mail.txt"_s);
    App().CommandFile = ToText(path);
    App().SelectFontsize = u"14";
    const auto frame = LoadFrame();
    QCOMPARE(Captions(*frame), QStringList{path});
    FillFontLists(*frame);
    WaitForWork(*frame);
    QCOMPARE(CommandStates(*frame), u"-C-PDF"_s);
    QCOMPARE(frame->cboFontSize().currentText(), u"14"_s);
    // "MS UI Gothic", the default, is no Linux font: the box and the document show an installed
    // one for Japanese, and the settings keep the stored name.
    const QString shown = frame->cboFonts().currentText();
    QVERIFY(QFontDatabase::writingSystems(shown).contains(QFontDatabase::Japanese));
    QCOMPARE(frame->ActiveDocument()->rtfText().font().family(), shown);
    QVERIFY(world_->messages.isEmpty());
    frame->close();
    QCOMPARE(Setting(u"Option", u"SelectFont"), u"MS UI Gothic"_s);
  }

  void the_default_decode_caption_follows_the_setting() {
    WriteSettings("[Option]\r\nDefaultDecodeType=7\r\n");  // past the table
    const auto frame = LoadFrame();
    frame->ShowDefaultDecodeCaption();
    QAction* item = Item(*frame, "mnuConvertRunDefault");
    QCOMPARE(item->text(), u"標準のﾃﾞｺｰﾄﾞﾀｲﾌﾟ - "_s);
    App().DefaultDecodeType = u"3";
    frame->ShowDefaultDecodeCaption();
    QCOMPARE(item->text(), u"標準のﾃﾞｺｰﾄﾞﾀｲﾌﾟ - MIME(BASE64) → ShiftJIS"_s);
  }

  void the_shown_font_falls_back_to_one_for_japanese_data() {
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("system_choice");
    QTest::addColumn<QString>("shown");  // empty: none
    QTest::newRow("installed") << u"Serif"_s << u"Gothic"_s << u"Serif"_s;
    QTest::newRow("missing") << u"MS UI Gothic"_s << u"Gothic"_s << u"Gothic"_s;
    QTest::newRow("missing, the system's pick not Japanese")
        << u"MS UI Gothic"_s << u"Serif"_s << u"Mincho"_s;
    QTest::newRow("installed, but not Japanese") << u"Serif"_s << QString() << u"Serif"_s;
  }
  void the_shown_font_falls_back_to_one_for_japanese() {
    QFETCH(QString, stored);
    QFETCH(QString, system_choice);
    QFETCH(QString, shown);
    const QStringList japanese{u"Mincho"_s, u"Gothic"_s};
    QCOMPARE(ChooseShownFont(stored, QStringList{u"Serif"_s} + japanese, japanese, system_choice),
             std::optional(shown));
    QCOMPARE(ChooseShownFont(stored, {u"Serif"_s}, {}, system_choice),
             stored == u"Serif" ? std::optional(stored) : std::nullopt);
  }

  void no_font_for_japanese_is_told() {
    const auto frame = LoadFrame();
    WarnWithoutJapaneseFont(*frame, {u"Noto Sans CJK JP"_s});
    QVERIFY(world_->messages.isEmpty());
    WarnWithoutJapaneseFont(*frame, {});
    QCOMPARE(world_->messages.size(), 1);
    QVERIFY(world_->messages.front().contains(u"ﾌｫﾝﾄ"_s));
  }

  void qt_speaks_japanese() {
    QVERIFY(UseQtJapaneseTexts(*QCoreApplication::instance()));
    const QDialogButtonBox buttons(QDialogButtonBox::Cancel | QDialogButtonBox::Save);
    QCOMPARE(buttons.button(QDialogButtonBox::Cancel)->text(), u"キャンセル"_s);
  }

  void a_newer_build_is_announced_once() {
    RecordNewerBuild();
    const auto frame = LoadFrame();
    QCOMPARE(world_->messages, QStringList{u"最新バージョンが存在します"_s});
  }
};

}  // namespace quillora::test

QTEST_MAIN(quillora::test::startup_test)
#include "startup_test.moc"

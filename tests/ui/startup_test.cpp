// Start-up and shut-down of the main frame: placement in twips, settings, the command-line file,
// the default-decode caption, the update notice and the font-name drop-down's width.
#include <QAbstractItemView>
#include <QComboBox>
#include <QtTest>
#include <memory>

#include "app/settings.h"
#include "app/startup/fit_drop_down_width.h"
#include "app/startup/font_lists.h"
#include "convert/cp932_codec.h"
#include "gui_support/frame_fixture.h"
#include "platform/registry.h"
#include "ui/placement.h"
#include "ui/qt_text.h"

namespace quillora {

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

class startup_test : public QObject, testing::FrameFixture {
  Q_OBJECT

  QString Setting(const char16_t* section, const char16_t* key) const {
    return ToQString(ReadIniString(ToText(SettingsFile()), section, key));
  }

 private slots:
  void init() { StartEnvironment(); }
  void cleanup() { Stop(); }

  // Any one value that is not a whole 32-bit number voids the placement.
  void saved_values_are_read_as_numbers_data() {
    QTest::addColumn<QString>("left");
    QTest::addColumn<QRect>("placed");
    QTest::newRow("defaults") << "500" << QRect(33, 33, 522, 348);
    QTest::newRow("blanks around") << " 1500 " << QRect(100, 33, 522, 348);
    QTest::newRow("a fraction") << "1500.4" << QRect(100, 33, 522, 348);
    QTest::newRow("off the screen") << "-30000" << QRect(-2000, 33, 522, 348);
    QTest::newRow("beyond the window system") << "2000000000" << QRect(1 << 24, 33, 522, 348);
    QTest::newRow("not a number") << "wide" << QRect();
    QTest::newRow("empty") << "" << QRect();
    QTest::newRow("beyond 32 bits") << "5000000000" << QRect();
    QTest::newRow("two points") << "1.2.3" << QRect();
  }
  void saved_values_are_read_as_numbers() {
    QFETCH(QString, left);
    QFETCH(QRect, placed);
    AppState state;
    state.ViewLeft = left.toStdU16String();
    state.ViewTop = u"500";
    state.ViewWidth = u"7830";
    state.ViewHeight = u"5220";
    QCOMPARE(SavedPlacement(state, 96, 96).value_or(QRect()), placed);
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

  void exit_keeps_the_settings_and_a_restart_finds_the_placement() {
    QRect left_at;
    {
      const auto frame = LoadFrame();
      QVERIFY(frame->isVisible());
      // A first start: 500, 500, 7830 x 5220 twips at 96 DPI.
      QCOMPARE(frame->frameGeometry(), QRect(33, 33, 522, 348));
      QVERIFY(world_->messages.isEmpty());
      QVERIFY(!QFile::exists(SettingsFile()));
      frame->move(150, 120);
      frame->resize(600, 400);
      left_at = frame->frameGeometry();
      Item(*frame, "mnuFileExit")->trigger();
      QVERIFY(!frame->isVisible());
      QVERIFY(App().DecodeTypeNames.empty());
    }
    // Twips at 96 DPI are 15 to the pixel.
    QCOMPARE(Setting(u"View", u"Left"), QString::number(left_at.left() * 15));
    QCOMPARE(Setting(u"View", u"Top"), QString::number(left_at.top() * 15));
    QCOMPARE(Setting(u"View", u"Width"), QString::number(left_at.width() * 15));
    QCOMPARE(Setting(u"View", u"Height"), QString::number(left_at.height() * 15));
    QCOMPARE(Setting(u"Option", u"DefaultDecodeType"), u"0"_s);
    QCOMPARE(Setting(u"Option", u"SelectFont"), u"MS UI Gothic"_s);

    LoadSettings();
    const auto again = LoadFrame();
    QCOMPARE(again->frameGeometry(), left_at);
  }

  void a_placement_that_is_not_a_number_is_ignored_whole() {
    WriteSettings("[View]\r\nLeft=3000\r\nTop=1500\r\nWidth=wide\r\nHeight=6000\r\n");
    QCOMPARE(LoadFrame()->frameGeometry(), QRect(33, 33, 522, 348));
  }

  void closing_while_minimised_keeps_the_earlier_placement() {
    WriteSettings("[View]\r\nLeft=1500\r\nTop=1500\r\nWidth=9000\r\nHeight=6000\r\n");
    const auto frame = LoadFrame();
    frame->showMinimized();
    frame->close();
    QCOMPARE(Setting(u"View", u"Left"), u"1500"_s);
    QCOMPARE(Setting(u"View", u"Width"), u"9000"_s);
  }

  void the_command_line_file_is_opened_when_it_exists_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("documents");
    QTest::newRow("a file") << "jis_mail.txt" << 1;
    QTest::newRow("missing") << "missing.txt" << 0;
    QTest::newRow("a folder") << "." << 0;
  }
  void the_command_line_file_is_opened_when_it_exists() {
    QFETCH(QString, name);
    QFETCH(int, documents);
    const QString path = documents == 1 ? Sample(name) : Path(name);
    App().CommandFile = ToText(path);
    const auto frame = LoadFrame();
    QCOMPARE(frame->Documents().size(), documents);
    QCOMPARE(CommandStates(*frame), documents == 0 ? u"O-----"_s : u"-C-PDF"_s);
    QVERIFY(world_->messages.isEmpty());
    if (documents == 1) {
      QCOMPARE(frame->ActiveDocument()->windowTitle(), path);
      // The font lists, filled after the file was opened, are enabled for it.
      FillFontLists(*frame);
      QVERIFY(frame->cboFonts().isEnabled());
    }
  }

  void the_default_decode_caption_follows_the_setting_data() {
    QTest::addColumn<QByteArray>("stored");
    QTest::addColumn<QString>("caption");
    QTest::newRow("MIME") << QByteArray("3") << "標準のﾃﾞｺｰﾄﾞﾀｲﾌﾟ - MIME(BASE64) → ShiftJIS";
    QTest::newRow("EUC") << QByteArray("1") << "標準のﾃﾞｺｰﾄﾞﾀｲﾌﾟ - EUC → ShiftJIS";
    QTest::newRow("past the table") << QByteArray("7") << "標準のﾃﾞｺｰﾄﾞﾀｲﾌﾟ - ";
    QTest::newRow("not a number") << QByteArray("JIS") << "標準のﾃﾞｺｰﾄﾞﾀｲﾌﾟ - ";
  }
  void the_default_decode_caption_follows_the_setting() {
    QFETCH(QByteArray, stored);
    QFETCH(QString, caption);
    WriteSettings("[Option]\r\nDefaultDecodeType=" + stored + "\r\n");
    const auto frame = LoadFrame();
    frame->ShowDefaultDecodeCaption();
    QCOMPARE(Item(*frame, "mnuConvertRunDefault")->text(), caption);
  }

  void a_newer_build_is_announced_once() {
    RecordNewerBuild();
    const auto frame = LoadFrame();
    QCOMPARE(world_->messages.size(), 1);
    QCOMPARE(world_->messages.front().text, u"最新バージョンが存在します"_s);
    QCOMPARE(world_->messages.front().title, u"Quillora－【文字コード変換】"_s);
    QCOMPARE(world_->messages.front().icon, MessageIcon::information);
  }

  void the_longest_entry_is_counted_in_bytes_data() {
    QTest::addColumn<QStringList>("entries");
    QTest::addColumn<QString>("longest");
    QTest::newRow("empty list") << QStringList{} << "";
    QTest::newRow("full width counts two") << QStringList{"abc", "あい"} << "あい　";
    QTest::newRow("a tie keeps the first") << QStringList{"abcd", "あい"} << "abcd　";
    QTest::newRow("half-width kana counts one") << QStringList{"ｱｲｳ", "ab"} << "ｱｲｳ　";
  }
  void the_longest_entry_is_counted_in_bytes() {
    QFETCH(QStringList, entries);
    QFETCH(QString, longest);
    QCOMPARE(LongestEntry(entries), longest);
  }

  void the_font_drop_down_fits_its_longest_name() {
    const auto frame = LoadFrame();
    QComboBox& fonts = frame->cboFonts();
    fonts.clear();
    fonts.addItems({u"Sans"_s, u"A very long font family name indeed"_s});
    FitDropDownWidth(*frame, fonts);
    const int text =
        QFontMetrics(frame->font()).horizontalAdvance(u"A very long font family name indeed　B"_s);
    QVERIFY(fonts.view()->minimumWidth() >= text);
    fonts.showPopup();
    QVERIFY(fonts.view()->width() >= text);
    fonts.hidePopup();
  }
};

}  // namespace quillora

QTEST_MAIN(quillora::startup_test)
#include "startup_test.moc"

// The About box: its keys, links and the System Information button, and reading the
// registry values that locate the system-information program.
#include "dialogs/frmAbout.h"

#include <QTemporaryDir>
#include <QtTest>
#include <filesystem>

#include "app/identity.h"
#include "convert/cp932_codec.h"
#include "dialogs/about_box_logic.h"
#include "gui_support/scripted_outside_world.h"
#include "platform/registry_sqlite.h"
#include "ui/qt_text.h"
#include "update/failing_registry.h"

namespace quillora {

using namespace Qt::StringLiterals;

namespace {

void SetValue(registry::Registry& store, std::string_view key, std::string_view name,
              std::uint32_t type, const QByteArray& data) {
  registry::Key handle = 0;
  QCOMPARE(store.RegCreateKeyExA(registry::kCurrentUser, key, 0, registry::kKeyAllAccess, &handle),
           registry::kSuccess);
  QCOMPARE(store.RegSetValueExA(handle, name, type, reinterpret_cast<const uint8_t*>(data.data()),
                                static_cast<std::uint32_t>(data.size())),
           registry::kSuccess);
  store.RegCloseKey(handle);
}

QByteArray SzData(const QString& text) {
  const ByteBuffer bytes = TextToBytes(ToText(text));
  return QByteArray(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size())) + '\0';
}

void MoveOver(QWidget* widget) {
  QMouseEvent move(QEvent::MouseMove, QPointF(2, 2), widget->mapToGlobal(QPointF(2, 2)),
                   Qt::NoButton, Qt::NoButton, Qt::NoModifier);
  QApplication::sendEvent(widget, &move);
}

QWidget* Child(frmAbout& box, const QString& name) {
  return box.findChild<QWidget*>(name);
}

}  // namespace

class frmAbout_test : public QObject {
  Q_OBJECT

  QTemporaryDir folder_;
  QString machine_hive_;  // the file StartSysInfo reads as the machine hive

  // The machine hive is read-only to the program, so it is filled as if it were a user hive.
  registry::SqliteRegistry MachineHiveWriter() {
    return {std::filesystem::path(machine_hive_.toStdString()), {}};
  }

 private slots:
  void init() {
    static int count = 0;
    machine_hive_ = folder_.filePath(u"machine%1.sqlite3"_s.arg(++count));
    qputenv("QUILLORA_REGISTRY", folder_.filePath(u"user.sqlite3"_s).toUtf8());
    qputenv("QUILLORA_MACHINE_REGISTRY", machine_hive_.toUtf8());
    qputenv("PATH", folder_.filePath(u"no-programs"_s).toUtf8());
  }

  void links_look_like_links() {
    frmAbout box(nullptr);
    QCOMPARE(box.minimumSize(), box.maximumSize());
    for (const char* link : {"Label1_2", "Label1_3"}) {
      const QFont font = Child(box, QLatin1String(link))->font();
      QVERIFY(font.underline());
      QCOMPARE(font.families().value(0), u"ＭＳ ゴシック"_s);
      QCOMPARE(font.pointSize(), 9);
      QCOMPARE(Child(box, QLatin1String(link))->cursor().shape(), Qt::PointingHandCursor);
    }
  }

  void keys_data() {
    QTest::addColumn<QString>("focus");
    QTest::addColumn<int>("key");
    QTest::addColumn<bool>("closed");
    QTest::newRow("Esc on OK") << "cmdOK" << int(Qt::Key_Escape) << true;
    QTest::newRow("Esc on system information") << "cmdSysInfo" << int(Qt::Key_Escape) << true;
    QTest::newRow("Enter on OK") << "cmdOK" << int(Qt::Key_Return) << true;
    QTest::newRow("Enter on system information") << "cmdSysInfo" << int(Qt::Key_Return) << false;
    QTest::newRow("Enter at opening") << "" << int(Qt::Key_Return) << true;
  }
  // Closing keys press OK; only Enter on the system information button runs it.
  void keys() {
    QFETCH(QString, focus);
    QFETCH(int, key);
    QFETCH(bool, closed);
    testing::ScriptedOutsideWorld outside;
    frmAbout box(nullptr);
    box.show();
    QVERIFY(QTest::qWaitForWindowActive(&box));
    if (!focus.isEmpty()) {
      Child(box, focus)->setFocus();
    }
    QTest::keyClick(QApplication::focusWidget(), static_cast<Qt::Key>(key));
    QCOMPARE(!box.isVisible(), closed);
    QCOMPARE(box.result(), closed ? int(QDialog::Accepted) : 0);
    QCOMPARE(outside.messages.size() + outside.started.size(), closed ? 0 : 1);
  }

  // A link turns red under the pointer and back to blue only over the bare surface.
  void link_colours_data() {
    QTest::addColumn<QStringList>("moves");
    QTest::addColumn<QString>("colours");  // mail link, home-page link
    QTest::newRow("over the mail link") << QStringList{"Label1_2"} << "#ff0000 #0000ff";
    QTest::newRow("over both") << QStringList{"Label1_2", "Label1_3"} << "#ff0000 #ff0000";
    QTest::newRow("on to the surface")
        << QStringList{"Label1_2", "Label1_3", ""} << "#0000ff #0000ff";
    QTest::newRow("on to a button") << QStringList{"Label1_3", "cmdOK"} << "#0000ff #ff0000";
    QTest::newRow("on to the copyright")
        << QStringList{"Label1_2", "Label1_0"} << "#ff0000 #0000ff";
  }
  void link_colours() {
    QFETCH(QStringList, moves);
    QFETCH(QString, colours);
    frmAbout box(nullptr);
    box.show();
    for (const QString& target : moves) {
      MoveOver(target.isEmpty() ? &box : Child(box, target));
    }
    QCOMPARE(Child(box, "Label1_2")->palette().color(QPalette::WindowText).name() + ' ' +
                 Child(box, "Label1_3")->palette().color(QPalette::WindowText).name(),
             colours);
  }

  void clicks_data() {
    QTest::addColumn<QString>("label");
    QTest::addColumn<int>("button");
    QTest::addColumn<QString>("opened");
    QTest::newRow("mail") << "Label1_2" << int(Qt::LeftButton) << "mailto:tovik@example.com";
    QTest::newRow("home page") << "Label1_3" << int(Qt::LeftButton)
                               << "http://www.example.com/tovik/";
    QTest::newRow("right button") << "Label1_2" << int(Qt::RightButton) << "";
    QTest::newRow("copyright") << "Label1_0" << int(Qt::LeftButton) << "";
  }
  void clicks() {
    QFETCH(QString, label);
    QFETCH(int, button);
    QFETCH(QString, opened);
    testing::ScriptedOutsideWorld outside;
    frmAbout box(nullptr);
    box.show();
    QTest::mouseClick(Child(box, label), static_cast<Qt::MouseButton>(button));
    QCOMPARE(outside.opened.join(u' '), opened);
    QVERIFY(outside.started.isEmpty());
    QVERIFY(box.isVisible());
  }

  // Null registry texts are absent values; "@" stands for the test's folder, where "@/情報" holds
  // MSINFO32.EXE and "@/空" nothing; an empty started program means none is found.
  void start_sys_info_data() {
    QTest::addColumn<QString>("path_value");
    QTest::addColumn<QString>("folder_value");
    QTest::addColumn<QString>("desktop_program");
    QTest::addColumn<QString>("started");
    const QString none;
    const QString msinfo = u"C:\\Program Files\\msinfo32.exe"_s;
    const QString opt = u"/opt/msinfo"_s;
    const QString full = u"@/情報"_s;
    const QString empty = u"@/空"_s;
    QTest::newRow("PATH run unchanged, unchecked") << msinfo << none << none << msinfo;
    QTest::newRow("PATH wins over the folder") << opt << full << none << opt;
    QTest::newRow("folder with the program") << none << full << none << full + "/MSINFO32.EXE";
    QTest::newRow("folder without the program") << none << empty << none << none;
    QTest::newRow("neither") << none << none << none << none;
    QTest::newRow("desktop program") << none << none << "kinfocenter" << u"@/bin/kinfocenter"_s;
    QTest::newRow("empty folder, desktop program")
        << none << empty << "hardinfo" << u"@/bin/hardinfo"_s;
  }
  void start_sys_info() {
    QFETCH(QString, path_value);
    QFETCH(QString, folder_value);
    QFETCH(QString, desktop_program);
    QFETCH(QString, started);
    QTemporaryDir here;
    const auto at = [&here](QString text) { return text.replace('@', here.path()); };
    QDir().mkpath(at("@/空"));
    QDir().mkpath(at("@/情報"));
    QFile(at("@/情報/MSINFO32.EXE")).open(QIODevice::WriteOnly);
    if (!desktop_program.isEmpty()) {
      QDir().mkpath(at("@/bin"));
      QFile program(at("@/bin/") + desktop_program);
      QVERIFY(program.open(QIODevice::WriteOnly));
      program.setPermissions(program.permissions() | QFileDevice::ExeOwner);
      qputenv("PATH", at("@/bin").toUtf8());
    }
    {
      registry::SqliteRegistry writer = MachineHiveWriter();
      if (!path_value.isNull()) {
        SetValue(writer, R"(SOFTWARE\Microsoft\Shared Tools\MSINFO)", "PATH", registry::kRegSz,
                 SzData(path_value));
      }
      if (!folder_value.isNull()) {
        SetValue(writer, R"(SOFTWARE\Microsoft\Shared Tools Location)", "MSINFO", registry::kRegSz,
                 SzData(at(folder_value)));
      }
    }

    testing::ScriptedOutsideWorld outside;
    frmAbout box(nullptr);
    box.StartSysInfo();
    QCOMPARE(outside.started, started.isEmpty() ? QStringList() : QStringList{at(started)});
    QCOMPARE(outside.messages.size(), started.isEmpty() ? 1 : 0);
    // A program that will not start is told as if there were none.
    outside.program_starts = false;
    box.StartSysInfo();
    QCOMPARE(outside.messages.size(), started.isEmpty() ? 2 : 1);
    QCOMPARE(outside.messages.back().title, ToQString(identity::kTitle));
    QCOMPARE(outside.messages.back().text, u"現時点ではｼｽﾃﾑ情報を使用できません"_s);
  }

  // Each case is read with and without write access granted; no key is left open.
  void get_key_value_data() {
    QTest::addColumn<int>("type");
    QTest::addColumn<QByteArray>("data");  // null: no value; "no key": no key either
    QTest::addColumn<bool>("answer");
    QTest::addColumn<QString>("text");
    QTest::newRow("text cut at a zero byte") << 1 << QByteArray("ab\0cd\0", 6) << true << "ab";
    QTest::newRow("code page 932 text") << 1 << QByteArray("\x82\xa0\0", 3) << true << u"あ"_s;
    QTest::newRow("dword") << 4 << QByteArray("\x00\xf4\x01\x00", 4) << true << "1F400";
    QTest::newRow("other type keeps the text") << 3 << QByteArray("\x01\x02", 2) << true << "old";
    QTest::newRow("1024 bytes") << 1 << QByteArray(1023, 'a').append('\0') << true
                                << QString(1023, 'a');
    QTest::newRow("longer than 1024 bytes")
        << 1 << QByteArray(1024, 'a').append('\0') << false << "";
    QTest::newRow("no value") << 1 << QByteArray() << false << "";
    QTest::newRow("no key") << 1 << QByteArray("no key") << false << "";
  }
  void get_key_value() {
    QFETCH(int, type);
    QFETCH(QByteArray, data);
    QFETCH(bool, answer);
    QFETCH(QString, text);
    registry::SqliteRegistry store = MachineHiveWriter();
    if (data != "no key") {
      SetValue(store, "Software\\Test", "Other", 1, SzData("x"));
    }
    if (!data.isNull() && data != "no key") {
      SetValue(store, "Software\\Test", "Value", static_cast<std::uint32_t>(type), data);
    }
    for (const bool deny_write : {false, true}) {
      testing::FailingRegistry guarded(store);
      guarded.deny_write = deny_write;
      Text value = u"old";
      QCOMPARE(GetKeyValue(guarded, registry::kCurrentUser, "Software\\Test", "Value", value),
               answer);
      QCOMPARE(ToQString(value), text);
      QVERIFY(guarded.open_keys.empty());
    }
  }
};

}  // namespace quillora

QTEST_MAIN(quillora::frmAbout_test)
#include "frmAbout_test.moc"

#include "dialogs/frmAbout.h"

#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>
#include <filesystem>
#include <fstream>
#include <string>

#include "app/identity.h"
#include "convert/cp932_codec.h"
#include "dialogs/about_box_logic.h"
#include "dialogs/fake_outside_world.h"
#include "platform/registry_sqlite.h"
#include "ui/qt_text.h"

namespace quillora {
namespace {

constexpr std::string_view kMsinfoKey = R"(SOFTWARE\Microsoft\Shared Tools\MSINFO)";
constexpr std::string_view kLocationKey = R"(SOFTWARE\Microsoft\Shared Tools Location)";

void SetValue(registry::Registry& store, registry::Key root, std::string_view key,
              std::string_view name, std::uint32_t type, const ByteBuffer& data) {
  registry::Key handle = 0;
  QCOMPARE(store.RegCreateKeyExA(root, key, 0, registry::kKeyAllAccess, &handle),
           registry::kSuccess);
  QCOMPARE(store.RegSetValueExA(handle, name, type, data.data(),
                                static_cast<std::uint32_t>(data.size())),
           registry::kSuccess);
  store.RegCloseKey(handle);
}

ByteBuffer SzData(const QString& text) {
  ByteBuffer bytes = TextToBytes(ToText(text));
  bytes.push_back(0);
  return bytes;
}

// Counts opened and closed keys, and refuses write access as a standard user's Windows does for
// the machine hive.
class GuardedRegistry final : public registry::Registry {
 public:
  explicit GuardedRegistry(registry::Registry& inner) : inner_(inner) {}
  registry::Status RegOpenKeyExA(registry::Key parent, std::string_view sub_key,
                                 std::uint32_t options, std::uint32_t access,
                                 registry::Key* result) override {
    constexpr std::uint32_t kWriteAccess = registry::kKeySetValue | registry::kKeyCreateSubKey;
    if (deny_write && (access & kWriteAccess) != 0) {
      return registry::kAccessDenied;
    }
    const registry::Status status = inner_.RegOpenKeyExA(parent, sub_key, options, access, result);
    if (status == registry::kSuccess) {
      ++open;
    }
    return status;
  }
  registry::Status RegCreateKeyExA(registry::Key parent, std::string_view sub_key,
                                   std::uint32_t options, std::uint32_t access,
                                   registry::Key* result) override {
    return inner_.RegCreateKeyExA(parent, sub_key, options, access, result);
  }
  registry::Status RegQueryValueExA(registry::Key key, std::string_view value_name,
                                    std::uint32_t* type, std::uint8_t* data,
                                    std::uint32_t* size) override {
    return inner_.RegQueryValueExA(key, value_name, type, data, size);
  }
  registry::Status RegSetValueExA(registry::Key key, std::string_view value_name,
                                  std::uint32_t type, const std::uint8_t* data,
                                  std::uint32_t size) override {
    return inner_.RegSetValueExA(key, value_name, type, data, size);
  }
  registry::Status RegCloseKey(registry::Key key) override {
    --open;
    return inner_.RegCloseKey(key);
  }

  bool deny_write = false;
  int open = 0;

 private:
  registry::Registry& inner_;
};

void MoveOver(QWidget* widget) {
  QMouseEvent move(QEvent::MouseMove, QPointF(2, 2), widget->mapToGlobal(QPointF(2, 2)),
                   Qt::NoButton, Qt::NoButton, Qt::NoModifier);
  QApplication::sendEvent(widget, &move);
}

template <typename T = QWidget>
T* Child(frmAbout& box, const QString& name) {
  return box.findChild<T*>(name);
}

}  // namespace

class frmAbout_test : public QObject {
  Q_OBJECT

  QTemporaryDir folder_;
  QString machine_hive_;  // the file StartSysInfo reads as the machine hive

  // Fills the machine hive through a store that can write it: the machine hive itself is read-only.
  void WriteMachineHive(const QString& path, const QString& folder) {
    registry::SqliteRegistry writer(std::filesystem::path(machine_hive_.toStdString()), {});
    if (!path.isNull()) {
      SetValue(writer, registry::kCurrentUser, kMsinfoKey, "PATH", registry::kRegSz, SzData(path));
    }
    if (!folder.isNull()) {
      SetValue(writer, registry::kCurrentUser, kLocationKey, "MSINFO", registry::kRegSz,
               SzData(folder));
    }
  }

 private slots:
  void initTestCase() {
    QVERIFY(folder_.isValid());
    qputenv("QUILLORA_REGISTRY", folder_.filePath(QStringLiteral("user.sqlite3")).toUtf8());
  }

  void init() {
    static int count = 0;
    machine_hive_ = folder_.filePath(QStringLiteral("machine%1.sqlite3").arg(++count));
    qputenv("QUILLORA_MACHINE_REGISTRY", machine_hive_.toUtf8());
    qputenv("PATH", folder_.filePath(QStringLiteral("no-programs")).toUtf8());
  }

  void layout_is_as_designed() {
    frmAbout box(nullptr);
    QCOMPARE(box.windowTitle(), ToQString(identity::kTitle) + QStringLiteral(u"のﾊﾞｰｼﾞｮﾝ情報"));
    QCOMPARE(box.size(), QSize(382, 143));  // 5730 x 2145 twips at 96 DPI
    QCOMPARE(box.minimumSize(), box.maximumSize());
    QCOMPARE(Child<QLabel>(box, "lblTitle")->text(),
             QStringLiteral(u"Quillora－【文字コード変換】"));
    QCOMPARE(Child<QLabel>(box, "lblVersion")->text(), QStringLiteral("Ver1.0.1"));
    QCOMPARE(Child<QLabel>(box, "Label1_0")->text(), ToQString(identity::kCopyright));
    QCOMPARE(Child<QLabel>(box, "Label1_2")->text(), QStringLiteral("mailto:tovik@example.com"));
    QCOMPARE(Child<QLabel>(box, "Label1_3")->text(),
             QStringLiteral("http://www.example.com/tovik/"));
    QCOMPARE(Child(box, "picIcon")->geometry(), QRect(16, 16, 32, 32));
    QCOMPARE(Child(box, "Label1_2")->pos(), QPoint(96, 48));
    QCOMPARE(Child(box, "Label1_3")->pos(), QPoint(96, 72));
    QCOMPARE(Child<QPushButton>(box, "cmdSysInfo")->text(), QStringLiteral(u"ｼｽﾃﾑ情報(&S)..."));
    QCOMPARE(Child(box, "cmdSysInfo")->geometry(), QRect(192, 112, 87, 23));
    QCOMPARE(Child(box, "cmdOK")->geometry(), QRect(284, 111, 87, 23));
    for (const char* link : {"Label1_2", "Label1_3"}) {
      const QFont font = Child(box, QLatin1String(link))->font();
      QVERIFY(font.underline());
      QCOMPARE(font.families().value(0), QStringLiteral(u"ＭＳ ゴシック"));
      QCOMPARE(font.pointSize(), 9);
      QCOMPARE(Child(box, QLatin1String(link))->cursor().shape(), Qt::PointingHandCursor);
    }
  }

  void keys_data() {
    QTest::addColumn<QString>("focus");
    QTest::addColumn<int>("key");
    QTest::addColumn<bool>("closed");
    QTest::addColumn<bool>("sys_info_ran");
    QTest::newRow("Esc on OK") << "cmdOK" << int(Qt::Key_Escape) << true << false;
    QTest::newRow("Esc on system information")
        << "cmdSysInfo" << int(Qt::Key_Escape) << true << false;
    QTest::newRow("Enter on OK") << "cmdOK" << int(Qt::Key_Return) << true << false;
    QTest::newRow("Enter on system information")
        << "cmdSysInfo" << int(Qt::Key_Return) << false << true;
    QTest::newRow("Enter at opening") << "" << int(Qt::Key_Return) << true << false;
  }
  void keys() {
    QFETCH(QString, focus);
    QFETCH(int, key);
    QFETCH(bool, closed);
    QFETCH(bool, sys_info_ran);
    FakeOutsideWorld outside;
    frmAbout box(nullptr);
    box.show();
    QVERIFY(QTest::qWaitForWindowActive(&box));
    if (!focus.isEmpty()) {
      Child(box, focus)->setFocus();
    }
    QTest::keyClick(QApplication::focusWidget(), static_cast<Qt::Key>(key));
    QCOMPARE(!box.isVisible(), closed);
    if (closed) {
      QCOMPARE(box.result(), int(QDialog::Accepted));  // Esc presses OK
    }
    QCOMPARE(outside.messages.size() + outside.started.size() == 1, sys_info_ran);
  }

  void link_colours_data() {
    QTest::addColumn<QStringList>("moves");
    QTest::addColumn<QString>("mail");
    QTest::addColumn<QString>("home");
    QTest::newRow("over the mail link") << QStringList{"Label1_2"} << "#ff0000"
                                        << "#0000ff";
    QTest::newRow("over both links") << QStringList{"Label1_2", "Label1_3"} << "#ff0000"
                                     << "#ff0000";
    QTest::newRow("on to the surface") << QStringList{"Label1_2", "Label1_3", ""} << "#0000ff"
                                       << "#0000ff";
    QTest::newRow("on to a button") << QStringList{"Label1_3", "cmdOK"} << "#0000ff"
                                    << "#ff0000";
    QTest::newRow("on to the copyright") << QStringList{"Label1_2", "Label1_0"} << "#ff0000"
                                         << "#0000ff";
  }
  void link_colours() {
    QFETCH(QStringList, moves);
    QFETCH(QString, mail);
    QFETCH(QString, home);
    frmAbout box(nullptr);
    box.show();
    for (const QString& target : moves) {
      MoveOver(target.isEmpty() ? &box : Child(box, target));
    }
    QCOMPARE(Child(box, "Label1_2")->palette().color(QPalette::WindowText).name(), mail);
    QCOMPARE(Child(box, "Label1_3")->palette().color(QPalette::WindowText).name(), home);
  }

  void clicks_data() {
    QTest::addColumn<QString>("label");
    QTest::addColumn<int>("button");
    QTest::addColumn<QStringList>("opened");
    QTest::newRow("mail") << "Label1_2" << int(Qt::LeftButton)
                          << QStringList{"mailto:tovik@example.com"};
    QTest::newRow("home page") << "Label1_3" << int(Qt::LeftButton)
                               << QStringList{"http://www.example.com/tovik/"};
    QTest::newRow("right button") << "Label1_2" << int(Qt::RightButton) << QStringList{};
    QTest::newRow("copyright") << "Label1_0" << int(Qt::LeftButton) << QStringList{};
  }
  void clicks() {
    QFETCH(QString, label);
    QFETCH(int, button);
    QFETCH(QStringList, opened);
    FakeOutsideWorld outside;
    frmAbout box(nullptr);
    box.show();
    QTest::mouseClick(Child(box, label), static_cast<Qt::MouseButton>(button));
    QCOMPARE(outside.opened, opened);
    QVERIFY(outside.started.isEmpty());
    QVERIFY(box.isVisible());
  }

  // Null registry texts are absent values; "@" stands for the test's folder.
  void start_sys_info_data() {
    QTest::addColumn<QString>("path_value");
    QTest::addColumn<QString>("folder_value");
    QTest::addColumn<bool>("msinfo_exists");
    QTest::addColumn<QString>("desktop_program");
    QTest::addColumn<QString>("started");
    const QString none;
    QTest::newRow("PATH run unchanged, unchecked")
        << "C:\\Program Files\\msinfo32.exe" << none << false << ""
        << "C:\\Program Files\\msinfo32.exe";
    QTest::newRow("PATH wins over the folder") << "/opt/msinfo"
                                               << "@/情報" << true << ""
                                               << "/opt/msinfo";
    QTest::newRow("folder with the program") << none << "@/情報" << true << ""
                                             << "@/情報/MSINFO32.EXE";
    QTest::newRow("folder without the program") << none << "@/情報" << false << ""
                                                << "";
    QTest::newRow("neither") << none << none << false << ""
                             << "";
    QTest::newRow("desktop program") << none << none << false << "kinfocenter"
                                     << "@/bin/kinfocenter";
    QTest::newRow("folder without the program, desktop program")
        << none << "@/情報" << false << "hardinfo"
        << "@/bin/hardinfo";
  }
  void start_sys_info() {
    QFETCH(QString, path_value);
    QFETCH(QString, folder_value);
    QFETCH(bool, msinfo_exists);
    QFETCH(QString, desktop_program);
    QFETCH(QString, started);
    QTemporaryDir here;
    const auto at = [&here](QString text) { return text.replace('@', here.path()); };
    QDir().mkpath(at("@/情報"));
    if (msinfo_exists) {
      QFile(at("@/情報/MSINFO32.EXE")).open(QIODevice::WriteOnly);
    }
    if (!desktop_program.isEmpty()) {
      QDir().mkpath(at("@/bin"));
      QFile program(at("@/bin/") + desktop_program);
      QVERIFY(program.open(QIODevice::WriteOnly));
      program.setPermissions(program.permissions() | QFileDevice::ExeOwner);
      qputenv("PATH", at("@/bin").toUtf8());
    }
    WriteMachineHive(path_value, folder_value.isNull() ? folder_value : at(folder_value));

    FakeOutsideWorld outside;
    frmAbout box(nullptr);
    box.StartSysInfo();
    if (started.isEmpty()) {
      QVERIFY(outside.started.isEmpty());
      QCOMPARE(outside.messages,
               QStringList{ToQString(identity::kTitle) +
                           QStringLiteral(u"|現時点ではｼｽﾃﾑ情報を使用できません")});
    } else {
      QCOMPARE(outside.started, QStringList{at(started)});
      QVERIFY(outside.messages.isEmpty());
    }
  }

  void program_that_fails_to_start_is_reported() {
    WriteMachineHive(QStringLiteral("/opt/msinfo"), QString());
    FakeOutsideWorld outside;
    outside.programs_start = false;
    frmAbout box(nullptr);
    box.StartSysInfo();
    QCOMPARE(outside.messages.size(), 1);
  }

  void get_key_value_data() {
    QTest::addColumn<int>("type");
    QTest::addColumn<QByteArray>("data");  // null: no value
    QTest::addColumn<bool>("answer");
    QTest::addColumn<QString>("text");
    QTest::newRow("text") << 1 << QByteArray("C:\\x\0", 5) << true << "C:\\x";
    QTest::newRow("text cut at a zero byte") << 1 << QByteArray("ab\0cd\0", 6) << true << "ab";
    QTest::newRow("code page 932 text") << 1 << QByteArray("\x82\xa0\0", 3) << true << u"あ"_qs;
    QTest::newRow("dword") << 4 << QByteArray("\x00\xf4\x01\x00", 4) << true << "1F400";
    QTest::newRow("dword with a zero low byte")
        << 4 << QByteArray("\x00\x01\x00\x00", 4) << true << "100";
    QTest::newRow("other type keeps the text") << 3 << QByteArray("\x01\x02", 2) << true << "old";
    QTest::newRow("1024 bytes") << 1 << QByteArray(1023, 'a').append('\0') << true
                                << QString(1023, 'a');
    QTest::newRow("longer than 1024 bytes")
        << 1 << QByteArray(1024, 'a').append('\0') << false << "";
    QTest::newRow("no value") << 1 << QByteArray() << false << "";
  }
  void get_key_value() {
    QFETCH(int, type);
    QFETCH(QByteArray, data);
    QFETCH(bool, answer);
    QFETCH(QString, text);
    registry::SqliteRegistry store(std::filesystem::path(machine_hive_.toStdString()), {});
    SetValue(store, registry::kCurrentUser, "Software\\Test", "Other", 1, SzData("x"));
    if (!data.isNull()) {
      SetValue(store, registry::kCurrentUser, "Software\\Test", "Value",
               static_cast<std::uint32_t>(type), ByteBuffer(data.begin(), data.end()));
    }
    for (const bool deny_write : {false, true}) {
      GuardedRegistry guarded(store);
      guarded.deny_write = deny_write;
      Text value = u"old";
      QCOMPARE(GetKeyValue(guarded, registry::kCurrentUser, "Software\\Test", "Value", value),
               answer);
      QCOMPARE(ToQString(value), text);
      QCOMPARE(guarded.open, 0);
    }
  }

  void get_key_value_without_the_key() {
    registry::SqliteRegistry store(std::filesystem::path(machine_hive_.toStdString()), {});
    GuardedRegistry guarded(store);
    Text value = u"old";
    QVERIFY(!GetKeyValue(guarded, registry::kLocalMachine, "Software\\None", "Value", value));
    QVERIFY(value.empty());
    QCOMPARE(guarded.open, 0);
  }
};

}  // namespace quillora

QTEST_MAIN(quillora::frmAbout_test)
#include "frmAbout_test.moc"

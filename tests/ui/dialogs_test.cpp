// The About box's keys, links and System Information button, and the Options dialog.
#include <QComboBox>
#include <QTemporaryDir>
#include <QtTest>
#include <filesystem>

#include "app/modQuillora.h"
#include "platform/registry_sqlite.h"
#include "support/scripted_outside_world.h"
#include "text/cp932_codec.h"
#include "ui/dialogs/frmAbout.h"
#include "ui/dialogs/frmOption.h"
#include "ui/qt_text.h"

namespace quillora::test {

using namespace Qt::StringLiterals;

namespace {

// Records a REG_SZ value in code page 932, ended by a zero byte.
void SetText(registry::Registry& store, std::string_view key, std::string_view name,
             const QString& text) {
  const ByteBuffer bytes = TextToBytes(ToText(text + QChar(0)));
  registry::Key handle = 0;
  QCOMPARE(store.RegCreateKeyExA(registry::kCurrentUser, key, 0, registry::kKeyAllAccess, &handle),
           registry::kSuccess);
  store.RegSetValueExA(handle, name, registry::kRegSz, bytes.data(),
                       static_cast<std::uint32_t>(bytes.size()));
  store.RegCloseKey(handle);
}

QWidget* Child(frmAbout& box, const QString& name) {
  return box.findChild<QWidget*>(name);
}

}  // namespace

class dialogs_test : public QObject {
  Q_OBJECT

  QTemporaryDir folder_;
  QString machine_hive_;  // the file StartSysInfo reads as the machine hive

 private slots:
  void init() {
    machine_hive_ = folder_.filePath(u"machine.sqlite3"_s);
    qputenv("QUILLORA_REGISTRY", folder_.filePath(u"user.sqlite3"_s).toUtf8());
    qputenv("QUILLORA_MACHINE_REGISTRY", machine_hive_.toUtf8());
    qputenv("PATH", folder_.filePath(u"no-programs"_s).toUtf8());
  }

  // Enter on the System Information button runs it; only a left click opens a link, and the
  // box stays open; Esc anywhere presses OK.
  void keys_and_links() {
    ScriptedOutsideWorld outside;
    frmAbout box(nullptr);
    box.show();
    QVERIFY(QTest::qWaitForWindowActive(&box));
    Child(box, u"cmdSysInfo"_s)->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QVERIFY(box.isVisible());
    QTest::mouseClick(Child(box, u"Label1_3"_s), Qt::RightButton);
    QTest::mouseClick(Child(box, u"Label1_2"_s), Qt::LeftButton);
    QCOMPARE(outside.opened, QStringList{u"mailto:tovik@example.com"_s});
    QCOMPARE(outside.messages.size() + outside.started.size(), 1);
    QVERIFY(box.isVisible());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    QVERIFY(!box.isVisible());
    QCOMPARE(box.result(), int(QDialog::Accepted));
  }

  // Without the machine hive's entries a desktop information program on PATH is started; the
  // folder entry (code page 932) finds MSINFO32.EXE there; the PATH entry wins, run unchecked.
  // One that will not start is told as if there were none.
  void system_information_is_found_and_started() {
    const QString folder = folder_.filePath(u"情報"_s);
    const QString desktop = folder_.filePath(u"kinfocenter"_s);
    QDir().mkpath(folder);
    QFile(folder + "/MSINFO32.EXE").open(QIODevice::WriteOnly);
    QFile program(desktop);
    QVERIFY(program.open(QIODevice::WriteOnly));
    program.setPermissions(program.permissions() | QFileDevice::ExeOwner);
    qputenv("PATH", folder_.path().toUtf8());
    ScriptedOutsideWorld outside;
    frmAbout box(nullptr);
    // The program may only read the machine hive; the test fills it as if it were a user hive.
    registry::SqliteRegistry writer{std::filesystem::path(machine_hive_.toStdString()), {}};
    box.StartSysInfo();
    SetText(writer, R"(SOFTWARE\Microsoft\Shared Tools Location)", "MSINFO", folder);
    box.StartSysInfo();
    SetText(writer, R"(SOFTWARE\Microsoft\Shared Tools\MSINFO)", "PATH", u"/opt/msinfo"_s);
    box.StartSysInfo();
    QCOMPARE(outside.started, (QStringList{desktop, folder + "/MSINFO32.EXE", u"/opt/msinfo"_s}));
    QVERIFY(outside.messages.isEmpty());
    outside.program_starts = false;
    box.StartSysInfo();
    QCOMPARE(outside.messages.size(), 1);
  }

  // A stored value that names no entry, which only a hand-edited settings file gives, selects
  // none and is kept unless another is picked. Neither button is the default and Esc is no
  // Cancel: only Enter on a button closes.
  void opens_with_the_stored_default_and_stores_the_pick_on_ok_data() {
    QTest::addColumn<QString>("stored");
    QTest::addColumn<int>("selected");
    QTest::addColumn<QString>("focus");
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("kept");  // empty while the dialog stays open
    QTest::newRow("first, OK stores the pick") << "0" << 0 << "cmdOk" << int(Qt::Key_Return) << "4";
    QTest::newRow("last, cancelled") << "3" << 3 << "cmdCancel" << int(Qt::Key_Return) << "3";
    QTest::newRow("not a number, Enter on the list")
        << "MIME" << -1 << "cboDecodeType" << int(Qt::Key_Return) << "";
    QTest::newRow("Esc on cancel") << "0" << 0 << "cmdCancel" << int(Qt::Key_Escape) << "";
  }
  void opens_with_the_stored_default_and_stores_the_pick_on_ok() {
    QFETCH(QString, stored);
    QFETCH(int, selected);
    QFETCH(QString, focus);
    QFETCH(int, key);
    QFETCH(QString, kept);
    App().DefaultDecodeType = ToText(stored);
    frmOption dialog;
    auto* list = dialog.findChild<QComboBox*>(QStringLiteral("cboDecodeType"));
    QCOMPARE(list->currentIndex(), selected);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    list->setCurrentIndex(4);
    dialog.findChild<QWidget*>(focus)->setFocus();
    QTest::keyClick(QApplication::focusWidget(), static_cast<Qt::Key>(key));
    QCOMPARE(dialog.isVisible(), kept.isEmpty());
    QCOMPARE(ToQString(App().DefaultDecodeType), kept.isEmpty() ? stored : kept);
  }
};

}  // namespace quillora::test

QTEST_MAIN(quillora::test::dialogs_test)
#include "dialogs_test.moc"

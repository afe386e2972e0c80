// Settings and registry in a temporary folder, dialogs answered by a script. Test classes inherit
// it beside QObject, so their slots are the test functions and nothing else.
#pragma once

#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

#include "app/modQuillora.h"
#include "app/settings.h"
#include "support/scripted_outside_world.h"
#include "ui/frmDocument.h"
#include "ui/frmQuillora.h"

namespace quillora::test {

class FrameFixture {
 protected:
  void StartEnvironment() {
    folder_ = std::make_unique<QTemporaryDir>();
    qputenv(kSettingsFileVariable, SettingsFile().toUtf8());
    qputenv("QUILLORA_REGISTRY", Path(QStringLiteral("registry.db")).toUtf8());
    App() = AppState{};
    LoadSettings();
    world_ = std::make_unique<ScriptedOutsideWorld>();
  }

  // A start as Main makes it, after the settings and the command line are in App().
  [[nodiscard]] static std::unique_ptr<frmQuillora> LoadFrame() {
    auto frame = std::make_unique<frmQuillora>();
    frame->MDIForm_Load();
    return frame;
  }

  void Stop() {
    frame_.reset();
    world_.reset();
    qunsetenv(kSettingsFileVariable);
    qunsetenv("QUILLORA_REGISTRY");
    App() = AppState{};
    folder_.reset();
  }

  [[nodiscard]] QString SettingsFile() const { return Path(QStringLiteral("Quillora.ini")); }
  [[nodiscard]] QString Path(const QString& name) const { return folder_->filePath(name); }

  [[nodiscard]] QString Sample(const QString& name) const {
    const QString copy = Path(name);
    QFile::copy(QStringLiteral(QUILLORA_SAMPLES_DIR "/") + name, copy);
    return copy;
  }

  // Returns the file's path.
  QString WriteFile(const QString& name, const QByteArray& content) const {
    QFile file(Path(name));
    file.open(QIODevice::WriteOnly | QIODevice::Truncate);
    file.write(content);
    return file.fileName();
  }

  // Rewrites the settings file and loads it again, as a new start would.
  void WriteSettings(const QByteArray& content) const {
    WriteFile(QStringLiteral("Quillora.ini"), content);
    LoadSettings();
  }

  // Opens the file through the Open dialog; returns its path.
  QString OpenFile(const QString& path) {
    world_->open_answers.push_back(path);
    Trigger(Item(*frame_, "mnuFileOpen"));
    return path;
  }
  QString OpenSample(const QString& name) { return OpenFile(Sample(name)); }

  // Runs a command and lets the work it started off the user-interface thread come back.
  void Trigger(QAction* command) const {
    command->trigger();
    WaitForWork(*frame_);
  }
  static void WaitForWork(const frmQuillora& frame) { QTRY_VERIFY(!frame.IsBusy()); }

  [[nodiscard]] static QAction* Item(const frmQuillora& frame, const char* name) {
    return frame.findChild<QAction*>(QLatin1String(name));
  }

  [[nodiscard]] static QAction* Button(const frmQuillora& frame, const char* key) {
    return frame.findChild<QAction*>(QLatin1String("tbToolBar_") + QLatin1String(key));
  }

  [[nodiscard]] static QAction* DecodeItem(const frmQuillora& frame, int index) {
    return frame.findChildren<QAction*>(QStringLiteral("mnuConvertRun")).value(index);
  }

  // One letter per command, upper case while enabled, "-" while disabled, "?" where a menu item
  // and its button disagree: Open, Close all, Save As (and the Save button), Print, Decode (the six
  // items and the button), Fonts (both lists).
  [[nodiscard]] static QString CommandStates(const frmQuillora& frame) {
    const auto item = [&frame](const char* name) { return Item(frame, name)->isEnabled(); };
    const auto button = [&frame](const char* key) { return Button(frame, key)->isEnabled(); };
    QList<bool> decode{item("mnuConvertRunDefault"), button("Decode")};
    for (const QAction* each : frame.findChildren<QAction*>(QStringLiteral("mnuConvertRun"))) {
      decode << each->isEnabled();
    }
    const QList<QList<bool>> commands{
        {item("mnuFileOpen"), button("Open")},
        {item("mnuFileClose")},
        {item("mnuFileSaveAs"), button("Save")},
        {item("mnuPrint"), button("Print")},
        decode,
        {frame.cboFonts().isEnabled(), frame.cboFontSize().isEnabled()}};
    QString states;
    for (qsizetype i = 0; i < commands.size(); ++i) {
      const QList<bool>& each = commands[i];
      states += each.contains(!each.front()) ? u'?' : each.front() ? QChar(u"OCSPDF"[i]) : u'-';
    }
    return states;
  }

  [[nodiscard]] static QStringList Captions(const frmQuillora& frame) {
    QStringList captions;
    for (const frmDocument* document : frame.Documents()) {
      captions << document->windowTitle();
    }
    return captions;
  }

  std::unique_ptr<QTemporaryDir> folder_;
  std::unique_ptr<ScriptedOutsideWorld> world_;
  std::unique_ptr<frmQuillora> frame_;
};

}  // namespace quillora::test

// A fresh application state for each frame test, with the settings file and the registry in a
// temporary folder, and samples copied where a test may change or remove them.
#pragma once

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "app/modQuillora.h"
#include "app/settings.h"
#include "ui/qt_text.h"

namespace quillora::testing {

class FrameEnvironment {
 public:
  FrameEnvironment() {
    qputenv(kSettingsFileVariable, SettingsFile().toUtf8());
    qputenv("QUILLORA_REGISTRY", folder_.filePath(QStringLiteral("registry.db")).toUtf8());
    App() = AppState{};
    App().DecodeTypeNames = MakeDecodeTypeNames();
    LoadSettings();
  }
  ~FrameEnvironment() {
    qunsetenv(kSettingsFileVariable);
    qunsetenv("QUILLORA_REGISTRY");
    App() = AppState{};
  }
  FrameEnvironment(const FrameEnvironment&) = delete;
  FrameEnvironment& operator=(const FrameEnvironment&) = delete;

  [[nodiscard]] QString SettingsFile() const {
    return folder_.filePath(QStringLiteral("Quillora.ini"));
  }
  [[nodiscard]] QString Path(const QString& name) const { return folder_.filePath(name); }

  // A sample's copy in the temporary folder.
  [[nodiscard]] QString Sample(const QString& name) const {
    const QString copy = Path(name);
    QFile::copy(QStringLiteral(QUILLORA_SAMPLES_DIR "/") + name, copy);
    return copy;
  }

  // Rewrites the settings file and loads it again, as a new start would.
  void WriteSettings(const QByteArray& content) const {
    QFile file(SettingsFile());
    file.open(QIODevice::WriteOnly | QIODevice::Truncate);
    file.write(content);
    file.close();
    LoadSettings();
  }

 private:
  QTemporaryDir folder_;
};

}  // namespace quillora::testing

// What every frame test starts from: a fresh environment, dialogs answered by a script, and (for
// most) a main frame that has run its load handler. Test classes inherit it beside QObject, so
// their slots are the test functions and nothing else.
#pragma once

#include <QAction>
#include <QTimer>
#include <functional>
#include <memory>

#include "gui_support/frame_environment.h"
#include "gui_support/scripted_outside_world.h"
#include "ui/frmQuillora.h"

namespace quillora::testing {

class FrameFixture {
 protected:
  void StartEnvironment() {
    env_ = std::make_unique<FrameEnvironment>();
    world_ = std::make_unique<ScriptedOutsideWorld>();
  }

  // A start as Main makes it, after the settings and the command line are in App().
  [[nodiscard]] static std::unique_ptr<frmQuillora> LoadFrame() {
    auto frame = std::make_unique<frmQuillora>();
    App().MainFrame = frame.get();
    frame->MDIForm_Load();
    return frame;
  }

  void StartFrame() {
    StartEnvironment();
    frame_ = LoadFrame();
  }

  void Stop() {
    frame_.reset();
    world_.reset();
    env_.reset();
  }

  // Opens a sample through the File menu's dialog and returns its path.
  QString OpenSample(const QString& name) {
    QString path = env_->Sample(name);
    world_->open_answers.push_back(path);
    frame_->findChild<QAction*>(QStringLiteral("mnuFileOpen"))->trigger();
    return path;
  }

  // Runs during the next pass of the event loop, such as the one a modal dialog or start-up's
  // font filling runs.
  static void OnNextEvents(QTimer& timer, const std::function<void()>& run) {
    timer.setSingleShot(true);
    QObject::connect(&timer, &QTimer::timeout, run);
    timer.start(0);
  }

  std::unique_ptr<FrameEnvironment> env_;
  std::unique_ptr<ScriptedOutsideWorld> world_;
  std::unique_ptr<frmQuillora> frame_;
};

}  // namespace quillora::testing

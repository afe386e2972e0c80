// The status bar's panels.
#include "ui/status_panels.h"

#include <QDateTime>
#include <QLabel>
#include <QProgressBar>
#include <QToolButton>

namespace quillora {

namespace {

QLabel* Panel(const char* name) {
  auto* panel = new QLabel;
  panel->setObjectName(QLatin1String(name));
  panel->hide();
  // A narrow window squeezes the panels rather than growing to fit them.
  panel->setMinimumWidth(1);
  return panel;
}

void ShowText(QLabel& panel, const QString& text) {
  panel.setText(text);
  panel.setVisible(!text.isEmpty());
}

}  // namespace

StatusPanels::StatusPanels(QWidget* parent)
    : QStatusBar(parent),
      work_(Panel("sbStatusBar_Work")),
      progress_(new QProgressBar),
      cancel_(new QToolButton),
      hint_(new QToolButton),
      kind_(Panel("sbStatusBar_Kind")),
      size_(Panel("sbStatusBar_Size")),
      position_(Panel("sbStatusBar_Position")),
      date_(new QLabel),
      time_(new QLabel) {
  setObjectName(QStringLiteral("sbStatusBar"));
  auto* spare = new QLabel;
  spare->setObjectName(QStringLiteral("sbStatusBar_Text"));
  date_->setObjectName(QStringLiteral("sbStatusBar_Date"));
  time_->setObjectName(QStringLiteral("sbStatusBar_Time"));
  // The work's length is not known in advance: the bar only shows that it goes on.
  progress_->setRange(0, 0);
  progress_->setMaximumWidth(120);
  progress_->hide();
  cancel_->setObjectName(QStringLiteral("sbStatusBar_Cancel"));
  cancel_->setText(QStringLiteral("中止"));
  cancel_->hide();
  connect(cancel_, &QToolButton::clicked, this, &StatusPanels::CancelWork);
  hint_->setObjectName(QStringLiteral("sbStatusBar_Hint"));
  hint_->hide();
  connect(hint_, &QToolButton::clicked, this, [this] {
    hint_->hide();
    emit HintChosen();
  });

  addWidget(spare, 1);
  addWidget(work_);
  addWidget(progress_);
  addWidget(cancel_);
  addWidget(hint_);
  for (QLabel* panel : {kind_, size_, position_, date_, time_}) {
    addPermanentWidget(panel);
  }

  next_minute_.setSingleShot(true);
  connect(&next_minute_, &QTimer::timeout, this, &StatusPanels::Refresh);
  Refresh();
}

void StatusPanels::ShowWork(const QString& what) {
  ShowText(*work_, what);
  progress_->setVisible(!what.isEmpty());
  cancel_->setVisible(!what.isEmpty());
}

void StatusPanels::ShowDocument(const QString& kind, const QString& size, const QString& position) {
  ShowText(*kind_, kind);
  ShowText(*size_, size);
  ShowText(*position_, position);
}

void StatusPanels::ShowHint(const QString& hint) {
  hint_->setText(hint);
  hint_->setVisible(!hint.isEmpty());
}

void StatusPanels::Refresh() {
  const QDateTime now = QDateTime::currentDateTime();
  date_->setText(now.toString(QStringLiteral("yyyy/MM/dd")));
  time_->setText(now.toString(QStringLiteral("H:mm")));
  // Wake once a minute, just after the clock turns, rather than polling.
  const int into_minute = now.time().second() * 1000 + now.time().msec();
  next_minute_.start(60'000 - into_minute + 50);
}

}  // namespace quillora

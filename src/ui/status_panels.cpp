// The status bar's panels.
#include "ui/status_panels.h"

#include <QDateTime>
#include <QLabel>

namespace quillora {

StatusPanels::StatusPanels(QWidget* parent)
    : QStatusBar(parent), date_(new QLabel), time_(new QLabel) {
  setObjectName(QStringLiteral("sbStatusBar"));
  auto* spare = new QLabel;
  spare->setObjectName(QStringLiteral("sbStatusBar_Text"));
  date_->setObjectName(QStringLiteral("sbStatusBar_Date"));
  time_->setObjectName(QStringLiteral("sbStatusBar_Time"));
  addWidget(spare, 1);
  addPermanentWidget(date_);
  addPermanentWidget(time_);

  next_minute_.setSingleShot(true);
  connect(&next_minute_, &QTimer::timeout, this, &StatusPanels::Refresh);
  Refresh();
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

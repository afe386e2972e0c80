// The find bar.
#include "ui/find_bar.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QStyle>
#include <QTextBlock>
#include <QTextDocument>
#include <QToolButton>

namespace quillora {

namespace {

QToolButton* Button(const QString& text, QWidget& parent) {
  auto* button = new QToolButton(&parent);
  button->setText(text);
  return button;
}

}  // namespace

QTextCursor FindText(const QTextCursor& from, const QString& phrase, bool backward,
                     bool match_case) {
  QTextDocument* document = from.document();
  if (document == nullptr || phrase.isEmpty()) {
    return {};
  }
  // A phrase typed on one line never spans a block end, so each block is searched on its own;
  // between slices of blocks the event loop runs, holding back user input, as a long text takes
  // a while to search.
  constexpr int kBlocksPerSlice = 2048;
  const Qt::CaseSensitivity sensitivity = match_case ? Qt::CaseSensitive : Qt::CaseInsensitive;
  const int start = backward ? from.selectionStart() : from.selectionEnd();
  const QTextBlock first = document->findBlock(start);
  const QPointer<QTextDocument> alive(document);
  QTextBlock block = first;
  for (int visited = 0; visited <= document->blockCount(); ++visited) {
    const QString text = block.text();
    const int offset = start - block.position();       // of the start, within the start block
    const bool round = visited > 0 && block == first;  // back where the search began
    qsizetype at = -1;
    if (!backward) {
      at = text.indexOf(phrase, visited == 0 ? offset : 0, sensitivity);
      at = round && at >= offset ? -1 : at;
    } else if (visited > 0 || offset > 0) {
      at = text.lastIndexOf(phrase, visited == 0 ? offset - 1 : -1, sensitivity);
      at = round && at < offset ? -1 : at;
    }
    if (at >= 0) {
      QTextCursor found(document);
      found.setPosition(block.position() + static_cast<int>(at));
      found.setPosition(block.position() + static_cast<int>(at + phrase.size()),
                        QTextCursor::KeepAnchor);
      return found;
    }
    if (round) {
      break;
    }
    block = backward ? block.previous() : block.next();
    if (!block.isValid()) {
      block = backward ? document->lastBlock() : document->firstBlock();
    }
    if (visited % kBlocksPerSlice == kBlocksPerSlice - 1) {
      QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
      if (alive.isNull()) {
        return {};
      }
    }
  }
  return {};
}

FindBar::FindBar(QPlainTextEdit& area, QWidget* parent)
    : QWidget(parent),
      area_(area),
      phrase_(new QLineEdit(this)),
      match_case_(new QCheckBox(QStringLiteral("大/小文字を区別(&C)"), this)),
      outcome_(new QLabel(this)) {
  setObjectName(QStringLiteral("FindBar"));
  phrase_->setObjectName(QStringLiteral("FindBar_Phrase"));
  phrase_->setPlaceholderText(QStringLiteral("検索する文字列"));
  phrase_->setMinimumWidth(phrase_->fontMetrics().horizontalAdvance(phrase_->placeholderText()) +
                           phrase_->fontMetrics().averageCharWidth() * 2);
  match_case_->setObjectName(QStringLiteral("FindBar_MatchCase"));
  outcome_->setObjectName(QStringLiteral("FindBar_Outcome"));
  QToolButton* next = Button(QStringLiteral("次を検索(&N)"), *this);
  QToolButton* previous = Button(QStringLiteral("前を検索(&P)"), *this);
  auto* close_bar = new QToolButton(this);
  close_bar->setIcon(style()->standardIcon(QStyle::SP_TitleBarCloseButton));
  close_bar->setToolTip(QStringLiteral("閉じる"));
  close_bar->setAutoRaise(true);

  auto* row = new QHBoxLayout(this);
  row->setContentsMargins(4, 2, 4, 2);
  row->addWidget(phrase_, 1);
  row->addWidget(next);
  row->addWidget(previous);
  row->addWidget(match_case_);
  row->addWidget(outcome_);
  row->addWidget(close_bar);

  connect(phrase_, &QLineEdit::returnPressed, this,
          [this] { Find(QGuiApplication::keyboardModifiers().testFlag(Qt::ShiftModifier)); });
  connect(next, &QToolButton::clicked, this, [this] { Find(false); });
  connect(previous, &QToolButton::clicked, this, [this] { Find(true); });
  connect(close_bar, &QToolButton::clicked, this, [this] {
    hide();
    area_.setFocus();
  });
  hide();
}

void FindBar::Open() {
  const QString selected = area_.textCursor().selectedText();
  // A selection across lines holds separators; it is no phrase to look for.
  if (!selected.isEmpty() && !selected.contains(QChar(0x2029)) &&
      !selected.contains(QChar(0x2028))) {
    phrase_->setText(selected);
  }
  outcome_->clear();
  show();
  phrase_->setFocus();
  phrase_->selectAll();
}

void FindBar::Find(bool backward) {
  const QPointer<FindBar> alive(this);
  const QTextCursor found =
      FindText(area_.textCursor(), phrase_->text(), backward, match_case_->isChecked());
  if (alive.isNull()) {
    return;
  }
  if (found.isNull()) {
    outcome_->setText(phrase_->text().isEmpty() ? QString() : QStringLiteral("見つかりません"));
    return;
  }
  outcome_->clear();
  area_.setTextCursor(found);
  area_.ensureCursorVisible();
}

void FindBar::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape) {
    hide();
    area_.setFocus();
    return;
  }
  QWidget::keyPressEvent(event);
}

}  // namespace quillora

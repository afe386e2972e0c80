// The find bar under a document's text: a phrase, next, previous and match case.
#pragma once

#include <QTextCursor>
#include <QWidget>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;

namespace quillora {

// The next match of phrase after from's selection (before it, backward), going round the end of
// the text once; a null cursor when the text holds none.
[[nodiscard]] QTextCursor FindText(const QTextCursor& from, const QString& phrase, bool backward,
                                   bool match_case);

class FindBar : public QWidget {
  Q_OBJECT

 public:
  explicit FindBar(QPlainTextEdit& area, QWidget* parent = nullptr);

  // Shows the bar with the area's selection, if any, as the phrase, ready to type.
  void Open();
  // Selects the next or previous match in the area; says so in the bar when there is none.
  void Find(bool backward);

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  QPlainTextEdit& area_;
  QLineEdit* phrase_;
  QCheckBox* match_case_;
  QLabel* outcome_;
};

}  // namespace quillora

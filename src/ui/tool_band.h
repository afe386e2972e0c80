// The tool band: the toolbar with its five keyed buttons, then the font-name and font-size lists.
#pragma once

#include <QToolBar>

class QComboBox;

namespace quillora {

class ToolBand : public QToolBar {
  Q_OBJECT

 public:
  explicit ToolBand(QWidget* parent = nullptr);

  // The button with this key ("Exit", "Open", "Save", "Print", "Decode"), or nullptr.
  [[nodiscard]] QAction* Button(QStringView key) const;
  [[nodiscard]] QComboBox& cboFonts() const { return *cboFonts_; }
  [[nodiscard]] QComboBox& cboFontSize() const { return *cboFontSize_; }

 signals:
  // A button was clicked; only its key is passed on.
  void ButtonClick(const QString& key);

 private:
  QComboBox* cboFonts_;
  QComboBox* cboFontSize_;
};

}  // namespace quillora

// The repairs a whole-mail decoding made, listed under its result: choosing one shows its bytes in
// the source window and the text they became in the result.
#pragma once

#include <QString>
#include <QTableView>
#include <cstdint>
#include <span>
#include <vector>

#include "app/decode_file.h"
#include "ui/line_ends.h"

namespace quillora {

struct ReportRow {
  QString kind;      // what was repaired, in words
  QString part;      // the part of the mail, "ヘッダ" for a header
  QString input;     // where, and the bytes: "0x263: A1"
  QString produced;  // what was written, or the detail
  AreaRange source;  // places in the source window and in the result window
  AreaRange result;
};

// Builds the rows on any thread: placing the repairs walks both texts once.
[[nodiscard]] std::vector<ReportRow> ReportRows(const std::vector<Repair>& repairs,
                                                std::span<const std::uint8_t> source,
                                                std::span<const std::uint8_t> result);

class RepairReport : public QTableView {
  Q_OBJECT

 public:
  explicit RepairReport(std::vector<ReportRow> rows, QWidget* parent = nullptr);
  [[nodiscard]] const std::vector<ReportRow>& Rows() const { return rows_; }

 signals:
  void Chosen(const ReportRow& row);

 private:
  std::vector<ReportRow> rows_;
};

}  // namespace quillora

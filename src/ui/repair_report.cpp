// The repair report of a whole-mail result.
#include "ui/repair_report.h"

#include <QAbstractTableModel>
#include <QHeaderView>
#include <array>
#include <utility>

#include "text/cp932_codec.h"
#include "ui/qt_text.h"

namespace quillora {
namespace {

QString KindText(const mail::RepairEvent& event) {
  static const std::array<QString, mail::kRepairKindCount> kKinds = {
      QStringLiteral("不正なバイトを置換"), QStringLiteral("ShiftJIS にない文字"),
      QStringLiteral("エスケープを補完"),   QStringLiteral("文字コードを訂正"),
      QStringLiteral("途中で切れた符号化"), QStringLiteral("不明な文字コード"),
  };
  const QString& kind = kKinds.at(static_cast<std::size_t>(event.kind));
  return event.more == 0 ? kind : kind + QStringLiteral("（ほか %1 件）").arg(event.more);
}

QString PartText(const std::string& part) {
  QString text = QString::fromStdString(part);
  text.replace(QStringLiteral("header"), QStringLiteral("ヘッダ"));
  return text;
}

QString InputText(const mail::RepairEvent& event) {
  constexpr qsizetype kShownBytes = 8;
  const QByteArray bytes(reinterpret_cast<const char*>(event.bytes.data()),
                         static_cast<qsizetype>(event.bytes.size()));
  QString hex = QString::fromLatin1(bytes.left(kShownBytes).toHex(' ').toUpper());
  if (bytes.size() > kShownBytes) {
    hex += QStringLiteral(" …");
  }
  return QStringLiteral("%1 バイト目: %2").arg(event.input_offset).arg(hex);
}

// What the result shows in the bytes' place: code page 932 holds no U+FFFD, so "?" as well.
QString ProducedText(const mail::RepairEvent& event) {
  if (event.kind == mail::RepairKind::repaired_escape) {
    return QStringLiteral("（行末で ASCII に戻す）");
  }
  if (event.kind == mail::RepairKind::truncated_encoding) {
    return QStringLiteral("（ここで終わり）");
  }
  if (event.produced.empty()) {
    return QString::fromStdString(event.detail);
  }
  return QStringLiteral("「%1」").arg(ToQString(BytesToText(TextToBytes(event.produced))));
}

class ReportModel : public QAbstractTableModel {
 public:
  ReportModel(const std::vector<ReportRow>& rows, QObject* parent)
      : QAbstractTableModel(parent), rows_(rows) {}

  int rowCount(const QModelIndex& parent) const override {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
  }
  int columnCount(const QModelIndex& parent) const override {
    return parent.isValid() ? 0 : kColumns;
  }
  QVariant data(const QModelIndex& index, int role) const override {
    if ((role != Qt::DisplayRole && role != Qt::ToolTipRole) || !index.isValid()) {
      return {};
    }
    const ReportRow& row = rows_.at(static_cast<std::size_t>(index.row()));
    const std::array<const QString*, kColumns> cells = {&row.kind, &row.part, &row.input,
                                                        &row.produced};
    return *cells.at(static_cast<std::size_t>(index.column()));
  }
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal) {
      return {};
    }
    static const std::array<QString, kColumns> kHeaders = {
        QStringLiteral("修復"), QStringLiteral("部分"), QStringLiteral("元のバイト"),
        QStringLiteral("結果")};
    return kHeaders.at(static_cast<std::size_t>(section));
  }

 private:
  static constexpr int kColumns = 4;
  const std::vector<ReportRow>& rows_;
};

}  // namespace

std::vector<ReportRow> ReportRows(const std::vector<Repair>& repairs,
                                  std::span<const std::uint8_t> source,
                                  std::span<const std::uint8_t> result) {
  std::vector<ByteRange> in_source;
  std::vector<ByteRange> in_result;
  in_source.reserve(repairs.size());
  in_result.reserve(repairs.size());
  for (const Repair& repair : repairs) {
    in_source.push_back({repair.event.input_offset, repair.event.input_length});
    in_result.push_back({repair.result_offset, repair.result_length});
  }
  const std::vector<AreaRange> source_places = AreaRangesOf(source, in_source);
  const std::vector<AreaRange> result_places = AreaRangesOf(result, in_result);
  std::vector<ReportRow> rows;
  rows.reserve(repairs.size());
  for (std::size_t i = 0; i < repairs.size(); ++i) {
    const mail::RepairEvent& event = repairs[i].event;
    rows.push_back({KindText(event), PartText(event.part), InputText(event), ProducedText(event),
                    source_places[i], result_places[i]});
  }
  return rows;
}

RepairReport::RepairReport(std::vector<ReportRow> rows, QWidget* parent)
    : QTableView(parent), rows_(std::move(rows)) {
  setObjectName(QStringLiteral("repairReport"));
  setModel(new ReportModel(rows_, this));
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setWordWrap(false);
  verticalHeader()->hide();
  verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 8);
  horizontalHeader()->setStretchLastSection(true);
  // Sizing columns to their contents would measure every row: thousands for a noisy mail.
  horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
  constexpr std::array kWidths = {150, 45, 190};
  for (int column = 0; column < static_cast<int>(kWidths.size()); ++column) {
    setColumnWidth(column, kWidths.at(static_cast<std::size_t>(column)));
  }
  connect(selectionModel(), &QItemSelectionModel::currentRowChanged, this,
          [this](const QModelIndex& current) {
            if (current.isValid()) {
              emit Chosen(rows_.at(static_cast<std::size_t>(current.row())));
            }
          });
}

}  // namespace quillora

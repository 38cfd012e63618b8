#include "gui/errcode/code_results_model.h"

#include <algorithm>

#include "errcode/search_texts.h"
#include "gui/app/text_convert.h"

namespace tarnix::gui {

CodeResultsModel::CodeResultsModel(QObject* parent) : QAbstractTableModel(parent) {}

void CodeResultsModel::Append(std::vector<ErrorCodeSearchResult> batch) {
  if (batch.empty()) return;
  const int first = static_cast<int>(rows_.size());
  beginInsertRows(QModelIndex(), first, first + static_cast<int>(batch.size()) - 1);
  rows_.reserve(rows_.size() + batch.size());
  for (auto& r : batch) {
    CodeResultRow row;
    row.number = ++lastNumber_;
    row.display = ResultDisplayText(r);
    row.result = std::move(r);
    rows_.push_back(std::move(row));
    detailsRead_.push_back(false);
  }
  endInsertRows();
}

void CodeResultsModel::ApplyDetails(const std::vector<FileDetailsFinding>& found) {
  int low = -1, high = -1;
  for (const FileDetailsFinding& f : found) {
    // Numbers ascend with the rows.
    auto it = std::lower_bound(rows_.begin(), rows_.end(), f.item,
                               [](const CodeResultRow& r, uint64_t n) { return r.number < n; });
    if (it == rows_.end() || it->number != f.item) continue;  // cleared meanwhile
    const size_t at = static_cast<size_t>(it - rows_.begin());
    rows_[at].version = f.fileVersion;
    rows_[at].description = f.description;
    detailsRead_[at] = true;
    const int r = static_cast<int>(at);
    low = low < 0 ? r : std::min(low, r);
    high = std::max(high, r);
  }
  if (low >= 0) emit dataChanged(index(low, kCodeColumnVersion), index(high, kCodeColumnDescription));
}

void CodeResultsModel::Clear() {
  beginResetModel();
  rows_.clear();
  detailsRead_.clear();
  endResetModel();
}

DetailsWork CodeResultsModel::RowsWithoutDetails() const {
  DetailsWorkBuilder work;
  for (size_t i = 0; i < rows_.size(); ++i)
    if (!detailsRead_[i]) work.AddFile(rows_[i].number, rows_[i].result.path);
  return work.Take();
}

int CodeResultsModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int CodeResultsModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : kCodeColumnCount;
}

QVariant CodeResultsModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= static_cast<int>(rows_.size())) return {};
  const CodeResultRow& row = rows_[static_cast<size_t>(index.row())];
  if (role == Qt::DisplayRole) return ToQ(CodeResultField(row, index.column()));
  if (role == Qt::ToolTipRole && index.column() == kCodeColumnMessage) return ToQ(row.result.message).trimmed();
  return {};
}

QVariant CodeResultsModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (role != Qt::DisplayRole) return {};
  if (orientation == Qt::Horizontal) return ToQ(CodeResultColumnTitle(section));
  return QString::number(section + 1);
}

}  // namespace tarnix::gui

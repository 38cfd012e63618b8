#include "gui/mainwnd/results_table_model.h"

#include <algorithm>
#include <climits>

#include "gui/app/text_convert.h"
#include "results/result_column.h"
#include "results/result_field.h"

namespace tarnix::gui {

ResultsTableModel::ResultsTableModel(ResultsModel& results, QObject* parent)
    : QAbstractTableModel(parent), results_(results) {}

void ResultsTableModel::SetColumns(ColumnLayout columns) {
  beginResetModel();
  columns_ = std::move(columns);
  endResetModel();
}

int ResultsTableModel::ModelColumnOf(int32_t id) const {
  for (size_t i = 0; i < columns_.size(); ++i)
    if (columns_[i].column == id) return static_cast<int>(i);
  return -1;
}

void ResultsTableModel::BeginSearch(bool winApiSearch, bool modulesOnly) {
  beginResetModel();
  Forget();
  results_.BeginSearch(winApiSearch, modulesOnly);
  shown_ = 0;
  endResetModel();
}

void ResultsTableModel::Clear() {
  beginResetModel();
  Forget();
  const bool winApi = results_.winApiSearch(), modulesOnly = results_.modulesOnly();
  results_.Clear();
  results_.BeginSearch(winApi, modulesOnly);
  shown_ = 0;
  endResetModel();
}

size_t ResultsTableModel::Append(const ResultBatch& batch) {
  if (batch.empty() || results_.full()) return 0;
  const size_t first = shown_;
  const size_t taken = results_.Append(batch);
  if (taken == 0) return 0;
  beginInsertRows(QModelIndex(), static_cast<int>(first), static_cast<int>(first + taken - 1));
  shown_ = results_.size();
  endInsertRows();
  return taken;
}

void ResultsTableModel::ApplyImageDetails(std::vector<FileDetailsFinding>& found) {
  if (results_.ApplyImageDetails(found)) DetailsShown(true, false);
}

void ResultsTableModel::ApplyNameDetails(std::vector<NameDetailsFinding>& found) {
  if (results_.ApplyNameDetails(found)) DetailsShown(false, true);
}

void ResultsTableModel::DetailsShown(bool images, bool names) {
  if (columns_.empty()) return;
  Forget();
  // An image's findings show in every row of it, wherever the rows stand:
  // the changed columns of every row, which the view repaints where shown.
  if (shown_ == 0 || frozen_) return;
  const int last = static_cast<int>(shown_) - 1;
  for (size_t c = 0; c < columns_.size(); ++c) {
    const int32_t id = columns_[c].column;
    if ((images && (id == kColVersion || id == kColDescription)) || (names && id == kColFunctionName))
      emit dataChanged(index(0, static_cast<int>(c)), index(last, static_cast<int>(c)), {Qt::DisplayRole});
  }
}

void ResultsTableModel::RowsReordered() {
  beginResetModel();
  Forget();
  shown_ = results_.size();
  endResetModel();
}

void ResultsTableModel::BeginReload() {
  beginResetModel();
  Forget();
  frozen_ = true;
  endResetModel();
}

void ResultsTableModel::EndReload() {
  beginResetModel();
  Forget();
  frozen_ = false;
  shown_ = results_.size();
  endResetModel();
}

const ResultEntry& ResultsTableModel::EntryOf(int row) const {
  if (row != cachedRow_) {
    results_.Fill(static_cast<size_t>(row), cached_);
    cachedRow_ = row;
  }
  return cached_;
}

int ResultsTableModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() || frozen_ ? 0 : static_cast<int>(std::min<size_t>(shown_, INT_MAX));
}

int ResultsTableModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(columns_.size());
}

QVariant ResultsTableModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= rowCount() || index.column() >= columnCount()) return {};
  const ColumnLayoutEntry& col = columns_[static_cast<size_t>(index.column())];
  if (role == Qt::TextAlignmentRole)
    return (col.flags & kColumnCentred) ? QVariant(Qt::AlignCenter)
                                        : QVariant(Qt::AlignLeft | Qt::AlignVCenter);
  if (role != Qt::DisplayRole && role != Qt::ToolTipRole) return {};
  std::wstring text;
  if (!ListDisplayText(col.column, EntryOf(index.row()), fullSymbols(), text)) return {};
  return ToQ(text);
}

QVariant ResultsTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || section < 0 || section >= columnCount()) return {};
  if (role == Qt::DisplayRole)
    return ToQ(ResultColumnCaption(columns_[static_cast<size_t>(section)].column));
  return {};
}

}  // namespace tarnix::gui

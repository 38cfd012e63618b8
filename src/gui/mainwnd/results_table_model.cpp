#include "gui/mainwnd/results_table_model.h"

#include <algorithm>
#include <new>

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
  results_.BeginSearch(winApiSearch, modulesOnly);
  // Address space for the results up front: growing a vector of a quarter
  // of a million entries would move them all on the GUI thread at once.
  // Only the pages the results fill are ever touched.
  try {
    results_.mutableEntries().reserve(kReservedRows);
  } catch (const std::bad_alloc&) {
    // Without the address space the list grows as it goes.
  }
  endResetModel();
}

void ResultsTableModel::Clear() {
  beginResetModel();
  const bool winApi = results_.winApiSearch(), modulesOnly = results_.modulesOnly();
  results_.Clear();
  results_.BeginSearch(winApi, modulesOnly);
  endResetModel();
}

void ResultsTableModel::Append(std::vector<SymbolResult>&& batch) {
  if (batch.empty()) return;
  const int first = static_cast<int>(results_.entries().size());
  beginInsertRows(QModelIndex(), first, first + static_cast<int>(batch.size()) - 1);
  for (SymbolResult& r : batch) results_.Add(std::move(r));
  endInsertRows();
}

void ResultsTableModel::ApplyDetails(std::vector<ResultDetails>& batch) {
  int64_t low = -1, high = -1;
  const auto& entries = results_.entries();
  for (ResultDetails& d : batch) {
    // The row the item was collected at, unless the rows moved since.
    const int64_t row = d.row >= 0 && static_cast<size_t>(d.row) < entries.size() &&
                                entries[static_cast<size_t>(d.row)].id == d.id
                            ? d.row
                            : results_.IndexOf(d.id);
    if (row < 0) continue;
    d.row = row;
    if (!results_.ApplyDetails(std::move(d))) continue;
    low = low < 0 ? row : std::min(low, row);
    high = std::max(high, row);
  }
  if (low < 0 || columns_.empty()) return;
  emit dataChanged(index(static_cast<int>(low), 0),
                   index(static_cast<int>(high), static_cast<int>(columns_.size()) - 1),
                   {Qt::DisplayRole});
}

void ResultsTableModel::RowsReordered() {
  beginResetModel();
  results_.OrderChanged();
  endResetModel();
}

void ResultsTableModel::BeginReload() {
  beginResetModel();
  frozen_ = true;
  endResetModel();
}

void ResultsTableModel::EndReload() {
  beginResetModel();
  frozen_ = false;
  results_.OrderChanged();
  endResetModel();
}

int ResultsTableModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() || frozen_ ? 0 : static_cast<int>(results_.entries().size());
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
  // The display caches of an entry are filled the first time it is shown.
  ResultEntry& e = results_.mutableEntries()[static_cast<size_t>(index.row())];
  std::wstring text;
  if (!ListDisplayText(col.column, e, fullSymbols(), text)) return {};
  return ToQ(text);
}

QVariant ResultsTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || section < 0 || section >= columnCount()) return {};
  if (role == Qt::DisplayRole)
    return ToQ(ResultColumnCaption(columns_[static_cast<size_t>(section)].column));
  return {};
}

}  // namespace tarnix::gui

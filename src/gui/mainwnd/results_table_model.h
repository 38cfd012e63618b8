#pragma once
// The results list's model for the view: the engine's ResultsModel seen
// through the shown columns. It owns no widget and makes no text until the
// view asks for a visible cell; results arrive in batches and details are
// applied in batches, each as one change the view repaints once.
#include <QAbstractTableModel>
#include <vector>

#include "results/column_layout.h"
#include "results/results_model.h"
#include "symbolsearch/result_batch.h"

namespace tarnix::gui {

class ResultsTableModel final : public QAbstractTableModel {
  Q_OBJECT
 public:
  explicit ResultsTableModel(ResultsModel& results, QObject* parent = nullptr);

  // The shown columns in model order (the view may show them moved).
  void SetColumns(ColumnLayout columns);
  const ColumnLayout& columns() const { return columns_; }
  // The model column that shows result column `id`, or -1.
  int ModelColumnOf(int32_t id) const;

  // A new search or "Clear Search Results": no rows.
  void BeginSearch(bool winApiSearch, bool modulesOnly);
  void Clear();
  // Appends a batch of results at the end; answers how many the list
  // took (fewer once it reached its memory limit).
  size_t Append(const ResultBatch& batch);
  // Stores what the details pass found: the images' versions and
  // descriptions, the undecorated names.
  void ApplyImageDetails(std::vector<FileDetailsFinding>& found);
  void ApplyNameDetails(std::vector<NameDetailsFinding>& found);
  // The rows were reordered in the engine's model.
  void RowsReordered();
  // While the rows are reordered on another thread the view shows none, so
  // it never reads an entry that is being moved.
  void BeginReload();
  void EndReload();

  ResultsModel& results() { return results_; }
  bool fullSymbols() const { return !results_.modulesOnly(); }

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

 private:
  // The columns the findings change are shown again.
  void DetailsShown(bool images, bool names);
  // The record of the row shown last: a row's cells are asked for one
  // after the other.
  const ResultEntry& EntryOf(int row) const;
  void Forget() { cachedRow_ = -1; }

  ResultsModel& results_;
  ColumnLayout columns_;
  bool frozen_ = false;
  // The rows the view knows of: the list takes a batch first and tells how
  // many it took, then the view hears of them.
  size_t shown_ = 0;
  mutable ResultEntry cached_;
  mutable int cachedRow_ = -1;
};

}  // namespace tarnix::gui

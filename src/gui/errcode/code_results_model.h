#pragma once
// The Error Code Search results as a table: rows in the order found (their
// running numbers ascend), the module details filled in as the details
// pass reports them. The rows themselves and their texts are the engine's
// (CodeResultRow).
#include <QAbstractTableModel>
#include <vector>

#include "errcode/code_result_rows.h"
#include "results/details_pass.h"

namespace tarnix::gui {

class CodeResultsModel final : public QAbstractTableModel {
  Q_OBJECT
 public:
  explicit CodeResultsModel(QObject* parent = nullptr);

  const std::vector<CodeResultRow>& rows() const { return rows_; }
  bool empty() const { return rows_.empty(); }

  // Appends the hits of one batch, numbered on from the last number given.
  void Append(std::vector<ErrorCodeSearchResult> batch);
  // Writes what the details pass found into the rows it names (items are
  // running numbers).
  void ApplyDetails(const std::vector<FileDetailsFinding>& found);
  void Clear();
  // The rows whose details were not read yet, as the next pass's work.
  DetailsWork RowsWithoutDetails() const;

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

 private:
  std::vector<CodeResultRow> rows_;
  std::vector<bool> detailsRead_;
  uint64_t lastNumber_ = 0;
};

}  // namespace tarnix::gui

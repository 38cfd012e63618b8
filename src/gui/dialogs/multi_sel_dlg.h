#pragma once
// The filter selection dialog: one modal dialog for six multiple-choice
// filters (Look In, image type, subsystems, characteristics, directories
// with resource types, undecoration flags). A checked list of the use's
// items, for characteristics and directories a second list with each
// item's on/off value, the selected item's description, and the box that
// lifts the filter. Its rules live in MultiSelChoice; the dialog binds the
// widgets to it.
#include <QDialog>
#include <cstdint>
#include <memory>

class QAction;
class QCheckBox;
class QKeySequence;
class QListWidget;
class QMenu;
class QPlainTextEdit;

namespace tarnix {
class MultiSelChoice;
struct MultiSelUseInfo;
}  // namespace tarnix

namespace tarnix::gui {

class CMultiSelDlg : public QDialog {
  Q_OBJECT
 public:
  enum Use { kLookIn = 0, kImageType, kSubsystems, kCharacteristics, kDirectories, kUndecorationFlags };

  // Runs the dialog of `use` through AppDialogs().Exec. On OK replaces
  // `mask`, and `values` for uses 3 and 4 (pass null for the others), and
  // answers true. False on Cancel, and for a use out of range (last error
  // ERROR_INVALID_PARAMETER).
  static bool Run(QWidget* owner, int use, uint64_t& mask, uint64_t* values);

  // The dialog of `use` showing `mask` and `values`, not yet run; a use out
  // of range shows the Look In filter. Run makes one; a screenshot can show
  // one by itself.
  CMultiSelDlg(QWidget* parent, int use, uint64_t mask, uint64_t values = 0);
  ~CMultiSelDlg() override;

  // What OK returned; the input until then.
  uint64_t resultMask() const { return resultMask_; }
  uint64_t resultValues() const { return resultValues_; }

 public slots:
  void accept() override;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  QAction* AddAction(QWidget* list, const QString& text, const QKeySequence& shortcut,
                     void (CMultiSelDlg::*handler)());
  void BuildActions();
  void Refresh();
  void UpdateActions();
  void ShowDescription(int row);
  void SyncSelection(QListWidget* from, QListWidget* to);
  void ShowItemsMenu(const QPoint& pos);
  void ShowValuesMenu(const QPoint& pos);
  void ApplyToSelected(bool values, bool on);

  void CheckAll();
  void CheckSelected();
  void CheckSelectedValues();
  void UncheckAll();
  void UncheckSelected();
  void UncheckSelectedValues();
  void SearchOnline();
  void ValuesOnAll();
  void ValuesOffAll();

  const MultiSelUseInfo* info_;
  std::unique_ptr<MultiSelChoice> choice_;
  uint64_t resultMask_;
  uint64_t resultValues_;

  QListWidget* items_ = nullptr;
  QListWidget* values_ = nullptr;  // uses with values only
  QPlainTextEdit* description_ = nullptr;
  QCheckBox* noRestriction_ = nullptr;
  QMenu* itemsMenu_ = nullptr;
  QMenu* valuesMenu_ = nullptr;

  QAction* checkAll_ = nullptr;
  QAction* checkSelected_ = nullptr;
  QAction* checkSelectedValues_ = nullptr;
  QAction* uncheckAll_ = nullptr;
  QAction* uncheckSelected_ = nullptr;
  QAction* uncheckSelectedValues_ = nullptr;
  QAction* searchOnline_ = nullptr;
  QAction* valuesCheckAll_ = nullptr;
  QAction* valuesUncheckAll_ = nullptr;

  bool updating_ = false;  // the widgets are being set from the choice
  bool syncing_ = false;   // one list follows the other's selection
  bool shown_ = false;
};

}  // namespace tarnix::gui

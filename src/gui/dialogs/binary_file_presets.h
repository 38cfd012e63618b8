#pragma once
// "Binary File Presets Filter": the modal picker of the well-known Windows
// binary file types that the main window turns into its 'File Name'
// pattern. A checked list of the types, the commands of its menus and
// keys, and the stored choice for the next time.
#include <QDialog>
#include <array>
#include <cstdint>

#include "tools/binary_file_presets.h"

class QAction;
class QMenu;
class QPushButton;
class QTreeWidget;

namespace tarnix::gui {

class CBinaryFilePresets final : public QDialog {
  Q_OBJECT
 public:
  // The picker with the types of `initialMask` ticked (bits beyond the
  // table are ignored). Made without running it, it can be shown as it is.
  explicit CBinaryFilePresets(uint64_t initialMask, QWidget* parent = nullptr);
  ~CBinaryFilePresets() override;

  // The ticked rows.
  uint64_t mask() const;

  // Runs the picker through AppDialogs(): true on OK, with exactly the
  // ticked rows in `resultMask`; false on Cancel (`resultMask` untouched).
  static bool Run(QWidget* owner, uint64_t initialMask, uint64_t& resultMask);

  // The main window's whole use of the picker for its 'File Name' text:
  // the initial ticks from the text (or the stored choice), the picker,
  // and on OK the choice stored (a failure beeps) and `outcome` filled.
  static bool RunForFileName(QWidget* owner, const QString& fileNameText,
                             BinaryPresetOutcome& outcome);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void RunCommand(BinaryPresetCommand command, bool merge);
  void UpdateActions();
  void FitColumns();
  uint64_t SelectedRows() const;
  bool SetTicks(uint64_t mask);
  void ShowListMenu(const QPoint& pos);

  QTreeWidget* list_ = nullptr;
  QPushButton* selectButton_ = nullptr;
  QMenu* listMenu_ = nullptr;
  QMenu* buttonMenu_ = nullptr;
  std::array<QAction*, kBinaryPresetCommandCount> actions_{};
  // Shift held while a menu entry was chosen: a group is added, not put in
  // place of the ticks.
  bool menuMerge_ = false;
};

}  // namespace tarnix::gui

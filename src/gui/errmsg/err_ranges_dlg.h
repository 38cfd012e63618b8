#pragma once
// "Search Error Ranges": the modal editor of the error ranges the Error
// Message Search window searches. A preset box (the built-in sets and the
// user's presets), the list of ranges with its commands, and the edit panel
// that writes each change into the range under edit at once. On OK the
// list passes the checks of the engine and is handed back. The rules live
// in src/errmsg (the preset list, the range edits, the OK checks, the
// preset files); the window binds its widgets to them.
#include <QDialog>
#include <vector>

#include "errmsg/error_range.h"
#include "errmsg/range_preset_list.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QTreeWidget;

namespace tarnix::gui {

class CommandSet;

class CErrRangesDlg : public QDialog {
  Q_OBJECT
 public:
  // Runs the window through AppDialogs().Exec; true with the ranges on OK.
  static bool Edit(QWidget* owner, std::vector<ErrorRange>& ranges);

  CErrRangesDlg(QWidget* owner, std::vector<ErrorRange> ranges);
  ~CErrRangesDlg() override;

  const std::vector<ErrorRange>& ranges() const { return rows_; }
  const RangePresetList& presets() const { return presets_; }
  const CommandSet& commands() const { return *commands_; }
  QComboBox* presetBox() const { return preset_; }
  QTreeWidget* list() const { return list_; }
  QComboBox* typeBox() const { return type_; }
  QComboBox* nameBox() const { return name_; }
  QLineEdit* fromEdit() const { return from_; }
  QLineEdit* toEdit() const { return to_; }
  QComboBox* moduleBox() const { return module_; }
  QLineEdit* moduleEdit() const { return library_; }
  QCheckBox* highBitBox(int i) const { return highBits_[i]; }        // S, R, C, N, X
  QCheckBox* facilityBitBox(int bit) const { return facBits_[bit - 16]; }  // 16..26
  QComboBox* facilityBox() const { return facility_; }

  void accept() override;
  void reject() override;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void BuildControls();
  void BuildCommands();
  void FillPresetBox();
  void PresetChosen(int index);
  void FillList(const std::vector<size_t>& select);
  void ShowRow(int row);
  void ShowEditPanel();
  void PanelEdited();
  void BitsChanged();
  void BitClicked(QCheckBox* box);
  std::vector<QCheckBox*> BitBoxes() const;
  void FacilityChosen();
  void Commit();
  std::vector<size_t> SelectedRows() const;

  void Copy();
  void Paste();
  void Add();
  void Remove();
  void ChangeRows(bool (*change)(std::vector<ErrorRange>&, std::vector<size_t>&));
  void Move(bool up);
  void PickModule();
  void SavePreset();
  void NewPreset();
  void RemovePreset();
  void ExportPresets();
  void ImportPresets();
  // The auto-save prompt; false when the window stays open.
  bool AutoSave(const wchar_t* reason);

  RangePresetList presets_;
  std::vector<ErrorRange> rows_;
  int editRow_ = -1;
  bool filling_ = false;
  CommandSet* commands_ = nullptr;
  QComboBox* preset_ = nullptr;
  QTreeWidget* list_ = nullptr;
  QComboBox* type_ = nullptr;
  QComboBox* name_ = nullptr;
  QLineEdit* from_ = nullptr;
  QLineEdit* to_ = nullptr;
  QComboBox* module_ = nullptr;
  QLineEdit* library_ = nullptr;
  QCheckBox* highBits_[5] = {};
  QCheckBox* facBits_[11] = {};
  QComboBox* facility_ = nullptr;
};

}  // namespace tarnix::gui

#pragma once
// The settings sheet's "Message Boxes" page: the confirmable message boxes
// with a check box each (checked: shown) and the answer given when one is
// not shown ("User selection"). Its rows are MessageBoxChoice
// (tools/settings_pages.h) over the confirmable-box table.
#include <vector>

#include "gui/settings/settings_page.h"
#include "tools/settings_pages.h"

class QMenu;
class QTreeWidget;

namespace tarnix::gui {

class CSettingsMsgBoxes : public SettingsPageWidget {
  Q_OBJECT
 public:
  explicit CSettingsMsgBoxes(QWidget* parent = nullptr);

  bool Confirm() override;
  void Show(const std::vector<MessageBoxChoice>& choices);
  std::vector<MessageBoxChoice> Read() const;

  QTreeWidget* list() const { return list_; }
  // The context menu for the selected rows (tests look at it).
  QMenu* BuildContextMenu();
  // "User &Selection": `answer` for every selected row that may keep it.
  void SetSelectedAnswer(int answer);

 private:
  void ShowAnswer(int row, int answer);

  QTreeWidget* list_ = nullptr;
  std::vector<MessageBoxChoice> rows_;
};

}  // namespace tarnix::gui

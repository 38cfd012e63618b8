#pragma once
// The modal "Settings" sheet: the General, Error Search and Message Boxes
// pages. OK and Apply confirm the pages in order; a page that refuses is
// brought forward and nothing of it is stored (OK then leaves the sheet
// open). Every value goes through its setter, so the store, the running
// program's settings and every open window learn of it at once. One sheet
// exists at a time.
#include <QDialog>

#include "gui/app/window_registry.h"

class QDialogButtonBox;
class QTabWidget;

namespace tarnix::gui {

class CSettingsGeneral;
class CSettingsErrSearch;
class CSettingsMsgBoxes;

class CSettingsSheet : public QDialog {
  Q_OBJECT
 public:
  // Runs the sheet at `page` over `owner` (through AppDialogs().Exec);
  // while one is open, that one turns to `page` and is brought forward.
  // Answers the open sheet, or null once the one it ran has closed.
  static CSettingsSheet* Show(QWidget* owner, SettingsPage page);
  // The open sheet; null when there is none.
  static CSettingsSheet* Instance();

  explicit CSettingsSheet(QWidget* owner = nullptr, SettingsPage page = SettingsPage::kGeneral);
  ~CSettingsSheet() override;

  void SetPage(SettingsPage page);
  SettingsPage page() const;
  // Confirms every page; false when one refused (that page is shown).
  bool Apply();

  CSettingsGeneral* general() const { return general_; }
  CSettingsErrSearch* errorSearch() const { return errSearch_; }
  CSettingsMsgBoxes* messageBoxes() const { return msgBoxes_; }
  QDialogButtonBox* buttons() const { return buttons_; }

 public slots:
  void accept() override;

 private:
  QTabWidget* tabs_ = nullptr;
  CSettingsGeneral* general_ = nullptr;
  CSettingsErrSearch* errSearch_ = nullptr;
  CSettingsMsgBoxes* msgBoxes_ = nullptr;
  QDialogButtonBox* buttons_ = nullptr;
};

}  // namespace tarnix::gui

#pragma once
// Dialogs for runs without a person at the screen (timings, screenshots):
// every message box is answered at once with its default button, every file dialog
// and dialog of the program's own is cancelled, nothing is handed to the
// desktop, and beeps are silent.
#include "gui/app/dialogs.h"

namespace tarnix::gui {

class UnattendedDialogs final : public Dialogs {
 public:
  int MessageBox(QWidget* owner, const QString& text, const QString& caption, uint32_t type) override;
  int MessageBoxWithCheck(QWidget* owner, const QString& text, const QString& caption, uint32_t type,
                          bool& checked) override;
  bool SaveFileName(QWidget*, FileDialogRequest&, QString&) override { return false; }
  bool OpenFileNames(QWidget*, FileDialogRequest&, QStringList&) override { return false; }
  bool ExistingFolder(QWidget*, const QString&, const QString&, QString&) override { return false; }
  int Exec(QDialog& dialog) override;
  bool OpenUrl(const QUrl&, uint32_t&) override { return true; }
  bool ShowInFileManager(const QString&, uint32_t&) override { return true; }
  bool CanShowItemProperties() override { return false; }
  bool ShowItemProperties(const QString&, uint32_t&) override { return false; }
  bool StartDetached(const QString&, const QStringList&, qint64&, uint32_t&) override { return false; }
  void Beep(uint32_t) override {}
};

}  // namespace tarnix::gui

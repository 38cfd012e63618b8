#pragma once
// The real dialogs: QMessageBox, QFileDialog, QDesktopServices, the
// freedesktop file manager over D-Bus, QProcess and the application beep.
#include "gui/app/dialogs.h"

namespace tarnix::gui {

class QtDialogs final : public Dialogs {
 public:
  int MessageBox(QWidget* owner, const QString& text, const QString& caption,
                 uint32_t type) override;
  int MessageBoxWithCheck(QWidget* owner, const QString& text, const QString& caption,
                          uint32_t type, bool& checked) override;
  bool SaveFileName(QWidget* owner, FileDialogRequest& request, QString& path) override;
  bool OpenFileNames(QWidget* owner, FileDialogRequest& request, QStringList& paths) override;
  bool ExistingFolder(QWidget* owner, const QString& caption, const QString& start,
                      QString& folder) override;
  int Exec(QDialog& dialog) override;
  bool OpenUrl(const QUrl& url, uint32_t& error) override;
  bool ShowInFileManager(const QString& path, uint32_t& error) override;
  bool CanShowItemProperties() override;
  bool ShowItemProperties(const QString& path, uint32_t& error) override;
  bool StartDetached(const QString& program, const QStringList& arguments, qint64& pid,
                     uint32_t& error) override;
  void Beep(uint32_t type) override;
};

}  // namespace tarnix::gui

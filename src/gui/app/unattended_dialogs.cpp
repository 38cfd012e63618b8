#include "gui/app/unattended_dialogs.h"

#include <QDialog>

namespace tarnix::gui {

int UnattendedDialogs::MessageBox(QWidget*, const QString&, const QString&, uint32_t type) {
  switch (type & mb::kButtonsMask) {
    case mb::kYesNo:
    case mb::kYesNoCancel: return IDYES;
    default: return IDOK;
  }
}

int UnattendedDialogs::MessageBoxWithCheck(QWidget* owner, const QString& text, const QString& caption,
                                           uint32_t type, bool& checked) {
  checked = false;
  return MessageBox(owner, text, caption, type);
}

int UnattendedDialogs::Exec(QDialog&) { return QDialog::Rejected; }

}  // namespace tarnix::gui

#include "gui/app/unattended_dialogs.h"

#include <QDialog>

namespace tarnix::gui {

// The box's default button, as Enter would answer it.
int UnattendedDialogs::MessageBox(QWidget*, const QString&, const QString&, uint32_t type) {
  const int def = (type & mb::kDefButtonMask) == mb::kDefButton3 ? 2 : (type & mb::kDefButtonMask) == mb::kDefButton2 ? 1 : 0;
  switch (type & mb::kButtonsMask) {
    case mb::kYesNo: return def == 1 ? IDNO : IDYES;
    case mb::kYesNoCancel: return def == 2 ? IDCANCEL : def == 1 ? IDNO : IDYES;
    case mb::kOkCancel: return def == 1 ? IDCANCEL : IDOK;
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

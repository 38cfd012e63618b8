#include "gui/settings/settings_page.h"

#include <QLineEdit>

#include "gui/app/desktop_actions.h"
#include "gui/app/dialogs.h"

namespace tarnix::gui {

void SettingsPageWidget::Refuse(QWidget* field, const std::wstring& message) {
  if (bringForward_) bringForward_();
  field->setFocus();
  if (auto* edit = qobject_cast<QLineEdit*>(field)) edit->selectAll();
  ShowErrorBox(this, message);
}

bool AskResetToDefaults(QWidget* page) {
  return AppDialogs().MessageBox(page, QStringLiteral("Do you want to reset controls in this window to their default values?"),
                                 QStringLiteral("Tarnix"), mb::kYesNo | mb::kIconQuestion) == IDYES;
}

}  // namespace tarnix::gui

#include "gui/settings/settings_page.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "gui/app/desktop_actions.h"
#include "gui/app/dialogs.h"

namespace tarnix::gui {
namespace {

// Asks before the controls are reset; true on Yes.
bool AskResetToDefaults(QWidget* page) {
  return AppDialogs().MessageBox(page, QStringLiteral("Do you want to reset controls in this window to their default values?"),
                                 QStringLiteral("Tarnix"), mb::kYesNo | mb::kIconQuestion) == IDYES;
}

}  // namespace

QVBoxLayout* SettingsPageWidget::LayOutWithDefaults(std::function<void()> reset) {
  auto* outer = new QVBoxLayout(this);
  auto* content = new QVBoxLayout;
  content->setContentsMargins(0, 0, 0, 0);
  outer->addLayout(content);
  outer->addStretch(1);
  auto* defaults = new QPushButton(QStringLiteral("De&faults..."), this);
  connect(defaults, &QPushButton::clicked, this, [this, reset = std::move(reset)] {
    if (AskResetToDefaults(this)) reset();
  });
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(defaults);
  outer->addLayout(buttons);
  return content;
}

void SettingsPageWidget::Refuse(QWidget* field, const std::wstring& message) {
  if (bringForward_) bringForward_();
  field->setFocus();
  if (auto* edit = qobject_cast<QLineEdit*>(field)) edit->selectAll();
  ShowErrorBox(this, message);
}

}  // namespace tarnix::gui

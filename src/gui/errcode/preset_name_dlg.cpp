#include "gui/errcode/preset_name_dlg.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include "gui/app/dialogs.h"
#include "gui/app/text_convert.h"

namespace tarnix::gui {

// Room for a name a little over the longest allowed, so that the check can
// say it is too long rather than the box cutting it short.
constexpr int kNameBoxLimit = 1024;

CPresetNameDlg::CPresetNameDlg(QWidget* parent, const std::wstring& proposed) : QDialog(parent) {
  setWindowTitle(QStringLiteral("Choose Preset Name"));
  auto* layout = new QVBoxLayout(this);
  auto* label = new QLabel(QStringLiteral("Provide preset name:"), this);
  edit_ = new QLineEdit(ToQ(proposed), this);
  edit_->setMaxLength(kNameBoxLimit);
  edit_->setAccessibleName(QStringLiteral("Provide preset name:"));
  edit_->selectAll();
  label->setBuddy(edit_);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  layout->addWidget(label);
  layout->addWidget(edit_);
  layout->addWidget(buttons);
  setMinimumWidth(fontMetrics().averageCharWidth() * 48);
}

std::wstring CPresetNameDlg::name() const { return FromQ(edit_->text()); }

bool CPresetNameDlg::Ask(QWidget* owner, const std::wstring& proposed, std::wstring& name) {
  CPresetNameDlg dialog(owner, proposed);
  if (AppDialogs().Exec(dialog) != QDialog::Accepted) return false;
  name = dialog.name();
  return true;
}

}  // namespace tarnix::gui

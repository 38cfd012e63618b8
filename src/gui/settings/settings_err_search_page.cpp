#include "gui/settings/settings_err_search_page.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "gui/app/desktop_actions.h"
#include "gui/app/text_convert.h"
#include "gui/widgets/buddy_label.h"

namespace tarnix::gui {
namespace {

QLineEdit* SizeEdit(QWidget* parent) {
  auto* e = new QLineEdit(parent);
  e->setMaxLength(9);
  e->setMaximumWidth(e->fontMetrics().averageCharWidth() * 15);
  return e;
}

QHBoxLayout* WithUnit(QWidget* parent, QWidget* field) {
  auto* h = new QHBoxLayout;
  h->addWidget(field);
  h->addWidget(new QLabel(QStringLiteral("characters"), parent));
  h->addStretch(1);
  return h;
}

}  // namespace

CSettingsErrSearch::CSettingsErrSearch(QWidget* parent) : SettingsPageWidget(parent) {
  setObjectName(QStringLiteral("Error Search"));
  auto* msgGroup = new QGroupBox(QStringLiteral("Error Message Search"), this);
  auto* mg = new QGridLayout(msgGroup);
  resultsSize_ = SizeEdit(msgGroup);
  mg->addWidget(BuddyLabel(msgGroup, QStringLiteral("Maximum size of the &results window:"), resultsSize_), 0, 0);
  mg->addLayout(WithUnit(msgGroup, resultsSize_), 0, 1);
  warnOverflow_ = new QCheckBox(QStringLiteral("Display a &warning if results window overflows"), msgGroup);
  mg->addWidget(warnOverflow_, 1, 0, 1, 2);
  mg->setColumnStretch(1, 1);

  auto* codeGroup = new QGroupBox(QStringLiteral("Error Code Search"), this);
  auto* cg = new QGridLayout(codeGroup);
  codeOutputSize_ = SizeEdit(codeGroup);
  cg->addWidget(BuddyLabel(codeGroup, QStringLiteral("Maximum s&ize of the status output window:"), codeOutputSize_),
                0, 0);
  cg->addLayout(WithUnit(codeGroup, codeOutputSize_), 0, 1);
  clearOutput_ = new QCheckBox(QStringLiteral("&Clear status output window before every error code search"), codeGroup);
  cg->addWidget(clearOutput_, 1, 0, 1, 2);
  exts_ = new QComboBox(codeGroup);
  exts_->setEditable(true);
  exts_->setInsertPolicy(QComboBox::NoInsert);
  exts_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  exts_->setMinimumContentsLength(30);
  for (const std::wstring& preset : FileExtensionPresets()) exts_->addItem(ToQ(preset));
  cg->addWidget(BuddyLabel(codeGroup, QStringLiteral("File e&xtensions for filtering error code search files"), exts_),
                2, 0, 1, 2);
  cg->addWidget(exts_, 3, 0, 1, 2);
  auto* note = new QLabel(
      QStringLiteral("(Leave this field blank to search all available files. Or, provide comma-separated file "
                     "extensions.)"),
      codeGroup);
  note->setWordWrap(true);
  cg->addWidget(note, 4, 0, 1, 2);
  cg->setColumnStretch(1, 1);

  QVBoxLayout* v = LayOutWithDefaults([this] { Show(ErrorSearchPageDefaults()); });
  v->addWidget(msgGroup);
  v->addWidget(codeGroup);

  Show(ErrorSearchPageOf(AppSettings()));
}

void CSettingsErrSearch::Show(const ErrorSearchPageInput& in) {
  resultsSize_->setText(ToQ(in.errMsgResultsSize));
  warnOverflow_->setChecked(in.errMsgWarnOverflow);
  codeOutputSize_->setText(ToQ(in.errCodeOutputSize));
  clearOutput_->setChecked(in.errCodeClearOutput);
  exts_->setEditText(ToQ(in.fileExts));
}

ErrorSearchPageInput CSettingsErrSearch::Read() const {
  ErrorSearchPageInput in;
  in.errMsgResultsSize = FromQ(resultsSize_->text());
  in.errMsgWarnOverflow = warnOverflow_->isChecked();
  in.errCodeOutputSize = FromQ(codeOutputSize_->text());
  in.errCodeClearOutput = clearOutput_->isChecked();
  in.fileExts = FromQ(exts_->currentText());
  return in;
}

bool CSettingsErrSearch::Confirm() {
  const PageCheck check = StoreErrorSearchPage(AppSettings(), Read());
  if (check.ok()) {
    // The field shows the list as it was stored.
    exts_->setEditText(ToQ(ErrorSearchPageOf(AppSettings()).fileExts));
    return true;
  }
  QWidget* field = check.field == kErrSearchResultsSize      ? static_cast<QWidget*>(resultsSize_)
                   : check.field == kErrSearchCodeOutputSize ? static_cast<QWidget*>(codeOutputSize_)
                                                             : static_cast<QWidget*>(exts_);
  Refuse(field, check.message);
  return false;
}

}  // namespace tarnix::gui

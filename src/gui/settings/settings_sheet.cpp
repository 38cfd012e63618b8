#include "gui/settings/settings_sheet.h"

#include <QDialogButtonBox>
#include <QGuiApplication>
#include <QScreen>
#include <QPointer>
#include <QPushButton>
#include <QScrollArea>
#include <QTabWidget>
#include <QVBoxLayout>

#include "gui/app/dialogs.h"
#include "gui/app/tool_window.h"
#include "gui/settings/settings_err_search_page.h"
#include "gui/settings/settings_general_page.h"
#include "gui/settings/settings_msg_boxes_page.h"

namespace tarnix::gui {
namespace {

QPointer<CSettingsSheet>& TheSheet() {
  static QPointer<CSettingsSheet> sheet;
  return sheet;
}

// A page scrolls when the screen (or a large font) is too small for it.
QScrollArea* Scrolled(QWidget* page) {
  auto* area = new QScrollArea;
  area->setWidget(page);
  area->setWidgetResizable(true);
  area->setFrameShape(QFrame::NoFrame);
  return area;
}

}  // namespace

CSettingsSheet* CSettingsSheet::Instance() { return TheSheet(); }

CSettingsSheet* CSettingsSheet::Show(QWidget* owner, SettingsPage page) {
  if (CSettingsSheet* open = TheSheet()) {
    open->SetPage(page);
    BringForward(open);
    return open;
  }
  CSettingsSheet sheet(owner ? owner->window() : nullptr, page);
  AppDialogs().Exec(sheet);
  return nullptr;
}

CSettingsSheet::CSettingsSheet(QWidget* owner, SettingsPage page) : QDialog(owner) {
  setWindowTitle(QStringLiteral("Settings"));
  TheSheet() = this;
  general_ = new CSettingsGeneral;
  errSearch_ = new CSettingsErrSearch;
  msgBoxes_ = new CSettingsMsgBoxes;
  tabs_ = new QTabWidget(this);
  tabs_->addTab(Scrolled(general_), QStringLiteral("General"));
  tabs_->addTab(Scrolled(errSearch_), QStringLiteral("Error Search"));
  tabs_->addTab(Scrolled(msgBoxes_), QStringLiteral("Message Boxes"));

  buttons_ = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::Apply, this);
  // Plain captions: the pages' controls take the letters.
  buttons_->button(QDialogButtonBox::Ok)->setText(QStringLiteral("OK"));
  buttons_->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Cancel"));
  buttons_->button(QDialogButtonBox::Apply)->setText(QStringLiteral("Apply"));
  connect(buttons_, &QDialogButtonBox::accepted, this, &CSettingsSheet::accept);
  connect(buttons_, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(buttons_->button(QDialogButtonBox::Apply), &QPushButton::clicked, this, [this] { Apply(); });

  auto* v = new QVBoxLayout(this);
  v->addWidget(tabs_, 1);
  v->addWidget(buttons_);
  SetPage(page);
  general_->SetBringForward([this] { SetPage(SettingsPage::kGeneral); });
  errSearch_->SetBringForward([this] { SetPage(SettingsPage::kErrorSearch); });

  // The first size shows the General page whole where the screen allows.
  QSize limit(1200, 740);
  if (const QScreen* screen = owner ? owner->screen() : QGuiApplication::primaryScreen())
    limit = limit.boundedTo(screen->availableGeometry().size() - QSize(40, 80));
  resize((general_->sizeHint() + QSize(60, 120)).boundedTo(limit));
}

CSettingsSheet::~CSettingsSheet() {
  if (TheSheet() == this) TheSheet() = nullptr;
}

void CSettingsSheet::SetPage(SettingsPage page) { tabs_->setCurrentIndex(static_cast<int>(page)); }

SettingsPage CSettingsSheet::page() const { return static_cast<SettingsPage>(tabs_->currentIndex()); }

bool CSettingsSheet::Apply() {
  for (SettingsPageWidget* p : {static_cast<SettingsPageWidget*>(general_), static_cast<SettingsPageWidget*>(errSearch_),
                                static_cast<SettingsPageWidget*>(msgBoxes_)})
    if (!p->Confirm()) return false;
  return true;
}

void CSettingsSheet::accept() {
  if (Apply()) QDialog::accept();
}

}  // namespace tarnix::gui

#include "gui/tools/undec_cpp_name_dlg.h"

#include <QCloseEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPointer>
#include <QVBoxLayout>

#include "core/setting_names.h"
#include "core/window_settings.h"
#include "gui/app/desktop_actions.h"
#include "gui/app/placement_binder.h"
#include "gui/app/text_convert.h"
#include "gui/app/tool_window.h"
#include "gui/widgets/buddy_label.h"
#include "gui/widgets/combo_box_auto.h"
#include "gui/widgets/undecoration_flags_link.h"
#include "tools/undecorate_view.h"

namespace tarnix::gui {
namespace {

QPointer<CUndecCppNameDlg>& TheWindow() {
  static QPointer<CUndecCppNameDlg> window;
  return window;
}

}  // namespace

CUndecCppNameDlg* CUndecCppNameDlg::Instance() { return TheWindow(); }

CUndecCppNameDlg* CUndecCppNameDlg::Show(QWidget* owner) {
  return OpenOnce(TheWindow(), owner, [](QWidget* parent) { return new CUndecCppNameDlg(parent); });
}

CUndecCppNameDlg::CUndecCppNameDlg(QWidget* owner) : QWidget(owner, Qt::Window) {
  setWindowTitle(QStringLiteral("Undecorate C++ Symbols"));

  auto* inputGroup = new QGroupBox(QStringLiteral("&Decorated C++ Name"), this);
  input_ = new CComboBoxAuto(inputGroup);
  input_->SetMaxLength(static_cast<int>(kUndecorateInputLimit));
  input_->Attach(true, setting::kHistUndecName);
  input_->setAccessibleName(QStringLiteral("Decorated C++ Name"));
  input_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  input_->setMinimumContentsLength(40);
  input_->setEditText(QString());
  auto* ig = new QVBoxLayout(inputGroup);
  ig->addWidget(input_);

  flagsLink_ = new UndecorationFlagsLink(this);
  QLabel* flagsLabel = BuddyLabel(this, QStringLiteral("&Flags:"), flagsLink_);
  auto* flagsRow = new QHBoxLayout;
  flagsRow->addWidget(flagsLabel, 0, Qt::AlignTop);
  flagsRow->addWidget(flagsLink_, 1);

  auto* outputGroup = new QGroupBox(QStringLiteral("&Undecorated Name"), this);
  output_ = new QPlainTextEdit(outputGroup);
  output_->setReadOnly(true);
  output_->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
  output_->setAccessibleName(QStringLiteral("Undecorated Name"));
  auto* og = new QVBoxLayout(outputGroup);
  og->addWidget(output_);

  auto* v = new QVBoxLayout(this);
  v->addWidget(inputGroup);
  v->addLayout(flagsRow);
  v->addWidget(outputGroup, 1);

  // The window's own flags start from the program's and stay its own.
  flagsLink_->SetFlags(AppSettings().undecorationFlags);
  connect(flagsLink_, &UndecorationFlagsLink::flagsChanged, this, [this] { UndecorateShown(); });
  connect(input_, &QComboBox::editTextChanged, this, [this] { UndecorateShown(); });
  connect(input_, qOverload<int>(&QComboBox::activated), this, [this] { UndecorateShown(); });

  closing_ = new ToolWindowClosing(this);
  const QFontMetrics fm = fontMetrics();
  resize(fm.averageCharWidth() * 80, fm.lineSpacing() * 20);
  new PlacementBinder(this, setting::kUCNWnd, PlacementDefaults{kPlacementScale, 1.4, 1.2});
  input_->setFocus();
}

CUndecCppNameDlg::~CUndecCppNameDlg() = default;

uint32_t CUndecCppNameDlg::flags() const { return flagsLink_->flags(); }

void CUndecCppNameDlg::SetFlags(uint32_t flags) {
  flagsLink_->SetFlags(flags);
  UndecorateShown();
}

void CUndecCppNameDlg::UndecorateShown() {
  output_->setPlainText(ToQ(tarnix::UndecorateShown(FromQ(input_->currentText()), flagsLink_->flags())));
}

void CUndecCppNameDlg::closeEvent(QCloseEvent* event) {
  input_->AddToHistory();
  QWidget::closeEvent(event);
}

}  // namespace tarnix::gui

#include "gui/tools/regex_composer_dlg.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

#include "core/event_log.h"
#include "core/program_settings.h"
#include "core/setting_names.h"
#include "core/window_settings.h"
#include "gui/app/command_set.h"
#include "gui/app/desktop_actions.h"
#include "gui/app/dialogs.h"
#include "gui/app/placement_binder.h"
#include "gui/app/text_convert.h"
#include "gui/app/window_registry.h"
#include "gui/widgets/buddy_label.h"
#include "tools/regex_composer.h"

namespace tarnix::gui {
bool CRegexComposerDlg::Run(QWidget* owner, std::wstring& regex, bool& caseSensitive) {
  CRegexComposerDlg dialog(owner, regex, caseSensitive);
  if (AppDialogs().Exec(dialog) != QDialog::Accepted) return false;
  regex = dialog.regex();
  caseSensitive = dialog.caseSensitive();
  return true;
}

CRegexComposerDlg::CRegexComposerDlg(QWidget* parent, const std::wstring& regex, bool caseSensitive)
    : QDialog(parent) {
  setObjectName(QStringLiteral("CRegexComposerDlg"));
  setWindowTitle(QStringLiteral("Regex Composer"));
  commands_ = new CommandSet(this);
  BuildControls();
  BuildCommands();
  case_->setChecked(caseSensitive);
  Decompose(regex);
  UpdatePreview();
  // Wide enough for the conditions' texts in full, where the screen allows.
  const int ch = fontMetrics().averageCharWidth();
  int width = std::max(sizeHint().width(), ch * 150);
  if (QScreen* s = screen()) width = std::min(width, s->availableGeometry().width() * 19 / 20);
  resize(width, sizeHint().height());
  new PlacementBinder(this, setting::kRgCmpWnd, PlacementDefaults{kPlacementScale, 1.0, 1.0});
}

CRegexComposerDlg::~CRegexComposerDlg() = default;

bool CRegexComposerDlg::caseSensitive() const { return case_->isChecked(); }

void CRegexComposerDlg::BuildControls() {
  auto* root = new QVBoxLayout(this);
  auto* grid = new QGridLayout();
  const int ch = fontMetrics().averageCharWidth();
  auto header = [&](const char* text, int column) {
    auto* l = new QLabel(QString::fromUtf8(text), this);
    grid->addWidget(l, 0, column, Qt::AlignHCenter);
  };
  header("LEFT condition", 2);
  header("Search word", 3);
  header("RIGHT condition", 4);
  for (int i = 0; i < kComposerRows; ++i) {
    Row& r = rows_[static_cast<size_t>(i)];
    const QString n = QString::number(i + 1);
    r.word = new QLineEdit(this);
    r.word->setMaxLength(static_cast<int>(kComposerWordMax));
    r.word->setMinimumWidth(ch * 16);
    // The digit moves to the word: Alt+1 .. Alt+5.
    grid->addWidget(BuddyLabel(this, QStringLiteral("Word &%1:").arg(n), r.word), i + 1, 0);
    r.beginning = new QCheckBox(QStringLiteral("Beginning"), this);
    r.beginning->setAccessibleName(QStringLiteral("Beginning of word %1").arg(n));
    r.left = new QComboBox(this);
    r.left->setAccessibleName(QStringLiteral("LEFT condition for word %1").arg(n));
    r.right = new QComboBox(this);
    r.right->setAccessibleName(QStringLiteral("RIGHT condition for word %1").arg(n));
    r.ending = new QCheckBox(QStringLiteral("Ending"), this);
    r.ending->setAccessibleName(QStringLiteral("Ending of word %1").arg(n));
    for (QComboBox* box : {r.left, r.right}) {
      box->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
      box->setMinimumContentsLength(14);
      box->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
      connect(box, &QComboBox::currentIndexChanged, this, [this] { UpdatePreview(); });
    }
    grid->addWidget(r.beginning, i + 1, 1);
    grid->addWidget(r.left, i + 1, 2);
    grid->addWidget(r.word, i + 1, 3);
    grid->addWidget(r.right, i + 1, 4);
    grid->addWidget(r.ending, i + 1, 5);
    connect(r.word, &QLineEdit::textChanged, this, [this] { UpdatePreview(); });
    connect(r.beginning, &QCheckBox::toggled, this, [this] { UpdatePreview(); });
    connect(r.ending, &QCheckBox::toggled, this, [this] { UpdatePreview(); });
  }
  grid->setColumnStretch(2, 3);
  grid->setColumnStretch(3, 2);
  grid->setColumnStretch(4, 3);
  root->addLayout(grid);

  auto* options = new QGridLayout();
  mode_ = new QComboBox(this);
  for (int m = 1; m <= kComposerModeCount; ++m) mode_->addItem(ToQ(kComposerModeTexts[m - 1]), m);
  mode_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  mode_->setMinimumContentsLength(30);
  mode_->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
  // The list shows its long entries in full.
  mode_->view()->setMinimumWidth(fontMetrics().horizontalAdvance(ToQ(kComposerModeTexts[2])) + ch * 4);
  options->addWidget(BuddyLabel(this, QStringLiteral("For &matching of:"), mode_), 0, 0);
  options->addWidget(mode_, 0, 1);
  case_ = new QCheckBox(QStringLiteral("Case &sensitive"), this);
  options->addWidget(case_, 0, 2);
  preview_ = new QLineEdit(this);
  preview_->setReadOnly(true);
  options->addWidget(BuddyLabel(this, QStringLiteral("&Preview:"), preview_), 1, 0);
  options->addWidget(preview_, 1, 1, 1, 2);
  options->setColumnStretch(1, 1);
  root->addLayout(options);
  connect(mode_, &QComboBox::currentIndexChanged, this, [this] {
    FillConditions(Mode());
    UpdatePreview();
  });

  root->addStretch(1);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &CRegexComposerDlg::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &CRegexComposerDlg::reject);
  root->addWidget(buttons);
}

void CRegexComposerDlg::BuildCommands() {
  CommandSet& c = *commands_;
  c.Add(kCmdOk, "&OK\tEnter", [this] { accept(); });
  c.Add(kCmdClose, "&Close\tEsc", [this] { reject(); });
  c.Add(kCmdClearWords, "Clear All Search &Words", [this] { ClearWords(); });
  c.Add(kCmdClearConditions, "Clear All Co&nditions", [this] { ClearConditions(); });
  c.Add(kCmdClearAll, "&Clear All Fields\tCtrl+Shift+E", [this] {
     ClearWords();
     ClearConditions();
   }).Keys("Ctrl+Shift+E");
  AddOpenCommand(c, kCmdTryRegex, "Try &Regex Matches...\tCtrl+T", WindowId::kTryRegex, [this] {
    WindowRequest r(this);
    // What the preview shows when it is an expression; nothing otherwise.
    if (!Compose(r.regex)) r.regex.clear();
    r.caseSensitive = caseSensitive();
    return r;
  }).Keys("Ctrl+T");
  c.Add(kCmdRegexHelp, "Regex &Help", [this] {
    WindowRequest r(this);
    r.anchor = QStringLiteral("regex");
    OpenWindow(WindowId::kHelp, r);
  });
  auto* bar = new QMenuBar(this);
  c.Fill(bar->addMenu(QStringLiteral("&File")), {kCmdOk, CommandSet::kSeparator, kCmdClose});
  c.Fill(bar->addMenu(QStringLiteral("&Edit")), {kCmdClearWords, kCmdClearConditions, CommandSet::kSeparator, kCmdClearAll});
  c.Fill(bar->addMenu(QStringLiteral("&View")), {kCmdTryRegex, CommandSet::kSeparator, kCmdRegexHelp});
  layout()->setMenuBar(bar);
  c.Update();
}

int CRegexComposerDlg::Condition(const QComboBox* box) {
  return box->currentIndex() < 0 ? -1 : box->currentData().toInt();
}

bool CRegexComposerDlg::SetCondition(QComboBox* box, int index) {
  const int at = box->findData(index);
  box->setCurrentIndex(at < 0 ? 0 : at);
  return at >= 0;
}

void CRegexComposerDlg::FillConditions(int mode) {
  const bool was = filling_;
  filling_ = true;
  const std::vector<int> offered = ComposerConditionsOffered(mode);
  for (Row& r : rows_)
    for (QComboBox* box : {r.left, r.right}) {
      // A condition the new mode still offers stays selected.
      const int kept = box->count() ? Condition(box) : 0;
      box->clear();
      for (int i : offered) box->addItem(ToQ(kComposerConditions[i].text), i);
      SetCondition(box, kept);
    }
  filling_ = was;
}

int CRegexComposerDlg::Mode() const { return mode_->currentIndex() < 0 ? 0 : mode_->currentData().toInt(); }

bool CRegexComposerDlg::Compose(std::wstring& out) const {
  std::vector<ComposerRow> rows;
  for (const Row& r : rows_)
    rows.push_back({FromQ(r.word->text()), Condition(r.left), Condition(r.right), r.beginning->isChecked(),
                    r.ending->isChecked()});
  return ComposeFromRows(Mode(), rows, out);
}

void CRegexComposerDlg::UpdatePreview() {
  if (filling_) return;
  std::wstring text;
  Compose(text);
  preview_->setText(ToQ(text));
  preview_->setCursorPosition(0);
}

void CRegexComposerDlg::Decompose(const std::wstring& regex) {
  filling_ = true;
  DecomposedRegex d;
  const bool read = DecomposeRegex(regex, d);
  const int mode = read ? d.mode : static_cast<int>(ReadComposerMatchOf());
  mode_->setCurrentIndex(std::max(0, mode_->findData(mode)));
  FillConditions(mode);
  bool filled = true;
  if (read) {
    for (size_t i = 0; i < d.words.size(); ++i) {
      const ComposerWord& w = d.words[i];
      Row& r = rows_[i];
      r.beginning->setChecked(w.atBeginning);
      filled &= SetCondition(r.left, w.left);
      r.word->setText(ToQ(w.word));
      filled &= SetCondition(r.right, w.right);
      r.ending->setChecked(w.atEnd);
    }
  }
  if (!filled) {
    // A condition the recognised mode does not offer.
    EventLog::LogSite(356);
    AppDialogs().Beep(mb::kIconError);
  }
  filling_ = false;
}

void CRegexComposerDlg::ClearWords() {
  for (Row& r : rows_) r.word->clear();
  rows_[0].word->setFocus();
}

void CRegexComposerDlg::ClearConditions() {
  filling_ = true;
  for (Row& r : rows_) {
    r.beginning->setChecked(false);
    r.ending->setChecked(false);
    SetCondition(r.left, 0);
    SetCondition(r.right, 0);
  }
  filling_ = false;
  UpdatePreview();
}

void CRegexComposerDlg::accept() {
  std::wstring text;
  if (!Compose(text)) {
    AppDialogs().MessageBox(this, ToQ(text), QString(), mb::kIconWarning);
    return;
  }
  WriteComposerMatchOf(static_cast<uint32_t>(Mode()));
  regex_ = std::move(text);
  QDialog::accept();
}

}  // namespace tarnix::gui

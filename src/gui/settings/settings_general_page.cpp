#include "gui/settings/settings_general_page.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

#include "gui/app/desktop_actions.h"
#include "gui/app/dialogs.h"
#include "gui/app/text_convert.h"
#include "gui/widgets/buddy_label.h"
#include "gui/widgets/link_label.h"
#include "gui/widgets/undecoration_flags_link.h"
#include "platform/char_class.h"
#include "results/html_report.h"

namespace tarnix::gui {
namespace {

// Public documentation: the standard library's regular-expression grammars
// and the compiler's decorated names.
constexpr char kGrammarDocsUrl[] = "https://en.cppreference.com/w/cpp/regex/syntax_option_type";
constexpr char kDecoratedNamesDocsUrl[] = "https://learn.microsoft.com/en-us/cpp/build/reference/decorated-names";

QLineEdit* NumberEdit(QWidget* parent, int maxChars) {
  auto* e = new QLineEdit(parent);
  e->setMaxLength(maxChars);
  e->setMaximumWidth(e->fontMetrics().averageCharWidth() * (maxChars + 6));
  return e;
}

QCheckBox* Check(QWidget* parent, const char* text) {
  auto* c = new QCheckBox(QString::fromUtf8(text), parent);
  return c;
}

}  // namespace

CSettingsGeneral::CSettingsGeneral(QWidget* parent) : SettingsPageWidget(parent) {
  setObjectName(QStringLiteral("General"));
  auto* grid = new QGridLayout;
  int row = 0;
  // Long labels wrap, so the page fits a small screen without scrolling sideways.
  auto label = [this](const QString& text, QWidget* field) {
    QLabel* l = BuddyLabel(this, text, field);
    l->setWordWrap(true);
    return l;
  };
  auto addRow = [&](const char* text, QWidget* field, QWidget* after = nullptr) {
    grid->addWidget(label(QString::fromUtf8(text), field), row, 0);
    auto* h = new QHBoxLayout;
    h->addWidget(field);
    if (after) h->addWidget(after);
    h->addStretch(1);
    grid->addLayout(h, row++, 1);
  };

  helpZoom_ = NumberEdit(this, 4);
  addRow("Information window text &magnification:", helpZoom_, new QLabel(QStringLiteral("%"), this));
  mru_ = NumberEdit(this, 3);
  addRow("Maximum number of items in Most Recently &Used (MRU) helper drop-down lists:", mru_);

  url_ = new QLineEdit(this);
  url_->setMaxLength(2048);
  try_ = new LinkLabel(QStringLiteral("<a>Try</a>"), this);
  try_->setAccessibleName(QStringLiteral("Try the online search query URL"));
  connect(try_, &LinkLabel::linkClicked, this, [this] { TryOnlineSearch(); });
  grid->addWidget(label(QStringLiteral("&Online search query URL:"), url_), row, 0);
  auto* urlRow = new QHBoxLayout;
  urlRow->addWidget(url_, 1);
  urlRow->addWidget(try_);
  grid->addLayout(urlRow, row++, 1);
  auto* note = new QLabel(ToQ(OnlineSearchUrlNote()), this);
  note->setWordWrap(true);
  grid->addWidget(note, row++, 1);

  // The two rules of how a search runs share a row, so the page still fits
  // an 800x600 screen.
  emptyMatchesAll_ = Check(this, "Treat &empty search strings as match-all condition");
  cacheSymbols_ = Check(this, "Cache symbol &tables");
  cacheSymbols_->setAccessibleName(QStringLiteral("Cache symbol tables"));
  const QString cacheHelp = QStringLiteral(
      "Searches keep the symbol tables of the images they read in a per-user cache, so that searching the "
      "same folder again is fast; an image that changed since is read again. \"tarnix-cli cache --clear\" "
      "empties the cache.");
  cacheSymbols_->setToolTip(cacheHelp);
  cacheSymbols_->setWhatsThis(cacheHelp);
  auto* searchRow = new QHBoxLayout;
  searchRow->addWidget(emptyMatchesAll_);
  searchRow->addSpacing(emptyMatchesAll_->fontMetrics().averageCharWidth() * 4);
  searchRow->addWidget(cacheSymbols_);
  searchRow->addStretch(1);
  grid->addLayout(searchRow, row++, 0, 1, 2);

  grammar_ = new QComboBox(this);
  for (uint32_t g : RegexGrammarChoices()) grammar_->addItem(ToQ(RegexGrammarChoiceText(g)), g);
  auto* grammarDocs = new LinkLabel(QStringLiteral("<a>Regex grammars</a>"), this);
  connect(grammarDocs, &LinkLabel::linkClicked, this,
          [this] { OpenUrlOrSay(this, QUrl(QString::fromUtf8(kGrammarDocsUrl))); });
  addRow("Regex &grammar to use for search:", grammar_, grammarDocs);

  statusSize_ = NumberEdit(this, 9);
  addRow("Maximum size of the &status output window:", statusSize_, new QLabel(QStringLiteral("characters"), this));
  clearOutput_ = Check(this, "&Clear status output window before every Tarnix search");
  grid->addWidget(clearOutput_, row++, 0, 1, 2);
  undecorate_ = Check(this, "Automatically un&decorate C++ function and global variable names during Tarnix search");
  grid->addWidget(undecorate_, row++, 0, 1, 2);

  flags_ = new UndecorationFlagsLink(this);
  QLabel* flagsLabel = label(QStringLiteral("Undeco&ration Flags:"), flags_);
  auto* decoratedDocs = new LinkLabel(QStringLiteral("<a>Decorated names</a>"), this);
  connect(decoratedDocs, &LinkLabel::linkClicked, this,
          [this] { OpenUrlOrSay(this, QUrl(QString::fromUtf8(kDecoratedNamesDocsUrl))); });
  grid->addWidget(flagsLabel, row, 0, Qt::AlignTop);
  auto* flagsRow = new QHBoxLayout;
  flagsRow->addWidget(flags_, 1);
  flagsRow->addWidget(decoratedDocs, 0, Qt::AlignTop);
  grid->addLayout(flagsRow, row++, 1);

  errorBeep_ = Check(this, "&Play error or warning beeps after search failure if user chose not to show a message box");
  onlineLinks_ = Check(this, "&Add online search links to Tarnix search result previews or when saving to HTML file");
  statusInReport_ =
      Check(this, "Inc&lude contents of the status output in Tarnix search result previews or when saving to HTML file");
  autoScroll_ = Check(this, "Autoscroll search results to the &bottom of the list");
  for (QCheckBox* c : {errorBeep_, onlineLinks_, statusInReport_, autoScroll_}) grid->addWidget(c, row++, 0, 1, 2);
  grid->setColumnStretch(0, 2);
  grid->setColumnStretch(1, 3);

  LayOutWithDefaults([this] { Show(GeneralPageDefaults()); })->addLayout(grid);

  Show(GeneralPageOf(AppSettings()));
}

void CSettingsGeneral::Show(const GeneralPageInput& in) {
  helpZoom_->setText(ToQ(in.helpZoom));
  mru_->setText(ToQ(in.mruEntries));
  url_->setText(ToQ(in.onlineSearchUrl));
  emptyMatchesAll_->setChecked(in.emptyMatchesAll);
  const int g = grammar_->findData(in.grammar);
  grammar_->setCurrentIndex(g >= 0 ? g : 0);
  statusSize_->setText(ToQ(in.statusOutputSize));
  clearOutput_->setChecked(in.clearStatusOutput);
  undecorate_->setChecked(in.undecorateNames);
  flags_->SetFlags(in.undecorationFlags);
  errorBeep_->setChecked(in.errorBeepWithoutBox);
  onlineLinks_->setChecked(in.reportOnlineLinks);
  statusInReport_->setChecked(in.reportStatusOutput);
  autoScroll_->setChecked(in.autoScrollResults);
  cacheSymbols_->setChecked(in.cacheSymbols);
}

GeneralPageInput CSettingsGeneral::Read() const {
  GeneralPageInput in;
  in.helpZoom = FromQ(helpZoom_->text());
  in.mruEntries = FromQ(mru_->text());
  in.onlineSearchUrl = FromQ(url_->text());
  in.emptyMatchesAll = emptyMatchesAll_->isChecked();
  in.grammar = grammar_->currentIndex() >= 0 ? grammar_->currentData().toUInt() : 0;
  in.statusOutputSize = FromQ(statusSize_->text());
  in.clearStatusOutput = clearOutput_->isChecked();
  in.undecorateNames = undecorate_->isChecked();
  in.undecorationFlags = flags_->flags();
  in.errorBeepWithoutBox = errorBeep_->isChecked();
  in.reportOnlineLinks = onlineLinks_->isChecked();
  in.reportStatusOutput = statusInReport_->isChecked();
  in.autoScrollResults = autoScroll_->isChecked();
  in.cacheSymbols = cacheSymbols_->isChecked();
  return in;
}

QWidget* CSettingsGeneral::Field(int field) const {
  switch (field) {
    case kGeneralHelpZoom: return helpZoom_;
    case kGeneralMruEntries: return mru_;
    case kGeneralOnlineSearchUrl: return url_;
    case kGeneralGrammar: return grammar_;
    default: return statusSize_;
  }
}

bool CSettingsGeneral::Confirm() {
  const PageCheck check = StoreGeneralPage(AppSettings(), Read());
  if (check.ok()) return true;
  Refuse(Field(check.field), check.message);
  return false;
}

void CSettingsGeneral::TryOnlineSearch() {
  GeneralPageInput in = GeneralPageDefaults();
  in.onlineSearchUrl = FromQ(url_->text());
  const PageCheck check = CheckGeneralPage(in);
  if (check.field == kGeneralOnlineSearchUrl) {
    url_->setFocus();
    ShowErrorBox(this, check.message);
    return;
  }
  const std::wstring url = OnlineSearchUrl(TrimWhiteSpace(in.onlineSearchUrl), kTryOnlineSearchWord);
  uint32_t error = 0;
  if (!AppDialogs().OpenUrl(QUrl(ToQ(url), QUrl::StrictMode), error))
    ShowErrorBox(this,
                 L"ERROR: Failed to open your web browser to perform online search with the specified search "
                 L"string:\n\n" + url,
                 error);
}

}  // namespace tarnix::gui

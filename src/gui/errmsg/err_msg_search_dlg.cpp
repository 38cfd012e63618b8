#include "gui/errmsg/err_msg_search_dlg.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>
#include <mutex>

#include "core/event_log.h"
#include "core/program_windows_root.h"
#include "core/setting_names.h"
#include "core/wformat.h"
#include "core/window_settings.h"
#include "errmsg/describe_range_list.h"
#include "errmsg/message_languages.h"
#include "errmsg/message_search_check.h"
#include "errmsg/message_search_setup.h"
#include "errmsg/range_preset_store.h"
#include "errmsg/range_set.h"
#include "errnames/message_line_names.h"
#include "gui/app/command_set.h"
#include "gui/app/desktop_actions.h"
#include "gui/app/desktop_message_target.h"
#include "gui/app/dialogs.h"
#include "gui/app/placement_binder.h"
#include "gui/app/status_output.h"
#include "gui/app/text_convert.h"
#include "gui/app/tool_window.h"
#include "gui/app/window_registry.h"
#include "gui/errmsg/err_msg_commands.h"
#include "gui/widgets/buddy_label.h"
#include "gui/widgets/combo_box_auto.h"
#include "gui/widgets/link_label.h"
#include "gui/widgets/output_text_box.h"
#include "gui/widgets/pattern_box.h"
#include "gui/widgets/search_run_bar.h"
#include "platform/last_error.h"
#include "platform/win_errors.h"
#include "run/message_search_run.h"
#include "symbolsearch/search_string.h"

namespace tarnix::gui {
namespace {

QPointer<CErrMsgSearchDlg>& TheWindow() {
  static QPointer<CErrMsgSearchDlg> window;
  return window;
}

constexpr int kWordLimit = 1024;

QString LinkEscaped(const std::wstring& text) { return ToQ(text).replace(QLatin1Char('&'), QStringLiteral("&&")); }

}  // namespace

CErrMsgSearchDlg* CErrMsgSearchDlg::Instance() { return TheWindow(); }

CErrMsgSearchDlg* CErrMsgSearchDlg::Show(QWidget* owner) {
  return OpenOnce(TheWindow(), owner, [](QWidget* parent) { return new CErrMsgSearchDlg(parent); });
}

CErrMsgSearchDlg::CErrMsgSearchDlg(QWidget* owner)
    : QMainWindow(owner), run_(DesktopRunTargets()), transcript_([this](const std::wstring& line) {
        if (!results_->AppendLine(line)) overflowed_ = true;
      }) {
  if (!TheWindow()) TheWindow() = this;
  setWindowTitle(QStringLiteral("Error Message Search"));
  symbolicNames_ = ReadErrMsgOption(ErrMsgOption::kSymbolicNames);
  commands_ = new CommandSet(this);
  BuildControls();
  BuildCommands();
  BuildMenus();
  closing_ = new ToolWindowClosing(this);

  PlaceToolWindow(this, owner, 640, 480);
  new PlacementBinder(this, setting::kEMSWnd, PlacementDefaults{kPlacementScale, 1.6, 1.5});

  run_.OnResults<std::vector<std::wstring>>([this](std::vector<std::wstring>& lines) { Lines(lines); });
  run_.OnEnded([this](const RunSummary& s) { Finished(s); });
  run_.OnStateChanged([this] { commands_->Update(); });
  LoadRanges();
  commands_->Update();
}

CErrMsgSearchDlg::~CErrMsgSearchDlg() = default;

void CErrMsgSearchDlg::BuildControls() {
  auto* central = new QWidget(this);
  auto* root = new QVBoxLayout(central);

  auto* group = new QGroupBox(QStringLiteral("Search Localized Error Messages"), central);
  auto* grid = new QGridLayout(group);
  grid->setColumnStretch(1, 1);
  pattern_ = new PatternBox(group, {"Contains regular e&xpressions", "C&ase-sensitive", "Whole wor&ds only",
                                    "Search Word", "Search Word Menu", kWordLimit});
  pattern_->Attach(setting::kHistErrMsgWord, [] { return AppSettings().regexGrammar; },
                   PatternBox::OptionSettings{ErrMsgOption::kRegex, ErrMsgOption::kCaseSensitive,
                                              ErrMsgOption::kWholeWords});
  grid->addWidget(BuddyLabel(group, QStringLiteral("Search &Word:"), pattern_->box()), 0, 0);
  pattern_->PlaceIn(grid, 0, 1);
  // Whole words mean nothing to a regular expression; the box keeps its state.
  auto wordsFollowRegex = [this] { pattern_->wordsBox()->setEnabled(!pattern_->regexBox()->isChecked()); };
  connect(pattern_->regexBox(), &QCheckBox::toggled, this, wordsFollowRegex);
  wordsFollowRegex();
  connect(pattern_, &PatternBox::returnPressed, this, [this] {
    if (!run_.active()) StartSearch();
  });
  connect(pattern_, &PatternBox::moreInfoRequested, this, [this](const QString& anchor) {
    WindowRequest r(this);
    r.anchor = anchor;
    OpenWindow(WindowId::kHelp, r);
  });

  language_ = new QComboBox(group);
  language_->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
  grid->addWidget(BuddyLabel(group, QStringLiteral("&Language:"), language_), 2, 0);
  grid->addWidget(language_, 2, 1, 1, 2);
  FillLanguages();

  rangesLink_ = new LinkLabel(group);
  grid->addWidget(rangesLink_, 3, 0, 1, 3);
  connect(rangesLink_, &LinkLabel::linkClicked, this, [this] { OpenRanges(); });
  root->addWidget(group);

  bar_ = new SearchRunBar(central, QStringLiteral("Search Progress"), QStringLiteral("Search Status"));
  bar_->Bind(run_, [this] { StartSearch(); }, 232);
  root->addWidget(bar_);

  results_ = new COutputTextBox(central);
  results_->setLineWrapMode(QPlainTextEdit::NoWrap);
  BindStatusOutput(run_, results_, OutputSize::kErrMsgResults);
  root->addWidget(BuddyLabel(central, QStringLiteral("&Results:"), results_));
  root->addWidget(results_, 1);
  setCentralWidget(central);

  setTabOrder(pattern_->box(), pattern_->menuButton());
  setTabOrder(pattern_->menuButton(), pattern_->regexBox());
  setTabOrder(pattern_->regexBox(), pattern_->caseBox());
  setTabOrder(pattern_->caseBox(), pattern_->wordsBox());
  setTabOrder(pattern_->wordsBox(), pattern_->moreInfo());
  setTabOrder(pattern_->moreInfo(), language_);
  setTabOrder(language_, rangesLink_);
  setTabOrder(rangesLink_, bar_->searchButton());
  setTabOrder(bar_->searchButton(), bar_->stopButton());
  setTabOrder(bar_->stopButton(), results_);
}

void CErrMsgSearchDlg::BuildCommands() {
  CommandSet& c = *commands_;
  auto hasText = [this] { return !results_->Text().empty(); };
  c.Add(kEmsSaveResults, "&Save Results...\tCtrl+Shift+S", [this] { results_->SaveToFile(this, 1069); })
      .Keys("Ctrl+Shift+S")
      .Enabled(hasText);
  c.Add(kEmsClose, "&Close\tAlt+F4", [this] { close(); }).Keys("Alt+F4");
  c.Add(kEmsCopyResults, "&Copy Results\tCtrl+Shift+C", [this] {
     if (!results_->CopyToClipboard()) CommandFailed(240, L"ln=0");
   }).Keys("Ctrl+Shift+C").Enabled(hasText);
  c.Add(kEmsClearResults, "Cl&ear Results", [this] { results_->Clear(); }).Enabled(hasText);
  c.Add(kEmsRanges, "Search Error &Ranges...", [this] { OpenRanges(); }).Enabled([] {
    return WindowRegistered(WindowId::kErrRanges);
  });
  AddOpenCommand(c, kEmsSettings, "&Settings...\tCtrl+K", WindowId::kSettings, [this] {
    WindowRequest r(this);
    r.page = SettingsPage::kErrorSearch;
    return r;
  }).Keys("Ctrl+K");
  AddOpenCommand(c, kEmsRegexComposer, "Regex &Composer...", WindowId::kRegexComposer,
                 [this] { return RegexRequest(); });
  AddOpenCommand(c, kEmsTryRegex, "Try &Regex Matches...\tCtrl+T", WindowId::kTryRegex,
                 [this] { return RegexRequest(); })
      .Keys("Ctrl+T");
  AddOpenCommand(c, kEmsRegexHelp, "Regex &Help", WindowId::kHelp, [this] {
    WindowRequest r(this);
    r.anchor = QStringLiteral("regex");
    return r;
  });
  c.Add(kEmsSymbolicNames, "&Symbolic Names", [this] {
     symbolicNames_ = !symbolicNames_;
     if (!WriteErrMsgOption(ErrMsgOption::kSymbolicNames, symbolicNames_)) CommandFailed(240, L"names");
     commands_->Update();
   }).Checked([this] { return symbolicNames_; });
}

void CErrMsgSearchDlg::BuildMenus() {
  constexpr int kSep = CommandSet::kSeparator;
  const CommandSet& c = *commands_;
  std::vector<QMenu*> menus;
  menus.push_back(menuBar()->addMenu(QStringLiteral("&File")));
  c.Fill(menus.back(), {kEmsSaveResults, kSep, kEmsClose});
  menus.push_back(menuBar()->addMenu(QStringLiteral("&Edit")));
  c.Fill(menus.back(), {kEmsCopyResults, kEmsClearResults, kSep, kEmsRanges, kSep, kEmsSettings});
  menus.push_back(menuBar()->addMenu(QStringLiteral("&View")));
  c.Fill(menus.back(), {kEmsRegexComposer, kEmsTryRegex, kSep, kEmsRegexHelp, kSep, kEmsSymbolicNames});
  for (QMenu* m : menus) connect(m, &QMenu::aboutToShow, this, [this] { commands_->Update(); });

  // The "..." button's small menu.
  connect(pattern_, &PatternBox::menuRequested, this, [this] {
    commands_->Update();
    QMenu menu(this);
    commands_->Present(&menu, kEmsRegexComposer, QStringLiteral("Regex &Composer...\tCtrl+R"));
    commands_->Present(&menu, kEmsTryRegex, QStringLiteral("Try &Regex Matches...\tCtrl+T"));
    QToolButton* button = pattern_->menuButton();
    menu.exec(button->mapToGlobal(QPoint(0, button->height())));
  });
  commands_->BindKey(kEmsRegexComposer, pattern_->box(), "Ctrl+R");
}

WindowRequest CErrMsgSearchDlg::RegexRequest() {
  WindowRequest r(this);
  if (pattern_->regexBox()->isChecked()) {
    r.regex = TrimSearchText(pattern_->Text());
    r.caseSensitive = pattern_->caseBox()->isChecked();
  }
  r.composed = [window = QPointer<CErrMsgSearchDlg>(this)](const std::wstring& regex, bool caseSensitive) {
    if (!window) return;
    window->pattern_->SetText(regex);
    window->pattern_->caseBox()->setChecked(caseSensitive);
    WriteErrMsgOption(ErrMsgOption::kCaseSensitive, caseSensitive);
    window->pattern_->SetRegex(true, true);
    window->bar_->searchButton()->setFocus();
  };
  return r;
}

void CErrMsgSearchDlg::FillLanguages() {
  const std::vector<MessageLanguage>& list = CachedMessageLanguageList();
  for (const MessageLanguage& l : list) {
    if (l.id == kLanguageSeparatorId)
      language_->insertSeparator(language_->count());
    else
      language_->addItem(ToQ(l.text), QVariant::fromValue(l.id));
  }
  const std::optional<size_t> at = SelectMessageLanguage(list, ReadErrMsgLanguage());
  language_->setCurrentIndex(at ? static_cast<int>(*at) : -1);
}

void CErrMsgSearchDlg::LoadRanges() {
  if (!ReadStoredRanges(ranges_)) {
    if (GetLastError() != ERROR_FILE_NOT_FOUND) EventLog::LogSiteFormat(344, L"e=%u", GetLastError());
    ranges_ = BuildBuiltInRangeSets().at(kWin32RangeSetId).ranges;
  }
  UpdateRangesLink();
}

void CErrMsgSearchDlg::SetRanges(std::vector<ErrorRange> ranges) {
  ranges_ = std::move(ranges);
  if (!WriteStoredRanges(ranges_)) CommandFailed(345, WFormat(L"cnt=%zu", ranges_.size()));
  UpdateRangesLink();
}

void CErrMsgSearchDlg::UpdateRangesLink() {
  std::vector<RangeSet> presets;
  RangePresetStore::ReadAll(presets);  // a preset store that can't be read names no preset
  rangesLink_->SetLinkText(QStringLiteral("Search &In: <a>%1</a>").arg(LinkEscaped(DescribeRangeList(ranges_, presets))));
}

void CErrMsgSearchDlg::OpenRanges() {
  WindowRequest r(this);
  r.ranges = ranges_;
  r.rangesChosen = [window = QPointer<CErrMsgSearchDlg>(this)](std::vector<ErrorRange> ranges) {
    if (window) window->SetRanges(std::move(ranges));
  };
  OpenWindow(WindowId::kErrRanges, r);
}

bool CErrMsgSearchDlg::StartSearch() {
  if (run_.active()) return false;
  pattern_->AddToHistory();
  MessageSearchParams p;
  p.grammar = AppSettings().regexGrammar;
  const SearchStringSpec spec = pattern_->Value();
  p.word = TrimSearchText(spec.text);
  p.regex = spec.regex;
  p.caseSensitive = spec.caseSensitive;
  p.wholeWords = spec.wholeWords && !spec.regex;
  const std::wstring problem = MessageSearchWordProblem(p.word, p.regex, p.caseSensitive, p.wholeWords, p.grammar);
  if (!problem.empty()) {
    pattern_->box()->setFocus();
    ShowErrorBox(this, problem);
    return false;
  }
  const QVariant language = language_->currentData();
  if (!language.isValid() || language.toUInt() > 0xFFFFFFFDu) {
    language_->setFocus();
    ShowErrorBox(this, L"Select language for the search");
    return false;
  }
  p.language = language.toUInt();
  WriteErrMsgLanguage(p.language);
  if (ranges_.empty()) {
    rangesLink_->setFocus();
    ShowErrorBox(this, L"Select at least one error range to search in");
    return false;
  }
  p.ranges = ranges_;
  p.systemFolder = MessageSearchSystemFolder(ProgramWindowsRoot());

  results_->Clear();
  overflowed_ = false;
  transcript_.Begin(p);
  if (!run_.Begin(std::make_unique<MessageSearchRun>(p))) {
    const uint32_t error = GetLastError();
    EventLog::LogSiteFormat(218, L"e=%u", error);
    ShowErrorBox(this, L"Failed to start the search:", error);
    return false;
  }
  return true;
}

void CErrMsgSearchDlg::Lines(std::vector<std::wstring>& lines) {
  overflowed_ = false;
  for (std::wstring& line : lines) transcript_.Line(symbolicNames_ ? WithErrorNames(std::move(line)) : line);
  if (!overflowed_ || !AppSettings().errMsgWarnOverflow || !run_.active() || run_.paused()) return;
  run_.Pause();
  // Said once the delivery of this batch is over.
  QTimer::singleShot(0, this, [this] {
    AppDialogs().MessageBox(
      this,
      QStringLiteral("The results window is full. Old searches are being discarded.\n\n"
                     "Save the contents of the results window and then clear it to continue the search.\n\n"
                     "(INFO: You can increase the capacity of the results window, or disable this warning in "
                     "Settings.)"),
      QStringLiteral("Tarnix"), mb::kOk | mb::kIconWarning);
  });
}

void CErrMsgSearchDlg::Finished(const RunSummary& s) {
  transcript_.Finish(s.end == RunEnd::kCompleted, s.counts.matches, s.elapsedMs);
  commands_->Update();
}

void CErrMsgSearchDlg::closeEvent(QCloseEvent* event) {
  if (!MayCloseSearchWindow(this, run_.active(), *closing_)) return event->ignore();
  run_.Close();
  pattern_->Detach();
  event->accept();
}

}  // namespace tarnix::gui

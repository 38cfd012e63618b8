#include "gui/tools/try_regex_dlg.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QScreen>
#include <QScrollBar>
#include <QSplitter>
#include <QTimer>
#include <QVBoxLayout>

#include "core/program_settings.h"
#include "core/setting_names.h"
#include "core/window_settings.h"
#include "gui/app/desktop_actions.h"
#include "gui/app/placement_binder.h"
#include "gui/app/text_convert.h"
#include "gui/app/tool_window.h"
#include "gui/app/window_registry.h"
#include "gui/widgets/buddy_label.h"
#include "gui/widgets/combo_box_auto.h"
#include "gui/widgets/link_label.h"
#include "symbolsearch/regex_grammar.h"
#include "tools/regex_trial.h"

namespace tarnix::gui {
namespace {

QPointer<CTryRegexDlg>& TheWindow() {
  static QPointer<CTryRegexDlg> window;
  return window;
}

constexpr int kExpressionLimit = 1040;
// The status line's colour while the last evaluation had a compile error.
const QColor kErrorColour(192, 0, 0);
// How long an evaluation runs before the status says it is still going.
constexpr int kBusyNoticeMs = 250;

// One box scrolls the other: set while that is done, for every window.
bool g_scrolling = false;

}  // namespace

CTryRegexDlg* CTryRegexDlg::Instance() { return TheWindow(); }

CTryRegexDlg* CTryRegexDlg::Show(QWidget* owner, const std::wstring& regex, bool caseSensitive, uint32_t grammar) {
  QPointer<CTryRegexDlg>& slot = TheWindow();
  // A window of another owner would stay behind a modal owner (the
  // composer): a new one over the new owner takes over its text.
  QString carried;
  QWidget* parent = ToolWindowParent(owner);
  if (slot && parent && parent->isModal() && slot->parentWidget() != parent) {
    carried = slot->text_->toPlainText();
    slot->close();
    slot = nullptr;
  }
  CTryRegexDlg* w = OpenOnce(slot, owner, [](QWidget* p) { return new CTryRegexDlg(p); });
  if (!carried.isEmpty()) w->text_->setPlainText(carried);
  w->SetInput(regex, caseSensitive, grammar);
  return w;
}

CTryRegexDlg::CTryRegexDlg(QWidget* parent) : QWidget(parent, Qt::Window) {
  if (!TheWindow()) TheWindow() = this;
  setWindowTitle(QStringLiteral("Try Regex Matches"));
  setAcceptDrops(true);
  runner_ = std::make_unique<RegexTrialRunner>([this](uint64_t ticket, RegexTrialResult result) {
    // On the worker's thread: the window takes it on its own, if it is
    // still the newest by then.
    QMetaObject::invokeMethod(
        this,
        [this, ticket, r = std::move(result)] {
          if (ticket == submitted_) ShowResult(r);
        },
        Qt::QueuedConnection);
  });
  BuildControls();
  closing_ = new ToolWindowClosing(this);

  const QFontMetrics fm = fontMetrics();
  resize(fm.averageCharWidth() * 100, fm.lineSpacing() * 30);
  if (parent) move(parent->geometry().center() - QPoint(width() / 2, height() / 2));
  new PlacementBinder(this, setting::kTRxWnd, PlacementDefaults{kPlacementScale, 1.0, 1.0});
}

CTryRegexDlg::~CTryRegexDlg() {
  // Waits for the evaluation to stop: nothing of it is delivered afterwards.
  runner_.reset();
}

void CTryRegexDlg::BuildControls() {
  auto* root = new QVBoxLayout(this);
  auto* grid = new QGridLayout();
  regex_ = new CComboBoxAuto(this);
  regex_->Attach(true, setting::kHistTryRegex);
  regex_->SetMaxLength(kExpressionLimit);
  regex_->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
  regex_->setMinimumContentsLength(20);
  regex_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  grid->addWidget(BuddyLabel(this, QStringLiteral("Regular e&xpression:"), regex_), 0, 0);
  grid->addWidget(regex_, 0, 1);
  auto* moreInfo = new LinkLabel(QStringLiteral("<a>more info</a>"), this);
  moreInfo->setAccessibleName(QStringLiteral("More Info On Regular Expressions"));
  connect(moreInfo, &LinkLabel::linkClicked, this, [this] {
    WindowRequest r(this);
    r.anchor = QStringLiteral("regex");
    OpenWindow(WindowId::kHelp, r);
  });
  grid->addWidget(moreInfo, 0, 2);

  auto* options = new QHBoxLayout();
  case_ = new QCheckBox(QStringLiteral("&Case sensitive"), this);
  options->addWidget(case_);
  options->addSpacing(fontMetrics().averageCharWidth() * 3);
  grammar_ = new QComboBox(this);
  for (uint32_t g = kGrammarECMAScript; g <= kGrammarEgrep; g <<= 1)
    grammar_->addItem(ToQ(RegexGrammarName(g) + L" syntax"), g);
  options->addWidget(BuddyLabel(this, QStringLiteral("&Grammar:"), grammar_));
  options->addWidget(grammar_);
  options->addStretch(1);
  grid->addLayout(options, 1, 1, 1, 2);
  grid->setColumnStretch(1, 1);
  root->addLayout(grid);

  status_ = new QLabel(this);
  status_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  status_->setWordWrap(true);
  status_->setAccessibleName(QStringLiteral("Evaluation Status"));
  root->addWidget(status_);

  auto* splitter = new QSplitter(Qt::Horizontal, this);
  auto pane = [&](const QString& caption, QPlainTextEdit* box) {
    auto* w = new QWidget(splitter);
    auto* l = new QVBoxLayout(w);
    l->setContentsMargins(0, 0, 0, 0);
    box->setParent(w);
    box->setLineWrapMode(QPlainTextEdit::NoWrap);
    l->addWidget(BuddyLabel(w, caption, box));
    l->addWidget(box);
    splitter->addWidget(w);
  };
  text_ = new QPlainTextEdit();
  results_ = new QPlainTextEdit();
  results_->setReadOnly(true);
  results_->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
  pane(QStringLiteral("&Text to match with regular expression (each line):"), text_);
  pane(QStringLiteral("Match Res&ults:"), results_);
  splitter->setStretchFactor(0, 3);
  splitter->setStretchFactor(1, 1);
  splitter->setChildrenCollapsible(false);
  root->addWidget(splitter, 1);
  // Dropped files become lines; the text box takes them rather than their
  // addresses as text.
  text_->viewport()->installEventFilter(this);

  connect(regex_, &QComboBox::editTextChanged, this, [this] { Evaluate(); });
  connect(case_, &QCheckBox::toggled, this, [this] { Evaluate(); });
  connect(grammar_, &QComboBox::currentIndexChanged, this, [this] { Evaluate(); });
  connect(text_, &QPlainTextEdit::textChanged, this, [this] { Evaluate(); });
  // The expression is kept in the history once the user leaves the box or presses Enter.
  connect(regex_->lineEdit(), &QLineEdit::returnPressed, this, [this] { regex_->AddToHistory(); });
  connect(text_->verticalScrollBar(), &QScrollBar::valueChanged, this, [this] { FollowScroll(text_, results_); });
  connect(results_->verticalScrollBar(), &QScrollBar::valueChanged, this, [this] { FollowScroll(results_, text_); });

  busy_ = new QTimer(this);
  busy_->setSingleShot(true);
  busy_->setInterval(kBusyNoticeMs);
  connect(busy_, &QTimer::timeout, this, [this] { SetStatus(QStringLiteral("Evaluating..."), false); });
}

void CTryRegexDlg::SetInput(const std::wstring& regex, bool caseSensitive, uint32_t grammar) {
  filling_ = true;
  regex_->SetText(regex.substr(0, kExpressionLimit));
  case_->setChecked(caseSensitive);
  const uint32_t g = NormalizeRegexGrammar(grammar ? grammar : AppSettings().regexGrammar);
  grammar_->setCurrentIndex(std::max(0, grammar_->findData(g)));
  filling_ = false;
  Evaluate();
  if (regex.empty())
    regex_->setFocus();
  else
    text_->setFocus();
}

void CTryRegexDlg::AppendLines(const QStringList& paths) {
  if (paths.isEmpty()) return;
  QString text = text_->toPlainText();
  if (!text.isEmpty() && !text.endsWith(QLatin1Char('\n'))) text += QLatin1Char('\n');
  text += paths.join(QLatin1Char('\n'));
  text_->setPlainText(text);
  text_->moveCursor(QTextCursor::End);
}

bool CTryRegexDlg::eventFilter(QObject* watched, QEvent* event) {
  if (watched == text_->viewport()) {
    if (event->type() == QEvent::DragEnter || event->type() == QEvent::DragMove) {
      auto* e = static_cast<QDropEvent*>(event);
      if (e->mimeData()->hasUrls()) {
        e->acceptProposedAction();
        return true;
      }
    } else if (event->type() == QEvent::Drop) {
      auto* e = static_cast<QDropEvent*>(event);
      if (e->mimeData()->hasUrls()) {
        QStringList paths;
        for (const QUrl& url : e->mimeData()->urls())
          paths << (url.isLocalFile() ? url.toLocalFile() : url.toString());
        e->acceptProposedAction();
        AppendLines(paths);
        return true;
      }
    }
  }
  return QWidget::eventFilter(watched, event);
}

void CTryRegexDlg::closeEvent(QCloseEvent* event) {
  // The expression tried last is the newest of the history.
  regex_->AddToHistory();
  QWidget::closeEvent(event);
}

void CTryRegexDlg::Evaluate() {
  if (filling_) return;
  RegexTrialRequest r;
  r.expression = regex_->Text();
  r.grammar = grammar_->currentData().toUInt();
  r.caseSensitive = case_->isChecked();
  r.text = FromQ(text_->toPlainText());
  submitted_ = runner_->Submit(std::move(r));
  busy_->start();
}

void CTryRegexDlg::ShowResult(const RegexTrialResult& result) {
  busy_->stop();
  ++shown_;
  bool error = false;
  const std::wstring status = RegexTrialStatusText(result, error);
  SetStatus(ToQ(status), error);
  std::wstring text = RegexTrialResultsText(result);
  // The box shows lines; its own line breaks are line feeds.
  std::wstring lines;
  lines.reserve(text.size());
  for (wchar_t c : text)
    if (c != L'\r') lines += c;
  results_->setPlainText(ToQ(lines));
  FollowScroll(text_, results_);
}

void CTryRegexDlg::SetStatus(const QString& text, bool error) {
  status_->setText(text);
  statusError_ = error;
  QPalette p = status_->palette();
  p.setColor(QPalette::WindowText, error ? kErrorColour : palette().color(QPalette::WindowText));
  status_->setPalette(p);
}

void CTryRegexDlg::FollowScroll(QPlainTextEdit* from, QPlainTextEdit* to) {
  if (g_scrolling) return;
  g_scrolling = true;
  // Both boxes scroll by lines and hold as many: the same value is the same first line.
  to->verticalScrollBar()->setValue(from->verticalScrollBar()->value());
  g_scrolling = false;
}

}  // namespace tarnix::gui

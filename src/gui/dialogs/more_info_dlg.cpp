#include "gui/dialogs/more_info_dlg.h"

#include <QAbstractTextDocumentLayout>
#include <QAction>
#include <QFile>
#include <QMenuBar>
#include <QPointer>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTimer>
#include <QWheelEvent>

#include "core/event_log.h"
#include "core/program_settings.h"
#include "core/registry_settings.h"
#include "core/setting_names.h"
#include "gui/app/command_set.h"
#include "gui/app/dialogs.h"
#include "gui/app/placement_binder.h"
#include "gui/app/tool_window.h"
#include "gui/app/window_registry.h"
#include "gui/app/text_convert.h"
#include "tools/help_zoom.h"

namespace tarnix::gui {
namespace {

constexpr char kPageResource[] = ":/help/search_strings.html";
constexpr char kTitle[] = "Search String Help";
// The HRESULT a failed print job is logged with (E_FAIL).
constexpr uint32_t kPrintFailed = 0x80004005;

// The document position of the anchor named `name`, or -1.
int AnchorPosition(const QTextDocument& document, const QString& name) {
  for (QTextBlock block = document.begin(); block.isValid(); block = block.next())
    for (auto it = block.begin(); !it.atEnd(); ++it) {
      const QTextFragment fragment = it.fragment();
      if (fragment.isValid() && fragment.charFormat().anchorNames().contains(name))
        return fragment.position();
    }
  return -1;
}

// Lays the whole document out now, so that the scroll range is final.
void FinishLayout(QTextDocument& document) {
  if (QAbstractTextDocumentLayout* layout = document.documentLayout())
    layout->blockBoundingRect(document.lastBlock());
}

}  // namespace

const char CMoreInfoDlg::kPageUrl[] = "qrc:/help/search_strings.html";

CMoreInfoDlg::CMoreInfoDlg(QWidget* parent, const QString& anchor)
    : QMainWindow(parent, Qt::Window), pendingAnchor_(anchor) {
  setWindowTitle(QString::fromUtf8(kTitle));
  browser_ = new QTextBrowser(this);
  browser_->setAccessibleName(QString::fromUtf8(kTitle));
  // A caret that the keyboard moves through the page: a screen reader reads
  // it line by line, as it reads any document.
  browser_->setTextInteractionFlags(Qt::TextBrowserInteraction | Qt::TextSelectableByKeyboard);
  // Every link is ours to follow: anchors scroll here, the rest goes to the
  // user's browser.
  browser_->setOpenLinks(false);
  browser_->setOpenExternalLinks(false);
  connect(browser_, &QTextBrowser::anchorClicked, this, &CMoreInfoDlg::OnLink);
  setCentralWidget(browser_);
  browser_->viewport()->installEventFilter(this);
  baseFont_ = browser_->font();

  MakeActions();
  LoadPage();
  ApplyZoom(ReadHelpZoom(RegistrySettings()));

  const QFontMetrics fm = fontMetrics();
  resize(fm.averageCharWidth() * 90, fm.lineSpacing() * 36);
  new PlacementBinder(this, setting::kMIWnd, PlacementDefaults{kPlacementScale, 1.0, 1.0});
}

CMoreInfoDlg::~CMoreInfoDlg() = default;

void CMoreInfoDlg::MakeActions() {
  enum { kPreview = 1, kClose, kZoomIn, kZoomOut, kResetZoom, kTryRegex, kPrint };
  auto* c = new CommandSet(this);
  c->Add(kPreview, "Print &Preview...", [this] { Print(true); });
  // Escape and Ctrl+W close the window, as other tool windows close.
  c->Add(kClose, "&Close", [this] { close(); }).Keys("Ctrl+W", "Esc");
  // Ctrl+= is Ctrl++ without the SHIFT that "+" needs on most keyboards.
  c->Add(kZoomIn, "Zoom &In\tCtrl++", [this] { UserZoom(HelpZoomIn(zoom_)); }).Keys("Ctrl++", "Ctrl+=");
  c->Add(kZoomOut, "Zoom &Out\tCtrl+-", [this] { UserZoom(HelpZoomOut(zoom_)); }).Keys("Ctrl+-");
  c->Add(kResetZoom, "&Reset Zoom\tCtrl+0", [this] { UserZoom(kHelpZoomNormal); }).Keys("Ctrl+0");
  AddOpenCommand(*c, kTryRegex, "Try Rege&x Matches\tCtrl+T", WindowId::kTryRegex, [this] {
    return WindowRequest(this);
  }).Keys("Ctrl+T");
  c->Add(kPrint, "&Print", [this] { Print(false); });
  c->Fill(menuBar()->addMenu(QStringLiteral("&File")), {kPreview, CommandSet::kSeparator, kClose});
  c->Fill(menuBar()->addMenu(QStringLiteral("&View")),
          {kZoomIn, kZoomOut, kResetZoom, CommandSet::kSeparator, kTryRegex});
  menuBar()->addAction(c->action(kPrint));
}

void CMoreInfoDlg::LoadPage() {
  if (!QFile::exists(QString::fromLatin1(kPageResource))) {
    EventLog::LogSiteFormat(107, L"url=\"%ls\"", FromQ(QString::fromLatin1(kPageUrl)).c_str());
    return;
  }
  pageUrl_ = QUrl(QString::fromLatin1(kPageUrl));
  browser_->setSource(pageUrl_);
}

void CMoreInfoDlg::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (pendingAnchor_.isEmpty()) return;
  // Once the window has its size the anchor can be brought to the top.
  QTimer::singleShot(0, this, [this] {
    const QString anchor = pendingAnchor_;
    pendingAnchor_.clear();
    ScrollToAnchor(anchor);
  });
}

bool CMoreInfoDlg::eventFilter(QObject* watched, QEvent* event) {
  // Ctrl+wheel zooms in the window's own steps, so that the stored zoom is
  // what the user sees.
  if (watched == browser_->viewport() && event->type() == QEvent::Wheel) {
    auto* wheel = static_cast<QWheelEvent*>(event);
    if (wheel->modifiers() & Qt::ControlModifier) {
      const int delta = wheel->angleDelta().y();
      if (delta) UserZoom(delta > 0 ? HelpZoomIn(zoom_) : HelpZoomOut(zoom_));
      return true;
    }
  }
  return QMainWindow::eventFilter(watched, event);
}

bool CMoreInfoDlg::ScrollToAnchor(const QString& anchor) {
  if (anchor.isEmpty()) {
    browser_->verticalScrollBar()->setValue(0);
    return true;
  }
  if (pageUrl_.isEmpty() || AnchorPosition(*browser_->document(), anchor) < 0) {
    EventLog::LogSiteFormat(108, L"anchor=\"%ls\"", FromQ(anchor).c_str());
    return false;
  }
  FinishLayout(*browser_->document());
  browser_->scrollToAnchor(anchor);
  return true;
}

void CMoreInfoDlg::ApplyZoom(int percent) {
  zoom_ = ClampHelpZoom(percent);
  // The text at the top of the view stays there while the page grows or
  // shrinks; at the very top the view stays at the top.
  QScrollBar* bar = browser_->verticalScrollBar();
  const bool atTop = bar->value() <= bar->minimum();
  const int topPosition = atTop ? 0 : browser_->cursorForPosition(QPoint(0, 0)).position();

  QFont font = baseFont_;
  if (baseFont_.pointSizeF() > 0)
    font.setPointSizeF(baseFont_.pointSizeF() * zoom_ / 100.0);
  else
    font.setPixelSize(std::max(1, baseFont_.pixelSize() * zoom_ / 100));
  browser_->setFont(font);
  FinishLayout(*browser_->document());

  if (atTop) {
    bar->setValue(bar->minimum());
  } else {
    QTextCursor cursor(browser_->document());
    cursor.setPosition(topPosition);
    bar->setValue(bar->value() + browser_->cursorRect(cursor).top());
  }
}

void CMoreInfoDlg::UserZoom(int percent) {
  ApplyZoom(percent);
  if (!WriteHelpZoom(RegistrySettings(), zoom_)) EventLog::LogSiteFormat(111, L"zoom=%d", zoom_);
}

void CMoreInfoDlg::OnLink(const QUrl& url) {
  const QUrl target = pageUrl_.isEmpty() ? url : pageUrl_.resolved(url);
  if (!pageUrl_.isEmpty() && target.adjusted(QUrl::RemoveFragment) == pageUrl_) {
    ScrollToAnchor(target.fragment());
    return;
  }
  // Anything else is not part of the page: the user's browser shows it and
  // this window stays where it is.
  uint32_t error = 0;
  if (!AppDialogs().OpenUrl(url, error)) {
    const std::wstring orig = pageUrl_.isEmpty() ? std::wstring(L"<null>") : FromQ(pageUrl_.toString());
    EventLog::LogSiteFormat(110, L"url=\"%ls\", origUrl=\"%ls\"", FromQ(url.toString()).c_str(),
                            orig.c_str());
    AppDialogs().Beep(mb::kIconError);
  }
}

void CMoreInfoDlg::Print(bool preview) {
  QPrinter printer(QPrinter::HighResolution);
  bool printed = false;
  if (preview) {
    QPrintPreviewDialog dialog(&printer, this);
    connect(&dialog, &QPrintPreviewDialog::paintRequested, this, [this, &printed](QPrinter* p) {
      browser_->document()->print(p);
      printed = true;
    });
    AppDialogs().Exec(dialog);
  } else {
    QPrintDialog dialog(&printer, this);
    if (AppDialogs().Exec(dialog) != QDialog::Accepted) return;
    browser_->document()->print(&printer);
    printed = true;
  }
  if (printed && printer.printerState() == QPrinter::Error) {
    EventLog::LogSiteFormat(109, L"preview=%d, hr=0x%x", preview ? 1 : 0, kPrintFailed);
    AppDialogs().Beep(mb::kIconError);
  }
}

CMoreInfoDlg* CMoreInfoDlg::Show(QWidget* owner, const QString& anchor) {
  static QPointer<CMoreInfoDlg> instance;
  const bool open = instance;
  OpenOnce(instance, owner, [&](QWidget* parent) { return new CMoreInfoDlg(parent, anchor); });
  if (open) instance->ScrollToAnchor(anchor);
  return instance;
}

}  // namespace tarnix::gui

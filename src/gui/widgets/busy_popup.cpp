#include "gui/widgets/busy_popup.h"

#include <QApplication>
#include <algorithm>
#include <cstdint>
#include <QEvent>
#include <QEventLoop>
#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <QThread>
#include <QTimer>
#include <QWindow>
#include <atomic>
#include <exception>
#include <mutex>
#include <optional>
#include <system_error>
#include <thread>

#include "core/event_log.h"
#include "gui/app/text_convert.h"
#include "gui/widgets/busy_progress_dlg.h"
#include "platform/errno_map.h"
#include "platform/last_error.h"
#include "platform/win_errors.h"
#include "tools/busy_progress.h"

namespace tarnix::gui {

// What the worker asked for since the GUI thread last looked: only the
// latest of each kind matters, so a tight loop of SetPosition costs one
// queued call, not thousands.
struct BusyUpdates {
  std::optional<QString> text1, text2, caption, cancelText;
  std::optional<uint64_t> range, position;
  std::optional<bool> enableCancel;
};

struct BusyChannel {
  std::atomic<uint32_t> cancelFlag{0};
  std::atomic<bool> finished{false};

  std::mutex updatesLock;  // guards updates, posted and receiver
  BusyUpdates updates;
  bool posted = false;
  QObject* receiver = nullptr;  // on the GUI thread; null once the run is over
  std::function<void(BusyUpdates&)> apply;  // GUI thread

  // Worker side: merges `change` and makes sure one call is queued.
  template <class Change>
  void Update(Change change) {
    std::lock_guard lock(updatesLock);
    if (!receiver) return;
    change(updates);
    if (posted) return;
    posted = true;
    QMetaObject::invokeMethod(
        receiver,
        [this] {
          BusyUpdates taken;
          {
            std::lock_guard inner(updatesLock);
            taken = std::move(updates);
            updates = {};
            posted = false;
          }
          if (apply) apply(taken);
        },
        Qt::QueuedConnection);
  }
};

namespace {

bool g_running = false;  // GUI thread only

Rect ToRect(const QRect& r) { return {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()}; }
QRect ToQRect(const Rect& r) { return QRect(r.left, r.top, r.width(), r.height()); }

// While the work runs, the windows that were open take no input: the work
// holds their data, as it would if it held the GUI thread. Windows opened
// meanwhile (the popup, a box a queued event raises) are not affected.
class InputBlocker final : public QObject {
 public:
  InputBlocker() {
    for (QWidget* w : QApplication::topLevelWidgets())
      if (w->isVisible()) blocked_.push_back(w);
    qApp->installEventFilter(this);
  }
  ~InputBlocker() override { qApp->removeEventFilter(this); }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    switch (event->type()) {
      case QEvent::MouseButtonPress:
      case QEvent::MouseButtonRelease:
      case QEvent::MouseButtonDblClick:
      case QEvent::Wheel:
      case QEvent::KeyPress:
      case QEvent::KeyRelease:
      case QEvent::ShortcutOverride:
      case QEvent::Shortcut:
      case QEvent::ContextMenu:
      case QEvent::TouchBegin:
      case QEvent::TouchUpdate:
      case QEvent::TouchEnd:
      case QEvent::TabletPress:
      case QEvent::TabletRelease:
      case QEvent::DragEnter:
      case QEvent::DragMove:
      case QEvent::Drop:
        return Blocked(watched);
      case QEvent::Close:
        // The window manager's Close; the program's own closes go through.
        if (event->spontaneous() && Blocked(watched)) {
          event->ignore();
          return true;
        }
        return false;
      default:
        return false;
    }
  }

 private:
  bool IsBlockedWindow(const QWidget* window) const {
    for (const QPointer<QWidget>& w : blocked_)
      if (w && w == window) return true;
    return false;
  }

  bool Blocked(QObject* watched) const {
    if (watched->isWidgetType()) return IsBlockedWindow(static_cast<QWidget*>(watched)->window());
    if (watched->isWindowType()) {
      for (const QPointer<QWidget>& w : blocked_)
        if (w && w->windowHandle() == watched) return true;
      return false;
    }
    // Actions and shortcuts fire for the active window.
    QWidget* active = QApplication::activeWindow();
    return !active || IsBlockedWindow(active);
  }

  std::vector<QPointer<QWidget>> blocked_;
};

// The dialog side of the popup state: the delay timer and the window.
class QtBusyPopupUi final : public BusyPopupUi {
 public:
  QtBusyPopupUi(QWidget* owner, const std::atomic<bool>& finished)
      : owner_(owner), finished_(finished) {
    delay_.setSingleShot(true);
    QObject::connect(&delay_, &QTimer::timeout, [this] {
      // Work that has just returned shows nothing, even when its end and
      // the delay meet in one turn of the loop.
      if (state_ && !finished_.load()) state_->DelayPassed();
    });
  }
  ~QtBusyPopupUi() override { DestroyDialog(); }

  void Bind(BusyProgressState* state) { state_ = state; }

  void StartDelay(uint32_t ms) override { delay_.start(static_cast<int>(std::min<uint32_t>(ms, INT32_MAX))); }
  void StopDelay() override { delay_.stop(); }

  bool CreateDialog(const BusyProgressState& state) override {
    QWidget* ownerWindow = owner_ ? owner_->window() : nullptr;
    dialog_ = new CBusyProgressDlg(ownerWindow);
    dialog_->setWindowModality(ownerWindow ? Qt::WindowModal : Qt::ApplicationModal);
    if (ownerWindow) dialog_->setWindowIcon(ownerWindow->windowIcon());
    ShowTexts(state.texts());
    dialog_->SetMarquee(state.range() == 0);
    if (state.range() != 0) dialog_->SetBarValue(state.BarValue());
    const bool cancelEnabled = !(state.flags() & kBusyCancelDisabled);
    dialog_->SetCancelEnabled(cancelEnabled);
    QObject::connect(dialog_, &CBusyProgressDlg::cancelRequested, [this] {
      if (state_) state_->Cancel();
    });
    const QRect area = CentringArea(ownerWindow);
    dialog_->CentreOn(area);
    dialog_->show();
    dialog_->CentreOn(area);
    dialog_->raise();
    dialog_->activateWindow();
    if (cancelEnabled) dialog_->SetCancelEnabled(true);  // focus, now that it is shown
    return true;
  }

  void DestroyDialog() override {
    if (!dialog_) return;
    dialog_->hide();
    // Later: this may run inside the dialog's own Cancel handler.
    dialog_->deleteLater();
    dialog_ = nullptr;
  }

  void ShowTexts(const BusyPopupTexts& t) override {
    if (dialog_) dialog_->SetTexts(ToQ(t.text1), ToQ(t.text2), ToQ(t.caption), ToQ(t.cancelText));
  }
  void ShowMarquee(bool marquee) override {
    if (dialog_) dialog_->SetMarquee(marquee);
  }
  void ShowBarValue(int value) override {
    if (dialog_) dialog_->SetBarValue(value);
  }
  void ShowCancelEnabled(bool enabled) override {
    if (dialog_) dialog_->SetCancelEnabled(enabled);
  }

 private:
  static QRect CentringArea(QWidget* ownerWindow) {
    std::optional<Rect> window, screen, primary;
    if (ownerWindow && ownerWindow->isVisible() && !ownerWindow->isMinimized())
      window = ToRect(ownerWindow->frameGeometry());
    if (ownerWindow && ownerWindow->screen()) screen = ToRect(ownerWindow->screen()->availableGeometry());
    if (QScreen* p = QGuiApplication::primaryScreen()) primary = ToRect(p->availableGeometry());
    return ToQRect(BusyCentringRect(window ? &*window : nullptr, screen ? &*screen : nullptr,
                                    primary ? &*primary : nullptr));
  }

  QPointer<QWidget> owner_;
  const std::atomic<bool>& finished_;
  BusyProgressState* state_ = nullptr;
  QTimer delay_;
  QPointer<CBusyProgressDlg> dialog_;
};

void ApplyUpdates(BusyProgressState& state, BusyUpdates& u) {
  if (u.text1 || u.text2 || u.caption || u.cancelText) {
    std::wstring t1, t2, caption, cancel;
    if (u.text1) t1 = FromQ(*u.text1);
    if (u.text2) t2 = FromQ(*u.text2);
    if (u.caption) caption = FromQ(*u.caption);
    if (u.cancelText) cancel = FromQ(*u.cancelText);
    state.SetTexts(u.text1 ? &t1 : nullptr, u.text2 ? &t2 : nullptr, u.caption ? &caption : nullptr,
                   u.cancelText ? &cancel : nullptr);
  }
  if (u.range) state.SetRange(*u.range);
  if (u.enableCancel) state.EnableCancel(*u.enableCancel);
  if (u.position) state.SetPosition(*u.position);
}

class RunningMark {
 public:
  RunningMark() { g_running = true; }
  ~RunningMark() { g_running = false; }
};

}  // namespace

BusyProgress::BusyProgress(std::shared_ptr<BusyChannel> channel) : channel_(std::move(channel)) {}
BusyProgress::~BusyProgress() = default;

void BusyProgress::SetRange(uint64_t range) {
  channel_->Update([range](BusyUpdates& u) { u.range = range; });
}

void BusyProgress::SetPosition(uint64_t position) {
  channel_->Update([position](BusyUpdates& u) { u.position = position; });
}

void BusyProgress::SetTexts(const QString* text1, const QString* text2, const QString* caption,
                            const QString* cancelText) {
  channel_->Update([&](BusyUpdates& u) {
    if (text1) u.text1 = *text1;
    if (text2) u.text2 = *text2;
    if (caption) u.caption = *caption;
    if (cancelText) u.cancelText = *cancelText;
  });
}

void BusyProgress::EnableCancel(bool enable) {
  channel_->Update([enable](BusyUpdates& u) { u.enableCancel = enable; });
}

bool BusyProgress::Cancelled() const { return channel_->cancelFlag.load() != 0; }

bool BusyPopupShowing() { return BusyProgressState::DialogsShown() > 0; }

bool BusyWorkRunning() { return g_running; }

int RunBusy(QWidget* owner, const BusyTexts& texts, const std::function<int(BusyProgress&)>& work,
            int delayMs) {
  if (!work || !qApp || QThread::currentThread() != qApp->thread()) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return -1;
  }
  if (g_running) {
    EventLog::LogSite(881);
    SetLastError(ERROR_BUSY);
    return -1;
  }
  RunningMark running;

  auto channel = std::make_shared<BusyChannel>();
  QObject receiver;
  QEventLoop loop;
  InputBlocker blocker;
  QtBusyPopupUi ui(owner, channel->finished);
  BusyProgressState state(ui);
  ui.Bind(&state);
  channel->receiver = &receiver;
  channel->apply = [&state](BusyUpdates& u) { ApplyUpdates(state, u); };

  BusyPopupRequest request;
  request.delayMs = static_cast<uint32_t>(std::max(delayMs, 0));
  request.flags = texts.flags;
  request.texts = {FromQ(texts.text1), FromQ(texts.text2), FromQ(texts.caption),
                   FromQ(texts.cancelText)};
  request.range = texts.range;
  request.position = texts.position;
  request.cancelFlag = &channel->cancelFlag;
  // Without a popup the work still runs; the failure is only logged.
  if (state.Show(request) == 0) EventLog::LogSiteFormat(880, L"e=%u", GetLastError());

  int result = -1;
  uint32_t workError = ERROR_SUCCESS;
  std::exception_ptr thrown;
  std::jthread worker;
  try {
    worker = std::jthread([&, channel] {
      BusyProgress progress(channel);
      try {
        result = work(progress);
      } catch (...) {
        thrown = std::current_exception();
      }
      workError = GetLastError();
      channel->finished.store(true);
      std::lock_guard lock(channel->updatesLock);
      if (channel->receiver)
        QMetaObject::invokeMethod(channel->receiver, [&loop] { loop.quit(); }, Qt::QueuedConnection);
    });
  } catch (const std::system_error& e) {
    const uint32_t error = Win32FromErrno(e.code().value());
    EventLog::LogSiteFormat(882, L"e=%u", error);
    state.Hide();
    {
      std::lock_guard lock(channel->updatesLock);
      channel->receiver = nullptr;
    }
    SetLastError(error);
    return -1;
  }

  loop.exec();
  // The loop also ends when the application is asked to quit; the work
  // still has to end first (the popup's Cancel stays usable).
  while (!channel->finished.load()) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
  worker.join();
  {
    std::lock_guard lock(channel->updatesLock);
    channel->receiver = nullptr;
  }
  state.Hide();
  SetLastError(workError);
  if (thrown) std::rethrow_exception(thrown);
  return result;
}

}  // namespace tarnix::gui

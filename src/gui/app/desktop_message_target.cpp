#include "gui/app/desktop_message_target.h"

#include <QCoreApplication>
#include <QEvent>
#include <QTimer>

namespace tarnix::gui {
namespace {

const QEvent::Type kWakeEvent = static_cast<QEvent::Type>(QEvent::registerEventType());

}  // namespace

DesktopMessageTarget::DesktopMessageTarget(Handler handler, size_t capacity,
                                           uint32_t minPostIntervalMs, QObject* parent)
    : QObject(parent), handler_(std::move(handler)), queue_(capacity, minPostIntervalMs) {}

DesktopMessageTarget::~DesktopMessageTarget() { Close(); }

bool DesktopMessageTarget::Post(PostedMessage& msg) {
  if (!queue_.Post(msg)) return false;
  Wake();
  return true;
}

void DesktopMessageTarget::Wake() {
  if (!wakePending_.exchange(true))
    QCoreApplication::postEvent(this, new QEvent(kWakeEvent), Qt::LowEventPriority);
}

void DesktopMessageTarget::Close() {
  queue_.Close();
  queue_.Discard();
}

size_t DesktopMessageTarget::Discard(const std::function<bool(const PostedMessage&)>& which) {
  return queue_.Discard(which);
}

size_t DesktopMessageTarget::size() const { return queue_.size(); }

void DesktopMessageTarget::SetHeld(bool held) {
  held_ += held ? 1 : (held_ > 0 ? -1 : 0);
  if (!held_ && size() > 0) Wake();
}

size_t DesktopMessageTarget::Deliver(std::chrono::milliseconds budget) {
  // A handler that opens a modal box runs a nested event loop; the
  // messages that arrive meanwhile wait until the handler has returned,
  // so a window never sees a message inside the handling of another.
  if (delivering_ || held_) return 0;
  const auto end = std::chrono::steady_clock::now() + budget;
  size_t n = 0;
  for (;;) {
    PostedMessage m;
    if (!queue_.Take(m, std::chrono::milliseconds(0))) break;
    ++delivering_;
    if (handler_) handler_(m);
    --delivering_;
    ++n;
    if (std::chrono::steady_clock::now() >= end) break;
  }
  return n;
}

bool DesktopMessageTarget::event(QEvent* e) {
  if (e->type() != kWakeEvent) return QObject::event(e);
  wakePending_.store(false);
  if (held_) return true;  // SetHeld(false) wakes it again
  if (delivering_) {
    // Come back when the running handler has returned.
    QTimer::singleShot(10, this, [this] { Wake(); });
    return true;
  }
  Deliver(slice_);
  if (size() > 0) Wake();
  return true;
}

RunTargetMaker DesktopRunTargets() {
  return [](RunTarget::Handler handler) -> std::unique_ptr<RunTarget> {
    return std::make_unique<DesktopMessageTarget>(std::move(handler));
  };
}

}  // namespace tarnix::gui

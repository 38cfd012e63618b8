#include "gui/app/tool_window.h"

#include <QCoreApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <QKeySequence>
#include <QShortcut>

#include "gui/app/dialogs.h"
#include "gui/app/tarnix_app.h"

namespace tarnix::gui {

void PlaceToolWindow(QWidget* window, QWidget* owner, int width, int height) {
  window->resize(width, height);
  const QPoint half(window->width() / 2, window->height() / 2);
  if (owner) {
    window->move(owner->geometry().center() - half);
  } else if (QScreen* s = window->screen() ? window->screen() : QGuiApplication::primaryScreen()) {
    window->move(s->availableGeometry().center() - half);
  }
}

QWidget* ToolWindowParent(QWidget* owner) {
  QWidget* parent = owner ? owner->window() : nullptr;
  if (!parent && CTarnixApp::Instance()) parent = CTarnixApp::Instance()->mainWindow();
  return parent;
}

void BringForward(QWidget* window) {
  if (!window) return;
  if (window->isMinimized())
    window->showNormal();
  else
    window->show();
  window->raise();
  window->activateWindow();
}

ToolWindowClosing::ToolWindowClosing(QWidget* window) : QObject(window), window_(window) {
  auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), window);
  escape->setContext(Qt::WindowShortcut);
  connect(escape, &QShortcut::activated, window, &QWidget::close);
  QWidget* parent = window->parentWidget();
  owner_ = parent ? parent->window() : nullptr;
  if (owner_) owner_->installEventFilter(this);
}

ToolWindowClosing::~ToolWindowClosing() {
  if (owner_) owner_->removeEventFilter(this);
}

bool ToolWindowClosing::eventFilter(QObject* watched, QEvent* event) {
  if (watched != owner_ || event->type() != QEvent::Close || ownerClosing_) return QObject::eventFilter(watched, event);
  // The owner handles its close with this window knowing: when it closes
  // its tool windows, this one goes with it without asking; when it closes
  // for good, this one closes too.
  QPointer<ToolWindowClosing> self(this);
  QPointer<QWidget> window(window_);
  ownerClosing_ = true;
  QCoreApplication::sendEvent(watched, event);
  if (!self) return true;
  if (event->isAccepted() && window && window->isVisible()) window->close();
  if (self) ownerClosing_ = false;
  return true;
}

bool MayCloseSearchWindow(QWidget* window, bool searching, const ToolWindowClosing& closing) {
  if (!searching || closing.ownerClosing()) return true;
  return AppDialogs().MessageBox(window,
                                 QStringLiteral("Search has not finished yet.\n\nDo you want to close this window?"),
                                 QStringLiteral("Tarnix"), mb::kYesNoCancel | mb::kIconQuestion) == IDYES;
}

}  // namespace tarnix::gui

#include "gui/app/placement_binder.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <algorithm>

#include "core/registry_settings.h"
#include "core/setting_names.h"
#include "gui/app/tarnix_app.h"

namespace tarnix::gui {
namespace {

std::function<std::vector<MonitorArea>()>& TestAreas() {
  static std::function<std::vector<MonitorArea>()> areas;
  return areas;
}

Rect ToRect(const QRect& r) { return Rect{r.left(), r.top(), r.left() + r.width(), r.top() + r.height()}; }

}  // namespace

std::vector<MonitorArea> ScreenAreas() {
  if (TestAreas()) return TestAreas()();
  std::vector<MonitorArea> out;
  QScreen* primary = QGuiApplication::primaryScreen();
  // The primary screen first, as the platform lists it.
  if (primary) out.push_back({ToRect(primary->geometry()), ToRect(primary->availableGeometry())});
  for (QScreen* s : QGuiApplication::screens())
    if (s != primary) out.push_back({ToRect(s->geometry()), ToRect(s->availableGeometry())});
  return out;
}

void SetScreenAreasForTesting(std::function<std::vector<MonitorArea>()> areas) {
  TestAreas() = std::move(areas);
}

PlacementBinder::PlacementBinder(QWidget* window, std::wstring name, PlacementDefaults defaults)
    : QObject(window), window_(window), name_(std::move(name)), defaults_(defaults) {
  window_->installEventFilter(this);
}

void PlacementBinder::Restore() {
  restored_ = true;
  WindowPlacement::Result r;
  const bool canMaximize = window_->windowFlags() & Qt::WindowMaximizeButtonHint;
  const std::wstring subKey = RegistrySettings::SectionKey(setting::kSectionSettings);
  // A window of another window that has no place of its own yet opens over
  // the middle of that window (the first time), not somewhere on the screen.
  QWidget* owner = window_->parentWidget() ? window_->parentWidget()->window() : nullptr;
  const bool stored = WindowPlacement::Stored(subKey, name_);
  if (placement_.Restore(subKey, name_, ToRect(window_->geometry()), canMaximize, ScreenAreas(), defaults_, r) &&
      r.moved) {
    // Wholly inside the screen's work area, wherever the last instance left it.
    r.rect = FitInWorkArea(r.rect, ScreenAreas());
    window_->setGeometry(r.rect.left, r.rect.top, r.rect.width(), r.rect.height());
    if (r.showMaximized) window_->setWindowState(window_->windowState() | Qt::WindowMaximized);
  }
  if (!stored && owner && owner->isVisible()) {
    QRect g = window_->geometry();
    g.moveCenter(owner->geometry().center());
    if (QScreen* s = owner->screen()) {
      const QRect area = s->availableGeometry();
      g.moveLeft(std::clamp(g.left(), area.left(), std::max(area.left(), area.right() - g.width())));
      g.moveTop(std::clamp(g.top(), area.top(), std::max(area.top(), area.bottom() - g.height())));
    }
    window_->setGeometry(g);
  }
  Remember();
}

void PlacementBinder::Remember() {
  if (!restored_) return;
  const Qt::WindowStates st = window_->windowState();
  placement_.Remember(st & Qt::WindowMaximized, st & Qt::WindowMinimized, ToRect(window_->geometry()));
}

bool PlacementBinder::Save() {
  Remember();
  if (CTarnixApp* app = CTarnixApp::Instance(); app && app->settingsDeleted()) return false;
  return placement_.Save(ScreenAreas());
}

bool PlacementBinder::SaveForAnotherInstance() {
  if (!restored_) return false;
  Remember();
  if (CTarnixApp* app = CTarnixApp::Instance(); app && app->settingsDeleted()) return false;
  // About a title bar's height.
  return placement_.SaveCascaded(ScreenAreas(), 32);
}

bool PlacementBinder::eventFilter(QObject* watched, QEvent* event) {
  if (watched == window_) {
    switch (event->type()) {
      case QEvent::Show:
        if (!restored_) Restore();
        break;
      case QEvent::Move:
      case QEvent::Resize:
      case QEvent::WindowStateChange:
        Remember();
        break;
      case QEvent::Hide:
      case QEvent::Close:
        if (restored_) Save();
        break;
      default:
        break;
    }
  }
  return QObject::eventFilter(watched, event);
}

}  // namespace tarnix::gui

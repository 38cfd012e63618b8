#pragma once
// Binds a top-level window to its saved placement: restored under the
// window's placement name when it is first shown (the stored rectangle, or
// the window's defaults on a first start, kept on a screen of the current
// layout), remembered as it moves and changes size, and saved when it is
// hidden or closed.
#include <QObject>
#include <functional>
#include <vector>

#include "core/window_placement.h"

class QWidget;

namespace tarnix::gui {

// The screens as the placement geometry sees them: each screen's whole
// area and its available (work) area, in device-independent pixels.
std::vector<MonitorArea> ScreenAreas();

// Tests replace the screen layout; an empty function restores the real one.
void SetScreenAreasForTesting(std::function<std::vector<MonitorArea>()> areas);

class PlacementBinder final : public QObject {
  Q_OBJECT
 public:
  // `name` is the placement name ("MainWnd", ...); `defaults` the
  // first-start rule. The binder is owned by the window.
  PlacementBinder(QWidget* window, std::wstring name, PlacementDefaults defaults);

  // Restores now (the binder does it on the first show by itself).
  void Restore();
  // Writes the remembered placement.
  bool Save();
  // Writes the placement another instance of the window opens at: this
  // one's, cascaded inside the screen's work area.
  bool SaveForAnotherInstance();
  const std::wstring& name() const { return name_; }
  bool restored() const { return restored_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Remember();

  QWidget* window_;
  std::wstring name_;
  PlacementDefaults defaults_;
  WindowPlacement placement_;
  bool restored_ = false;
};

}  // namespace tarnix::gui

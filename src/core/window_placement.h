#pragma once
// Saving and restoring a window's placement (five values in the settings:
// name + "_Mx", "_l", "_t", "_r", "_b"), as geometry over a list of monitors
// so that it works the same with any window system, or none.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tarnix {

struct Rect {
  int left = 0, top = 0, right = 0, bottom = 0;
  int width() const { return right - left; }
  int height() const { return bottom - top; }
  bool operator==(const Rect&) const = default;
};

struct MonitorArea {
  Rect monitor;  // the whole screen of the monitor
  Rect work;     // without task bars and docks
};

// Defaults a window gives for its first start: the mode in the low byte
// (scale or centre), kPlacementMaximized to show it maximized, and factors.
inline constexpr uint32_t kPlacementScale = 0;
inline constexpr uint32_t kPlacementCentre = 1;
inline constexpr uint32_t kPlacementMaximized = 0x100;

struct PlacementDefaults {
  uint32_t flags = kPlacementScale;
  double widthFactor = 1.0;
  double heightFactor = 1.0;
};

// The monitor that contains the point, else the one nearest to it; null
// for an empty list.
const MonitorArea* MonitorNearestPoint(const std::vector<MonitorArea>& monitors, int x, int y);

// Swaps reversed edges.
Rect NormalizeRect(Rect r);

// The rectangle moved onto the work area of the monitor nearest to its
// centre, shrunk by a margin of 1/30 of that area's larger side, when it
// does not overlap that shrunk area at all (its size then limited to the
// area's and centred in it); otherwise unchanged.
Rect KeepOnMonitor(Rect r, const std::vector<MonitorArea>& monitors);

// The rectangle inside the work area of the monitor nearest to its centre:
// no larger than that area, moved in by as little as it takes (a window
// placed where another instance left it never reaches past the screen's
// bottom). Unchanged without monitors.
Rect FitInWorkArea(Rect r, const std::vector<MonitorArea>& monitors);

// Where another instance opens over a window at `r`: `step` pixels right
// and down, back at the work area's top-left corner when that would reach
// past the area's right or bottom edge, then fitted as FitInWorkArea does
// (only moved by `step` without monitors).
Rect CascadeInWorkArea(Rect r, const std::vector<MonitorArea>& monitors, int step);

// Coordinates beyond this cannot belong to a window on any screen (the
// window systems' own limit).
inline constexpr int kMaxPlacementCoordinate = 32767;

// The rectangle a placement may use on these screens: false when it cannot
// be a window at all (no width or height, or an edge beyond
// kMaxPlacementCoordinate); otherwise `r` normalised, no larger than the
// work area of the monitor nearest to its centre, kept on a monitor as
// KeepOnMonitor does, and with its top edge (where the title bar is) inside
// that work area. With no monitors only the first check applies.
bool ClampPlacement(Rect& r, const std::vector<MonitorArea>& monitors);

// The first-start rectangle of a window now at `current`: scaled from its
// top-left corner (mode scale) or centred on the nearest monitor's work area
// (mode centre). False when nothing is to change (a factor below 1 in scale
// mode, an unknown mode, no monitor for centring).
bool PlacementFromDefaults(const Rect& current, const std::vector<MonitorArea>& monitors,
                           const PlacementDefaults& defaults, Rect& out);

class WindowPlacement {
 public:
  static constexpr size_t kMaxSubKeyLength = 1024;
  static constexpr size_t kMaxNameLength = 256;

  struct Result {
    Rect rect;                   // where the window goes
    bool showMaximized = false;  // show it maximized afterwards
    bool moved = false;          // false: leave the window where it is
  };

  // Restores the placement stored under `subKey` / `name` for a window now
  // at `current`: the five stored values when all are 4-byte REG_DWORDs and
  // make a window (ClampPlacement), else the defaults; then clamped to the
  // monitors. False (last error
  // ERROR_INVALID_PARAMETER) for a missing or too long sub-key or name; then
  // the window stays where it is.
  bool Restore(std::wstring_view subKey, std::wstring_view name, const Rect& current,
               bool canMaximize, const std::vector<MonitorArea>& monitors,
               const PlacementDefaults& defaults, Result& result);

  // True when a placement is stored under `subKey` / `name` (a window's
  // first start has none).
  static bool Stored(std::wstring_view subKey, std::wstring_view name);

  // The window moved, was sized or closes: remember its state; the
  // rectangle only while it is neither minimized nor maximized.
  void Remember(bool maximized, bool minimized, const Rect& windowRect);

  // Writes the five values from the remembered state in one transaction,
  // the rectangle clamped to `monitors` first. False (ERROR_INVALID_DATA)
  // when the rectangle cannot be a window; nothing is written then.
  bool Save(const std::vector<MonitorArea>& monitors) const;
  bool Save() const { return Save({}); }
  // Saves the placement another instance of the window is to take: the
  // remembered rectangle cascaded by `step` (CascadeInWorkArea).
  bool SaveCascaded(const std::vector<MonitorArea>& monitors, int step) const;

  bool maximized() const { return maximized_; }
  const Rect& normalRect() const { return normal_; }

 private:
  std::wstring subKey_;
  std::wstring name_;
  bool maximized_ = false;
  Rect normal_;
  bool ready_ = false;
};

}  // namespace tarnix

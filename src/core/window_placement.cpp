#include "core/window_placement.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "core/registry_settings.h"
#include "platform/last_error.h"
#include "platform/registry.h"
#include "platform/win_errors.h"

namespace tarnix {
namespace {

constexpr const wchar_t* kSuffixes[5] = {L"_Mx", L"_l", L"_t", L"_r", L"_b"};

int64_t DistanceSquared(const Rect& r, int x, int y) {
  int64_t dx = x < r.left ? r.left - x : (x >= r.right ? x - (r.right - 1) : 0);
  int64_t dy = y < r.top ? r.top - y : (y >= r.bottom ? y - (r.bottom - 1) : 0);
  return dx * dx + dy * dy;
}

bool Overlaps(const Rect& a, const Rect& b) {
  return std::max(a.left, b.left) < std::min(a.right, b.right) &&
         std::max(a.top, b.top) < std::min(a.bottom, b.bottom);
}

int Scaled(int size, double factor) {
  double v = std::llround(static_cast<double>(size) * factor);
  return static_cast<int>(std::clamp(v, static_cast<double>(INT32_MIN), static_cast<double>(INT32_MAX)));
}

// Reads the five stored values; false unless all are 4-byte REG_DWORDs.
bool ReadStored(const std::wstring& subKey, const std::wstring& name, bool& maximized, Rect& r) {
  RegKey key;
  if (key.Open(subKey)) return false;
  int32_t v[5];
  for (int i = 0; i < 5; ++i) {
    uint32_t type = REG_NONE, size = 4;
    uint8_t b[4];
    if (key.Query(name + kSuffixes[i], &type, b, &size) || type != REG_DWORD || size != 4) return false;
    v[i] = static_cast<int32_t>(static_cast<uint32_t>(b[0]) | static_cast<uint32_t>(b[1]) << 8 |
                                static_cast<uint32_t>(b[2]) << 16 | static_cast<uint32_t>(b[3]) << 24);
  }
  maximized = v[0] != 0;
  r = Rect{v[1], v[2], v[3], v[4]};
  return true;
}

}  // namespace

const MonitorArea* MonitorNearestPoint(const std::vector<MonitorArea>& monitors, int x, int y) {
  const MonitorArea* best = nullptr;
  int64_t bestDistance = INT64_MAX;
  for (const auto& m : monitors) {
    int64_t d = DistanceSquared(m.monitor, x, y);
    if (d < bestDistance) {
      bestDistance = d;
      best = &m;
    }
  }
  return best;
}

Rect NormalizeRect(Rect r) {
  if (r.left > r.right) std::swap(r.left, r.right);
  if (r.top > r.bottom) std::swap(r.top, r.bottom);
  return r;
}

Rect KeepOnMonitor(Rect r, const std::vector<MonitorArea>& monitors) {
  r = NormalizeRect(r);
  const int cx = static_cast<int>((static_cast<int64_t>(r.left) + r.right) / 2);
  const int cy = static_cast<int>((static_cast<int64_t>(r.top) + r.bottom) / 2);
  const MonitorArea* m = MonitorNearestPoint(monitors, cx, cy);
  if (!m) return r;
  Rect area = m->work;
  const int margin = std::max(area.width() / 30, area.height() / 30);
  area.left += margin;
  area.top += margin;
  area.right -= margin;
  area.bottom -= margin;
  if (area.width() <= 0 || area.height() <= 0 || Overlaps(r, area)) return r;
  const int w = std::min(r.width(), area.width());
  const int h = std::min(r.height(), area.height());
  r.left = area.left + (area.width() - w) / 2;
  r.top = area.top + (area.height() - h) / 2;
  r.right = r.left + w;
  r.bottom = r.top + h;
  return r;
}

Rect FitInWorkArea(Rect r, const std::vector<MonitorArea>& monitors) {
  r = NormalizeRect(r);
  const int cx = static_cast<int>((static_cast<int64_t>(r.left) + r.right) / 2);
  const int cy = static_cast<int>((static_cast<int64_t>(r.top) + r.bottom) / 2);
  const MonitorArea* m = MonitorNearestPoint(monitors, cx, cy);
  if (!m || m->work.width() <= 0 || m->work.height() <= 0) return r;
  const Rect& area = m->work;
  const int w = std::min(r.width(), area.width());
  const int h = std::min(r.height(), area.height());
  const int left = std::clamp(r.left, area.left, area.right - w);
  const int top = std::clamp(r.top, area.top, area.bottom - h);
  return Rect{left, top, left + w, top + h};
}

Rect CascadeInWorkArea(Rect r, const std::vector<MonitorArea>& monitors, int step) {
  r = NormalizeRect(r);
  const MonitorArea* m = MonitorNearestPoint(monitors, static_cast<int>((static_cast<int64_t>(r.left) + r.right) / 2),
                                             static_cast<int>((static_cast<int64_t>(r.top) + r.bottom) / 2));
  Rect next{r.left + step, r.top + step, r.right + step, r.bottom + step};
  if (m && m->work.width() > 0 && m->work.height() > 0 &&
      (next.right > m->work.right || next.bottom > m->work.bottom))
    next = Rect{m->work.left, m->work.top, m->work.left + r.width(), m->work.top + r.height()};
  return FitInWorkArea(next, monitors);
}

bool ClampPlacement(Rect& r, const std::vector<MonitorArea>& monitors) {
  auto outside = [](int v) { return v < -kMaxPlacementCoordinate || v > kMaxPlacementCoordinate; };
  if (outside(r.left) || outside(r.top) || outside(r.right) || outside(r.bottom)) return false;
  r = NormalizeRect(r);
  if (r.width() < 1 || r.height() < 1) return false;
  const MonitorArea* m = MonitorNearestPoint(monitors, (r.left + r.right) / 2, (r.top + r.bottom) / 2);
  if (!m || m->work.width() < 1 || m->work.height() < 1) return true;
  const Rect& work = m->work;
  r.right = r.left + std::min(r.width(), work.width());
  r.bottom = r.top + std::min(r.height(), work.height());
  r = KeepOnMonitor(r, monitors);
  // The title bar stays where it can be grabbed.
  const int margin = std::max(work.width() / 30, work.height() / 30);
  const int top = std::clamp(r.top, work.top, std::max(work.top, work.bottom - margin));
  r.bottom += top - r.top;
  r.top = top;
  return true;
}

bool PlacementFromDefaults(const Rect& current, const std::vector<MonitorArea>& monitors,
                           const PlacementDefaults& defaults, Rect& out) {
  const Rect cur = NormalizeRect(current);
  switch (defaults.flags & 0xFF) {
    case kPlacementScale: {
      const int w = Scaled(cur.width(), defaults.widthFactor);
      const int h = Scaled(cur.height(), defaults.heightFactor);
      if (w < cur.width() || h < cur.height()) return false;
      out = Rect{cur.left, cur.top, cur.left + w, cur.top + h};
      return true;
    }
    case kPlacementCentre: {
      const int cx = static_cast<int>((static_cast<int64_t>(cur.left) + cur.right) / 2);
      const int cy = static_cast<int>((static_cast<int64_t>(cur.top) + cur.bottom) / 2);
      const MonitorArea* m = MonitorNearestPoint(monitors, cx, cy);
      if (!m) return false;
      const Rect& work = m->work;
      const int w = std::min(std::max(Scaled(work.width(), defaults.widthFactor), cur.width()), work.width());
      const int h = std::min(std::max(Scaled(work.height(), defaults.heightFactor), cur.height()), work.height());
      out.left = work.left + (work.width() - w) / 2;
      out.top = work.top + (work.height() - h) / 2;
      out.right = out.left + w;
      out.bottom = out.top + h;
      return true;
    }
    default: return false;
  }
}

bool WindowPlacement::Restore(std::wstring_view subKey, std::wstring_view name, const Rect& current,
                              bool canMaximize, const std::vector<MonitorArea>& monitors,
                              const PlacementDefaults& defaults, Result& result) {
  result = Result{current, false, false};
  if (subKey.empty() || name.empty() || subKey.size() > kMaxSubKeyLength || name.size() > kMaxNameLength) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  subKey_ = subKey;
  name_ = name;
  LastErrorKeeper keep;
  bool maximized = false;
  Rect r;
  if (!ReadStored(subKey_, name_, maximized, r) || !ClampPlacement(r, monitors)) {
    maximized = (defaults.flags & kPlacementMaximized) != 0;
    if (!PlacementFromDefaults(current, monitors, defaults, r)) {
      // The window stays as its template put it; that is what gets saved.
      Remember(false, false, current);
      return true;
    }
  }
  if (!ClampPlacement(r, monitors)) {
    Remember(false, false, current);
    return true;
  }
  result.rect = r;
  result.moved = true;
  result.showMaximized = maximized && canMaximize;
  maximized_ = result.showMaximized;
  normal_ = r;
  ready_ = true;
  return true;
}

bool WindowPlacement::Stored(std::wstring_view subKey, std::wstring_view name) {
  return RegistrySettings::Probe(subKey, std::wstring(name) + kSuffixes[1]) == 1;  // "_l"
}

void WindowPlacement::Remember(bool maximized, bool minimized, const Rect& windowRect) {
  maximized_ = maximized;
  if (!maximized && !minimized) {
    normal_ = windowRect;
    ready_ = true;
  }
}

bool WindowPlacement::SaveCascaded(const std::vector<MonitorArea>& monitors, int step) const {
  WindowPlacement next = *this;
  next.normal_ = CascadeInWorkArea(normal_, monitors, step);
  return next.Save(monitors);
}

bool WindowPlacement::Save(const std::vector<MonitorArea>& monitors) const {
  if (!ready_ || subKey_.empty() || name_.empty()) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  Rect r = normal_;
  if (!ClampPlacement(r, monitors)) {
    SetLastError(ERROR_INVALID_DATA);
    return false;
  }
  const int32_t v[5] = {maximized_ ? 1 : 0, r.left, r.top, r.right, r.bottom};
  // All five values in one transaction: a kill never leaves half a placement.
  std::vector<RegValueWrite> values;
  for (int i = 0; i < 5; ++i) {
    const uint32_t u = static_cast<uint32_t>(v[i]);
    values.push_back({name_ + kSuffixes[i], REG_DWORD,
                      {static_cast<uint8_t>(u), static_cast<uint8_t>(u >> 8), static_cast<uint8_t>(u >> 16),
                       static_cast<uint8_t>(u >> 24)}});
  }
  RegKey key;
  uint32_t err = key.Create(subKey_);
  if (!err) err = key.SetMany(values);
  SetLastError(err);
  return err == ERROR_SUCCESS;
}

}  // namespace tarnix

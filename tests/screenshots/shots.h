#pragma once
// The screenshot program's parts: each window registers what it shoots
// with TARNIX_SCREENSHOTS(Name) { ... } in a file of its own, and the
// program runs every registered part (or those named on its command line).
#include <QSize>
#include <QString>
#include <functional>

class QPushButton;
class QWidget;

namespace tarnix::gui::shots {

struct ShotContext {
  QString suffix;   // "-dark" for the dark palette, else empty
  QString samples;  // a folder of sample images to search
};

using ShotFunction = std::function<void(const ShotContext&)>;
bool RegisterShots(const char* name, ShotFunction shoot);

// Shows `w` (resized to `size` when given), waits until it is painted and
// writes "<name>.png".
void Shoot(QWidget& w, const QString& name, QSize size = QSize());
// The push button of `w` with the caption `text`.
QPushButton* Button(QWidget* w, const QString& text);
// Turns the event loop until `done` or `timeoutMs`.
void WaitFor(const std::function<bool()>& done, int timeoutMs = 20000);

}  // namespace tarnix::gui::shots

#define TARNIX_SCREENSHOTS(Name)                                                                   \
  static void Name##Shots(const ::tarnix::gui::shots::ShotContext& ctx);                          \
  static const bool Name##_shots_registered = ::tarnix::gui::shots::RegisterShots(#Name, Name##Shots); \
  static void Name##Shots(const ::tarnix::gui::shots::ShotContext& ctx)

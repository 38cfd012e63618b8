#pragma once
// The program's own resources (icons, the help page), built into the
// program. Call once after the QApplication is made.
namespace tarnix::gui {
void InitResources();
}

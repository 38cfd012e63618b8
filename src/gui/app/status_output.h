#pragma once
// The status output pane of a search window, bound to the window's run
// once: the run's status lines go to the box, whose capacity is the
// setting `size` and follows it when it changes. The window writes its own
// lines (the start and finish lines) itself.
//
//   BindStatusOutput(run_, output_, OutputSize::kErrCodeOutput);
#include "core/sheet_settings.h"
#include "run/run.h"

namespace tarnix::gui {

class COutputTextBox;

void BindStatusOutput(Run& run, COutputTextBox* box, OutputSize size);

}  // namespace tarnix::gui

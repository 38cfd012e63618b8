#pragma once
// A coding fault found while the program runs (an unknown command id, a
// menu naming a command twice): logged, and handed to the fault handler,
// which the window tests set so that such a fault fails the test.
#include <QString>
#include <functional>

namespace tarnix::gui {

void ReportCodingFault(const QString& what);
void SetCodingFaultHandler(std::function<void(const QString&)> handler);

}  // namespace tarnix::gui

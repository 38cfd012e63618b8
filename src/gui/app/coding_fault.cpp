#include "gui/app/coding_fault.h"

#include "core/event_log.h"
#include "gui/app/text_convert.h"

namespace tarnix::gui {
namespace {

std::function<void(const QString&)>& FaultHandler() {
  static std::function<void(const QString&)> handler;
  return handler;
}

}  // namespace

void ReportCodingFault(const QString& what) {
  EventLog::LogFormat(L"Coding fault: %ls", FromQ(what).c_str());
  if (FaultHandler()) FaultHandler()(what);
}

void SetCodingFaultHandler(std::function<void(const QString&)> handler) { FaultHandler() = std::move(handler); }

}  // namespace tarnix::gui

// The windows the program's commands open by id: the one place that knows
// every window class. A window built later adds its line here.
#include "gui/app/window_registry.h"
#include "gui/dialogs/more_info_dlg.h"
#include "gui/errcode/err_code_search_dlg.h"
#include "gui/errmsg/err_msg_search_dlg.h"
#include "gui/errmsg/err_ranges_dlg.h"

namespace tarnix::gui {

void RegisterProgramWindows() {
  RegisterWindow(WindowId::kErrCodeSearch, [](const WindowRequest& r) -> QWidget* {
    return CErrCodeSearchDlg::Show(r.owner);
  });
  RegisterWindow(WindowId::kErrMsgSearch, [](const WindowRequest& r) -> QWidget* {
    return CErrMsgSearchDlg::Show(r.owner);
  });
  RegisterWindow(WindowId::kErrRanges, [](const WindowRequest& r) -> QWidget* {
    std::vector<ErrorRange> ranges = r.ranges;
    if (CErrRangesDlg::Edit(r.owner, ranges) && r.rangesChosen) r.rangesChosen(std::move(ranges));
    return nullptr;
  });
  RegisterWindow(WindowId::kHelp, [](const WindowRequest& r) -> QWidget* {
    return CMoreInfoDlg::Show(r.owner, r.anchor);
  });
}

}  // namespace tarnix::gui

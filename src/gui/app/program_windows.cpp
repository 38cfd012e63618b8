// The windows the program's commands open by id: the one place that knows
// every window class. A window built later adds its line here.
#include "gui/app/window_registry.h"
#include "gui/dialogs/more_info_dlg.h"
#include "gui/errcode/err_code_search_dlg.h"
#include "gui/settings/settings_sheet.h"
#include "gui/tools/regex_composer_dlg.h"
#include "gui/tools/try_regex_dlg.h"
#include "gui/tools/undec_cpp_name_dlg.h"

namespace tarnix::gui {

void RegisterProgramWindows() {
  RegisterWindow(WindowId::kErrCodeSearch, [](const WindowRequest& r) -> QWidget* {
    return CErrCodeSearchDlg::Show(r.owner);
  });
  RegisterWindow(WindowId::kHelp, [](const WindowRequest& r) -> QWidget* {
    return CMoreInfoDlg::Show(r.owner, r.anchor);
  });
  RegisterWindow(WindowId::kRegexComposer, [](const WindowRequest& r) -> QWidget* {
    std::wstring regex = r.regex;
    bool caseSensitive = r.caseSensitive;
    if (CRegexComposerDlg::Run(r.owner, regex, caseSensitive) && r.composed) r.composed(regex, caseSensitive);
    return nullptr;  // modal: closed by now
  });
  RegisterWindow(WindowId::kTryRegex, [](const WindowRequest& r) -> QWidget* {
    return CTryRegexDlg::Show(r.owner, r.regex, r.caseSensitive, r.grammar);
  });
  RegisterWindow(WindowId::kUndecorate, [](const WindowRequest& r) -> QWidget* {
    return CUndecCppNameDlg::Show(r.owner);
  });
  RegisterWindow(WindowId::kSettings, [](const WindowRequest& r) -> QWidget* {
    return CSettingsSheet::Show(r.owner, r.page);
  });
}

}  // namespace tarnix::gui

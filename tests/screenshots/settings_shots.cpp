// The settings sheet at each of its pages, and the C++ name undecorator
// with a name and its undecorated form.
#include <QComboBox>

#include "gui/app/tarnix_app.h"
#include "gui/settings/settings_sheet.h"
#include "gui/tools/undec_cpp_name_dlg.h"
#include "gui/widgets/combo_box_auto.h"
#include "shots.h"

namespace tarnix::gui::shots {

TARNIX_SCREENSHOTS(Settings) {
  CTarnixApp tarnixApp({});
  const std::pair<SettingsPage, const char*> pages[] = {{SettingsPage::kGeneral, "settings-general"},
                                                        {SettingsPage::kErrorSearch, "settings-error-search"},
                                                        {SettingsPage::kMessageBoxes, "settings-message-boxes"}};
  for (const auto& [page, name] : pages) {
    CSettingsSheet sheet(nullptr, page);
    Shoot(sheet, QString::fromLatin1(name) + ctx.suffix);
    sheet.close();
  }
  {
    CUndecCppNameDlg w;
    w.input()->setEditText(QStringLiteral("??0bad_alloc@std@@QAE@PBD@Z"));
    Shoot(w, QStringLiteral("undecorate") + ctx.suffix);
    w.close();
  }
}

}  // namespace tarnix::gui::shots

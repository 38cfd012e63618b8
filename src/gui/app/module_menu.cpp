#include "gui/app/module_menu.h"

#include <QMenu>

#include "core/event_log.h"
#include "gui/app/desktop_actions.h"
#include "gui/app/dialogs.h"
#include "gui/app/text_convert.h"
#include "pe/look_in.h"
#include "results/result_field.h"

namespace tarnix::gui {

QString ModuleFileName(const std::wstring& path) { return ToQ(std::wstring(ImageNameOf(path))); }

ModuleMenu::ModuleMenu(QWidget* owner, std::function<CommandLineValues()> criteria)
    : owner_(owner), criteria_(std::move(criteria)) {}

QAction* ModuleMenu::Add(QMenu* menu, ModuleItem item, const std::wstring& path, const char* caption) const {
  if (path.empty()) return nullptr;
  if (item == ModuleItem::kProperties && !AppDialogs().CanShowItemProperties()) return nullptr;
  return menu->addAction(CaptionWith(QString::fromUtf8(caption), ModuleFileName(path)), owner_,
                         [this, item, path] { Run(item, path); });
}

void ModuleMenu::AddSearchItems(QMenu* menu, const std::wstring& path) const {
  Add(menu, ModuleItem::kOpenForSearch, path, "&Open '#' for Search...");
  Add(menu, ModuleItem::kBeginSearching, path, "&Begin Searching '#'...");
  Add(menu, ModuleItem::kBeginImports, path, "Begin Searching '#' &Imports...");
  Add(menu, ModuleItem::kBeginExports, path, "Begin Searching '#' E&xports...");
}

void ModuleMenu::Run(ModuleItem item, const std::wstring& path) const {
  auto open = [&](uint32_t lookIn, bool start) {
    CommandLineValues v = criteria_ ? criteria_() : CommandLineValues{};
    if (lookIn) v.li = lookIn;
    StartInstance(owner_, kAutoForeground | (start ? uint32_t{kAutoStartSearch} : 0u), {path}, v);
  };
  // The file manager's failures are logged and beeped, as the platform's
  // shell items are.
  auto shell = [&](bool ok, uint32_t err) {
    if (ok) return;
    EventLog::LogFormat(L"path=\"%ls\", err=%u", path.c_str(), err);
    AppDialogs().Beep(mb::kIconError);
  };
  uint32_t err = 0;
  switch (item) {
    case ModuleItem::kOpenForSearch: return open(0, false);
    case ModuleItem::kBeginSearching: return open(0, true);
    case ModuleItem::kBeginImports: return open(kLookInImports, true);
    case ModuleItem::kBeginExports: return open(kLookInExports, true);
    case ModuleItem::kSearchOnline: OpenOnlineSearchOrSay(owner_, FromQ(ModuleFileName(path))); return;
    case ModuleItem::kShowInFileManager: return shell(AppDialogs().ShowInFileManager(ToQ(path), err), err);
    case ModuleItem::kProperties: return shell(AppDialogs().ShowItemProperties(ToQ(path), err), err);
    case ModuleItem::kOpenFolder: OpenUrlOrSay(owner_, QUrl::fromLocalFile(ToQ(std::wstring(FolderOf(path))))); return;
  }
}

}  // namespace tarnix::gui

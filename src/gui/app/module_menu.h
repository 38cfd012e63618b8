#pragma once
// The module items that the results list's context menu and the image
// information window's "..." menus share: open a module for a search in a
// new instance (or begin searching it, its imports or its exports), search
// online for its name, show it in the file manager, its properties. Each
// item is made from a caption in which '#' (or '*') stands for the file
// name of the module concerned; failures say so as every window does.
//
//   ModuleMenu items(this, [this] { return CurrentValues(); });
//   items.AddSearchItems(&menu, modulePath);
//   items.Add(&menu, ModuleItem::kShowInFileManager, imagePath, "Open '*' in &Windows Explorer");
#include <QString>
#include <functional>
#include <string>

#include "symbolsearch/command_line.h"

class QAction;
class QMenu;
class QWidget;

namespace tarnix::gui {

enum class ModuleItem {
  kOpenForSearch,   // a new instance with the module as what it searches
  kBeginSearching,  // the same, searching at once
  kBeginImports,    // ... its imports
  kBeginExports,    // ... its exports
  kSearchOnline,    // the browser's online search for the file name
  kShowInFileManager,
  kProperties,      // the file manager's properties, where it offers them
  kOpenFolder,      // the module's folder in the file manager
};

class ModuleMenu {
 public:
  // `criteria` gives the switches of the owner's current criteria, which
  // the new instance starts with.
  ModuleMenu(QWidget* owner, std::function<CommandLineValues()> criteria);

  // Adds one item for `path` with `caption`; null when the item cannot be
  // offered here (properties where no file manager offers them).
  QAction* Add(QMenu* menu, ModuleItem item, const std::wstring& path, const char* caption) const;
  // "&Open '#' for Search...", "&Begin Searching '#'...", "Begin Searching
  // '#' &Imports...", "Begin Searching '#' E&xports...".
  void AddSearchItems(QMenu* menu, const std::wstring& path) const;

  // Runs an item as its menu entry would.
  void Run(ModuleItem item, const std::wstring& path) const;

 private:
  QWidget* owner_;
  std::function<CommandLineValues()> criteria_;
};

// The file name of `path` shown in the items.
QString ModuleFileName(const std::wstring& path);

}  // namespace tarnix::gui

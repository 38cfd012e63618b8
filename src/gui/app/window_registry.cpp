#include "gui/app/window_registry.h"

#include <map>

#include "gui/app/dialogs.h"

namespace tarnix::gui {
namespace {

struct Registry {
  bool filled = false;
  std::map<WindowId, WindowFactory> factories;
};

Registry& TheRegistry() {
  static Registry registry;
  return registry;
}

// The program's windows are registered before the first lookup.
std::map<WindowId, WindowFactory>& Factories() {
  Registry& r = TheRegistry();
  if (!r.filled) {
    r.filled = true;
    RegisterProgramWindows();
  }
  return r.factories;
}

}  // namespace

void RegisterWindow(WindowId id, WindowFactory factory) {
  std::map<WindowId, WindowFactory>& f = Factories();  // the program's windows first
  if (factory)
    f[id] = std::move(factory);
  else
    f.erase(id);
}

bool WindowRegistered(WindowId id) { return Factories().count(id) != 0; }

QWidget* OpenWindow(WindowId id, const WindowRequest& request) {
  auto& f = Factories();
  auto it = f.find(id);
  if (it == f.end()) {
    AppDialogs().Beep(mb::kIconError);
    return nullptr;
  }
  // The factory is copied: a window may register or unregister another.
  const WindowFactory make = it->second;
  return make(request);
}

CommandSet::Builder AddOpenCommand(CommandSet& commands, int commandId, const char* caption, WindowId id,
                                   std::function<WindowRequest()> request) {
  return commands
      .Add(commandId, caption, [id, request = std::move(request)] { OpenWindow(id, request ? request() : WindowRequest{}); })
      .Enabled([id] { return WindowRegistered(id); });
}

}  // namespace tarnix::gui

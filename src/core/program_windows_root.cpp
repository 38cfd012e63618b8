#include "core/program_windows_root.h"

#include <cstdlib>
#include <mutex>
#include <optional>
#include <string>

#include "core/registry_settings.h"
#include "core/setting_names.h"
#include "platform/last_error.h"

namespace tarnix {

WindowsRoot ProgramWindowsRoot() {
  LastErrorKeeper keep;
  const std::string setting = ReadWindowsRootSetting(RegistrySettings());
  const char* env = std::getenv("TARNIX_WINDOWS_ROOT");
  const std::string environment = env ? env : "";

  static std::mutex lock;  // guards the cache
  static std::optional<WindowsRoot> found;
  static std::string foundSetting, foundEnvironment;
  std::lock_guard<std::mutex> guard(lock);
  if (!found || setting != foundSetting || environment != foundEnvironment) {
    found = WindowsRoot::Find(setting);
    foundSetting = setting;
    foundEnvironment = environment;
  }
  return *found;
}

}  // namespace tarnix

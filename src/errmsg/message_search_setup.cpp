#include "errmsg/message_search_setup.h"

namespace tarnix {

std::filesystem::path MessageSearchSystemFolder(const WindowsRoot& root) {
  std::filesystem::path system = root.Folder(WindowsFolder::kSystem64);
  if (system.empty()) system = root.Folder(WindowsFolder::kSystem32);
  return system;
}

}  // namespace tarnix

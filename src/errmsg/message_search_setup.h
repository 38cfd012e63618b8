#pragma once
// The system folder whose modules answer a message search's kind-1 ranges,
// as the window and tarnix-cli errmsg both take it.
#include <filesystem>

#include "platform/windows_root.h"

namespace tarnix {

// System32 of the Windows installation (the 64-bit one when there is one);
// empty when it has none.
std::filesystem::path MessageSearchSystemFolder(const WindowsRoot& root);

}  // namespace tarnix

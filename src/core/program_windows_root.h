#pragma once
// The Windows installation of this program: the "WindowsRoot" setting,
// then TARNIX_WINDOWS_ROOT, then what discovery finds on this machine (WSL,
// Wine). Every window and every command of tarnix-cli takes its System32,
// Program Files and module resolution from here, so that both show the
// same modules for the same result. Discovery runs again only when the
// setting or the environment variable changed since the last call.
#include "platform/windows_root.h"

namespace tarnix {

WindowsRoot ProgramWindowsRoot();

}  // namespace tarnix

#pragma once
// The ready-made search folders of the folder button's menu, mapped to the
// Windows installation found on this machine.
#include <string>

#include "platform/windows_root.h"

namespace tarnix {

enum class FolderLocation {
  kSystem64,        // "&System32 (64-bit)"
  kSystem32,        // "S&ystem32 (32-bit)"
  kProgramFiles64,  // "&Program Files (64-bit)"
  kProgramFiles32,  // "Program &Files (32-bit)"
  kDrivers,         // "&Drivers"
};

struct FolderLocationItem {
  FolderLocation location;
  const wchar_t* menuText;
};
// In menu order.
extern const FolderLocationItem kFolderLocationItems[5];

// The folder text for `location`: the system folders with a trailing
// separator, Program Files and drivers without. Empty when the installation
// has no such folder (the menu item is then disabled, or beeps).
std::wstring FolderLocationPath(FolderLocation location, const WindowsRoot& root);

}  // namespace tarnix

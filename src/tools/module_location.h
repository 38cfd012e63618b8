#pragma once
// Where the module that a result's symbol comes from or goes to lies on
// disk: next to the image that names it, else in the system folder of the
// Windows installation found (SysWOW64 for 32-bit images of a 64-bit
// installation), names compared ignoring case as Windows does.
#include <string>

namespace tarnix {

class WindowsRoot;

// The full path of `module` for the image at `imagePath` (ImageType
// `imageType`); empty when it is found nowhere.
std::wstring ResolveModulePath(const std::wstring& imagePath, const std::wstring& module,
                               uint32_t imageType, const WindowsRoot& root);

}  // namespace tarnix

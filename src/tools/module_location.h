#pragma once
// Where the module that a result's symbol comes from or goes to lies on
// disk, for the results' context menu: the module resolution of the search
// engine (symbolsearch/module_resolver.h) under the Windows installation
// found.
#include <cstdint>
#include <string>

namespace tarnix {

class WindowsRoot;

// The full path of `module` for the image at `imagePath` (ImageType
// `imageType`); empty when it is found nowhere.
std::wstring ResolveModulePath(const std::wstring& imagePath, const std::wstring& module,
                               uint32_t imageType, const WindowsRoot& root);

}  // namespace tarnix

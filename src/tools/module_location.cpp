#include "tools/module_location.h"

#include "symbolsearch/module_resolver.h"

namespace tarnix {

std::wstring ResolveModulePath(const std::wstring& imagePath, const std::wstring& module,
                               uint32_t imageType, const WindowsRoot& root) {
  std::wstring path;
  if (!ModuleResolver(root).Resolve(imagePath, imageType, module, path)) path.clear();
  return path;
}

}  // namespace tarnix

#include "tools/module_location.h"

#include <dirent.h>
#include <sys/stat.h>

#include <cstdint>

#include "pe/image_properties.h"
#include "platform/case_fold.h"
#include "platform/text_encoding.h"
#include "platform/windows_root.h"

namespace tarnix {
namespace {

// The entry of `folder` named `name` in any case; empty when none.
std::wstring FindInFolder(const std::wstring& folder, const std::wstring& name) {
  if (folder.empty() || name.empty()) return {};
  std::wstring dir = folder;
  if (dir.back() != L'/') dir += L'/';
  // The name as given, or in lower case, needs no listing of the folder (a
  // Windows partition's folders answer any case; Wine's files are lower case).
  for (const std::wstring& candidate : {name, ToLowerCase(name)}) {
    struct stat st;
    if (stat(ToUtf8(dir + candidate).c_str(), &st) == 0 && S_ISREG(st.st_mode)) return dir + candidate;
  }
  DIR* d = opendir(ToUtf8(dir).c_str());
  if (!d) return {};
  std::wstring found;
  while (dirent* e = readdir(d)) {
    std::wstring entry = FromUtf8(e->d_name);
    if (EqualsIgnoreCase(entry, name)) {
      found = dir + entry;
      if (entry == name) break;  // an exact match wins over a folded one
    }
  }
  closedir(d);
  return found;
}

}  // namespace

std::wstring ResolveModulePath(const std::wstring& imagePath, const std::wstring& module,
                               uint32_t imageType, const WindowsRoot& root) {
  if (module.empty() || module.find(L'/') != std::wstring::npos) return {};
  const size_t slash = imagePath.find_last_of(L'/');
  if (slash != std::wstring::npos) {
    std::wstring own = FindInFolder(imagePath.substr(0, slash + 1), module);
    if (!own.empty()) return own;
  }
  if (!root.found()) return {};
  std::wstring sys = FromUtf8(root.Folder(imageType == kImageType32 && !root.Folder(WindowsFolder::kSystem32).empty()
                                              ? WindowsFolder::kSystem32
                                              : WindowsFolder::kSystem64)
                                  .string());
  std::wstring found = FindInFolder(sys, module);
  if (found.empty() && imageType == kImageType32)
    found = FindInFolder(FromUtf8(root.Folder(WindowsFolder::kSystem64).string()), module);
  return found;
}

}  // namespace tarnix

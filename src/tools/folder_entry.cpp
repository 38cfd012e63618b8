#include "tools/folder_entry.h"

namespace tarnix {

std::wstring FolderEntryForm(std::wstring_view folder) {
  if (folder.empty()) return {};
  size_t end = folder.size();
  while (end > 0 && (folder[end - 1] == L'/' || folder[end - 1] == L'\\')) --end;
  std::wstring out(folder.substr(0, end));
  out += L'/';
  return out;
}

}  // namespace tarnix

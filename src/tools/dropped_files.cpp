#include "tools/dropped_files.h"

#include "platform/char_class.h"
#include "symbolsearch/regex_escape.h"

namespace tarnix {
namespace {

std::wstring FolderOfPath(const std::wstring& path) {
  size_t slash = path.find_last_of(L'/');
  return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1);
}

std::wstring WithSeparator(std::wstring folder) {
  if (folder.empty() || folder.back() != L'/') folder += L'/';
  return folder;
}

}  // namespace

DropOutcome ApplyDroppedItems(const std::vector<DroppedItem>& items, bool append,
                              const std::wstring& currentFileName, bool currentRegex) {
  DropOutcome out;
  size_t first = 0;
  while (first < items.size() && !items[first].exists) {
    out.skipped = true;
    ++first;
  }
  if (first == items.size()) return out;
  const DroppedItem& lead = items[first];
  out.folderSet = true;
  out.folder = lead.isFolder ? WithSeparator(lead.path) : FolderOfPath(lead.path);

  // The names already there stay first when Shift was held and they are an
  // expression of names; anything else is replaced.
  std::wstring text;
  if (append && currentRegex) {
    text = currentFileName;
    while (!text.empty() && IsWhiteSpace(text.back())) text.pop_back();
  }
  bool added = false;
  for (size_t i = first; i < items.size(); ++i) {
    const DroppedItem& it = items[i];
    if (!it.exists || it.isFolder || FolderOfPath(it.path) != out.folder) {
      if (i != first || !it.isFolder) out.skipped = true;
      continue;
    }
    std::wstring part = ExactFileNamesPattern({it.path.substr(out.folder.size())});
    std::wstring next = text.empty() ? part : text + L"|" + part;
    if (next.size() > kMaxDroppedNamesLength) {
      out.skipped = true;
      break;
    }
    text = std::move(next);
    added = true;
  }
  if (added) {
    out.namesSet = true;
    out.fileName = text;
    out.fileNameRegex = true;
  }
  return out;
}

}  // namespace tarnix

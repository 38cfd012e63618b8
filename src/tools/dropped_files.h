#pragma once
// What files and folders dropped on the main window (or picked in its file
// dialog) do to the search criteria: the first item decides the folder, the
// files of that folder become the 'File Name', items from elsewhere are
// skipped (and the window beeps).
#include <string>
#include <vector>

namespace tarnix {

// The longest 'File Name' text a drop builds.
inline constexpr size_t kMaxDroppedNamesLength = 4096;

struct DroppedItem {
  std::wstring path;  // absolute, as dropped
  bool isFolder = false;
  bool exists = true;
};

struct DropOutcome {
  bool folderSet = false;
  std::wstring folder;  // with a trailing separator
  bool namesSet = false;
  std::wstring fileName;  // the new 'File Name' text
  bool fileNameRegex = false;  // the state of its regular-expression box
  bool skipped = false;        // some items were left out: beep
};

// The first existing item gives the folder: a folder itself, or the folder
// of a file. The files of that folder are named in the 'File Name' as a
// regular expression that matches exactly those names; with `append`
// (Shift held) they are added to `currentFileName` when that already is
// such an expression. Items of other folders, further folders and items
// that no longer exist are skipped; names stop before the text would pass
// kMaxDroppedNamesLength characters.
DropOutcome ApplyDroppedItems(const std::vector<DroppedItem>& items, bool append,
                              const std::wstring& currentFileName, bool currentRegex);

}  // namespace tarnix

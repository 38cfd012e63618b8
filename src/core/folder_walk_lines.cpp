#include "core/folder_walk_lines.h"

#include "core/error_text.h"
#include "core/wformat.h"

namespace tarnix {

std::wstring FolderSearchFailedLine(uint32_t error, const std::wstring& folder) {
  return WFormat(L"ERROR: Folder search failed: %ls Folder=\"%ls\"", ErrorSentence(error).c_str(),
                 folder.c_str());
}

std::wstring FolderListingBrokeOffLine(uint32_t error, const std::wstring& folder,
                                       const std::wstring& name) {
  return WFormat(L"ERROR: %ls Folder=\"%ls\", file=\"%ls\"", ErrorSentence(error).c_str(),
                 folder.c_str(), name.c_str());
}

std::wstring FolderSkippedLine(bool link, bool loop, const std::wstring& path,
                               const std::wstring& walkedAs) {
  return WFormat(loop ? L"Warning: %ls: \"%ls\" loops back to \"%ls\"."
                      : L"Warning: %ls: \"%ls\" is the same folder as \"%ls\".",
                 link ? L"Folder link not followed" : L"Folder not searched twice", path.c_str(),
                 walkedAs.c_str());
}

std::wstring BrokenLinkLine(uint32_t error, const std::wstring& path) {
  return WFormat(L"Warning: Link not followed: \"%ls\". %ls", path.c_str(), ErrorText(error).c_str());
}

}  // namespace tarnix

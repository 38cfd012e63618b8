#include "symbolsearch/folder_location.h"

#include "platform/text_encoding.h"

namespace tarnix {

const FolderLocationItem kFolderLocationItems[5] = {
    {FolderLocation::kSystem64, L"&System32 (64-bit)"},
    {FolderLocation::kSystem32, L"S&ystem32 (32-bit)"},
    {FolderLocation::kProgramFiles64, L"&Program Files (64-bit)"},
    {FolderLocation::kProgramFiles32, L"Program &Files (32-bit)"},
    {FolderLocation::kDrivers, L"&Drivers"},
};

std::wstring FolderLocationPath(FolderLocation location, const WindowsRoot& root) {
  WindowsFolder kind = WindowsFolder::kDrivers;
  bool separator = false;
  switch (location) {
    case FolderLocation::kSystem64: kind = WindowsFolder::kSystem64; separator = true; break;
    case FolderLocation::kSystem32: kind = WindowsFolder::kSystem32; separator = true; break;
    case FolderLocation::kProgramFiles64: kind = WindowsFolder::kProgramFiles64; break;
    case FolderLocation::kProgramFiles32: kind = WindowsFolder::kProgramFiles32; break;
    case FolderLocation::kDrivers: kind = WindowsFolder::kDrivers; break;
  }
  const auto& folder = root.Folder(kind);
  if (folder.empty()) return {};
  std::wstring text = FromUtf8(folder.string());
  if (separator && text.back() != L'/') text += L'/';
  return text;
}

}  // namespace tarnix

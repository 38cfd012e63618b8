#include "errcode/builtin_presets.h"

#include "platform/text_encoding.h"
#include "platform/windows_root.h"

namespace tarnix {
namespace {

constexpr uint32_t kFolderWithSubfolders = kLocationFolder | kLocationSubfolders;

std::wstring FolderPath(const std::filesystem::path& p) {
  return p.empty() ? std::wstring() : WithTrailingSeparator(FromUtf8(p.string()));
}

}  // namespace

std::vector<ErrorCodePreset> BuiltInErrorCodePresets(const WindowsRoot& root) {
  // A 64-bit installation has a native System32 beside the 32-bit one.
  const bool is64 = !root.Folder(WindowsFolder::kSystem64).empty();
  const std::wstring system =
      FolderPath(root.Folder(is64 ? WindowsFolder::kSystem64 : WindowsFolder::kSystem32));
  const std::wstring programFiles64 =
      is64 ? FolderPath(root.Folder(WindowsFolder::kProgramFiles64)) : std::wstring();
  const std::wstring programFiles32 = FolderPath(root.Folder(WindowsFolder::kProgramFiles32));

  std::vector<ErrorCodePreset> presets;
  auto add = [&](uint32_t id, std::wstring name, std::vector<SearchLocation> items) {
    std::erase_if(items, [](const SearchLocation& l) { return l.path.empty(); });
    if (items.empty()) return;
    presets.push_back({id, kPresetFlagBuiltIn, std::move(name), std::move(items)});
  };
  add(kPresetSystem32, L"System32 (No subfolders)", {{kLocationFolder, system}});
  add(kPresetSystem32Subfolders, L"System32 (With subfolders)", {{kFolderWithSubfolders, system}});
  add(kPresetProgramFiles32,
      is64 ? L"Program Files, 32-bit (With subfolders)" : L"Program Files (With subfolders)",
      {{kFolderWithSubfolders, programFiles32}});
  if (is64) {
    add(kPresetProgramFiles64, L"Program Files, 64-bit (With subfolders)",
        {{kFolderWithSubfolders, programFiles64}});
    add(kPresetProgramFilesAll, L"Program Files, all bitness (With subfolders)",
        {{kFolderWithSubfolders, programFiles64}, {kFolderWithSubfolders, programFiles32}});
  }
  add(kPresetSystem32AndProgramFiles,
      is64 ? L"System32 & Program Files, all bitness (With subfolders)"
           : L"System32 & Program Files (With subfolders)",
      {{kFolderWithSubfolders, system},
       {kFolderWithSubfolders, programFiles64},
       {kFolderWithSubfolders, programFiles32}});
  return presets;
}

const ErrorCodePreset* FindPreset(const std::vector<ErrorCodePreset>& presets, uint32_t id) {
  for (const auto& p : presets)
    if (p.id == id) return &p;
  return nullptr;
}

}  // namespace tarnix

#include "core/setting_names.h"

#include "core/registry_settings.h"
#include "platform/text_encoding.h"
#include "platform/char_class.h"
#include "platform/last_error.h"

namespace tarnix {

std::vector<std::wstring> DefaultErrCodeSrchFileExts() {
  return {L".exe", L".dll", L".sys", L".scr", L".cpl", L".ocx", L".drv", L".efi",
          L".acm", L".ax",  L".com", L".rll", L".rs",  L".tlb", L".mui"};
}

std::vector<std::wstring> FilterErrCodeSrchFileExts(const std::vector<std::wstring>& list) {
  std::vector<std::wstring> out;
  for (const auto& e : list) {
    if (e.size() < 2 || e.size() > kErrCodeSrchFileExtMaxChars || e[0] != L'.') continue;
    bool dup = false;
    for (const auto& kept : out)
      if (EqualsNoCase(kept, e)) {
        dup = true;
        break;
      }
    if (!dup) out.push_back(e);
  }
  return out;
}

std::vector<std::wstring> ReadErrCodeSrchFileExts(const RegistrySettings& settings) {
  LastErrorKeeper keep;
  return FilterErrCodeSrchFileExts(
      settings.GetStringList(setting::kErrCodeSrchFileExts, DefaultErrCodeSrchFileExts()));
}

std::string ReadWindowsRootSetting(const RegistrySettings& settings) {
  return ToUtf8(settings.GetText(setting::kWindowsRoot, L""));
}

}  // namespace tarnix

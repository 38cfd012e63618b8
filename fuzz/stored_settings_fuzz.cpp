// Every stored setting with random types and values: the settings snapshot,
// window placements and the search boxes' histories must read anything
// without crashing and give values inside their limits.
#include <stdlib.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "core/program_settings.h"
#include "core/registry_settings.h"
#include "core/setting_names.h"
#include "core/window_placement.h"
#include "platform/registry.h"
#include "tools/mru_history.h"

namespace {

using namespace tarnix;

const std::vector<std::wstring>& Names() {
  static const std::vector<std::wstring> names = [] {
    std::vector<std::wstring> n = {
        setting::kTarnixSrchOutputBuffMaxChLn, setting::kTarnixSrchClearOutputBuffBeforeSrch,
        setting::kReGrammar, setting::kEmptySrchStrAsMatchAll, setting::kUndecorCppNames,
        setting::kUndecorCppNamesFlags, setting::kAutoScrollSrchResLst, setting::kErrBeepAfterSearchNoMsgBox,
        setting::kUseOnlnSrchLnksOnWinApiResExp, setting::kAddStatOtpToWinApiResExp,
        setting::kErrMsgSrchResultsBuffMaxChLn, setting::kErrMsgSrchWarnResultsOverflow,
        setting::kErrCodeSrchOutputBuffMaxChLn, setting::kErrCodeSrchClearOutputBuffBeforeSrch,
        setting::kOnlineSearchURL, setting::kShowCtrls, setting::kSrchFor, setting::kSrchLookIn,
        setting::kSrchPEType, setting::kSrchPESubsys, setting::kSrchPECharsM, setting::kSrchPECharsV,
        setting::kSrchPEDirsM, setting::kSrchPEDirsV, setting::kSrchPETsFrom, setting::kSrchPETsTo,
        setting::kHelpZoom, setting::kMRUNumEntries, setting::kErrCodeSrchFileExts, L"MRU_Fz", L"MRU_FzOpt"};
    for (const wchar_t* suffix : {L"_Mx", L"_l", L"_t", L"_r", L"_b"}) n.push_back(std::wstring(L"MainWnd") + suffix);
    return n;
  }();
  return names;
}

const uint32_t kTypes[] = {REG_DWORD, REG_QWORD, REG_SZ, REG_EXPAND_SZ, REG_MULTI_SZ, REG_BINARY, REG_NONE, 0x1234};

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // A memory file system when there is one: every input writes the store.
  static char shm[] = "/dev/shm/tarnix-fuzz-settings-XXXXXX";
  static char tmp[] = "/tmp/tarnix-fuzz-settings-XXXXXX";
  const char* home = mkdtemp(shm);
  if (!home) home = mkdtemp(tmp);
  if (!home) std::abort();
  setenv("XDG_CONFIG_HOME", home, 1);
  setenv("XDG_STATE_HOME", home, 1);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace tarnix;
  const std::wstring section = RegistrySettings::SectionKey(L"Settings");
  Registry::DeleteTree(section);
  RegKey key;
  if (key.Create(section)) return 0;
  // The input, value by value: name index, type index, length, data.
  size_t pos = 0;
  while (pos + 3 <= size) {
    const std::wstring& name = Names()[data[pos] % Names().size()];
    const uint32_t type = kTypes[data[pos + 1] % (sizeof kTypes / sizeof kTypes[0])];
    size_t length = data[pos + 2];
    pos += 3;
    if (length > size - pos) length = size - pos;
    key.Set(name, type, data + pos, static_cast<uint32_t>(length));
    pos += length;
  }

  RegistrySettings store(section);
  const ProgramSettings s = ProgramSettings::Load(store);
  if (s.tarnixOutputMaxChars < kOutputBufferMin || s.tarnixOutputMaxChars > kOutputBufferMax) std::abort();
  if (s.searchFor != 1 && s.searchFor != 2) std::abort();
  if (s.regexGrammar == 0 || (s.regexGrammar & (s.regexGrammar - 1)) || s.regexGrammar > 0x20) std::abort();
  if (!IsValidOnlineSearchUrl(s.onlineSearchUrl)) std::abort();
  const uint32_t mru = ReadMruNumEntries(store);
  if (mru < kMruEntriesMin || mru > kMruEntriesMax) std::abort();
  const int32_t zoom = ReadHelpZoom(store);
  if (zoom < kHelpZoomMin || zoom > kHelpZoomMax) std::abort();
  ReadErrCodeSrchFileExts(store);

  const std::vector<MonitorArea> screens{{{0, 0, 1920, 1080}, {0, 0, 1920, 1040}},
                                         {{1920, 0, 3200, 1024}, {1920, 0, 3200, 1000}}};
  WindowPlacement placement;
  WindowPlacement::Result r;
  placement.Restore(section, L"MainWnd", {100, 100, 700, 500}, true, screens, {0, 1.6, 1.5}, r);
  if (r.moved) {
    // A restored window is always a window on one of the screens.
    if (r.rect.width() < 1 || r.rect.height() < 1 || r.rect.width() > 1920 || r.rect.height() > 1040)
      std::abort();
    if (r.rect.top < 0 || r.rect.top >= 1040) std::abort();
  }

  for (bool options : {false, true}) {
    MruHistory history(options ? L"FzOpt" : L"Fz", false, options, store);
    history.Load();
    if (history.entries().size() > history.maximum()) std::abort();
  }
  return 0;
}

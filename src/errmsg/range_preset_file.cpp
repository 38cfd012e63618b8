#include "errmsg/range_preset_file.h"

#include <ctime>

#include "core/error_text.h"
#include "core/preset_file.h"
#include "core/wformat.h"
#include "errmsg/range_preset_ini.h"
#include "errmsg/range_preset_store.h"
#include "platform/last_error.h"
#include "platform/text_encoding.h"
#include "platform/win_errors.h"

namespace tarnix {

std::wstring ExportDateText() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  char buf[128];
  if (!localtime_r(&now, &local) || std::strftime(buf, sizeof buf, "%c", &local) == 0)
    return std::wstring();
  return FromUtf8(buf);
}

bool ExportRangePresets(const std::string& path, std::span<const RangeSet> presets,
                        const std::wstring& date, const WaitEvent* cancel) {
  PresetFile file(path, RangePresetFileComment(date), cancel);
  return file.Write(RangePresetsToIni(presets), kRangePresetExportTimeoutMs) == 0;
}

bool ReadRangePresetsFile(const std::string& path, std::vector<RangeSet>& presets,
                          const WaitEvent* cancel) {
  PresetFile file(path, L"", cancel);
  std::vector<PresetSection> sections;
  if (file.Read(sections, kRangePresetImportTimeoutMs) != 0) return false;
  return RangePresetsFromIni(sections, presets);
}

bool ImportRangePresets(const std::string& path, std::vector<RangeSet>& imported,
                        const WaitEvent* cancel) {
  std::vector<RangeSet> presets;
  if (!ReadRangePresetsFile(path, presets, cancel)) return false;
  // One write replaces the whole value, so a failure keeps the old presets.
  if (!RangePresetStore::WriteAll(presets)) return false;
  imported = std::move(presets);
  return true;
}

std::wstring RangePresetFileFailure(bool exporting, const std::string& path, uint32_t error) {
  const std::wstring where = FromUtf8(path);
  const std::wstring text = ErrorText(error);
  return exporting
             ? WFormat(L"Failed to save presets into the following file:\n\n%ls\n\n%ls",
                       where.c_str(), text.c_str())
             : WFormat(L"Failed to read presets from the following file:\n\n%ls\n\n%ls",
                       where.c_str(), text.c_str());
}

}  // namespace tarnix

// The error code search preset import: the bytes are read as a preset file
// is, and the sections checked as an import checks them; whatever imports
// must be storable and must export and import again unchanged.
#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "core/err_code_presets.h"
#include "core/preset_file.h"
#include "heap_peak.h"
#include "errcode/preset_ini.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace tarnix;
  std::vector<PresetSection> sections;
  if (!fuzz::ReadPresetBytes(data, size, sections)) return 0;
  std::vector<ErrCodePresetRecord> presets;
  uint32_t error = 0;
  int site = 0;
  if (!ParseErrorCodePresetSections(sections, presets, error, site)) {
    if (error == 0 || site == 0) std::abort();  // every refusal says why and where
    return 0;
  }
  if (presets.empty()) std::abort();

  std::vector<uint8_t> stored;
  if (!EncodeErrCodePresets(presets, stored)) std::abort();

  std::vector<ErrorCodePreset> listed;
  for (const ErrCodePresetRecord& p : presets) listed.push_back({100, p.flags, p.name, p.items});
  PresetFile file("unused", L"");
  std::string bytes;
  if (!file.BuildBytes(ErrorCodePresetSections(listed), bytes)) std::abort();
  std::vector<PresetSection> reread;
  std::vector<ErrCodePresetRecord> back;
  if (!PresetFile::ParseBytes(bytes, reread) || !ParseErrorCodePresetSections(reread, back, error, site) ||
      back != presets)
    std::abort();
  return 0;
}

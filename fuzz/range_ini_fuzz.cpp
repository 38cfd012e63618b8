// The range preset import: the bytes are read as a preset file is, and the
// sections turned into presets; whatever imports must be storable and must
// export and import again unchanged.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "core/preset_file.h"
#include "heap_peak.h"
#include "errmsg/range_preset_blob.h"
#include "errmsg/range_preset_ini.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace tarnix;
  std::vector<PresetSection> sections;
  if (!fuzz::ReadPresetBytes(data, size, sections)) return 0;
  std::vector<RangeSet> presets;
  if (!RangePresetsFromIni(sections, presets)) return 0;

  std::vector<uint8_t> blob;
  if (!EncodeRangePresetsBlob(presets, blob)) std::abort();
  std::vector<RangeSet> back;
  if (!RangePresetsFromIni(RangePresetsToIni(presets), back) || back != presets) std::abort();

  // The written file reads back to the same presets.
  const std::vector<PresetSection> exported = RangePresetsToIni(presets);
  PresetFile file("unused", L"");
  std::string bytes;
  if (!file.BuildBytes(exported, bytes)) std::abort();
  std::vector<PresetSection> reread;
  if (!PresetFile::ParseBytes(bytes, reread) || !RangePresetsFromIni(reread, back) || back != presets)
    std::abort();
  return 0;
}

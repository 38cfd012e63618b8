// The preset file reader: byte-order marks, decoding and the scanner. What
// it reads must write back and read the same.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "core/preset_file.h"
#include "heap_peak.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace tarnix;
  std::vector<PresetSection> sections;
  if (!fuzz::ReadPresetBytes(data, size, sections)) return 0;
  PresetFile file("/nonexistent/fuzz.ini", L"comment\nline");
  std::string bytes;
  if (!file.BuildBytes(sections, bytes)) std::abort();  // every name read is writable
  std::vector<PresetSection> back;
  if (!PresetFile::ParseBytes(bytes, back)) std::abort();
  if (back != sections) std::abort();
  return 0;
}

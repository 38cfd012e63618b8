// The stored error code search presets ("ErrCodeSrchPresets"): decoding
// untrusted bytes, and storing again what was decoded.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "core/err_code_presets.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace tarnix;
  std::vector<ErrCodePresetRecord> presets;
  if (!DecodeErrCodePresets(data, size, presets)) return 0;
  std::vector<uint8_t> stored;
  if (!EncodeErrCodePresets(presets, stored)) std::abort();
  std::vector<ErrCodePresetRecord> again;
  if (!DecodeErrCodePresets(stored.data(), stored.size(), again) || again != presets) std::abort();
  return 0;
}

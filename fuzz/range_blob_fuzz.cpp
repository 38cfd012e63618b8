// The two stored range blobs: the search window's range list and the range
// presets. Whatever decodes must encode again to the same bytes' meaning.
#include <cstdint>
#include <cstdlib>
#include <span>
#include <vector>

#include "errmsg/range_list_blob.h"
#include "errmsg/range_preset_blob.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace tarnix;
  const std::span<const uint8_t> bytes(data, size);

  std::vector<ErrorRange> list;
  if (DecodeRangeListBlob(bytes, list)) {
    std::vector<uint8_t> again;
    std::vector<ErrorRange> back;
    if (!EncodeRangeListBlob(list, again) || !DecodeRangeListBlob(again, back) || back != list)
      std::abort();
  }

  std::vector<RangeSet> presets;
  if (DecodeRangePresetsBlob(bytes, presets)) {
    std::vector<uint8_t> again;
    std::vector<RangeSet> back;
    if (!EncodeRangePresetsBlob(presets, again) || !DecodeRangePresetsBlob(again, back) ||
        back != presets)
      std::abort();
  }
  return 0;
}

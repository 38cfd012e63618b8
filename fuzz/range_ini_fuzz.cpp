// The range preset import: sections and pairs read from the input are turned
// into presets; whatever imports must export and import again unchanged.
#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "errmsg/range_preset_blob.h"
#include "errmsg/range_preset_ini.h"
#include "platform/text_encoding.h"

namespace {

// A plain reading of the input as preset file text: "[name]" starts a
// section, "key=value" adds a pair, other lines are skipped.
std::vector<tarnix::RangeIniSection> Sections(std::wstring_view text) {
  std::vector<tarnix::RangeIniSection> out;
  while (!text.empty()) {
    const size_t lf = text.find(L'\n');
    std::wstring_view line = text.substr(0, lf);
    text = lf == std::wstring_view::npos ? std::wstring_view() : text.substr(lf + 1);
    if (!line.empty() && line.back() == L'\r') line.remove_suffix(1);
    if (line.size() >= 2 && line.front() == L'[' && line.back() == L']') {
      out.push_back({std::wstring(line.substr(1, line.size() - 2)), {}});
    } else if (const size_t eq = line.find(L'='); eq != std::wstring_view::npos && !out.empty()) {
      out.back().pairs.emplace_back(line.substr(0, eq), line.substr(eq + 1));
    }
  }
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace tarnix;
  const std::wstring text =
      FromUtf8(std::string_view(reinterpret_cast<const char*>(data), size));
  std::vector<RangeSet> presets;
  if (!RangePresetsFromIni(Sections(text), presets)) return 0;

  // Imported presets must be storable and survive an export and re-import.
  std::vector<uint8_t> blob;
  if (!EncodeRangePresetsBlob(presets, blob)) std::abort();
  std::vector<RangeSet> back;
  if (!RangePresetsFromIni(RangePresetsToIni(presets), back) || back != presets) std::abort();
  return 0;
}

#include "errmsg/range_preset_ini.h"

#include "core/event_log.h"
#include "core/preset_name_chars.h"
#include "core/wformat.h"
#include "errmsg/number_scan.h"
#include "errmsg/range_line.h"
#include "errmsg/range_preset_blob.h"
#include "platform/case_fold.h"
#include "platform/last_error.h"
#include "platform/text_encoding.h"
#include "platform/win_errors.h"

namespace tarnix {
namespace {

constexpr wchar_t kConfigSection[] = L"ConfigERPs";
constexpr wchar_t kPresetPrefix[] = L"Preset";
constexpr wchar_t kRangePrefix[] = L"ErrRange";

bool Fail(uint32_t error) {
  SetLastError(error);
  return false;
}

bool StartsWithIgnoreCase(std::wstring_view text, std::wstring_view prefix) {
  return text.size() >= prefix.size() && EqualsIgnoreCase(text.substr(0, prefix.size()), prefix);
}

const std::wstring* FindValue(const PresetSection& s, std::wstring_view key) {
  for (const PresetPair& p : s.pairs)
    if (EqualsIgnoreCase(p.key, key)) return &p.value;
  return nullptr;
}

std::wstring Trim(std::wstring_view s) {
  auto blank = [](wchar_t c) { return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n'; };
  while (!s.empty() && blank(s.front())) s.remove_prefix(1);
  while (!s.empty() && blank(s.back())) s.remove_suffix(1);
  return std::wstring(s);
}

// Checks a trimmed preset name against the earlier ones.
bool CheckPresetName(const std::wstring& name, const std::vector<RangeSet>& earlier) {
  if (name.empty()) return Fail(ERROR_EMPTY_NAME);
  if (Utf16Length(name) > kMaxPresetNameLength) return Fail(ERROR_NAME_TOO_LONG);
  if (HasMarkupNameChar(name) || HasHiddenNameChar(name)) return Fail(ERROR_INVALID_NAME_CHARS);
  for (const RangeSet& p : earlier)
    if (EqualsIgnoreCase(p.name, name)) return Fail(ERROR_NAME_ALREADY_USED);
  return true;
}

bool ReadPreset(const PresetSection& s, const std::vector<RangeSet>& earlier, RangeSet& p) {
  const std::wstring* name = FindValue(s, L"Name");
  const std::wstring* flags = FindValue(s, L"Flags");
  if (!name) return Fail(ERROR_BAD_FORMAT);
  p.name = Trim(*name);
  if (!CheckPresetName(p.name, earlier)) return false;
  int64_t f = 0;
  if (!flags || !ScanInt64(*flags, f)) return Fail(ERROR_BAD_FORMAT);
  p.setFlags = static_cast<uint32_t>(f) & ~(kRangeSetBuiltIn | kRangeSetUnsaved);
  for (const auto& [key, value] : s.pairs) {
    if (!StartsWithIgnoreCase(key, kRangePrefix)) continue;
    if (p.ranges.size() == kMaxErrorRanges) return Fail(ERROR_TOO_MANY_ITEMS);
    ErrorRange r;
    if (!ParseRangeLine(value, r)) return false;
    p.ranges.push_back(std::move(r));
  }
  return true;
}

// A name for the export that the import accepts and that no earlier
// exported preset uses. Stored names normally pass unchanged.
std::wstring ExportName(const std::wstring& stored, const std::vector<std::wstring>& used) {
  auto taken = [&](const std::wstring& n) {
    for (const std::wstring& u : used)
      if (EqualsIgnoreCase(u, n)) return true;
    return false;
  };
  std::wstring base = Trim(WithNameCharsReplaced(stored));
  if (base.empty()) base = L"Unnamed preset";
  if (!taken(base) && Utf16Length(base) <= kMaxPresetNameLength) return base;
  // Leave room for the " (n)" that makes it unique.
  while (Utf16Length(base) > kMaxPresetNameLength - 8) base.pop_back();
  std::wstring name = base;
  for (int n = 2; taken(name); ++n) name = base + WFormat(L" (%d)", n);
  return name;
}

}  // namespace

std::wstring RangePresetFileComment(const std::wstring& date) {
  return WFormat(
      L"This file was created by %ls v.%ls\n(It contains exports of the error messages search "
      L"presets.)\n\nDate: %ls\n",
      EventLog::kSourceName, EventLog::kVersion, date.c_str());
}

std::vector<PresetSection> RangePresetsToIni(std::span<const RangeSet> presets) {
  std::vector<PresetSection> out;
  out.push_back(PresetSection{kConfigSection, {{L"Version", L"1"}}});
  std::vector<std::wstring> used;
  unsigned number = 0;
  for (const RangeSet& p : presets) {
    if (p.setFlags & kRangeSetBuiltIn) continue;
    PresetSection s;
    s.name = WFormat(L"%ls%u", kPresetPrefix, number++);
    used.push_back(ExportName(p.name, used));
    s.pairs.push_back({L"Name", used.back()});
    const uint32_t flags = p.setFlags & ~(kRangeSetBuiltIn | kRangeSetUnsaved);
    s.pairs.push_back({L"Flags", WFormat(L"%lld", static_cast<long long>(flags))});
    unsigned index = 0;
    for (const ErrorRange& r : p.ranges)
      s.pairs.push_back({WFormat(L"%ls%u", kRangePrefix, index++), FormatRangeLine(r)});
    out.push_back(std::move(s));
  }
  return out;
}

bool RangePresetsFromIni(std::span<const PresetSection> sections,
                         std::vector<RangeSet>& presets) {
  const PresetSection* config = nullptr;
  for (const PresetSection& s : sections)
    if (EqualsIgnoreCase(s.name, kConfigSection)) {
      config = &s;
      break;
    }
  if (!config) return Fail(ERROR_BAD_FORMAT);
  const std::wstring* version = FindValue(*config, L"Version");
  if (!version) return Fail(ERROR_BAD_FORMAT);
  if (*version != L"1") return Fail(ERROR_UNSUPPORTED_VERSION);

  std::vector<RangeSet> out;
  for (const PresetSection& s : sections) {
    if (!StartsWithIgnoreCase(s.name, kPresetPrefix)) continue;
    if (out.size() == kMaxRangePresets) return Fail(ERROR_TOO_MANY_PRESETS);
    RangeSet p;
    if (!ReadPreset(s, out, p)) return false;
    out.push_back(std::move(p));
  }
  // A file without any preset would remove every stored one.
  if (out.empty()) return Fail(ERROR_BAD_FORMAT);
  presets = std::move(out);
  SetLastError(ERROR_SUCCESS);
  return true;
}

}  // namespace tarnix

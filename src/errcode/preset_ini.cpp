#include "errcode/preset_ini.h"

#include <cwctype>
#include <ctime>

#include "core/event_log.h"
#include "core/preset_name_chars.h"
#include "core/wformat.h"
#include "platform/case_fold.h"
#include "platform/last_error.h"
#include "platform/text_encoding.h"
#include "platform/win_errors.h"

namespace tarnix {
namespace {

constexpr wchar_t kConfigSection[] = L"ConfigECSPs";
constexpr wchar_t kPresetSectionPrefix[] = L"Preset";
constexpr wchar_t kPathItemPrefix[] = L"PathItem";
constexpr uint32_t kWriteTimeoutMs = 20000;
constexpr uint32_t kReadTimeoutMs = 10000;

bool StartsWithIgnoreCase(std::wstring_view text, std::wstring_view prefix) {
  return text.size() >= prefix.size() && EqualsIgnoreCase(text.substr(0, prefix.size()), prefix);
}

const std::wstring* FindKey(const PresetSection& section, std::wstring_view key) {
  for (const auto& pair : section.pairs)
    if (EqualsIgnoreCase(pair.key, key)) return &pair.value;
  return nullptr;
}

std::wstring Trimmed(std::wstring_view s) {
  size_t b = 0, e = s.size();
  while (b < e && std::iswspace(s[b])) ++b;
  while (e > b && std::iswspace(s[e - 1])) --e;
  return std::wstring(s.substr(b, e - b));
}

// A decimal number with an optional sign, as "%I64d" writes it.
bool ReadNumber(std::wstring_view text, int64_t& out) {
  size_t i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == L'-' || text[i] == L'+')) negative = text[i++] == L'-';
  if (i == text.size()) return false;
  uint64_t value = 0;
  for (; i < text.size(); ++i) {
    if (text[i] < L'0' || text[i] > L'9') return false;
    if (value > (UINT64_MAX - 9) / 10) return false;
    value = value * 10 + static_cast<uint64_t>(text[i] - L'0');
  }
  if (value > static_cast<uint64_t>(INT64_MAX)) return false;
  out = negative ? -static_cast<int64_t>(value) : static_cast<int64_t>(value);
  return true;
}

bool ReadFlags(std::wstring_view text, uint32_t& out) {
  int64_t value = 0;
  if (!ReadNumber(Trimmed(text), value) || value < INT32_MIN || value > UINT32_MAX) return false;
  out = static_cast<uint32_t>(value);
  return true;
}

bool IsUserPreset(const ErrorCodePreset& p) { return !(p.flags & kPresetFlagBuiltIn); }

}  // namespace

std::wstring ErrorCodePresetExportHeader() {
  char date[128] = {};
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  std::strftime(date, sizeof date, "%c", &local);
  return WFormat(
      L"This file was created by %ls v.%ls\n(It contains exports of the error codes search "
      L"presets.)\n\nDate: %ls\n",
      EventLog::kSourceName, EventLog::kVersion, FromUtf8(date).c_str());
}

std::vector<PresetSection> ErrorCodePresetSections(const std::vector<ErrorCodePreset>& presets) {
  std::vector<PresetSection> sections;
  sections.push_back({kConfigSection, {{L"Version", L"1"}}});

  std::vector<std::wstring> usedNames;
  for (const auto& p : presets)
    if (!p.name.empty() && !(p.flags & kPresetFlagUnsaved)) usedNames.push_back(p.name);
  auto used = [&](const std::wstring& name) {
    for (const auto& u : usedNames)
      if (EqualsIgnoreCase(u, name)) return true;
    return false;
  };
  auto unnamed = [&] {
    std::wstring name = L"Unnamed preset";
    for (int n = 2; used(name); ++n) name = WFormat(L"Unnamed preset (%d)", n);
    usedNames.push_back(name);
    return name;
  };

  unsigned index = 0;
  for (const auto& p : presets) {
    if (!IsUserPreset(p)) continue;
    PresetSection s;
    s.name = WFormat(L"%ls%u", kPresetSectionPrefix, index++);
    const bool generated = p.name.empty() || (p.flags & kPresetFlagUnsaved);
    s.pairs.push_back({L"Name", generated ? unnamed() : p.name});
    s.pairs.push_back({L"Flags", WFormat(L"%lld", static_cast<long long>(p.flags))});
    for (size_t i = 0; i < p.items.size(); ++i)
      s.pairs.push_back({WFormat(L"%ls%u", kPathItemPrefix, static_cast<unsigned>(i)),
                         FormatPathItemValue(p.items[i])});
    sections.push_back(std::move(s));
  }
  return sections;
}

int ExportErrorCodePresets(const std::string& path, const std::vector<ErrorCodePreset>& presets) {
  bool any = false;
  for (const auto& p : presets) any = any || IsUserPreset(p);
  if (!any) return 0;
  PresetFile file(path, ErrorCodePresetExportHeader());
  if (file.Write(ErrorCodePresetSections(presets), kWriteTimeoutMs) != 0) {
    EventLog::LogSiteFormat(431, L"path=\"%ls\"", FromUtf8(path).c_str());
    return -1;
  }
  return 1;
}

std::wstring FormatPathItemValue(const SearchLocation& location) {
  return WFormat(L"%u|", static_cast<unsigned>(location.flags)) + location.path;
}

bool ParsePathItemValue(std::wstring_view value, SearchLocation& out, uint32_t& error, int& site) {
  auto fail = [&](uint32_t code, int where) {
    error = code;
    site = where;
    return false;
  };
  const size_t bar = value.find(L'|');
  if (bar == std::wstring_view::npos) return fail(kImportNoSeparator, 443);
  SearchLocation item;
  if (!ReadFlags(value.substr(0, bar), item.flags)) return fail(kImportBadFormat, 435);
  const uint32_t kind = LocationKind(item.flags);
  if (kind != kLocationFolder && kind != kLocationFile) return fail(kImportBadLocationKind, 441);
  item.path = Trimmed(value.substr(bar + 1));
  if (Utf16Length(item.path) > kMaxErrCodePresetPathLength) return fail(kImportPathTooLong, 442);
  // A location without a path can never be searched.
  if (item.path.empty()) return fail(kImportBadFormat, 435);
  if (kind == kLocationFolder) item.path = WithTrailingSeparator(item.path);
  if (Utf16Length(item.path) > kMaxErrCodePresetPathLength) return fail(kImportPathTooLong, 442);
  out = std::move(item);
  error = ERROR_SUCCESS;
  site = 0;
  return true;
}

bool ParseErrorCodePresetSections(const std::vector<PresetSection>& sections,
                                  std::vector<ErrCodePresetRecord>& presets, uint32_t& error,
                                  int& site) {
  presets.clear();
  auto fail = [&](uint32_t code, int where) {
    error = code;
    site = where;
    presets.clear();
    return false;
  };

  const PresetSection* config = nullptr;
  for (const auto& s : sections)
    if (EqualsIgnoreCase(s.name, kConfigSection)) {
      config = &s;
      break;
    }
  const std::wstring* version = config ? FindKey(*config, L"Version") : nullptr;
  if (!version) return fail(kImportBadFormat, 435);
  if (*version != L"1") return fail(kImportWrongVersion, 436);

  for (const auto& s : sections) {
    if (!StartsWithIgnoreCase(s.name, kPresetSectionPrefix)) continue;
    const std::wstring* nameValue = FindKey(s, L"Name");
    const std::wstring* flagsValue = FindKey(s, L"Flags");
    ErrCodePresetRecord preset;
    if (!nameValue || !flagsValue || !ReadFlags(*flagsValue, preset.flags))
      return fail(kImportBadFormat, 435);
    preset.flags &= ~(kPresetFlagUnsaved | kPresetFlagBuiltIn);
    preset.name = Trimmed(*nameValue);
    if (preset.name.empty()) return fail(kImportEmptyName, 437);
    if (Utf16Length(preset.name) > kMaxErrCodePresetNameLength) return fail(kImportNameTooLong, 438);
    if (HasMarkupNameChar(preset.name) || HasHiddenNameChar(preset.name))
      return fail(kImportBadNameCharacter, 439);
    for (const auto& other : presets)
      if (EqualsIgnoreCase(other.name, preset.name)) return fail(kImportDuplicateName, 440);

    for (const auto& pair : s.pairs) {
      if (!StartsWithIgnoreCase(pair.key, kPathItemPrefix)) continue;
      SearchLocation item;
      uint32_t itemError = 0;
      int itemSite = 0;
      if (!ParsePathItemValue(pair.value, item, itemError, itemSite)) return fail(itemError, itemSite);
      if (preset.items.size() >= kMaxErrCodePresetItems) return fail(kImportTooManyLocations, 444);
      preset.items.push_back(std::move(item));
    }
    if (presets.size() >= kMaxErrCodePresets) return fail(kImportTooManyPresets, 445);
    presets.push_back(std::move(preset));
  }
  // A file without any preset would remove every stored one.
  if (presets.empty()) return fail(kImportBadFormat, 435);
  error = ERROR_SUCCESS;
  site = 0;
  return true;
}

bool ReadErrorCodePresetFile(const std::string& path, std::vector<ErrCodePresetRecord>& presets) {
  const std::wstring widePath = FromUtf8(path);
  PresetFile file(path, L"");
  std::vector<PresetSection> sections;
  const int read = file.Read(sections, kReadTimeoutMs);
  if (read != 0) {
    const uint32_t error = GetLastError();
    EventLog::LogSiteFormat(450, L"r=%d, path=\"%ls\"", static_cast<int>(error), widePath.c_str());
    SetLastError(error);
    return false;
  }
  uint32_t error = 0;
  int site = 0;
  if (!ParseErrorCodePresetSections(sections, presets, error, site)) {
    EventLog::LogSiteFormat(site, L"r=%d, path=\"%ls\"", static_cast<int>(error), widePath.c_str());
    SetLastError(error);
    return false;
  }
  return true;
}

bool ImportErrorCodePresets(const std::string& path, bool& storeChanged) {
  storeChanged = false;
  std::vector<ErrCodePresetRecord> presets;
  if (!ReadErrorCodePresetFile(path, presets)) return false;
  // One write of the whole value: the store holds the old presets or the
  // new ones, whatever happens meanwhile.
  SetLastError(ERROR_SUCCESS);
  if (!ErrCodePresetStore::WriteAll(presets)) {
    uint32_t error = GetLastError();
    const int site = error == ERROR_SUCCESS ? 448 : 447;
    if (error == ERROR_SUCCESS) error = kImportSaveFailed;
    EventLog::LogSiteFormat(site, L"r=%d, path=\"%ls\"", static_cast<int>(error), FromUtf8(path).c_str());
    SetLastError(error);
    return false;
  }
  storeChanged = true;
  SetLastError(ERROR_SUCCESS);
  return true;
}

}  // namespace tarnix

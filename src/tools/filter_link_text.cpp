#include "tools/filter_link_text.h"

#include <vector>

#include "core/error_text.h"
#include "core/wformat.h"
#include "pe/image_properties.h"
#include "pe/look_in.h"
#include "platform/locale_format.h"
#include "platform/time_utils.h"
#include "platform/win_errors.h"
#include "results/result_field.h"
#include "undname/undname_flag_table.h"

namespace tarnix {
namespace {

struct Item {
  uint64_t bit;
  const wchar_t* name;
};

template <size_t N>
const wchar_t* LabelOf(const BitLabel (&table)[N], uint64_t bit) {
  for (const BitLabel& l : table)
    if (l.bit == bit) return l.label;
  return nullptr;
}

// The links list their items in the order of the filter dialogs, under the
// short labels the reader gives the bits.
template <size_t N>
std::vector<Item> Ordered(const BitLabel (&table)[N], std::initializer_list<uint64_t> order) {
  std::vector<Item> v;
  for (uint64_t bit : order) v.push_back({bit, LabelOf(table, bit)});
  return v;
}

const std::vector<Item>& LookInItems() {
  static const std::vector<Item> v = {
      {kLookInExports, L"Exports"},          {kLookInImports, L"Imports"},
      {kLookInDelayLoad, L"DelayLoad"},      {kLookInImportOrdinals, L"Import Ordinals"},
      {kLookInForwardedExports, L"Forwarded Exports"}, {kLookInCOnly, L"C Only"},
      {kLookInCppOnly, L"C++ Only"}};
  return v;
}

const std::vector<Item>& TypeItems() {
  static const std::vector<Item> v = Ordered(kImageTypeLabels, {0x1, 0x2, 0x4});
  return v;
}

const std::vector<Item>& SubsystemItems() {
  static const std::vector<Item> v =
      Ordered(kSubsystemLabels, {0x2000, 0x8, 0x4, 0x100, 0x200, 0x800, 0x400, 0x2, 0x40,
                                 kSubsystemOther, 0x10, 0x20, 0x1, 0x80, 0x1000});
  return v;
}

const std::vector<Item>& CharacteristicItems() {
  static const std::vector<Item> v = Ordered(
      kCharacteristicLabels,
      {0x8, 0x2, 0x200, kCharBufferSecurityChecks, 0x4, kCharDelayLoadVc6, 0x1, 0x2000000,
       0x100000, 0x8000000, 0x800000, 0x80, 0x200000, 0x40000, 0x10, 0x10000, 0x40, 0x20000,
       0x400000, 0x20, 0x4000000, 0x400, 0x1000000, 0x100, 0x80000});
  return v;
}

// The directory links have names of their own.
const std::vector<Item>& DirectoryItems() {
  static const std::vector<Item> v = {
      {0x400, L".NET"},     {0x10, L"ArctSpec"},  {0x80, L"BndImp"},   {0x8, L"Dbg"},
      {0x200, L"DelayLdImp"}, {0x1, L"ExceptTbl"}, {0x1000, L"Exports"}, {0x2000, L"GlbPtr"},
      {0x100, L"IAT"},      {0x800, L"Imports"},  {0x40, L"LdCfg"},    {0x4, L"RelocTbl"},
      {0x2, L"Sig"},        {0x20, L"TLS"}};
  return v;
}

void Join(std::wstring& text, const std::wstring& part) {
  if (!text.empty()) text += L" | ";
  text += part;
}

std::wstring Link(const wchar_t* name) { return WFormat(L"<a>%ls</a>", name); }

// Items of `items` present in `mask`, with "=0"/"=1" values when `values`
// is given; the bits they cover are taken out of `mask`.
std::wstring ItemLinks(const std::vector<Item>& items, uint64_t& mask, const uint64_t* values) {
  std::wstring text;
  for (const Item& it : items) {
    if (!(mask & it.bit)) continue;
    std::wstring part = Link(it.name);
    if (values) part += WFormat(L"=%d", (*values & it.bit) ? 1 : 0);
    Join(text, part);
    mask &= ~it.bit;
  }
  return text;
}

void UnnamedBits(std::wstring& text, uint64_t rest) {
  if (rest) Join(text, WFormat(L"<a>0x%llx</a>", static_cast<unsigned long long>(rest)));
}

std::wstring List(const std::vector<Item>& items, uint64_t mask, const uint64_t* values,
                  const wchar_t* empty) {
  if (mask == 0) return Link(empty);
  std::wstring text = ItemLinks(items, mask, values);
  UnnamedBits(text, mask);
  return text;
}

}  // namespace

std::wstring LookInLinkText(uint64_t mask) { return List(LookInItems(), mask, nullptr, L"All Available"); }
std::wstring ImageTypeLinkText(uint64_t mask) { return List(TypeItems(), mask, nullptr, L"All Types"); }
std::wstring SubsystemsLinkText(uint64_t mask) {
  return List(SubsystemItems(), mask, nullptr, L"All Subsystems");
}
std::wstring CharacteristicsLinkText(uint64_t mask, uint64_t values) {
  return List(CharacteristicItems(), mask, &values, L"All Available");
}

std::wstring DirectoriesLinkText(uint64_t mask, uint64_t values) {
  if (mask == 0) return Link(L"All Available");
  std::wstring text = ItemLinks(DirectoryItems(), mask, &values);
  if (mask & kDirResources) {
    mask &= ~kDirResources;
    std::wstring part = Link(L"Rsrc");
    if (values & kDirResources) {
      std::wstring types;
      for (const ShortFlagName& n : ResourceTypeShortNames()) {
        if (!(mask & n.bit)) continue;
        Join(types, Link(n.name) + WFormat(L"=%d", (values & n.bit) ? 1 : 0));
        mask &= ~n.bit;
      }
      part += L":{" + (types.empty() ? Link(L"Any") : types) + L"}";
    } else {
      part += L"=0";
      mask &= ~kDirResourceTypeBits;  // types do not matter without the directory
    }
    Join(text, part);
  }
  UnnamedBits(text, mask);
  return text;
}

std::wstring TimeStampLinkText(uint64_t fileTime) {
  if (fileTime == 0) return L"Any Date";
  SystemTime st;
  if (!FileTimeToSystemTime(fileTime, st))
    return WFormat(L"<ConvErr:%ls>", ErrorText(ERROR_INVALID_PARAMETER).c_str());
  std::wstring text;
  if (!FormatLocalDateTime(FileTimeToUnixSeconds(fileTime), text))
    return WFormat(L"<Err:%ls>", ErrorText(ERROR_INVALID_PARAMETER).c_str());
  return text;
}

std::wstring UndecorationFlagsLinkText(uint32_t flags) {
  return L"<a>" + UndnameFlagNames(flags, L"</a> | <a>") + L"</a>";
}

}  // namespace tarnix

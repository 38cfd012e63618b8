#include "results/result_sort.h"

#include <locale.h>
#include <stdlib.h>
#include <wchar.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <numeric>
#include <string>

#include "core/compact_text.h"
#include "core/text_pool.h"
#include "platform/case_fold.h"
#include "results/result_column.h"
#include "results/result_field.h"
#include "results/results_model.h"

namespace tarnix {
namespace {

locale_t UserCollation() {
  static locale_t loc = [] {
    locale_t l = newlocale(LC_COLLATE_MASK | LC_CTYPE_MASK, "", nullptr);
    return l ? l : newlocale(LC_COLLATE_MASK, "C", nullptr);
  }();
  return loc;
}

// Whether the user's collation is the order of the characters' values, as
// in the C locales: then a text's folded characters are its key.
bool CodePointCollation() {
  static const bool yes = [] {
    const char* name = nullptr;
    for (const char* var : {"LC_ALL", "LC_COLLATE", "LANG"}) {
      const char* v = getenv(var);
      if (v && *v) {
        name = v;
        break;
      }
    }
    if (!name) return true;
    const std::string n = name;
    return n == "C" || n == "POSIX" || n.rfind("C.", 0) == 0;
  }();
  return yes;
}

// The compact bytes of a text folded to lower case; ASCII texts are folded
// in place without leaving bytes.
void FoldedCompact(std::string_view compact, std::string& out, std::wstring& scratch) {
  out.clear();
  if (IsAsciiBytes(compact)) {
    out.assign(compact);
    for (char& c : out)
      if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return;
  }
  scratch.clear();
  AppendDecodedText(scratch, compact);
  AppendCompactText(out, ToLowerCase(scratch));
}

// The collation key of a folded text, in the compact form so that keys
// compare as bytes. A text the collation cannot transform keys as itself.
void CollationKeyCompact(const std::wstring& folded, std::string& out, std::wstring& key) {
  out.clear();
  locale_t loc = UserCollation();
  size_t n = loc ? wcsxfrm_l(nullptr, folded.c_str(), 0, loc) : static_cast<size_t>(-1);
  if (n == static_cast<size_t>(-1)) {
    AppendCompactText(out, folded);
    return;
  }
  key.assign(n + 1, L'\0');
  wcsxfrm_l(key.data(), folded.c_str(), n + 1, loc);
  key.resize(n);
  AppendCompactText(out, key);
}

// Ranks of `count` texts whose keys `keyOf(i, out)` writes: equal keys give
// equal ranks. The keys live in one buffer.
template <class KeyOf>
std::vector<uint32_t> RanksOfKeys(size_t count, KeyOf keyOf) {
  std::string keys, one;
  std::vector<uint64_t> at(count + 1);
  for (size_t i = 0; i < count; ++i) {
    keyOf(i, one);
    at[i] = keys.size();
    keys += one;
  }
  at[count] = keys.size();
  auto key = [&](uint32_t i) { return std::string_view(keys).substr(at[i], at[i + 1] - at[i]); };
  std::vector<uint32_t> byKey(count);
  std::iota(byKey.begin(), byKey.end(), 0u);
  std::sort(byKey.begin(), byKey.end(), [&](uint32_t a, uint32_t b) { return key(a) < key(b); });
  std::vector<uint32_t> rank(count);
  uint32_t r = 0;
  for (size_t k = 0; k < count; ++k) {
    if (k && key(byKey[k]) != key(byKey[k - 1])) ++r;
    rank[byKey[k]] = r;
  }
  return rank;
}

bool IsNumeric(int32_t column) {
  switch (column) {
    case kColType: case kColBinding: case kColBuildTime: case kColSubsystem:
    case kColCharacteristics: case kColDirectories: case kColResources: case kColVersion:
    case kColOrdinal: case kColHint:
      return true;
    default:
      return false;
  }
}

uint64_t NumericValue(const ResultsModel& m, const ResultRow& r, int32_t column) {
  const ImageRecord& image = m.image(r.image);
  const ImageProperties& p = image.properties;
  switch (column) {
    case kColType: return p.imageType;
    case kColBinding: return p.binding;
    case kColBuildTime: return p.timeStamp;
    case kColSubsystem: return p.subsystemBit;
    case kColCharacteristics: return p.characteristics;
    case kColDirectories: return p.directories & 0xFFFF;
    case kColResources: return p.directories & 0xFFFFFF000000ULL;
    case kColVersion: return image.fileVersion;
    case kColOrdinal: return r.ordinal;
    case kColHint: return static_cast<uint32_t>(r.nameIndexOrHint);
    default: return 0;
  }
}

// The text of an image a column sorts by: the list's own texts.
std::wstring_view ImageSortText(const ImageRecord& image, int32_t column) {
  switch (column) {
    case kColImageName: return ImageNameOf(image.path);
    case kColFolder: return ListFolderOf(image.path);
    case kColDescription: return image.description;
    default: return std::wstring_view();
  }
}

// Stable LSD radix sort of row indices by 64-bit keys, a byte at a time,
// skipping the bytes every key shares. Answers false when cancelled.
bool RadixOrder(std::vector<uint64_t>& keys, std::vector<uint32_t>& order, const SortProgress& progress) {
  const size_t n = keys.size();
  order.resize(n);
  std::iota(order.begin(), order.end(), 0u);
  if (n < 2) return true;
  uint64_t differ = 0;
  for (size_t i = 1; i < n; ++i) differ |= keys[i] ^ keys[0];
  std::vector<int> passes;
  for (int b = 0; b < 8; ++b)
    if ((differ >> (8 * b)) & 0xFF) passes.push_back(b);
  std::vector<uint64_t> keys2(passes.empty() ? 0 : n);
  std::vector<uint32_t> order2(passes.empty() ? 0 : n);
  for (size_t p = 0; p < passes.size(); ++p) {
    if (progress && progress(0.3 + 0.6 * double(p) / double(passes.size()))) return false;
    const int shift = 8 * passes[p];
    size_t count[257] = {};
    for (size_t i = 0; i < n; ++i) ++count[((keys[i] >> shift) & 0xFF) + 1];
    for (int d = 0; d < 256; ++d) count[d + 1] += count[d];
    for (size_t i = 0; i < n; ++i) {
      const size_t to = count[(keys[i] >> shift) & 0xFF]++;
      keys2[to] = keys[i];
      order2[to] = order[i];
    }
    keys.swap(keys2);
    order.swap(order2);
  }
  return true;
}

}  // namespace

std::vector<uint32_t> CollationRanks(const std::vector<std::wstring_view>& texts) {
  const bool plain = CodePointCollation();
  std::wstring folded, key;
  return RanksOfKeys(texts.size(), [&](size_t i, std::string& out) {
    folded = ToLowerCase(texts[i]);
    if (plain) {
      out.clear();
      AppendCompactText(out, folded);
    } else {
      CollationKeyCompact(folded, out, key);
    }
  });
}

std::vector<uint32_t> CollationRanks(const TextPool& pool, CollationMethod method) {
  const bool plain = method == CollationMethod::kUserLocale && CodePointCollation();
  std::string folded;
  std::wstring scratch, wide, key;
  return RanksOfKeys(pool.size(), [&](size_t i, std::string& out) {
    FoldedCompact(pool.Compact(static_cast<uint32_t>(i)), plain ? out : folded, scratch);
    if (plain) return;
    wide.clear();
    AppendDecodedText(wide, folded);
    CollationKeyCompact(wide, out, key);
  });
}

std::vector<uint32_t> CollationRanks(const TextPool& pool) {
  return CollationRanks(pool, CollationMethod::kUserLocale);
}

bool SortResults(ResultsModel& m, int32_t column, bool ascending, const SortProgress& progress) {
  if (column < 0 || column >= kResultColumnCount) return false;
  const size_t n = m.size();
  std::vector<uint64_t> keys(n);
  if (IsNumeric(column)) {
    for (size_t i = 0; i < n; ++i) keys[i] = NumericValue(m, m.row(i), column);
  } else {
    // Symbol names break ties of the other text columns.
    const std::vector<uint32_t> names = CollationRanks(m.texts());
    if (progress && progress(0.2)) return false;
    std::vector<uint32_t> byImage;
    std::map<uint32_t, uint32_t> byKind;
    if (column == kColImageName || column == kColFolder || column == kColDescription) {
      std::vector<std::wstring_view> texts(m.imageCount());
      for (uint32_t i = 0; i < texts.size(); ++i) texts[i] = ImageSortText(m.image(i), column);
      byImage = CollationRanks(texts);
    } else if (column == kColMatchedIn) {
      for (size_t i = 0; i < n; ++i) byKind.emplace(m.row(i).kind, 0);
      std::vector<std::wstring> texts;
      ResultEntry entry;
      for (auto& [kind, rank] : byKind) {
        entry.result.kind = kind;
        ListDisplayText(kColMatchedIn, entry, true, texts.emplace_back());
      }
      const std::vector<uint32_t> ranks = CollationRanks(std::vector<std::wstring_view>(texts.begin(), texts.end()));
      size_t k = 0;
      for (auto& [kind, rank] : byKind) rank = ranks[k++];
    }
    for (size_t i = 0; i < n; ++i) {
      const ResultRow& r = m.row(i);
      uint64_t primary;
      switch (column) {
        case kColFunctionName: keys[i] = names[r.name]; continue;
        case kColModule: primary = names[r.module]; break;
        case kColMatchedIn: primary = byKind[r.kind]; break;
        default: primary = byImage[r.image]; break;
      }
      keys[i] = primary << 32 | names[r.name];
    }
  }
  if (!ascending)
    for (uint64_t& k : keys) k = ~k;
  if (progress && progress(0.3)) return false;
  std::vector<uint32_t> order;
  if (!RadixOrder(keys, order, progress)) return false;
  keys = {};
  if (progress && progress(0.9)) return false;
  m.Reorder(order);
  return true;
}

}  // namespace tarnix

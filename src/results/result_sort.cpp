#include "results/result_sort.h"

#include <locale.h>
#include <wchar.h>

#include <algorithm>
#include <numeric>
#include <string_view>
#include <unordered_map>

#include "platform/case_fold.h"
#include "results/result_column.h"
#include "results/result_field.h"

namespace tarnix {
namespace {

locale_t UserCollation() {
  static locale_t loc = [] {
    locale_t l = newlocale(LC_COLLATE_MASK | LC_CTYPE_MASK, "", nullptr);
    return l ? l : newlocale(LC_COLLATE_MASK, "C", nullptr);
  }();
  return loc;
}

// A collation key of the text with case folded away: comparing keys with
// wcscmp orders as the user's collation orders the folded texts.
std::wstring CollationKey(std::wstring_view text) {
  std::wstring folded = ToLowerCase(text);
  locale_t loc = UserCollation();
  if (!loc) return folded;
  size_t n = wcsxfrm_l(nullptr, folded.c_str(), 0, loc);
  if (n == static_cast<size_t>(-1)) return folded;
  std::wstring key(n + 1, L'\0');
  wcsxfrm_l(key.data(), folded.c_str(), n + 1, loc);
  key.resize(n);
  return key;
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

uint64_t NumericValue(const ResultEntry& e, int32_t column) {
  const ImageProperties& p = e.result.properties;
  switch (column) {
    case kColType: return p.imageType;
    case kColBinding: return p.binding;
    case kColBuildTime: return p.timeStamp;
    case kColSubsystem: return p.subsystemBit;
    case kColCharacteristics: return p.characteristics;
    case kColDirectories: return p.directories & 0xFFFF;
    case kColResources: return p.directories & 0xFFFFFF000000ULL;
    case kColVersion: return e.fileVersion;
    case kColOrdinal: return e.result.ordinal;
    case kColHint: return static_cast<uint32_t>(e.result.nameIndexOrHint);
    default: return 0;
  }
}

// The text a text column sorts by, as a view into the entry (or into
// `scratch` for texts made on the spot).
std::wstring_view SortText(const ResultEntry& e, int32_t column, std::wstring& scratch) {
  switch (column) {
    case kColFunctionName: return e.result.name;
    case kColMatchedIn: {
      ResultEntry copy;
      copy.result.kind = e.result.kind;
      ListDisplayText(kColMatchedIn, copy, true, scratch);
      return scratch;
    }
    case kColModule: return e.result.module;
    case kColImageName: return ImageNameOf(e.result.file);
    case kColFolder:
      return e.result.file.size() < 520 ? FolderOf(e.result.file) : std::wstring_view(L"-");
    case kColDescription: return e.description;
    default: return std::wstring_view();
  }
}

// Ranks of texts in the user's collation, case folded: equal ranks for texts
// that compare equal. Each distinct text gets its collation key once, so a
// million rows with few distinct texts cost little more than hashing them.
std::vector<uint32_t> CollationRanks(const std::vector<std::wstring_view>& texts) {
  std::unordered_map<std::wstring_view, uint32_t> distinct;
  distinct.reserve(texts.size() / 4 + 16);
  std::vector<uint32_t> ids(texts.size());
  std::vector<std::wstring_view> unique;
  for (size_t i = 0; i < texts.size(); ++i) {
    auto [it, added] = distinct.emplace(texts[i], static_cast<uint32_t>(unique.size()));
    if (added) unique.push_back(texts[i]);
    ids[i] = it->second;
  }
  std::vector<std::wstring> keys(unique.size());
  for (size_t u = 0; u < unique.size(); ++u) keys[u] = CollationKey(unique[u]);
  std::vector<uint32_t> byKey(unique.size());
  std::iota(byKey.begin(), byKey.end(), 0u);
  std::sort(byKey.begin(), byKey.end(), [&](uint32_t a, uint32_t b) { return keys[a] < keys[b]; });
  std::vector<uint32_t> rankOf(unique.size());
  uint32_t rank = 0;
  for (size_t k = 0; k < byKey.size(); ++k) {
    if (k && keys[byKey[k]] != keys[byKey[k - 1]]) ++rank;
    rankOf[byKey[k]] = rank;
  }
  for (auto& id : ids) id = rankOf[id];
  return ids;
}

}  // namespace

int CompareResults(const ResultEntry& a, const ResultEntry& b, int32_t column) {
  if (IsNumeric(column)) {
    uint64_t x = NumericValue(a, column), y = NumericValue(b, column);
    return x < y ? -1 : x > y ? 1 : 0;
  }
  std::wstring sa, sb;
  int c = CollationKey(SortText(a, column, sa)).compare(CollationKey(SortText(b, column, sb)));
  if (c == 0 && column != kColFunctionName)
    c = CollationKey(a.result.name).compare(CollationKey(b.result.name));
  return c < 0 ? -1 : c > 0 ? 1 : 0;
}

bool SortResults(std::vector<ResultEntry>& entries, int32_t column, bool ascending,
                 const SortProgress& progress) {
  if (column < 0 || column >= kResultColumnCount) return false;
  const size_t n = entries.size();
  const bool numeric = IsNumeric(column);
  const bool tieByName = !numeric && column != kColFunctionName;

  // Keys are computed once per row, so each comparison compares integers.
  std::vector<uint64_t> numbers(n);
  if (numeric) {
    for (size_t i = 0; i < n; ++i) numbers[i] = NumericValue(entries[i], column);
  } else {
    // Kind texts are made once per kind; other texts are views into the rows.
    std::unordered_map<uint32_t, std::wstring> kindTexts;
    std::vector<std::wstring_view> texts(n);
    for (size_t i = 0; i < n; ++i) {
      if (column == kColMatchedIn) {
        auto [it, added] = kindTexts.try_emplace(entries[i].result.kind);
        if (added) SortText(entries[i], column, it->second);
        texts[i] = it->second;
      } else {
        std::wstring unused;
        texts[i] = SortText(entries[i], column, unused);
      }
    }
    if (progress && progress(0.1)) return false;
    std::vector<uint32_t> ranks = CollationRanks(texts);
    std::vector<uint32_t> nameRanks;
    if (tieByName) {
      for (size_t i = 0; i < n; ++i) texts[i] = entries[i].result.name;
      nameRanks = CollationRanks(texts);
    }
    for (size_t i = 0; i < n; ++i)
      numbers[i] = (uint64_t{ranks[i]} << 32) | (tieByName ? nameRanks[i] : 0u);
    if (progress && progress(0.25)) return false;
  }
  auto before = [&](uint32_t x, uint32_t y) {
    return ascending ? numbers[x] < numbers[y] : numbers[x] > numbers[y];
  };

  // Bottom-up merge sort over row indices: stable, O(n log n), and after
  // every pass the order is a whole permutation, so a cancel can stop there.
  std::vector<uint32_t> order(n), scratch(n);
  std::iota(order.begin(), order.end(), 0u);
  size_t passes = 0, totalPasses = 0;
  for (size_t w = 1; w < n; w *= 2) ++totalPasses;
  bool cancelled = false;
  for (size_t width = 1; width < n; width *= 2, ++passes) {
    if (progress && progress(0.25 + 0.75 * double(passes) / double(totalPasses))) {
      cancelled = true;
      break;
    }
    for (size_t lo = 0; lo < n; lo += 2 * width) {
      size_t mid = std::min(lo + width, n), hi = std::min(lo + 2 * width, n);
      std::merge(order.begin() + lo, order.begin() + mid, order.begin() + mid,
                 order.begin() + hi, scratch.begin() + lo, before);
    }
    order.swap(scratch);
  }
  // Put the rows in place by following the permutation's cycles: one
  // temporary record, no second array of records.
  std::vector<bool> placed(n);
  for (size_t start = 0; start < n; ++start) {
    if (placed[start] || order[start] == start) continue;
    ResultEntry held = std::move(entries[start]);
    size_t at = start;
    while (order[at] != start) {
      entries[at] = std::move(entries[order[at]]);
      placed[at] = true;
      at = order[at];
    }
    entries[at] = std::move(held);
    placed[at] = true;
  }
  return !cancelled;
}

}  // namespace tarnix

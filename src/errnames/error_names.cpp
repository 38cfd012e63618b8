#include "errnames/error_names.h"

#include <algorithm>
#include <iterator>
#include <string_view>
#include <vector>

namespace tarnix {
namespace {

#include "errnames/error_name_table.inc"

constexpr std::span<const ErrorName> kNames = kErrorNameTable;
constexpr size_t kNameCount = std::size(kErrorNameTable);
static_assert(kNameCount < 0xFFFF, "name slots hold 16-bit indices");

constexpr size_t LongestName() {
  size_t longest = 0;
  for (const ErrorName& n : kNames) longest = std::max(longest, std::string_view(n.name).size());
  return longest;
}
constexpr size_t kLongestName = LongestName();

constexpr char Upper(char c) { return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c; }

uint32_t HashName(std::string_view upper) {
  uint32_t h = 2166136261u;  // FNV-1a
  for (char c : upper) h = (h ^ uint8_t(c)) * 16777619u;
  return h;
}

uint32_t HashValue(uint32_t v) {
  v ^= v >> 16;
  v *= 0x7FEB352Du;
  v ^= v >> 15;
  return v;
}

bool SameNameIgnoringCase(std::string_view upper, const char* name) {
  size_t i = 0;
  for (; name[i]; ++i)
    if (i >= upper.size() || Upper(name[i]) != upper[i]) return false;
  return i == upper.size();
}

// Open-addressing tables over the constant list, built once: the name of
// each entry (case folded), and each distinct value with the run of its
// entries in `byValue`.
struct Index {
  static constexpr uint16_t kEmpty = 0xFFFF;
  struct ValueRun {
    uint32_t value = 0;
    uint32_t start = 0;
    uint32_t count = 0;  // 0: the slot is empty
  };

  std::vector<uint16_t> nameSlots;
  std::vector<const ErrorName*> byValue;
  std::vector<ValueRun> valueSlots;
  uint32_t mask = 0;

  Index() {
    size_t size = 1;
    while (size < kNameCount * 2) size <<= 1;
    mask = static_cast<uint32_t>(size - 1);
    nameSlots.assign(size, kEmpty);
    char upper[kLongestName];
    for (size_t i = 0; i < kNameCount; ++i) {
      const std::string_view name = kNames[i].name;
      std::transform(name.begin(), name.end(), upper, Upper);
      uint32_t slot = HashName({upper, name.size()}) & mask;
      while (nameSlots[slot] != kEmpty) slot = (slot + 1) & mask;
      nameSlots[slot] = static_cast<uint16_t>(i);
    }

    // The list is sorted by name, so a stable sort by value keeps each
    // value's names in name order.
    byValue.reserve(kNameCount);
    for (const ErrorName& n : kNames) byValue.push_back(&n);
    std::stable_sort(byValue.begin(), byValue.end(),
                     [](const ErrorName* a, const ErrorName* b) { return a->value < b->value; });
    valueSlots.assign(size, ValueRun{});
    for (size_t start = 0; start < byValue.size();) {
      size_t end = start + 1;
      while (end < byValue.size() && byValue[end]->value == byValue[start]->value) ++end;
      uint32_t slot = HashValue(byValue[start]->value) & mask;
      while (valueSlots[slot].count) slot = (slot + 1) & mask;
      valueSlots[slot] = {byValue[start]->value, static_cast<uint32_t>(start),
                          static_cast<uint32_t>(end - start)};
      start = end;
    }
  }
};

const Index& TheIndex() {
  static const Index index;
  return index;
}

}  // namespace

std::span<const ErrorName> AllErrorNames() { return kNames; }

const char* NtStatusFacilityName(uint32_t number) {
  for (const NtStatusFacility& f : kNtStatusFacilityTable)
    if (f.number == number) return f.name;
  return nullptr;
}

const ErrorName* FindErrorName(std::wstring_view name) {
  if (name.empty() || name.size() > kLongestName) return nullptr;
  char upper[kLongestName];
  for (size_t i = 0; i < name.size(); ++i) {
    if (name[i] <= 0 || name[i] > 0x7F) return nullptr;
    upper[i] = Upper(static_cast<char>(name[i]));
  }
  const std::string_view key(upper, name.size());
  const Index& index = TheIndex();
  for (uint32_t slot = HashName(key) & index.mask; index.nameSlots[slot] != Index::kEmpty;
       slot = (slot + 1) & index.mask) {
    const ErrorName& n = kNames[index.nameSlots[slot]];
    if (SameNameIgnoringCase(key, n.name)) return &n;
  }
  return nullptr;
}

std::span<const ErrorName* const> ErrorNamesOf(uint32_t value) {
  const Index& index = TheIndex();
  for (uint32_t slot = HashValue(value) & index.mask; index.valueSlots[slot].count;
       slot = (slot + 1) & index.mask) {
    const Index::ValueRun& run = index.valueSlots[slot];
    if (run.value == value) return {index.byValue.data() + run.start, run.count};
  }
  return {};
}

}  // namespace tarnix

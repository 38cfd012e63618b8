#pragma once
// The filter selection dialog's six uses (Look In, image type, subsystems,
// characteristics, directories with resource types, undecoration flags):
// per use its texts, window key, size factors and the rows of its list in
// display order. The bits are those of the search filters and of the
// undecorator's flags.
#include <cstdint>
#include <span>

namespace tarnix {

enum MultiSelUse : int {
  kMultiSelLookIn = 0,
  kMultiSelImageType,
  kMultiSelSubsystems,
  kMultiSelCharacteristics,
  kMultiSelDirectories,
  kMultiSelUndecorationFlags,
};
inline constexpr int kMultiSelUseCount = 6;

enum MultiSelRowKind : uint32_t {
  kMultiSelOrdinaryRow = 0,
  kMultiSelResourceTypeRow = 1,  // counts only while "Resources Directory" does
};

// Bits 24..47 of the directories set hold the resource types.
inline constexpr uint64_t kMultiSelResourceTypeBits = 0x0000FFFFFF000000ULL;

struct MultiSelRow {
  uint32_t kind = kMultiSelOrdinaryRow;
  uint64_t mask = 0;  // one bit
  const wchar_t* name = nullptr;
  const wchar_t* description = nullptr;
  const wchar_t* constant = nullptr;  // the symbolic name; null when there is none
};

struct MultiSelUseInfo {
  int use = 0;
  const wchar_t* title = nullptr;
  const wchar_t* explanation = nullptr;
  const wchar_t* noRestrictionText = nullptr;  // the check box that lifts the filter
  const wchar_t* windowKey = nullptr;          // placement name
  double widthFactor = 1.0;                    // first-start size, from the template's
  double heightFactor = 1.0;
  bool hasValues = false;  // a second list with an on/off value per row
  std::span<const MultiSelRow> rows;
};

// The description of `use`; null for a use out of range.
const MultiSelUseInfo* MultiSelUseOf(int use);

// The bits that some row of the use stands for.
uint64_t MultiSelKnownBits(const MultiSelUseInfo& info);

}  // namespace tarnix

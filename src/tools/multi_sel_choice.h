#pragma once
// What the filter selection dialog edits: one item per row of its use,
// checked or not and with its on/off value, and the no-restriction box;
// built from the input masks, and turned back into masks on OK.
//
// Bits of the input that no row stands for (a newer program's, or a
// damaged setting) are kept as they were and returned on OK, unless the
// user ticks the no-restriction box, which lifts the whole filter.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "tools/multi_sel_tables.h"

namespace tarnix {

struct MultiSelItem {
  uint32_t kind = kMultiSelOrdinaryRow;
  uint64_t mask = 0;
  std::wstring name;
  std::wstring description;
  std::wstring constant;  // trailing white space trimmed; empty when none
  bool checked = false;
  bool value = false;
};

class MultiSelChoice {
 public:
  // The items of `info` from the input sets: checked where the mask has the
  // row's bit, value on where `values` has it. In the directories use a
  // mask without "Resources Directory" starts every resource type off.
  MultiSelChoice(const MultiSelUseInfo& info, uint64_t mask, uint64_t values);

  const MultiSelUseInfo& info() const { return *info_; }
  const std::vector<MultiSelItem>& items() const { return items_; }
  size_t size() const { return items_.size(); }
  bool hasValues() const { return info_->hasValues; }

  // The no-restriction check box: ticked when nothing is checked and no
  // other bits are kept.
  bool noRestriction() const { return noRestriction_; }
  // The first checked item; -1 when none is.
  int firstChecked() const;
  // Bits of the input mask that no row has, kept for OK.
  uint64_t keptMask() const { return keptMask_; }

  // Checking an item clears the no-restriction box; unchecking the last one
  // ticks it again when nothing else restricts. Indexes out of range are
  // ignored.
  void SetChecked(size_t index, bool checked);
  void SetValue(size_t index, bool on);
  void SetAllChecked(bool checked);
  void SetAllValues(bool on);
  // Ticking unchecks every item and value and drops the kept bits;
  // unticking changes nothing else.
  void SetNoRestriction(bool on);

  // Whether item `index`'s value takes part in the result: the item is
  // checked, and a resource type's only while "Resources Directory" is
  // checked with its value on.
  bool ValueCounts(size_t index) const;

  // OK: the checked items' bits (and the kept ones); the values of the
  // checked items whose value is on. In the directories use the resource
  // types (bits 24..47) are dropped from both unless "Resources Directory"
  // is checked with its value on. Uses without values return 0 values.
  uint64_t ResultMask() const;
  uint64_t ResultValues() const;

 private:
  bool ResourceTypesCount() const;
  uint64_t DropUncountedResourceTypes(uint64_t bits) const;
  void UpdateNoRestriction();

  const MultiSelUseInfo* info_;
  std::vector<MultiSelItem> items_;
  int resourcesRow_ = -1;  // "Resources Directory" in the directories use
  uint64_t keptMask_ = 0;
  uint64_t keptValues_ = 0;
  bool noRestriction_ = true;
};

}  // namespace tarnix

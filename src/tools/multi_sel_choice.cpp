#include "tools/multi_sel_choice.h"

#include "pe/image_properties.h"

namespace tarnix {
namespace {

std::wstring TrimmedRight(const wchar_t* text) {
  std::wstring s = text ? text : L"";
  const size_t end = s.find_last_not_of(L" \t\r\n");
  s.erase(end == std::wstring::npos ? 0 : end + 1);
  return s;
}

}  // namespace

MultiSelChoice::MultiSelChoice(const MultiSelUseInfo& info, uint64_t mask, uint64_t values)
    : info_(&info) {
  if (!info.hasValues) values = 0;
  items_.reserve(info.rows.size());
  for (const MultiSelRow& row : info.rows) {
    MultiSelItem item;
    item.kind = row.kind;
    item.mask = row.mask;
    item.name = row.name ? row.name : L"";
    item.description = row.description ? row.description : L"";
    item.constant = TrimmedRight(row.constant);
    item.checked = (mask & row.mask) != 0;
    item.value = (values & row.mask) != 0;
    if (info.use == kMultiSelDirectories && row.kind == kMultiSelOrdinaryRow &&
        row.mask == kDirResources)
      resourcesRow_ = static_cast<int>(items_.size());
    items_.push_back(std::move(item));
  }
  // A filter stored without the resource directory had no say about the
  // resource types, whatever their values held.
  if (resourcesRow_ >= 0 && !(mask & kDirResources))
    for (MultiSelItem& item : items_)
      if (item.kind == kMultiSelResourceTypeRow) item.value = false;
  keptMask_ = mask & ~MultiSelKnownBits(info);
  keptValues_ = values & keptMask_;
  noRestriction_ = firstChecked() < 0 && keptMask_ == 0;
}

int MultiSelChoice::firstChecked() const {
  for (size_t i = 0; i < items_.size(); ++i)
    if (items_[i].checked) return static_cast<int>(i);
  return -1;
}

void MultiSelChoice::UpdateNoRestriction() {
  noRestriction_ = firstChecked() < 0 && keptMask_ == 0;
}

void MultiSelChoice::SetChecked(size_t index, bool checked) {
  if (index >= items_.size()) return;
  items_[index].checked = checked;
  if (checked)
    noRestriction_ = false;
  else
    UpdateNoRestriction();
}

void MultiSelChoice::SetValue(size_t index, bool on) {
  if (index < items_.size() && hasValues()) items_[index].value = on;
}

void MultiSelChoice::SetAllChecked(bool checked) {
  for (MultiSelItem& item : items_) item.checked = checked;
  if (checked && !items_.empty())
    noRestriction_ = false;
  else
    UpdateNoRestriction();
}

void MultiSelChoice::SetAllValues(bool on) {
  if (!hasValues()) return;
  for (MultiSelItem& item : items_) item.value = on;
}

void MultiSelChoice::SetNoRestriction(bool on) {
  noRestriction_ = on;
  if (!on) return;
  for (MultiSelItem& item : items_) item.checked = item.value = false;
  keptMask_ = keptValues_ = 0;
}

bool MultiSelChoice::ResourceTypesCount() const {
  if (resourcesRow_ < 0) return true;
  const MultiSelItem& res = items_[static_cast<size_t>(resourcesRow_)];
  return res.checked && res.value;
}

uint64_t MultiSelChoice::DropUncountedResourceTypes(uint64_t bits) const {
  return resourcesRow_ >= 0 && !ResourceTypesCount() ? bits & ~kMultiSelResourceTypeBits : bits;
}

bool MultiSelChoice::ValueCounts(size_t index) const {
  if (index >= items_.size() || !hasValues() || !items_[index].checked) return false;
  return items_[index].kind != kMultiSelResourceTypeRow || ResourceTypesCount();
}

uint64_t MultiSelChoice::ResultMask() const {
  uint64_t mask = keptMask_;
  for (const MultiSelItem& item : items_)
    if (item.checked) mask |= item.mask;
  return DropUncountedResourceTypes(mask);
}

uint64_t MultiSelChoice::ResultValues() const {
  if (!hasValues()) return 0;
  uint64_t values = keptValues_;
  for (const MultiSelItem& item : items_)
    if (item.checked && item.value) values |= item.mask;
  return DropUncountedResourceTypes(values);
}

}  // namespace tarnix

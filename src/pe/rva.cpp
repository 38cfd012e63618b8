#include "pe/rva.h"

#include <cstring>

#include "pe/pe_format.h"
#include "platform/last_error.h"
#include "platform/win_errors.h"

namespace tarnix {

void SectionMap::Reset(const ImageView& view, uint64_t tableOffset, uint16_t count) {
  view_ = &view;
  tableOffset_ = tableOffset;
  count_ = count;
  loaded_ = false;
  truncated_ = false;
  sections_.clear();
}

void SectionMap::Load() const {
  loaded_ = true;
  sections_.reserve(count_);
  for (uint32_t i = 0; i < count_; ++i) {
    uint64_t at = tableOffset_ + uint64_t{pe::kSectionHeaderSize} * i;
    if (!view_->Contains(at, pe::kSectionHeaderSize)) {
      truncated_ = true;
      break;
    }
    Section s{*view_->TryRead<uint32_t>(at + pe::kSectionVirtualAddress),
              *view_->TryRead<uint32_t>(at + pe::kSectionVirtualSize),
              *view_->TryRead<uint32_t>(at + pe::kSectionPointerToRawData),
              *view_->TryRead<uint32_t>(at + pe::kSectionSizeOfRawData),
              *view_->TryRead<uint32_t>(at + pe::kSectionCharacteristics),
              {}};
    for (uint32_t c = 0; c < sizeof s.name; ++c)
      s.name[c] = static_cast<char>(*view_->TryRead<uint8_t>(at + pe::kSectionName + c));
    sections_.push_back(s);
  }
}

const SectionMap::Section* SectionMap::Holding(uint64_t rva) const {
  if (!loaded_) Load();
  for (const Section& s : sections_) {
    if (rva >= s.virtualAddress && rva - s.virtualAddress < s.virtualSize) return &s;
  }
  // The walk would have gone on into headers beyond the view.
  if (truncated_) view_->Fault();
  return nullptr;
}

std::optional<uint64_t> SectionMap::ToOffset(uint64_t rva) const {
  const Section* s = Holding(rva);
  if (!s) return std::nullopt;
  return rva - s->virtualAddress + s->pointerToRawData;
}

const SectionMap::Section* SectionMap::Named(std::string_view name) const {
  if (!loaded_) Load();
  for (const Section& s : sections_) {
    if (std::string_view(s.name, strnlen(s.name, sizeof s.name)) == name) return &s;
  }
  return nullptr;
}

bool RvaToFileOffset(const uint8_t* buffer, size_t size, uint64_t rva, uint32_t& fileOffset) {
  ImageView view(buffer, size);
  std::optional<uint16_t> mz = view.TryRead<uint16_t>(0);
  std::optional<uint32_t> lfanew = view.TryRead<uint32_t>(pe::kLfanewOffset);
  std::optional<uint32_t> signature =
      lfanew ? view.TryRead<uint32_t>(*lfanew) : std::nullopt;
  std::optional<uint16_t> sizeOfOptional =
      lfanew ? view.TryRead<uint16_t>(uint64_t{*lfanew} + pe::kNtSizeOfOptionalHeader)
             : std::nullopt;
  if (mz != pe::kSignatureMz || signature != pe::kSignaturePe || !sizeOfOptional) {
    SetLastError(ERROR_NOT_AN_IMAGE);
    return false;
  }
  if (rva == 0 || rva > 0xFFFFFFFFull) {
    SetLastError(ERROR_RVA_OUT_OF_RANGE);
    return false;
  }
  uint64_t nt = *lfanew;
  SectionMap sections;
  sections.Reset(view, nt + pe::kNtOptionalHeader + *sizeOfOptional,
                 view.TryRead<uint16_t>(nt + pe::kNtNumberOfSections).value_or(0));
  std::optional<uint64_t> offset = sections.ToOffset(rva);
  if (!offset) {
    SetLastError(ERROR_INVALID_ADDRESS);
    return false;
  }
  if (*offset > 0xFFFFFFFFull) {
    SetLastError(ERROR_INCORRECT_SIZE);
    return false;
  }
  fileOffset = static_cast<uint32_t>(*offset);
  SetLastError(ERROR_SUCCESS);
  return true;
}

}  // namespace tarnix

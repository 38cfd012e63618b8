#pragma once
// Translating relative virtual addresses (RVAs) to places in the file,
// through the image's section table.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "pe/image_view.h"

namespace tarnix {

// The section table of one image, read on first use. Reused from image to
// image so that reading many images allocates only when a table grows.
class SectionMap {
 public:
  // One section header as the lookups use it.
  struct Section {
    uint32_t virtualAddress;
    uint32_t virtualSize;
    uint32_t pointerToRawData;
    uint32_t sizeOfRawData;
    uint32_t characteristics;
    char name[8];  // not terminated when all eight are used
  };

  // Forgets the previous image; the table is read on the first lookup.
  void Reset(const ImageView& view, uint64_t tableOffset, uint16_t count);

  // The view offset of `rva` in the first section whose VirtualAddress <=
  // rva < VirtualAddress + VirtualSize: rva - VirtualAddress +
  // PointerToRawData. Nothing when no section holds it (addresses inside the
  // headers therefore do not map). The offset is not checked against the
  // view; reading through it is. A lookup that has to look at section
  // headers lying beyond the view faults the view.
  std::optional<uint64_t> ToOffset(uint64_t rva) const;

  // The section ToOffset finds `rva` in; null when none holds it.
  const Section* Holding(uint64_t rva) const;
  // The first section named `name` (".apiset"); null when there is none.
  const Section* Named(std::string_view name) const;

 private:
  void Load() const;

  const ImageView* view_ = nullptr;
  uint64_t tableOffset_ = 0;
  uint16_t count_ = 0;
  mutable bool loaded_ = false;
  mutable bool truncated_ = false;  // some headers lie beyond the view
  mutable std::vector<Section> sections_;
};

// The file offset of `rva` in the image held by `buffer` (the image
// information window's lookup). Fails with the last error set:
// ERROR_NOT_AN_IMAGE without "MZ" at the start and "PE\0\0" at e_lfanew,
// ERROR_RVA_OUT_OF_RANGE for an RVA of 0 or above 0xFFFFFFFF,
// ERROR_INVALID_ADDRESS when no section holds it, ERROR_INCORRECT_SIZE when
// the offset does not fit in 32 bits.
bool RvaToFileOffset(const uint8_t* buffer, size_t size, uint64_t rva, uint32_t& fileOffset);

}  // namespace tarnix

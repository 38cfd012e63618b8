#pragma once
// The headers of a mapped PE image as far as the resource readers need
// them: where the resource directory lies and how relative virtual
// addresses map to positions in the view. PE32 and PE32+ differ only in
// where the data directories start; that is settled once, here.
#include <cstdint>

#include "pe/bounded_view.h"

namespace tarnix {

class ResourceImage {
 public:
  enum class Status {
    kOk,
    kNotImage,      // too small, no "MZ", e_lfanew out of range, or no "PE\0\0"
    kBadMagic,      // optional header magic other than 0x10B and 0x20B
    kBadDirectory,  // the resource entry of the data directories lies outside the view
  };

  // Reads the headers of the image in `view`. The view must outlive this.
  Status Parse(BoundedView view);

  BoundedView view() const { return view_; }
  bool is64() const { return magic_ == 0x20B; }
  // The resource directory's RVA and size (both 0 when the image has none).
  uint32_t resourceRva() const { return resourceRva_; }
  uint32_t resourceSize() const { return resourceSize_; }
  bool hasResources() const { return resourceRva_ != 0 && resourceSize_ != 0; }

  // The view offset of `rva`: the first section with VirtualAddress <= rva <
  // VirtualAddress + VirtualSize holds it. False when no section does. The
  // result is not checked against the view; callers read through the view.
  bool MapRva(uint32_t rva, uint64_t& offset) const;

 private:
  BoundedView view_;
  uint16_t magic_ = 0;
  uint64_t sectionTable_ = 0;
  uint32_t sectionCount_ = 0;
  uint32_t resourceRva_ = 0;
  uint32_t resourceSize_ = 0;
};

}  // namespace tarnix

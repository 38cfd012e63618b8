#include "pe/resource_types.h"

#include <array>

#include "pe/image_properties.h"
#include "pe/pe_format.h"
#include "platform/win_errors.h"

namespace tarnix {
namespace {

class ResourceWalk {
 public:
  ResourceWalk(const ImageView& view, uint64_t base, uint64_t& bits)
      : view_(view), base_(base), bits_(bits) {}

  uint32_t WalkTypes() {
    uint32_t count = 0;
    if (uint32_t e = OpenDirectory(base_, count)) return e;
    ancestors_[0] = base_;
    for (uint32_t i = 0; i < count; ++i) {
      uint64_t entry = base_ + pe::kResDirectorySize + uint64_t{pe::kResEntrySize} * i;
      uint32_t name = *view_.TryRead<uint32_t>(entry);
      uint32_t data = *view_.TryRead<uint32_t>(entry + 4);
      uint64_t typeBit = 0;
      if (name & pe::kResHighBit) {
        uint64_t at = base_ + (name & ~pe::kResHighBit);
        std::optional<uint16_t> length = view_.TryRead<uint16_t>(at);
        if (!length || !view_.Contains(at + 2, uint64_t{*length} * 2)) return ERROR_INVALID_RESOURCE;
        typeBit = kResourceTypeOther;
      } else {
        uint32_t type = name & 0xFFFF;
        if (type == 0) return ERROR_INVALID_RESOURCE;
        typeBit = ResourceTypeBitOf(type);
      }
      if (uint32_t e = WalkEntry(data, 1, typeBit)) return e;
    }
    return ERROR_SUCCESS;
  }

 private:
  // The directory at `at` must lie whole inside the view.
  uint32_t OpenDirectory(uint64_t at, uint32_t& count) {
    if (!view_.Contains(at, pe::kResDirectorySize)) return ERROR_INVALID_DATA;
    count = uint32_t{*view_.TryRead<uint16_t>(at + pe::kResNumberOfNamedEntries)} +
            *view_.TryRead<uint16_t>(at + pe::kResNumberOfIdEntries);
    if (!view_.Contains(at + pe::kResDirectorySize, uint64_t{pe::kResEntrySize} * count))
      return ERROR_INVALID_DATA;
    if (count > kMaxResourceEntries - entries_) return ERROR_INVALID_DATA;
    entries_ += count;
    return ERROR_SUCCESS;
  }

  // One entry `depth` levels below the root: a data entry sets the type's
  // bit, a subdirectory is walked.
  uint32_t WalkEntry(uint32_t data, int depth, uint64_t typeBit) {
    if (!(data & pe::kResHighBit)) {
      bits_ |= typeBit;
      return ERROR_SUCCESS;
    }
    if (depth > kMaxResourceDepth) return ERROR_INVALID_DATA;
    uint64_t at = base_ + (data & ~pe::kResHighBit);
    for (int i = 0; i < depth; ++i)
      if (ancestors_[i] == at) return ERROR_INVALID_DATA;  // the tree loops
    uint32_t count = 0;
    if (uint32_t e = OpenDirectory(at, count)) return e;
    ancestors_[depth] = at;
    for (uint32_t i = 0; i < count; ++i) {
      uint64_t entry = at + pe::kResDirectorySize + uint64_t{pe::kResEntrySize} * i;
      if (uint32_t e = WalkEntry(*view_.TryRead<uint32_t>(entry + 4), depth + 1, typeBit))
        return e;
    }
    return ERROR_SUCCESS;
  }

  const ImageView& view_;
  uint64_t base_;
  uint64_t& bits_;
  uint32_t entries_ = 0;
  std::array<uint64_t, kMaxResourceDepth + 1> ancestors_{};
};

}  // namespace

uint32_t CollectResourceTypes(const ImageView& view, const SectionMap& sections, uint32_t rva,
                              uint64_t& bits) {
  std::optional<uint64_t> base = sections.ToOffset(rva);
  if (!base || *base >= view.size()) return ERROR_INVALID_DATA;
  return ResourceWalk(view, *base, bits).WalkTypes();
}

}  // namespace tarnix

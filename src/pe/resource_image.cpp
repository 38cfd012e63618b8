#include "pe/resource_image.h"

namespace tarnix {
namespace {

constexpr uint32_t kPeSignature = 0x00004550;  // "PE\0\0"
constexpr uint64_t kFileHeaderSize = 20;
constexpr uint64_t kSectionHeaderSize = 40;
constexpr uint32_t kResourceDirectoryIndex = 2;

}  // namespace

ResourceImage::Status ResourceImage::Parse(BoundedView view) {
  *this = ResourceImage();
  view_ = view;
  uint16_t mz = 0;
  uint32_t lfanew = 0, signature = 0;
  if (view.size() < 64 || !view.Read(0, mz) || mz != 0x5A4D || !view.Read(0x3C, lfanew) ||
      !view.Has(uint64_t{lfanew}, 264) || !view.Read(lfanew, signature) ||
      signature != kPeSignature)
    return Status::kNotImage;

  const uint64_t fileHeader = uint64_t{lfanew} + 4;
  const uint64_t optional = fileHeader + kFileHeaderSize;
  uint16_t sections = 0, optionalSize = 0;
  view.Read(fileHeader + 2, sections);
  view.Read(fileHeader + 16, optionalSize);
  view.Read(optional, magic_);

  uint64_t directories = 0;
  uint64_t countField = 0;
  if (magic_ == 0x10B) {
    directories = optional + 96;
    countField = optional + 92;
  } else if (magic_ == 0x20B) {
    directories = optional + 112;
    countField = optional + 108;
  } else {
    return Status::kBadMagic;
  }
  const uint64_t entry = directories + 8 * kResourceDirectoryIndex;
  if (!view.Has(entry, 8)) return Status::kBadDirectory;

  // A directory beyond NumberOfRvaAndSizes is not there, whatever the bytes
  // in its place say.
  uint32_t directoryCount = 0;
  view.Read(countField, directoryCount);
  if (directoryCount > kResourceDirectoryIndex) {
    view.Read(entry, resourceRva_);
    view.Read(entry + 4, resourceSize_);
  }
  sectionTable_ = optional + optionalSize;
  sectionCount_ = sections;
  return Status::kOk;
}

bool ResourceImage::MapRva(uint32_t rva, uint64_t& offset) const {
  for (uint32_t i = 0; i < sectionCount_; ++i) {
    const uint64_t header = sectionTable_ + i * kSectionHeaderSize;
    uint32_t virtualSize = 0, virtualAddress = 0, rawPointer = 0;
    if (!view_.Read(header + 8, virtualSize) || !view_.Read(header + 12, virtualAddress) ||
        !view_.Read(header + 20, rawPointer))
      return false;  // the section table runs out of the view
    if (virtualAddress <= rva && uint64_t{rva} < uint64_t{virtualAddress} + virtualSize) {
      offset = uint64_t{rva} - virtualAddress + rawPointer;
      return true;
    }
  }
  return false;
}

}  // namespace tarnix

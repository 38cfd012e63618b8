#pragma once
// Where the parts of a PE32 or PE32+ image's headers lie in the view, read
// once after the header checks have passed.
#include <cstdint>

#include "pe/image_view.h"
#include "pe/pe_format.h"

namespace tarnix {

struct DataDirectory {
  uint32_t rva = 0;
  uint32_t size = 0;
  bool present() const { return rva != 0 && size != 0; }
};

struct ImageHeaders {
  uint64_t ntOffset = 0;        // e_lfanew
  uint64_t optionalOffset = 0;  // the optional header
  bool pe64 = false;
  uint16_t numberOfSections = 0;
  uint64_t sectionTableOffset = 0;  // right after SizeOfOptionalHeader
  uint64_t dataDirectoryOffset = 0;
  uint32_t numberOfRvaAndSizes = 0;
  uint64_t imageBase = 0;

  // Fills the fields from the view; the NT headers are known to fit in it.
  void Load(const ImageView& view, uint64_t lfanew, uint16_t magic) {
    ntOffset = lfanew;
    optionalOffset = lfanew + pe::kNtOptionalHeader;
    pe64 = magic == pe::kMagicPe64;
    numberOfSections = view.Read<uint16_t>(lfanew + pe::kNtNumberOfSections).value_or(0);
    sectionTableOffset =
        optionalOffset + view.Read<uint16_t>(lfanew + pe::kNtSizeOfOptionalHeader).value_or(0);
    if (pe64)
      LoadWidth<pe::Pe64>(view);
    else
      LoadWidth<pe::Pe32>(view);
  }

  // Data directory `index` at its fixed place (index below 16).
  DataDirectory Directory(const ImageView& view, uint32_t index) const {
    uint64_t at = dataDirectoryOffset + 8ull * index;
    return {view.Read<uint32_t>(at).value_or(0), view.Read<uint32_t>(at + 4).value_or(0)};
  }

 private:
  template <class W>
  void LoadWidth(const ImageView& view) {
    dataDirectoryOffset = optionalOffset + W::kOptDataDirectories;
    numberOfRvaAndSizes = view.Read<uint32_t>(optionalOffset + W::kOptNumberOfRvaAndSizes).value_or(0);
    imageBase = view.Read<typename W::Address>(optionalOffset + W::kOptImageBase).value_or(0);
  }
};

}  // namespace tarnix

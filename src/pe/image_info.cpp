#include "pe/image_info.h"

#include <algorithm>

#include "core/error_text.h"
#include "core/wformat.h"
#include "pe/resource_types.h"
#include "pe/symbol_sink.h"
#include "platform/text_encoding.h"
#include "platform/win_errors.h"

namespace tarnix {

void ImageInfo::EnsureSubsystem() {
  if (props_.computed & kComputedSubsystem) return;
  props_.subsystemBit =
      SubsystemBitOf(view_.Read<uint16_t>(headers_.optionalOffset + pe::kOptSubsystem).value_or(0));
  props_.computed |= kComputedSubsystem;
}

void ImageInfo::EnsureCharacteristics(bool derived) {
  if (props_.computed & kComputedCharacteristics) return;
  if (!headerCharacteristics_) {
    props_.characteristics = CharacteristicBitsOf(
        view_.Read<uint16_t>(headers_.ntOffset + pe::kNtCharacteristics).value_or(0),
        view_.Read<uint16_t>(headers_.optionalOffset + pe::kOptDllCharacteristics).value_or(0));
    headerCharacteristics_ = true;
  }
  if (!derived) return;
  if (HasDelayLoadVc6()) props_.characteristics |= kCharDelayLoadVc6;
  if (HasSecurityCookie()) props_.characteristics |= kCharBufferSecurityChecks;
  props_.computed |= kComputedCharacteristics;
}

void ImageInfo::EnsureDirectories(bool resources) {
  if (props_.computed & kComputedDirectories) return;
  if (!headerDirectories_) {
    uint64_t bits = 0;
    uint32_t count = std::min(headers_.numberOfRvaAndSizes, pe::kDataDirectoryCount);
    for (uint32_t i = 0; i < count; ++i)
      if (Directory(i).present()) bits |= DirectoryBitOf(i);
    props_.directories = bits;
    headerDirectories_ = true;
  }
  if (!resources) return;
  CollectResources();
  props_.computed |= kComputedDirectories;
}

// The old (address-based) delay-load format of Visual C++ 6: the first
// descriptor has an import address table and no attributes.
bool ImageInfo::HasDelayLoadVc6() const {
  DataDirectory dir = Directory(pe::kDirDelayImport);
  if (!dir.present()) return false;
  std::optional<uint64_t> at = sections_.ToOffset(dir.rva);
  if (!at) return false;
  return view_.Read<uint32_t>(*at + pe::kDelayImportAddressTable).value_or(0) != 0 &&
         view_.Read<uint32_t>(*at + pe::kDelayAttributes).value_or(1) == 0;
}

bool ImageInfo::HasSecurityCookie() const {
  return headers_.pe64 ? HasSecurityCookieOf<pe::Pe64>() : HasSecurityCookieOf<pe::Pe32>();
}

// Buffer overrun checks (/GS) leave a non-zero security cookie address in the
// load configuration; a structure too small to hold the field has none.
template <class W>
bool ImageInfo::HasSecurityCookieOf() const {
  DataDirectory dir = Directory(pe::kDirLoadConfig);
  if (!dir.present() || dir.size < W::kLoadConfigMinSize) return false;
  std::optional<uint64_t> at = sections_.ToOffset(dir.rva);
  if (!at) return false;
  std::optional<uint32_t> size = view_.Read<uint32_t>(*at);
  if (!size || *size < W::kLoadConfigMinSize) return false;
  return view_.Read<typename W::Address>(*at + W::kLoadConfigSecurityCookie).value_or(0) != 0;
}

void ImageInfo::CollectResources() {
  if (resources_) return;
  resources_ = true;
  props_.directories &= ~kDirResourceTypeBits;
  if (!(props_.directories & kDirResources)) return;
  uint32_t error = ERROR_INVALID_BLOCK;
  if (view_.Contains(headers_.dataDirectoryOffset + 8ull * pe::kDirResource, 8))
    error = CollectResourceTypes(view_, sections_, Directory(pe::kDirResource).rva,
                                 props_.directories);
  if (error == ERROR_SUCCESS) return;
  sink_.Status(WFormat(L"ERROR: Failed to parse resources in file: \"%ls\". (%ls) %ls",
                       FromUtf8(path_).c_str(), ErrorCodeToText(error).c_str(),
                       ErrorDescription(error).c_str()));
}

}  // namespace tarnix

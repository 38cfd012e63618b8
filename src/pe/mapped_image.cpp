#include "pe/mapped_image.h"

#include "pe/image_properties.h"
#include "pe/pe_format.h"
#include "platform/last_error.h"
#include "platform/win_errors.h"

namespace tarnix {

bool MappedImage::Open(const std::string& path) {
  if (!file_.Open(path, 64, 0xFFFFFFFFull)) return false;  // the last error is set
  data_ = file_.data();
  size_ = file_.viewSize();
  fileSize_ = file_.fileSize();
  return Check();
}

bool MappedImage::OpenMemory(const uint8_t* data, size_t size) {
  file_.Close();
  data_ = data;
  size_ = size;
  fileSize_ = size;
  return Check();
}

bool MappedImage::Check() {
  view_.emplace(data_, size_);
  const ImageView& view = *view_;
  // The same header checks as the search's reader: no "MZ" is required.
  std::optional<uint32_t> lfanew = view.TryRead<uint32_t>(pe::kLfanewOffset);
  uint16_t magic = 0;
  if (lfanew && uint64_t{*lfanew} + pe::kMinNtHeadersSize <= size_ &&
      view.TryRead<uint32_t>(*lfanew) == pe::kSignaturePe)
    magic = view.TryRead<uint16_t>(uint64_t{*lfanew} + pe::kNtOptionalHeader).value_or(0);
  if (magic != pe::kMagicPe32 && magic != pe::kMagicPe64) {
    SetLastError(ERROR_BAD_EXE_FORMAT);
    return false;
  }
  headers_.Load(view, *lfanew, magic);
  sections_.Reset(view, headers_.sectionTableOffset, headers_.numberOfSections);
  SetLastError(ERROR_SUCCESS);
  return true;
}

uint32_t MappedImage::imageType() const { return headers_.pe64 ? kImageType64 : kImageType32; }

// At its fixed place, as the search's walks read it, so that whatever a
// search listed can be looked up here.
DataDirectory MappedImage::Directory(uint32_t index) const {
  if (index >= pe::kDataDirectoryCount) return {};
  const uint64_t at = headers_.dataDirectoryOffset + 8ull * index;
  return {view_->TryRead<uint32_t>(at).value_or(0), view_->TryRead<uint32_t>(at + 4).value_or(0)};
}

}  // namespace tarnix

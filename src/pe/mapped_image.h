#pragma once
// A PE32 or PE32+ image opened for lookups rather than a walk: its headers,
// its section table and, through export_lookup.h, its exports. The image
// information window and the module resolver read images this way. Reads
// go through the view's bounds checks; callers that map a file keep a
// FaultGuard over data()/size() while they read.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "pe/image_headers.h"
#include "pe/image_view.h"
#include "pe/rva.h"
#include "platform/mapped_file.h"

namespace tarnix {

class MappedImage {
 public:
  MappedImage() = default;
  MappedImage(const MappedImage&) = delete;
  MappedImage& operator=(const MappedImage&) = delete;

  // Maps the file at `path` (UTF-8) read-only and checks its headers. False
  // with the last error: the platform's error when the file cannot be
  // mapped, ERROR_FILE_TOO_SMALL or ERROR_FILE_TOO_LARGE for its size, and
  // ERROR_BAD_EXE_FORMAT when it is no PE32 or PE32+ image (ROM images
  // included: they have nothing to look up).
  bool Open(const std::string& path);
  // The same over bytes in memory that outlive this object.
  bool OpenMemory(const uint8_t* data, size_t size);

  const uint8_t* data() const { return data_; }
  // The view's size (a mapped file's rounded up to the page size), and the
  // bytes of it that the file holds.
  size_t size() const { return size_; }
  uint64_t fileSize() const { return fileSize_; }
  const ImageView& view() const { return *view_; }
  const ImageHeaders& headers() const { return headers_; }
  const SectionMap& sections() const { return sections_; }
  // kImageType32 or kImageType64.
  uint32_t imageType() const;
  // Data directory `index` (below 16); zeros when it lies outside the view.
  DataDirectory Directory(uint32_t index) const;

 private:
  bool Check();

  MappedFile file_;
  const uint8_t* data_ = nullptr;
  size_t size_ = 0;
  uint64_t fileSize_ = 0;
  std::optional<ImageView> view_;
  ImageHeaders headers_;
  SectionMap sections_;
};

}  // namespace tarnix

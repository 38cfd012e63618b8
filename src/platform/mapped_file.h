#pragma once
// A read-only memory view of a whole file.
#include <cstddef>
#include <cstdint>
#include <string>

namespace tarnix {

class MappedFile {
 public:
  // The step at which opening failed.
  enum class Step { None, Open, Size, TooSmall, TooLarge, Map, Region };

  MappedFile() = default;
  ~MappedFile();
  MappedFile(MappedFile&& other) noexcept;
  MappedFile& operator=(MappedFile&& other) noexcept;
  MappedFile(const MappedFile&) = delete;
  MappedFile& operator=(const MappedFile&) = delete;

  // Opens `path` (UTF-8) read-only and maps all of it. Files of `minSize`
  // bytes or fewer fail at Step::TooSmall (ERROR_FILE_TOO_SMALL), files above
  // `maxSize` at Step::TooLarge (ERROR_FILE_TOO_LARGE). On failure the last
  // error holds the cause and failedStep() the step.
  bool Open(const std::string& path, uint64_t minSize = 0,
            uint64_t maxSize = UINT64_MAX);
  void Close();

  const uint8_t* data() const { return data_; }
  // The file's size in bytes.
  uint64_t fileSize() const { return fileSize_; }
  // The mapped length: the file size rounded up to the page size. Bytes
  // between the end of the file and the end of the view read as zero.
  size_t viewSize() const { return viewSize_; }
  Step failedStep() const { return step_; }

 private:
  const uint8_t* data_ = nullptr;
  uint64_t fileSize_ = 0;
  size_t viewSize_ = 0;
  Step step_ = Step::None;
};

}  // namespace tarnix

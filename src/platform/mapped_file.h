#pragma once
// A read-only memory view of a whole file.
#include <cstddef>
#include <cstdint>
#include <string>

namespace tarnix {

// What tells one version of a file from another without reading it: a
// change to its bytes moves the change time even when the modification time
// is set back.
struct FileIdentity {
  uint64_t device = 0;
  uint64_t inode = 0;
  uint64_t size = 0;
  int64_t modifiedNs = 0;
  int64_t changedNs = 0;

  bool operator==(const FileIdentity&) const = default;
};

// The identity of the file `path` (UTF-8) names, following links as
// opening it does. False with the last error set when it cannot be had.
bool IdentityOfFile(const std::string& path, FileIdentity& id);

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
  // The identity of the open file, as it was when it was mapped.
  const FileIdentity& identity() const { return identity_; }

 private:
  const uint8_t* data_ = nullptr;
  uint64_t fileSize_ = 0;
  size_t viewSize_ = 0;
  Step step_ = Step::None;
  FileIdentity identity_;
};

}  // namespace tarnix

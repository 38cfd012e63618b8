#include "platform/mapped_file.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <utility>

#include "platform/errno_map.h"
#include "platform/last_error.h"
#include "platform/win_errors.h"

namespace tarnix {
namespace {

FileIdentity IdentityOf(const struct stat& st) {
  FileIdentity id;
  id.device = static_cast<uint64_t>(st.st_dev);
  id.inode = static_cast<uint64_t>(st.st_ino);
  id.size = static_cast<uint64_t>(st.st_size);
  id.modifiedNs = static_cast<int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
  id.changedNs = static_cast<int64_t>(st.st_ctim.tv_sec) * 1000000000 + st.st_ctim.tv_nsec;
  return id;
}

}  // namespace

bool IdentityOfFile(const std::string& path, FileIdentity& id) {
  struct stat st;
  if (stat(path.c_str(), &st) != 0) {
    SetLastErrorFromErrno();
    return false;
  }
  id = IdentityOf(st);
  return true;
}

MappedFile::~MappedFile() { Close(); }

MappedFile::MappedFile(MappedFile&& other) noexcept
    : data_(std::exchange(other.data_, nullptr)),
      fileSize_(std::exchange(other.fileSize_, 0)),
      viewSize_(std::exchange(other.viewSize_, 0)),
      step_(other.step_),
      identity_(other.identity_) {}

MappedFile& MappedFile::operator=(MappedFile&& other) noexcept {
  if (this != &other) {
    Close();
    data_ = std::exchange(other.data_, nullptr);
    fileSize_ = std::exchange(other.fileSize_, 0);
    viewSize_ = std::exchange(other.viewSize_, 0);
    step_ = other.step_;
    identity_ = other.identity_;
  }
  return *this;
}

void MappedFile::Close() {
  if (data_) munmap(const_cast<uint8_t*>(data_), viewSize_);
  data_ = nullptr;
  fileSize_ = 0;
  viewSize_ = 0;
}

bool MappedFile::Open(const std::string& path, uint64_t minSize,
                      uint64_t maxSize) {
  Close();
  step_ = Step::Open;
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
  if (fd < 0) {
    SetLastErrorFromErrno();
    return false;
  }
  struct stat st;
  if (fstat(fd, &st) != 0) {
    step_ = Step::Size;
    SetLastErrorFromErrno();
    ::close(fd);
    return false;
  }
  // Only regular files can be mapped; a folder, device or pipe is refused as
  // the platform refuses to open it as a file.
  if (!S_ISREG(st.st_mode)) {
    SetLastError(S_ISDIR(st.st_mode) ? ERROR_ACCESS_DENIED : ERROR_INVALID_FUNCTION);
    ::close(fd);
    return false;
  }
  step_ = Step::Size;
  identity_ = IdentityOf(st);
  uint64_t size = static_cast<uint64_t>(st.st_size);
  if (size <= minSize) {
    step_ = Step::TooSmall;
    SetLastError(ERROR_FILE_TOO_SMALL);
    ::close(fd);
    return false;
  }
  if (size > maxSize) {
    step_ = Step::TooLarge;
    SetLastError(ERROR_FILE_TOO_LARGE);
    ::close(fd);
    return false;
  }
  if (size == 0) {  // nothing to map: an empty view
    ::close(fd);
    step_ = Step::None;
    SetLastError(ERROR_SUCCESS);
    return true;
  }
  step_ = Step::Map;
  long page = sysconf(_SC_PAGESIZE);
  size_t pageSize = page > 0 ? static_cast<size_t>(page) : 4096;
  size_t view = static_cast<size_t>((size + pageSize - 1) / pageSize * pageSize);
  void* p = mmap(nullptr, view, PROT_READ, MAP_PRIVATE, fd, 0);
  int savedErrno = errno;
  ::close(fd);
  if (p == MAP_FAILED) {
    errno = savedErrno;
    SetLastErrorFromErrno();
    return false;
  }
  data_ = static_cast<const uint8_t*>(p);
  fileSize_ = size;
  viewSize_ = view;
  step_ = Step::None;
  SetLastError(ERROR_SUCCESS);
  return true;
}

}  // namespace tarnix

#include "platform/file_output.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/errno_map.h"
#include "platform/last_error.h"
#include "platform/win_errors.h"

namespace tarnix {

bool WriteAll(int fd, const void* data, size_t size) {
  const char* p = static_cast<const char*>(data);
  while (size) {
    const ssize_t n = ::write(fd, p, size);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      SetLastErrorFromErrno();
      return false;
    }
    if (n == 0) {
      SetLastError(ERROR_WRITE_FAULT);
      return false;
    }
    p += n;
    size -= static_cast<size_t>(n);
  }
  return true;
}

FileOutput::~FileOutput() {
  if (fd_ >= 0) Discard();
}

bool FileOutput::Create(const std::string& path, size_t bufferSize) {
  if (fd_ >= 0) Discard();
  fd_ = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd_ < 0) {
    SetLastError(errno == ENOENT ? ERROR_PATH_NOT_FOUND : Win32FromErrno(errno));
    return false;
  }
  struct stat st {};
  regular_ = ::fstat(fd_, &st) == 0 && S_ISREG(st.st_mode);
  dev_ = st.st_dev;
  ino_ = st.st_ino;
  path_ = path;
  capacity_ = bufferSize ? bufferSize : 1;
  buffer_.clear();
  buffer_.reserve(capacity_);
  return true;
}

bool FileOutput::Flush() {
  if (!WriteAll(fd_, buffer_.data(), buffer_.size())) return false;
  buffer_.clear();
  return true;
}

bool FileOutput::Write(const void* data, size_t size) {
  if (fd_ < 0) {
    SetLastError(ERROR_INVALID_HANDLE);
    return false;
  }
  const char* p = static_cast<const char*>(data);
  while (size > 0) {
    size_t room = capacity_ - buffer_.size();
    size_t take = size < room ? size : room;
    buffer_.append(p, take);
    p += take;
    size -= take;
    if (buffer_.size() == capacity_ && !Flush()) {
      Discard();
      return false;
    }
  }
  return true;
}

bool FileOutput::Commit() {
  if (fd_ < 0) {
    SetLastError(ERROR_INVALID_HANDLE);
    return false;
  }
  if (!Flush()) {
    Discard();
    return false;
  }
  if (::close(fd_) != 0) {
    fd_ = -1;
    uint32_t err = SetLastErrorFromErrno();
    RemoveOwnFile();
    SetLastError(err);
    return false;
  }
  fd_ = -1;
  SetLastError(ERROR_SUCCESS);
  return true;
}

void FileOutput::Discard() {
  LastErrorKeeper keep;
  if (fd_ >= 0) {
    ::close(fd_);
    fd_ = -1;
    RemoveOwnFile();
  }
  buffer_.clear();
}

void FileOutput::RemoveOwnFile() const {
  struct stat st {};
  if (regular_ && ::stat(path_.c_str(), &st) == 0 && st.st_dev == dev_ && st.st_ino == ino_)
    ::unlink(path_.c_str());
}

}  // namespace tarnix

#include "platform/file_output.h"

#include <fcntl.h>
#include <limits.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>

#include "platform/errno_map.h"
#include "platform/last_error.h"
#include "platform/win_errors.h"

namespace tarnix {
namespace {

std::atomic<int64_t> g_failAfter{-1};
std::atomic<uint32_t> g_failError{0};

std::string FolderOf(const std::string& path) {
  const std::string::size_type slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::string NameOf(const std::string& path) {
  const std::string::size_type slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The path of the file a symbolic link leads to (the link itself when it
// leads nowhere yet), so that writing through a link keeps the link.
std::string ResolvedTarget(const std::string& path) {
  std::string p = path;
  for (int depth = 0; depth < 40; ++depth) {
    struct stat st {};
    if (::lstat(p.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return p;
    char buf[PATH_MAX];
    const ssize_t n = ::readlink(p.c_str(), buf, sizeof buf - 1);
    if (n <= 0) return p;
    std::string next(buf, static_cast<size_t>(n));
    p = next[0] == '/' ? next : FolderOf(p) + "/" + next;
  }
  return p;
}

uint32_t OpenError(int err) { return err == ENOENT || err == ENOTDIR ? ERROR_PATH_NOT_FOUND : Win32FromErrno(err); }

}  // namespace

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

void FileOutput::FailWritesAfterForTesting(int64_t bytes, uint32_t error) {
  g_failError = error;
  g_failAfter = bytes;
}

FileOutput::~FileOutput() {
  if (fd_ >= 0) Discard();
}

bool FileOutput::Create(const std::string& path, size_t bufferSize) {
  if (fd_ >= 0) Discard();
  if (path.empty()) {
    SetLastError(ERROR_PATH_NOT_FOUND);
    return false;
  }
  target_ = ResolvedTarget(path);
  temp_.clear();
  struct stat st {};
  const bool exists = ::stat(target_.c_str(), &st) == 0;
  // A folder, or a file the user may not write, is not replaced (renaming
  // over it would succeed where writing to it is refused). A file without
  // any write permission is read-only even for root, as the read-only
  // attribute is for an administrator.
  const bool readOnly = S_ISREG(st.st_mode) && !(st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH));
  if (exists && (S_ISDIR(st.st_mode) || readOnly || ::access(target_.c_str(), W_OK) != 0)) {
    SetLastError(ERROR_ACCESS_DENIED);
    return false;
  }
  if (exists && !S_ISREG(st.st_mode)) {
    // A device or a FIFO: written where it is. A FIFO nobody reads from
    // would block the open forever; refuse it instead.
    fd_ = ::open(target_.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd_ < 0) {
      SetLastError(errno == ENXIO ? ERROR_PIPE_NOT_CONNECTED : OpenError(errno));
      return false;
    }
    const int flags = ::fcntl(fd_, F_GETFL);
    if (flags >= 0) ::fcntl(fd_, F_SETFL, flags & ~O_NONBLOCK);
  } else {
    std::string temp = FolderOf(target_) + "/." + NameOf(target_) + ".XXXXXX";
    fd_ = ::mkostemp(temp.data(), O_CLOEXEC);
    if (fd_ < 0) {
      SetLastError(OpenError(errno));
      return false;
    }
    temp_ = temp;
    // The new file gets the old one's permissions, or those a newly
    // created file would get.
    mode_t mode = st.st_mode & 07777;
    if (!exists) {
      const mode_t mask = ::umask(0);
      ::umask(mask);
      mode = 0666 & ~mask;
    }
    ::fchmod(fd_, mode);
  }
  capacity_ = bufferSize ? bufferSize : 1;
  written_ = 0;
  buffer_.clear();
  buffer_.reserve(capacity_ < (1u << 20) ? capacity_ : (1u << 20));
  return true;
}

bool FileOutput::Flush() {
  const int64_t failAfter = g_failAfter.load();
  if (failAfter >= 0 && written_ + buffer_.size() > static_cast<uint64_t>(failAfter)) {
    SetLastError(g_failError.load());
    return false;
  }
  if (!WriteAll(fd_, buffer_.data(), buffer_.size())) return false;
  written_ += buffer_.size();
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
    const size_t room = capacity_ - buffer_.size();
    const size_t take = size < room ? size : room;
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
  if (!temp_.empty() && ::fsync(fd_) != 0) {
    SetLastErrorFromErrno();
    Discard();
    return false;
  }
  const int fd = fd_;
  fd_ = -1;
  if (::close(fd) != 0) {
    const uint32_t err = SetLastErrorFromErrno();
    if (!temp_.empty()) ::unlink(temp_.c_str());
    SetLastError(err);
    return false;
  }
  if (!temp_.empty()) {
    if (::rename(temp_.c_str(), target_.c_str()) != 0) {
      const uint32_t err = SetLastErrorFromErrno();
      ::unlink(temp_.c_str());
      SetLastError(err);
      return false;
    }
    const int dir = ::open(FolderOf(target_).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
      ::fsync(dir);
      ::close(dir);
    }
  }
  buffer_.clear();
  SetLastError(ERROR_SUCCESS);
  return true;
}

void FileOutput::Discard() {
  LastErrorKeeper keep;
  if (fd_ >= 0) {
    ::close(fd_);
    fd_ = -1;
    if (!temp_.empty()) ::unlink(temp_.c_str());
  }
  buffer_.clear();
}

}  // namespace tarnix

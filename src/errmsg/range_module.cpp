#include "errmsg/range_module.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>

#include "platform/last_error.h"
#include "platform/text_encoding.h"
#include "platform/win_errors.h"
#include "platform/windows_root.h"

namespace tarnix {
namespace {

bool Fail(uint32_t error) {
  SetLastError(error);
  return false;
}

class Fd {
 public:
  explicit Fd(int fd) : fd_(fd) {}
  ~Fd() {
    if (fd_ >= 0) ::close(fd_);
  }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  int get() const { return fd_; }

 private:
  int fd_;
};

bool ReadAt(int fd, off_t offset, void* buf, size_t size) {
  return ::pread(fd, buf, size, offset) == static_cast<ssize_t>(size);
}

}  // namespace

bool IsBareModuleName(std::wstring_view name) {
  if (name.find_first_of(L"/\\") != std::wstring_view::npos) return false;
  return !(name.size() >= 2 && name[1] == L':');  // "C:name" is drive-relative
}

bool IsAbsoluteModulePath(std::wstring_view path) { return !path.empty() && path[0] == L'/'; }

bool ResolveRangeModule(const ErrorRange& r, const std::filesystem::path& systemDir,
                        std::filesystem::path& file) {
  switch (RangeModuleKind(r)) {
    case kRangeModuleSystem: {
      if (!IsBareModuleName(r.libraryName)) return Fail(ERROR_BAD_PATH_ITEM);
      if (r.libraryName.empty()) return Fail(ERROR_MOD_NOT_FOUND);
      file = ResolveWindowsPath(systemDir, r.libraryName);
      if (!file.empty()) return true;
      return Fail(ERROR_MOD_NOT_FOUND);
    }
    case kRangeModuleAbsolute:
      if (!IsAbsoluteModulePath(r.libraryName)) return Fail(ERROR_NOT_ABSOLUTE_PATH);
      file = std::filesystem::path(ToUtf8(r.libraryName));
      return true;
    default:
      return Fail(ERROR_INVALID_FLAGS);
  }
}

bool CheckModuleFile(const std::filesystem::path& file) {
  Fd fd(::open(file.c_str(), O_RDONLY | O_CLOEXEC));
  if (fd.get() < 0) return Fail(errno == ENOENT || errno == ENOTDIR ? ERROR_MOD_NOT_FOUND
                                                                     : ERROR_ACCESS_DENIED);
  struct stat st;
  if (::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) return Fail(ERROR_ACCESS_DENIED);
  uint8_t mz[2], lfanew[4], pe[4];
  if (!ReadAt(fd.get(), 0, mz, 2) || mz[0] != 'M' || mz[1] != 'Z' ||
      !ReadAt(fd.get(), 0x3C, lfanew, 4))
    return Fail(ERROR_BAD_EXE_FORMAT);
  const uint32_t at = uint32_t(lfanew[0]) | uint32_t(lfanew[1]) << 8 |
                      uint32_t(lfanew[2]) << 16 | uint32_t(lfanew[3]) << 24;
  if (!ReadAt(fd.get(), off_t(at), pe, 4) || pe[0] != 'P' || pe[1] != 'E' || pe[2] != 0 ||
      pe[3] != 0)
    return Fail(ERROR_BAD_EXE_FORMAT);
  return true;
}

}  // namespace tarnix

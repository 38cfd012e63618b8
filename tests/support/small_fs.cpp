#include "support/small_fs.h"

#include <fcntl.h>
#include <stdlib.h>
#include <sys/mount.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

namespace tarnix::test {

SmallFileSystem::SmallFileSystem(size_t bytes) {
  std::string templ = (std::filesystem::temp_directory_path() / "tarnix-fs-XXXXXX").string();
  if (!mkdtemp(templ.data())) {
    reason_ = "mkdtemp failed";
    return;
  }
  path_ = templ;
  options_ = "size=" + std::to_string(bytes) + ",mode=0755";
  if (::mount("tmpfs", path_.c_str(), "tmpfs", MS_NOSUID | MS_NODEV, options_.c_str()) != 0) {
    reason_ = std::string("cannot mount a small file system here: ") + std::strerror(errno);
    return;
  }
  mounted_ = true;
}

SmallFileSystem::~SmallFileSystem() {
  if (mounted_) ::umount2(path_.c_str(), MNT_DETACH);
  if (!path_.empty()) ::rmdir(path_.c_str());
}

bool SmallFileSystem::SetReadOnly(bool readOnly) {
  unsigned long flags = MS_REMOUNT | MS_NOSUID | MS_NODEV | (readOnly ? MS_RDONLY : 0);
  return ::mount("tmpfs", path_.c_str(), "tmpfs", flags, options_.c_str()) == 0;
}

void SmallFileSystem::Fill() const {
  const int fd = ::open((path_ / "filler").c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
  if (fd < 0) return;
  std::vector<char> block(4096, 'f');
  for (size_t size = block.size(); size > 0;) {
    if (::write(fd, block.data(), size) < 0) {
      if (errno != ENOSPC) break;
      size /= 2;  // fill the last partial page too
    }
  }
  ::close(fd);
}

}  // namespace tarnix::test

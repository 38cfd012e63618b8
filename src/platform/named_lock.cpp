#include "platform/named_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <map>
#include <mutex>
#include <thread>

#include "platform/errno_map.h"
#include "platform/last_error.h"
#include "platform/sqlite_db.h"
#include "platform/win_errors.h"

namespace tarnix {
namespace {

// Locks this process holds: the owning thread, how often it took the lock
// and the descriptor whose open file description carries the flock().
struct Held {
  std::thread::id owner;
  pid_t ownerTid = 0;  // the kernel's id of the owning thread
  int count = 0;
  int fd = -1;
};

// True while the thread `tid` of this process runs. A lock whose owning
// thread ended is abandoned and, as an abandoned mutex, counts as taken by
// the next thread that waits for it.
bool ThreadAlive(pid_t tid) {
  return syscall(SYS_tgkill, getpid(), tid, 0) == 0 || errno != ESRCH;
}
std::mutex g_heldMutex;
std::map<std::string, Held>& HeldLocks() {
  static auto* held = new std::map<std::string, Held>;
  return *held;
}

std::string LockFolder() {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  if (runtime && runtime[0] == '/') return std::string(runtime) + "/Tarnix";
  const char* tmp = std::getenv("TMPDIR");
  std::string base = tmp && tmp[0] == '/' ? tmp : "/tmp";
  return base + "/Tarnix-" + std::to_string(getuid());
}

}  // namespace

NamedLock::NamedLock(std::string_view name) : name_(name) {}

NamedLock::~NamedLock() {
  while (depth_ > 0) Release();
}

std::string NamedLock::LockPath(std::string_view name) {
  std::string file;
  for (char c : name) file += (c == '/' || c == '\\') ? '_' : c;
  return LockFolder() + "/" + file + ".lock";
}

bool NamedLock::Acquire(uint32_t timeoutMs) {
  const std::string path = depth_ > 0 ? path_ : LockPath(name_);
  {
    std::lock_guard<std::mutex> lock(g_heldMutex);
    auto it = HeldLocks().find(path);
    if (it != HeldLocks().end() && it->second.owner == std::this_thread::get_id()) {
      ++it->second.count;
      path_ = path;
      ++depth_;
      return true;
    }
    if (it != HeldLocks().end() && !ThreadAlive(it->second.ownerTid)) {
      it->second.owner = std::this_thread::get_id();
      it->second.ownerTid = static_cast<pid_t>(syscall(SYS_gettid));
      it->second.count = 1;
      path_ = path;
      ++depth_;
      return true;
    }
  }
  std::string::size_type slash = path.rfind('/');
  const std::string folder = path.substr(0, slash);
  if (!MakeFolders(folder)) return false;
  // The folder may be under the shared temp folder: it must be this user's
  // own, or another user could hold every lock of this one.
  struct stat st {};
  if (lstat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != getuid() ||
      (st.st_mode & (S_IWGRP | S_IWOTH))) {
    SetLastError(ERROR_ACCESS_DENIED);
    return false;
  }
  int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (fd < 0) {
    SetLastErrorFromErrno();
    return false;
  }
  // flock() has no timeout: poll, with short steps first.
  const auto start = std::chrono::steady_clock::now();
  auto step = std::chrono::milliseconds(1);
  for (;;) {
    if (flock(fd, LOCK_EX | LOCK_NB) == 0) break;
    if (errno != EWOULDBLOCK && errno != EINTR) {
      SetLastErrorFromErrno();
      close(fd);
      return false;
    }
    auto elapsed = std::chrono::steady_clock::now() - start;
    if (elapsed >= std::chrono::milliseconds(timeoutMs)) {
      close(fd);
      SetLastError(ERROR_TIMEOUT);
      return false;
    }
    auto left = std::chrono::milliseconds(timeoutMs) -
                std::chrono::duration_cast<std::chrono::milliseconds>(elapsed);
    std::this_thread::sleep_for(std::min(step, left));
    if (step < std::chrono::milliseconds(10)) step *= 2;
  }
  std::lock_guard<std::mutex> lock(g_heldMutex);
  Held& h = HeldLocks()[path];
  h.owner = std::this_thread::get_id();
  h.ownerTid = static_cast<pid_t>(syscall(SYS_gettid));
  h.count = 1;
  h.fd = fd;
  path_ = path;
  ++depth_;
  return true;
}

void NamedLock::Release() {
  if (depth_ <= 0) return;
  --depth_;
  std::lock_guard<std::mutex> lock(g_heldMutex);
  auto it = HeldLocks().find(path_);
  if (it == HeldLocks().end() || it->second.owner != std::this_thread::get_id()) return;
  if (--it->second.count > 0) return;
  flock(it->second.fd, LOCK_UN);
  close(it->second.fd);
  HeldLocks().erase(it);
}

}  // namespace tarnix

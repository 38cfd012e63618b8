#pragma once
// Named locks shared by every process of the user (the platform's named
// mutexes): advisory file locks on $XDG_RUNTIME_DIR/Tarnix/<name>.lock, or
// below the temp folder when there is no runtime folder. A lock whose holder
// died is free again (an abandoned mutex counts as taken). Two threads of one
// process exclude each other too; the thread that holds a lock may take it
// again (it is released when every acquisition has been released).
#include <cstdint>
#include <string>
#include <string_view>

namespace tarnix {

// The guard of the error code search presets.
inline constexpr char kErrCodePresetsLockName[] = "551E50D3-F73D-4069-BDA1-143561F99764";
// The guard of the error message search presets and ranges.
inline constexpr char kErrMsgPresetsLockName[] = "3A78BFD8-E7D3-459B-B9EF-359766BF5A4A";

class NamedLock {
 public:
  explicit NamedLock(std::string_view name);
  ~NamedLock();
  NamedLock(const NamedLock&) = delete;
  NamedLock& operator=(const NamedLock&) = delete;

  // Waits up to `timeoutMs` for the lock. False with the last error set:
  // ERROR_TIMEOUT when the wait ran out, another code when the lock file
  // can't be opened.
  bool Acquire(uint32_t timeoutMs);
  // Releases one acquisition made by this object.
  void Release();
  bool held() const { return depth_ > 0; }

  // The file that carries the lock of `name`.
  static std::string LockPath(std::string_view name);

 private:
  std::string name_;
  std::string path_;  // the lock file of the current acquisitions
  int depth_ = 0;
};

// Takes a lock for its scope.
class NamedLockGuard {
 public:
  NamedLockGuard(NamedLock& lock, uint32_t timeoutMs) : lock_(lock), owned_(lock.Acquire(timeoutMs)) {}
  ~NamedLockGuard() {
    if (owned_) lock_.Release();
  }
  NamedLockGuard(const NamedLockGuard&) = delete;
  NamedLockGuard& operator=(const NamedLockGuard&) = delete;
  bool owned() const { return owned_; }

 private:
  NamedLock& lock_;
  bool owned_;
};

}  // namespace tarnix

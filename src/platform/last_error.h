#pragma once
// The calling thread's Win32 last-error value. Operations report failure by
// their result and leave the cause here, as the Windows program does.
#include <cstdint>

namespace tarnix {

uint32_t GetLastError();
void SetLastError(uint32_t code);

// Reads the last error on construction and puts it back on destruction, so
// that logging or formatting an error text never changes what callers see.
class LastErrorKeeper {
 public:
  LastErrorKeeper() : saved_(GetLastError()) {}
  ~LastErrorKeeper() { SetLastError(saved_); }
  LastErrorKeeper(const LastErrorKeeper&) = delete;
  LastErrorKeeper& operator=(const LastErrorKeeper&) = delete;
  uint32_t saved() const { return saved_; }

 private:
  uint32_t saved_;
};

}  // namespace tarnix

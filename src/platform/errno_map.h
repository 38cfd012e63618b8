#pragma once
#include <cstdint>

namespace tarnix {

// The Win32 code that stands for a POSIX errno value (ERROR_GEN_FAILURE for
// values without a closer match).
uint32_t Win32FromErrno(int err);

// Sets the thread's last error from errno and returns the code.
uint32_t SetLastErrorFromErrno();

}  // namespace tarnix

#include "platform/last_error.h"

namespace tarnix {
namespace {
thread_local uint32_t t_lastError = 0;
}

uint32_t GetLastError() { return t_lastError; }
void SetLastError(uint32_t code) { t_lastError = code; }

}  // namespace tarnix

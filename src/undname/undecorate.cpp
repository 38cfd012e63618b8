#include "undname/undecorate.h"

#include <mutex>

#include "platform/last_error.h"
#include "platform/win_errors.h"
#include "undname/demangler.h"
#include "undname/undecoration_lock.h"

namespace tarnix {

std::optional<std::string> Undecorate(std::string_view decorated, uint32_t flags) {
  // The name is a C string to the platform: it ends at the first null.
  const std::size_t nul = decorated.find('\0');
  if (nul != std::string_view::npos) decorated = decorated.substr(0, nul);
  if (decorated.empty()) {
    SetLastError(ERROR_NOTHING_ENTERED);
    return std::nullopt;
  }
  undname::DemangleResult r = undname::Demangle(decorated, flags);
  switch (r.outcome) {
    case undname::Outcome::kText:
      return std::move(r.text);
    case undname::Outcome::kNotDecorated:
      return std::string(decorated);
    case undname::Outcome::kFailed:
      break;
  }
  SetLastError(ERROR_UNDECORATION_FAILED);
  return std::nullopt;
}

std::optional<std::string> UndecorateLocked(std::string_view decorated, uint32_t flags) {
  std::lock_guard<std::mutex> lock(UndecorationLock());
  return Undecorate(decorated, flags);
}

}  // namespace tarnix

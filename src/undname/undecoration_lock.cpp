#include "undname/undecoration_lock.h"

namespace tarnix {

std::mutex& UndecorationLock() {
  static std::mutex lock;
  return lock;
}

}  // namespace tarnix

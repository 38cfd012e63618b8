#include "core/ordered_readers.h"

#include <sched.h>

namespace tarnix {

uint32_t DefaultReaderCount() {
  cpu_set_t set;
  CPU_ZERO(&set);
  int count = sched_getaffinity(0, sizeof set, &set) == 0 ? CPU_COUNT(&set) : 0;
  if (count <= 0) count = static_cast<int>(std::thread::hardware_concurrency());
  return static_cast<uint32_t>(std::clamp(count, 1, 8));
}

uint32_t EffectiveReaderCount(uint32_t requested) {
  if (requested == 0) return DefaultReaderCount();
  return std::min(requested, kMaxReaders);
}

}  // namespace tarnix

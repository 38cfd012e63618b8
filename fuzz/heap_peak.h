#pragma once
// The most heap a reader holds at once while it reads one input, counted
// through the sanitizer's allocation hooks, and the bound the preset
// readers keep to: at most eight times the input, beyond a fixed part for
// the most sections and pairs a document may hold (about 12 MiB when each
// pair is a three-byte line). More is a finding.
#include <sanitizer/allocator_interface.h>

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "core/preset_file.h"

namespace fuzz {

inline std::atomic<int64_t> g_held{0}, g_peak{0};

inline void OnMalloc(const volatile void*, size_t size) {
  const int64_t now = g_held.fetch_add(static_cast<int64_t>(size)) + static_cast<int64_t>(size);
  for (int64_t peak = g_peak.load(); now > peak && !g_peak.compare_exchange_weak(peak, now);) {
  }
}

inline void OnFree(const volatile void* p) {
  if (p) g_held.fetch_sub(static_cast<int64_t>(__sanitizer_get_allocated_size(p)));
}

class HeapPeak {
 public:
  HeapPeak() {
    static const bool installed = __sanitizer_install_malloc_and_free_hooks(OnMalloc, OnFree) != 0;
    (void)installed;
    base_ = g_held.load();
    g_peak = base_;
  }
  int64_t bytes() const { return g_peak.load() - base_; }

  // Aborts when reading `inputSize` bytes took more than the bound.
  void Check(size_t inputSize) const {
    constexpr int64_t kFixed = 16 << 20;
    if (bytes() > 8 * static_cast<int64_t>(inputSize) + kFixed) {
      std::fprintf(stderr, "reading %zu bytes held %lld bytes at once\n", inputSize,
                   static_cast<long long>(bytes()));
      std::abort();
    }
  }

 private:
  int64_t base_ = 0;
};

// Reads fuzz bytes as a preset file is read, within the bound. A document
// whose values hold surrogate halves (an escape such as "\xd800" makes
// them) is read but not answered: no UTF-16 file or store keeps them, so it
// cannot be written and read back the same.
inline bool ReadPresetBytes(const uint8_t* data, size_t size, std::vector<tarnix::PresetSection>& sections) {
  const HeapPeak peak;
  const bool read =
      tarnix::PresetFile::ParseBytes(std::string_view(reinterpret_cast<const char*>(data), size), sections);
  peak.Check(size);
  for (const tarnix::PresetSection& s : sections)
    for (const tarnix::PresetPair& p : s.pairs)
      for (wchar_t c : p.value)
        if (c >= 0xD800 && c <= 0xDFFF) return false;
  return read;
}

}  // namespace fuzz

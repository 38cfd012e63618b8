// libFuzzer target for the C++ name undecorator: the first two bytes choose
// the UNDNAME flags, the rest is the decorated name.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "undname/undecorate.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  const uint32_t flags = static_cast<uint32_t>(data[0] | (data[1] << 8)) & 0x7FFFu;
  const std::string_view name(reinterpret_cast<const char*>(data + 2), size - 2);
  auto text = tarnix::Undecorate(name, flags);
  if (text && text->empty() && !name.empty()) __builtin_trap();  // a result is never empty
  return 0;
}

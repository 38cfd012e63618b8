#pragma once
// Wraps fuzzer bytes as the resource section of a minimal PE32 or PE32+
// image, so that the resource walk and the parsers behind it see input that
// passes the header checks.
#include <cstdint>
#include <cstring>
#include <vector>

namespace tarnix::fuzz {

inline void Put16(std::vector<uint8_t>& b, size_t at, uint16_t v) {
  b[at] = static_cast<uint8_t>(v);
  b[at + 1] = static_cast<uint8_t>(v >> 8);
}

inline void Put32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

// The image: headers, then `section` at file offset 0x400 and RVA 0x1000,
// registered as data directory 2.
inline std::vector<uint8_t> WrapResourceSection(const uint8_t* section, size_t size, bool pe64) {
  constexpr size_t kLfanew = 0x40, kRaw = 0x400;
  const uint16_t optionalSize = pe64 ? 240 : 224;
  std::vector<uint8_t> b(kRaw + size, 0);
  b[0] = 'M';
  b[1] = 'Z';
  Put32(b, 0x3C, kLfanew);
  Put32(b, kLfanew, 0x00004550);
  const size_t file = kLfanew + 4, opt = file + 20;
  Put16(b, file, pe64 ? 0x8664 : 0x14C);
  Put16(b, file + 2, 1);
  Put16(b, file + 16, optionalSize);
  Put16(b, opt, pe64 ? 0x20B : 0x10B);
  const size_t dirs = opt + (pe64 ? 112 : 96);
  Put32(b, dirs - 4, 16);
  Put32(b, dirs + 16, 0x1000);
  Put32(b, dirs + 20, static_cast<uint32_t>(size ? size : 1));
  const size_t sect = opt + optionalSize;
  std::memcpy(&b[sect], ".rsrc", 5);
  Put32(b, sect + 8, static_cast<uint32_t>(size));
  Put32(b, sect + 12, 0x1000);
  Put32(b, sect + 16, static_cast<uint32_t>(size));
  Put32(b, sect + 20, kRaw);
  if (size) std::memcpy(&b[kRaw], section, size);
  return b;
}

}  // namespace tarnix::fuzz

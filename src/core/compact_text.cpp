#include "core/compact_text.h"

#include <cstdint>
#include <cstring>

namespace tarnix {

void AppendCompactText(std::string& out, std::wstring_view text) {
  for (wchar_t wc : text) {
    const uint32_t c = static_cast<uint32_t>(wc);
    if (c < 0x80) {
      out += static_cast<char>(c);
      continue;
    }
    // Lead byte marks and payload bits of the 2- to 7-byte forms.
    int tail;
    uint8_t lead;
    if (c < 0x800) {
      tail = 1, lead = 0xC0;
    } else if (c < 0x10000) {
      tail = 2, lead = 0xE0;
    } else if (c < 0x200000) {
      tail = 3, lead = 0xF0;
    } else if (c < 0x4000000) {
      tail = 4, lead = 0xF8;
    } else if (c < 0x80000000u) {
      tail = 5, lead = 0xFC;
    } else {
      tail = 6, lead = 0xFE;
    }
    char bytes[7];
    uint64_t v = c;
    for (int i = tail; i >= 1; --i) {
      bytes[i] = static_cast<char>(0x80 | (v & 0x3F));
      v >>= 6;
    }
    bytes[0] = static_cast<char>(lead | v);
    out.append(bytes, static_cast<size_t>(tail + 1));
  }
}

void AppendDecodedText(std::wstring& out, std::string_view bytes) {
  const auto* p = reinterpret_cast<const uint8_t*>(bytes.data());
  const size_t n = bytes.size();
  for (size_t i = 0; i < n;) {
    const uint8_t b = p[i];
    if (b < 0x80) {
      out += static_cast<wchar_t>(b);
      ++i;
      continue;
    }
    int tail = b >= 0xFE ? 6 : b >= 0xFC ? 5 : b >= 0xF8 ? 4 : b >= 0xF0 ? 3 : b >= 0xE0 ? 2 : b >= 0xC0 ? 1 : -1;
    if (tail < 0 || i + static_cast<size_t>(tail) >= n) return;
    uint64_t v = tail == 6 ? 0 : (b & (0x7F >> (tail + 1)));
    for (int k = 1; k <= tail; ++k) {
      const uint8_t c = p[i + static_cast<size_t>(k)];
      if ((c & 0xC0) != 0x80) return;
      v = (v << 6) | (c & 0x3F);
    }
    out += static_cast<wchar_t>(static_cast<uint32_t>(v));
    i += static_cast<size_t>(tail) + 1;
  }
}

bool IsAsciiBytes(std::string_view bytes) {
  size_t i = 0;
  const size_t n = bytes.size();
  for (; i + 8 <= n; i += 8) {
    uint64_t w;
    std::memcpy(&w, bytes.data() + i, 8);
    if (w & 0x8080808080808080ULL) return false;
  }
  for (; i < n; ++i)
    if (static_cast<uint8_t>(bytes[i]) >= 0x80) return false;
  return true;
}

}  // namespace tarnix

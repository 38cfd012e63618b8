#pragma once
// One symbol search result, created by the search worker and owned by the
// receiver once posted.
#include <cstdint>
#include <string>

#include "pe/image_properties.h"
#include "pe/result_kind.h"

namespace tarnix {

struct SymbolResult {
  std::wstring file;    // full path of the image
  std::wstring name;    // as stored: decorated for C++ kinds, "#n" for ordinals,
                        // the forwarder text for forwarded exports; empty for
                        // libraries and images
  std::wstring module;  // the descriptor's module, the export directory's name,
                        // or the library; empty for "Image"
  uint32_t kind = 0;    // ResultKind
  ImageProperties properties;
  uint32_t ordinal = 0;          // 0 for imports by name and libraries
  int32_t nameIndexOrHint = -1;  // -1 when there is none
};

}  // namespace tarnix

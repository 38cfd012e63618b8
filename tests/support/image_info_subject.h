#pragma once
// The image information window's record of a result, as a search of the
// image at `path` lists it: its header read from the file, bound as the
// search finds an image without bound imports.
#include <filesystem>
#include <string>

#include "pe/image_reader.h"
#include "pe/look_in.h"
#include "pe/result_kind.h"
#include "platform/text_encoding.h"
#include "results/image_info_text.h"

namespace tarnix::test {

inline ImageInfoSubject InfoSubject(const std::filesystem::path& path, uint32_t kind, std::wstring name,
                                    std::wstring module, int32_t hint = -1, uint32_t ordinal = 0) {
  ImageInfoSubject s;
  s.imagePath = FromUtf8(path.string());
  uint32_t location = 0;
  ReadImageProperties(path.string(), s.properties, location);
  s.properties.binding = kind == kKindImage ? kBindingNone : kBindingUnbound;
  s.kind = kind;
  s.name = std::move(name);
  s.module = std::move(module);
  s.nameIndexOrHint = hint;
  s.ordinal = ordinal;
  s.searchFor = kind == kKindImportedLibrary || kind == kKindDelayImportedLibrary ? kSearchForImportLibs
                                                                                  : kSearchForSymbols;
  return s;
}

}  // namespace tarnix::test

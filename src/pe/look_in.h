#pragma once
// The Look In selection: which symbol sources and name languages a search
// looks at. No bit set means every source and both languages.
#include <cstdint>

namespace tarnix {

enum LookInBits : uint32_t {
  kLookInExports = 0x1,
  kLookInImports = 0x2,
  kLookInDelayLoad = 0x4,
  kLookInImportOrdinals = 0x8,
  kLookInForwardedExports = 0x10,
  kLookInCOnly = 0x20,
  kLookInCppOnly = 0x40,
};

inline constexpr uint32_t kLookInSources = 0x1F;
inline constexpr uint32_t kLookInLanguages = 0x60;

enum SearchFor : uint32_t { kSearchForSymbols = 1, kSearchForImportLibs = 2 };
enum PresentAs : uint32_t { kPresentSymbolsInModules = 1, kPresentModulesOnly = 2 };

}  // namespace tarnix

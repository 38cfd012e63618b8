#pragma once
// The kinds of symbol result. Each symbol source has a plain kind and, where
// a name can be decorated, a C++ kind that is the plain kind + 1.
#include <cstdint>
#include <string>

namespace tarnix {

enum ResultKind : uint32_t {
  kKindImport = 1,
  kKindImportCpp = 2,
  kKindExport = 3,
  kKindExportCpp = 4,
  kKindExportForwarded = 5,
  kKindExportForwardedCpp = 6,
  kKindDelayImport = 7,
  kKindDelayImportCpp = 8,
  kKindImportOrdinal = 9,
  kKindDelayImportOrdinal = 10,
  kKindExportOrdinal = 11,
  kKindImportedLibrary = 12,
  kKindDelayImportedLibrary = 13,
  kKindImage = 14,
};

// The four kinds whose names are decorated C++ names.
inline bool IsCppKind(uint32_t kind) {
  return kind == kKindImportCpp || kind == kKindExportCpp || kind == kKindExportForwardedCpp ||
         kind == kKindDelayImportCpp;
}

// "Import", "Import (C++)", ... "Image"; other values give
// "Unrecognized value: 0x%X".
std::wstring ResultKindText(uint32_t kind);

}  // namespace tarnix

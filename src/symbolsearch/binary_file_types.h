#pragma once
// The well-known Windows binary file types a user can tick to build the
// 'File Name' pattern. The id of a type is its bit in the selection mask.
#include <cstdint>
#include <string>

namespace tarnix {

struct BinaryFileType {
  const wchar_t* extension;  // without the dot
  const wchar_t* description;
};

inline constexpr int kBinaryFileTypeCount = 15;
inline constexpr uint64_t kBinaryFileTypeMask = 0x7FFF;
extern const BinaryFileType kBinaryFileTypes[kBinaryFileTypeCount];

// Type groups of the picker's menu.
inline constexpr uint64_t kCommonBinaryFiles = 0x1F;         // exe dll sys scr cpl
inline constexpr uint64_t kExecutableFiles = 0x419;          // exe scr cpl com
inline constexpr uint64_t kDriverFiles = 0x44;               // sys drv
inline constexpr uint64_t kResourceLibraryFiles = 0x4800;    // rll mui

// The regular expression that selects the ticked types: "(^.*\.ext$)" for
// each in table order, joined by "|"; empty when none is ticked.
std::wstring BinaryFileTypePattern(uint64_t mask);

}  // namespace tarnix

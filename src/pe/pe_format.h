#pragma once
// Offsets and constants of the PE/COFF structures the reader uses. Offsets
// of header fields are relative to the structure that holds them.
#include <cstdint>

namespace tarnix::pe {

inline constexpr uint32_t kLfanewOffset = 0x3C;
inline constexpr uint32_t kSignaturePe = 0x00004550;  // "PE\0\0"
inline constexpr uint16_t kSignatureNe = 0x454E;      // "NE"
inline constexpr uint16_t kSignatureMz = 0x5A4D;      // "MZ"
// The NT headers of a PE32+ image with all 16 data directories.
inline constexpr uint32_t kMinNtHeadersSize = 264;

// NT headers: the signature, then the COFF file header.
inline constexpr uint32_t kNtNumberOfSections = 6;
inline constexpr uint32_t kNtTimeDateStamp = 8;
inline constexpr uint32_t kNtSizeOfOptionalHeader = 20;
inline constexpr uint32_t kNtCharacteristics = 22;
inline constexpr uint32_t kNtOptionalHeader = 24;

inline constexpr uint16_t kMagicRom = 0x107;
inline constexpr uint16_t kMagicPe32 = 0x10B;
inline constexpr uint16_t kMagicPe64 = 0x20B;

// Optional header fields shared by PE32 and PE32+.
inline constexpr uint32_t kOptSectionAlignment = 32;
inline constexpr uint32_t kOptFileAlignment = 36;
inline constexpr uint32_t kOptSubsystem = 68;
inline constexpr uint32_t kOptDllCharacteristics = 70;

// Section header.
inline constexpr uint32_t kSectionHeaderSize = 40;
inline constexpr uint32_t kSectionName = 0;
inline constexpr uint32_t kSectionVirtualSize = 8;
inline constexpr uint32_t kSectionVirtualAddress = 12;
inline constexpr uint32_t kSectionSizeOfRawData = 16;
inline constexpr uint32_t kSectionPointerToRawData = 20;
inline constexpr uint32_t kSectionCharacteristics = 36;

// Section characteristics: how the section's memory may be used.
inline constexpr uint32_t kScnMemExecute = 0x20000000;
inline constexpr uint32_t kScnMemRead = 0x40000000;
inline constexpr uint32_t kScnMemWrite = 0x80000000;

// Data directory indexes.
inline constexpr uint32_t kDirExport = 0;
inline constexpr uint32_t kDirImport = 1;
inline constexpr uint32_t kDirResource = 2;
inline constexpr uint32_t kDirLoadConfig = 10;
inline constexpr uint32_t kDirDelayImport = 13;
inline constexpr uint32_t kDataDirectoryCount = 16;

// Import descriptor (20 bytes).
inline constexpr uint32_t kImportDescriptorSize = 20;
inline constexpr uint32_t kImpOriginalFirstThunk = 0;
inline constexpr uint32_t kImpTimeDateStamp = 4;
inline constexpr uint32_t kImpName = 12;
inline constexpr uint32_t kImpFirstThunk = 16;

// Export directory (40 bytes).
inline constexpr uint32_t kExpName = 12;
inline constexpr uint32_t kExpBase = 16;
inline constexpr uint32_t kExpNumberOfFunctions = 20;
inline constexpr uint32_t kExpNumberOfNames = 24;
inline constexpr uint32_t kExpAddressOfFunctions = 28;
inline constexpr uint32_t kExpAddressOfNames = 32;
inline constexpr uint32_t kExpAddressOfNameOrdinals = 36;

// Delay-load descriptor (32 bytes).
inline constexpr uint32_t kDelayDescriptorSize = 32;
inline constexpr uint32_t kDelayAttributes = 0;
inline constexpr uint32_t kDelayName = 4;
inline constexpr uint32_t kDelayModuleHandle = 8;
inline constexpr uint32_t kDelayImportAddressTable = 12;
inline constexpr uint32_t kDelayImportNameTable = 16;
inline constexpr uint32_t kDelayTimeDateStamp = 28;

// Resource directory and its entries.
inline constexpr uint32_t kResDirectorySize = 16;
inline constexpr uint32_t kResNumberOfNamedEntries = 12;
inline constexpr uint32_t kResNumberOfIdEntries = 14;
inline constexpr uint32_t kResEntrySize = 8;
inline constexpr uint32_t kResHighBit = 0x80000000;

// The fields whose place or width differ between PE32 and PE32+. The walks
// are written once as templates over these.
struct Pe32 {
  using Thunk = uint32_t;
  using Address = uint32_t;
  static constexpr Thunk kOrdinalFlag = 0x80000000u;
  static constexpr uint32_t kOptImageBase = 28;
  static constexpr uint32_t kOptNumberOfRvaAndSizes = 92;
  static constexpr uint32_t kOptDataDirectories = 96;
  static constexpr uint32_t kLoadConfigMinSize = 64;
  static constexpr uint32_t kLoadConfigSecurityCookie = 60;
};

struct Pe64 {
  using Thunk = uint64_t;
  using Address = uint64_t;
  static constexpr Thunk kOrdinalFlag = 0x8000000000000000ull;
  static constexpr uint32_t kOptImageBase = 24;
  static constexpr uint32_t kOptNumberOfRvaAndSizes = 108;
  static constexpr uint32_t kOptDataDirectories = 112;
  static constexpr uint32_t kLoadConfigMinSize = 96;
  static constexpr uint32_t kLoadConfigSecurityCookie = 88;
};

}  // namespace tarnix::pe

#pragma once
// The header properties of one image, filled while it is read and copied
// into every result of that image.
#include <cstdint>

namespace tarnix {

// Which lazily computed fields of ImageProperties are valid.
enum ComputedBits : uint32_t {
  kComputedSubsystem = 0x1,
  kComputedCharacteristics = 0x2,  // including both derived bits
  kComputedDirectories = 0x4,      // including the resource types
  kComputedBinding = 0x8,
};

enum ImageType : uint32_t {
  kImageType32 = 1,   // optional header magic 0x10B
  kImageType64 = 2,   // magic 0x20B
  kImageTypeRom = 4,  // magic 0x107
};

enum Binding : uint32_t {
  kBindingNone = 0,
  kBindingUnbound = 1,   // "Unbound"
  kBindingBound = 2,     // "Bound"
  kBindingBoundOld = 3,  // "Bound (old)"
};

struct ImageProperties {
  uint32_t computed = 0;
  uint32_t timeStamp = 0;
  uint32_t imageType = 0;
  uint64_t subsystemBit = 0;
  uint64_t characteristics = 0;
  uint64_t directories = 0;
  uint32_t binding = kBindingNone;
};

// One entry of a bit table: the program bit and its short label.
struct BitLabel {
  uint64_t bit;
  const wchar_t* label;
};

// Characteristics bits that are derived rather than read from a header word.
inline constexpr uint64_t kCharDelayLoadVc6 = 0x10000000000ULL;  // "DelayLdVC6"
inline constexpr uint64_t kCharBufferSecurityChecks = 0x20000000000ULL;  // "BuffSecChks"
inline constexpr uint64_t kCharDerivedBits = kCharDelayLoadVc6 | kCharBufferSecurityChecks;

inline constexpr uint64_t kDirResources = 0x4000;  // "Rcsrs"
inline constexpr uint64_t kDirResourceTypeBits = 0x3FFFFF000000ULL;  // bits 24..45
inline constexpr uint64_t kResourceTypeOther = 0x200000000000ULL;

inline constexpr uint64_t kSubsystemOther = 0x80000000ULL;

// The four tables, in the order the program lists them.
extern const BitLabel kImageTypeLabels[3];
extern const BitLabel kSubsystemLabels[15];
extern const BitLabel kCharacteristicLabels[25];
extern const BitLabel kDirectoryLabels[15];
extern const BitLabel kResourceTypeLabels[22];

// The subsystem bit of an optional header's Subsystem value.
uint64_t SubsystemBitOf(uint32_t subsystem);
// The program's characteristics bits of the COFF Characteristics and the
// optional header's DllCharacteristics words (derived bits not included).
uint64_t CharacteristicBitsOf(uint16_t characteristics, uint16_t dllCharacteristics);
// The directory-bit of data directory `index` (0 for 15 and above).
uint64_t DirectoryBitOf(uint32_t index);
// The resource-type bit of a numbered type (0 for 13, 15, 18 and type 0);
// numbers above 24 give kResourceTypeOther.
uint64_t ResourceTypeBitOf(uint32_t type);

// The texts of bindings: "", "Unbound", "Bound", "Bound (old)" ("" for any
// other value).
const wchar_t* BindingText(uint32_t binding);

}  // namespace tarnix

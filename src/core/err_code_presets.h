#pragma once
// The stored error code search presets: the "ErrCodeSrchPresets" binary
// value (little-endian, tightly packed: count, then per preset its flags,
// name and locations), and the store operations, which take the
// cross-process lock of these presets.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace tarnix {

inline constexpr size_t kMaxErrCodePresets = 64;
inline constexpr size_t kMaxErrCodePresetNameLength = 256;  // UTF-16 units
inline constexpr size_t kMaxErrCodePresetItems = 1024;
inline constexpr size_t kMaxErrCodePresetPathLength = 520;  // UTF-16 units

// Location flags: the kind in the low four bits, and "with subfolders".
inline constexpr uint32_t kPresetItemFolder = 1;
inline constexpr uint32_t kPresetItemFile = 2;
inline constexpr uint32_t kPresetItemSubfolders = 0x8000;
// Preset flags that exist only in memory and are dropped on reading.
inline constexpr uint32_t kPresetFlagUnsaved = 0x10;
inline constexpr uint32_t kPresetFlagBuiltIn = 0x80;

struct ErrCodePresetItem {
  uint32_t flags = kPresetItemFolder;
  std::wstring path;
  bool operator==(const ErrCodePresetItem&) const = default;
};

struct ErrCodePresetRecord {
  uint32_t flags = 0;
  std::wstring name;
  std::vector<ErrCodePresetItem> items;
  bool operator==(const ErrCodePresetRecord&) const = default;
};

// Decodes a stored value. False with the last error: ERROR_BAD_LENGTH when
// the data ends inside a record, ERROR_TOO_MANY_NAMES for more than 64
// presets, ERROR_INVALID_NAME_LENGTH for a name over 256 or a path over 520
// characters, ERROR_TOO_MANY_CMDS for more than 1024 locations,
// ERROR_INVALID_FLAGS for a location kind other than folder or file,
// ERROR_BAD_FORMAT when fewer records follow than counted and
// ERROR_CHECKSUM_MISMATCH for bytes after the last record. Names have the
// characters no preset name holds replaced by "_" (preset_name_chars.h);
// flags lose the in-memory bits.
bool DecodeErrCodePresets(const uint8_t* data, size_t size, std::vector<ErrCodePresetRecord>& out);

// Encodes presets for storing; refuses, with the same codes, what reading
// would refuse.
bool EncodeErrCodePresets(const std::vector<ErrCodePresetRecord>& presets, std::vector<uint8_t>& out);

// The store operations. Each takes the presets lock (waiting at most
// `lockTimeoutMs`; a failed wait is logged and fails the operation).
class ErrCodePresetStore {
 public:
  static constexpr uint32_t kLockTimeoutMs = 3000;

  // All stored presets; none stored gives an empty list.
  static bool ReadAll(std::vector<ErrCodePresetRecord>& out, uint32_t lockTimeoutMs = kLockTimeoutMs);
  // Replaces the stored presets.
  static bool WriteAll(const std::vector<ErrCodePresetRecord>& presets,
                       uint32_t lockTimeoutMs = kLockTimeoutMs);
  // Replaces the stored preset of the same name (ignoring case) or appends.
  static bool SaveOne(const ErrCodePresetRecord& preset, uint32_t lockTimeoutMs = kLockTimeoutMs);
  // A renamed preset: takes the place of the stored preset `replacing`
  // (ignoring case; appended when there is none), and replaces a stored
  // preset of its new name. One read and one write under one lock, so a
  // preset another instance saved meanwhile stays.
  static bool SaveOne(const ErrCodePresetRecord& preset, const std::wstring& replacing,
                      uint32_t lockTimeoutMs = kLockTimeoutMs);
  // Removes the stored preset `name` (ignoring case); a name that is not
  // stored is not an error.
  static bool RemoveOne(const std::wstring& name, uint32_t lockTimeoutMs = kLockTimeoutMs);
  // Removes the stored value.
  static bool DeleteAll(uint32_t lockTimeoutMs = kLockTimeoutMs);
};

}  // namespace tarnix

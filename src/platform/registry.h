#pragma once
// The per-user registry (HKEY_CURRENT_USER): keys and typed values kept in
// one SQLite database, $XDG_CONFIG_HOME/TarnixProject/Tarnix/registry.sqlite.
// Key and value names are compared ignoring case, as the platform does; data
// is stored as the platform stores it (texts as UTF-16LE with terminators).
// Every write is one transaction; several processes may use the store at
// once. All operations return a Win32 code, as the platform's registry
// functions do, and leave the thread's last error alone.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tarnix {

inline constexpr uint32_t REG_NONE = 0;
inline constexpr uint32_t REG_SZ = 1;
inline constexpr uint32_t REG_EXPAND_SZ = 2;
inline constexpr uint32_t REG_BINARY = 3;
inline constexpr uint32_t REG_DWORD = 4;
inline constexpr uint32_t REG_MULTI_SZ = 7;
inline constexpr uint32_t REG_QWORD = 11;

// The maker key under "Software".
inline constexpr wchar_t kMakerKey[] = L"TarnixProject";

// One stored value, for listing.
struct RegValue {
  std::wstring key;  // full sub-key path as created
  std::wstring name;
  uint32_t type = REG_NONE;
  std::vector<uint8_t> data;
};

// An open key: a validated sub-key path below HKEY_CURRENT_USER. Holds no
// database resource; a key removed by another process after opening answers
// ERROR_KEY_DELETED on writes and ERROR_FILE_NOT_FOUND on reads.
class RegKey {
 public:
  // Opens an existing key for reading (ERROR_FILE_NOT_FOUND when missing).
  uint32_t Open(std::wstring_view subKey);
  // Opens the key for writing, creating it and its parents when needed.
  uint32_t Create(std::wstring_view subKey);

  // The platform's query: with `data` null only the type and size are
  // answered; with a buffer of *size bytes that is too small the answer is
  // ERROR_MORE_DATA with the needed size in *size. `type`, `size` optional.
  uint32_t Query(std::wstring_view name, uint32_t* type, uint8_t* data, uint32_t* size) const;
  // Convenience: the whole value.
  uint32_t QueryAll(std::wstring_view name, uint32_t& type, std::vector<uint8_t>& data) const;
  uint32_t Set(std::wstring_view name, uint32_t type, const uint8_t* data, uint32_t size) const;
  uint32_t DeleteValue(std::wstring_view name) const;

  bool isOpen() const { return open_; }

 private:
  std::string fold_;  // folded path, UTF-8
  std::string path_;  // path as given, UTF-8
  bool open_ = false;
};

class Registry {
 public:
  // The database file of this user.
  static std::string DatabasePath();
  // Removes the key, its values and every key below it.
  static uint32_t DeleteTree(std::wstring_view subKey);
  // Every stored value, ordered by key and name.
  static uint32_t ListValues(std::vector<RegValue>& out);
  // Runs SQLite's integrity check on the store; true when it answers "ok".
  static bool CheckIntegrity(std::string* report = nullptr);
};

}  // namespace tarnix

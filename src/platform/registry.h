#pragma once
// The per-user registry (HKEY_CURRENT_USER): keys and typed values kept in
// one SQLite database, $XDG_CONFIG_HOME/TarnixProject/Tarnix/registry.sqlite.
// Key and value names are compared ignoring case, as the platform does; data
// is stored as the platform stores it (texts as UTF-16LE with terminators).
// Every write is one transaction; several processes may use the store at
// once. All operations return a Win32 code, as the platform's registry
// functions do, and leave the thread's last error alone.
//
// Another program may hold the store locked for any time. Reads wait at
// most StoreWaits::readMs for it and then answer ERROR_LOCK_VIOLATION; after
// such a time-out the following reads for a short while try once without
// waiting, so a window that reads a hundred values still appears at once.
// Writes wait at most StoreWaits::writeMs. With deferBusyWrites, a write
// that finds the store locked or its disk full is kept in a bounded queue
// and written by a background thread as soon as the store lets it (in the
// order given; later writes queue behind it), and reads in this process see
// the queued values at once; FlushWrites() waits for the queue at close.
#include <cstdint>
#include <functional>
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

inline constexpr uint32_t kPendingWritesMax = 4096;

// How long the store's users wait for a lock another program holds.
struct StoreWaits {
  uint32_t readMs = 2000;
  uint32_t writeMs = 10000;
  bool deferBusyWrites = false;
};

// What went wrong with the store in this process (each stays set until the
// process ends, so that it is said once).
struct StoreHealth {
  std::string path;          // the database file
  std::string movedAsideTo;  // the damaged store was moved here and a new one made
  bool locked = false;       // another program held it locked past the wait
  bool readOnly = false;     // it, or its folder, cannot be written
  bool full = false;         // its disk is full
  bool unavailable = false;  // it could not be opened at all
  uint32_t lastError = 0;    // the Win32 code of the last failure
  size_t pendingWrites = 0;  // writes queued and not yet in the store
  uint64_t droppedWrites = 0;  // queued writes the store refused for good
};

// One value of a write of several values in one transaction.
struct RegValueWrite {
  std::wstring name;
  uint32_t type = REG_NONE;
  std::vector<uint8_t> data;
};

// A read-modify-write of one value: gets whether the value exists, its type
// and data, and answers false to leave it alone or true with the new data
// in `out` (stored with the update's type). It may run again later (a
// queued write runs against the value stored by then), so it must depend on
// its arguments only.
using RegUpdateFn = std::function<bool(bool found, uint32_t type, const std::vector<uint8_t>& data,
                                       std::vector<uint8_t>& out)>;

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
  // Several values in one transaction: all are written or none.
  uint32_t SetMany(const std::vector<RegValueWrite>& values) const;
  // Reads, changes and writes `name` in one transaction, so that no other
  // writer comes in between; `stored` (optional) gets the data the value
  // holds afterwards as far as this process knows. ERROR_CANCELLED when the
  // update left the value alone.
  uint32_t Update(std::wstring_view name, uint32_t type, const RegUpdateFn& update,
                  std::vector<uint8_t>* stored = nullptr) const;
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

  // The waits of this process (the desktop program defers busy writes).
  static void SetWaits(const StoreWaits& waits);
  static StoreWaits Waits();
  // Waits up to `timeoutMs` for the queued writes to reach the store; true
  // when none is left.
  static bool FlushWrites(uint32_t timeoutMs);
  static StoreHealth Health();
  // Tests: forget the health and the lock time-out of this process.
  static void ResetHealthForTesting();
};

}  // namespace tarnix

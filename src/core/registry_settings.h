#pragma once
// Reading and writing the program's persistent values in the per-user
// registry, under "Software\\<maker>\\Tarnix\\<section>". Reads never fail
// visibly: a missing or unreadable value gives the caller's default. Writes
// create the key when needed and report failure by result and last error.
// Each operation opens and closes the key; no key is kept open.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tarnix {

class RegistrySettings {
 public:
  // "Software\\<maker>\\Tarnix\\<section>".
  static std::wstring SectionKey(std::wstring_view section);

  // The settings of `subKey` (a full sub-key below HKEY_CURRENT_USER).
  explicit RegistrySettings(std::wstring subKey = SectionKey(L"Settings"));
  const std::wstring& subKey() const { return subKey_; }

  // REG_DWORD; the default when missing or not a 4-byte REG_DWORD.
  uint32_t GetDword(std::wstring_view name, uint32_t def) const;
  bool SetDword(std::wstring_view name, uint32_t value) const;

  // REG_SZ (REG_EXPAND_SZ is read unexpanded); the default when missing or
  // of another type.
  std::wstring GetText(std::wstring_view name, std::wstring_view def) const;
  bool SetText(std::wstring_view name, std::wstring_view value) const;

  // REG_QWORD of 8 bytes; otherwise the default, with the last error
  // ERROR_BAD_FORMAT when the value exists but is wrong, ERROR_FILE_NOT_FOUND
  // when it is missing, 0 when it was read.
  uint64_t GetQword(std::wstring_view name, uint64_t def) const;
  bool SetQword(std::wstring_view name, uint64_t value) const;

  // REG_MULTI_SZ (REG_SZ and REG_EXPAND_SZ are accepted too): the strings up
  // to the first empty one. The default when missing (ERROR_FILE_NOT_FOUND)
  // or of another type (ERROR_BAD_FORMAT); the last error is 0 when read.
  // Empty strings can't be stored in such a list and are left out on writing.
  std::vector<std::wstring> GetStringList(std::wstring_view name,
                                          const std::vector<std::wstring>& def) const;
  bool SetStringList(std::wstring_view name, const std::vector<std::wstring>& value) const;

  // REG_BINARY: the stored bytes, read after a probe found the value. False
  // when missing (last error ERROR_FILE_NOT_FOUND) or unreadable.
  bool GetBinary(std::wstring_view name, std::vector<uint8_t>& out) const;
  bool SetBinary(std::wstring_view name, const uint8_t* data, size_t size) const;

  bool DeleteValue(std::wstring_view name) const;

  // Opens `subKey` and asks for the size of `name` only: 1 when the value
  // exists, 0 when the key or the value does not, -1 on any other error
  // (the last error tells which).
  static int Probe(std::wstring_view subKey, std::wstring_view name);

 private:
  bool Write(std::wstring_view name, uint32_t type, const uint8_t* data, size_t size) const;
  std::wstring subKey_;
};

// UTF-16LE bytes of `text` with its terminating zero, as texts are stored.
std::vector<uint8_t> RegTextBytes(std::wstring_view text);
// The text of stored UTF-16LE bytes, up to the first zero character.
std::wstring RegBytesText(const uint8_t* data, size_t size);
// The strings of a REG_MULTI_SZ (zero added at the end, split at zeros up to
// the first empty string).
std::vector<std::wstring> RegBytesMultiText(const uint8_t* data, size_t size);

}  // namespace tarnix

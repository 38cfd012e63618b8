#include "core/registry_settings.h"

#include "platform/last_error.h"
#include "platform/registry.h"
#include "platform/text_encoding.h"
#include "platform/win_errors.h"

namespace tarnix {
namespace {

// Reads one whole value; the code of the failure otherwise.
uint32_t ReadValue(const std::wstring& subKey, std::wstring_view name, uint32_t& type,
                   std::vector<uint8_t>& data) {
  RegKey key;
  uint32_t err = key.Open(subKey);
  if (err) return err;
  return key.QueryAll(name, type, data);
}

}  // namespace

std::vector<uint8_t> RegTextBytes(std::wstring_view text) {
  std::u16string u = ToUtf16(text);
  std::vector<uint8_t> out;
  out.reserve((u.size() + 1) * 2);
  for (char16_t c : u) {
    out.push_back(static_cast<uint8_t>(c & 0xFF));
    out.push_back(static_cast<uint8_t>(c >> 8));
  }
  out.push_back(0);
  out.push_back(0);
  return out;
}

namespace {
std::u16string Utf16Units(const uint8_t* data, size_t size) {
  std::u16string u;
  u.reserve(size / 2);
  for (size_t i = 0; i + 1 < size; i += 2)
    u.push_back(static_cast<char16_t>(data[i] | (data[i + 1] << 8)));
  return u;
}
}  // namespace

std::wstring RegBytesText(const uint8_t* data, size_t size) {
  std::u16string u = Utf16Units(data, size);
  size_t end = u.find(u'\0');
  if (end != std::u16string::npos) u.resize(end);
  return FromUtf16(u);
}

std::vector<std::wstring> RegBytesMultiText(const uint8_t* data, size_t size) {
  std::u16string u = Utf16Units(data, size);
  u.push_back(u'\0');
  std::vector<std::wstring> out;
  size_t start = 0;
  while (start < u.size()) {
    size_t end = u.find(u'\0', start);
    if (end == start) break;  // the first empty string ends the list
    out.push_back(FromUtf16(std::u16string_view(u).substr(start, end - start)));
    start = end + 1;
  }
  return out;
}

std::wstring RegistrySettings::SectionKey(std::wstring_view section) {
  std::wstring key = L"Software\\";
  key += kMakerKey;
  key += L"\\Tarnix\\";
  key += section;
  return key;
}

RegistrySettings::RegistrySettings(std::wstring subKey) : subKey_(std::move(subKey)) {}

bool RegistrySettings::Write(std::wstring_view name, uint32_t type, const uint8_t* data,
                             size_t size) const {
  if (size > UINT32_MAX) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  RegKey key;
  uint32_t err = key.Create(subKey_);
  if (!err) err = key.Set(name, type, data, static_cast<uint32_t>(size));
  SetLastError(err);
  return err == ERROR_SUCCESS;
}

uint32_t RegistrySettings::GetDword(std::wstring_view name, uint32_t def) const {
  LastErrorKeeper keep;
  uint32_t type = REG_NONE;
  std::vector<uint8_t> data;
  if (ReadValue(subKey_, name, type, data) || type != REG_DWORD || data.size() != 4) return def;
  return static_cast<uint32_t>(data[0]) | static_cast<uint32_t>(data[1]) << 8 |
         static_cast<uint32_t>(data[2]) << 16 | static_cast<uint32_t>(data[3]) << 24;
}

bool RegistrySettings::SetDword(std::wstring_view name, uint32_t value) const {
  uint8_t b[4] = {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8),
                  static_cast<uint8_t>(value >> 16), static_cast<uint8_t>(value >> 24)};
  return Write(name, REG_DWORD, b, 4);
}

std::wstring RegistrySettings::GetText(std::wstring_view name, std::wstring_view def) const {
  LastErrorKeeper keep;
  uint32_t type = REG_NONE;
  std::vector<uint8_t> data;
  if (ReadValue(subKey_, name, type, data) || (type != REG_SZ && type != REG_EXPAND_SZ))
    return std::wstring(def);
  return RegBytesText(data.data(), data.size());
}

bool RegistrySettings::SetText(std::wstring_view name, std::wstring_view value) const {
  std::vector<uint8_t> b = RegTextBytes(value);
  return Write(name, REG_SZ, b.data(), b.size());
}

uint64_t RegistrySettings::GetQword(std::wstring_view name, uint64_t def) const {
  uint32_t type = REG_NONE;
  std::vector<uint8_t> data;
  uint32_t err = ReadValue(subKey_, name, type, data);
  if (err) {
    SetLastError(err);
    return def;
  }
  if (type != REG_QWORD || data.size() != 8) {
    SetLastError(ERROR_BAD_FORMAT);
    return def;
  }
  uint64_t v = 0;
  for (int i = 7; i >= 0; --i) v = v << 8 | data[static_cast<size_t>(i)];
  SetLastError(ERROR_SUCCESS);
  return v;
}

bool RegistrySettings::SetQword(std::wstring_view name, uint64_t value) const {
  uint8_t b[8];
  for (int i = 0; i < 8; ++i) b[i] = static_cast<uint8_t>(value >> (8 * i));
  return Write(name, REG_QWORD, b, 8);
}

std::vector<std::wstring> RegistrySettings::GetStringList(std::wstring_view name,
                                                          const std::vector<std::wstring>& def) const {
  uint32_t type = REG_NONE;
  std::vector<uint8_t> data;
  uint32_t err = ReadValue(subKey_, name, type, data);
  if (err) {
    SetLastError(err);
    return def;
  }
  if (type != REG_MULTI_SZ && type != REG_SZ && type != REG_EXPAND_SZ) {
    SetLastError(ERROR_BAD_FORMAT);
    return def;
  }
  SetLastError(ERROR_SUCCESS);
  return RegBytesMultiText(data.data(), data.size());
}

bool RegistrySettings::SetStringList(std::wstring_view name,
                                     const std::vector<std::wstring>& value) const {
  std::vector<uint8_t> b;
  for (const auto& s : value) {
    if (s.empty()) continue;
    std::vector<uint8_t> one = RegTextBytes(s);
    b.insert(b.end(), one.begin(), one.end());
  }
  b.push_back(0);
  b.push_back(0);
  if (b.size() == 2) {  // an empty list: two zero characters
    b.push_back(0);
    b.push_back(0);
  }
  return Write(name, REG_MULTI_SZ, b.data(), b.size());
}

int RegistrySettings::Probe(std::wstring_view subKey, std::wstring_view name) {
  RegKey key;
  uint32_t err = key.Open(subKey);
  if (!err) {
    uint8_t none = 0;
    uint32_t size = 0;
    err = key.Query(name, nullptr, &none, &size);
    // A value of zero bytes fits the empty buffer; it exists all the same.
    if (err == ERROR_SUCCESS) err = ERROR_MORE_DATA;
  }
  SetLastError(err);
  if (err == ERROR_MORE_DATA) return 1;
  if (err == ERROR_FILE_NOT_FOUND || err == ERROR_PATH_NOT_FOUND) return 0;
  return -1;
}

bool RegistrySettings::GetBinary(std::wstring_view name, std::vector<uint8_t>& out) const {
  out.clear();
  int probe = Probe(subKey_, name);
  if (probe != 1) return false;
  uint32_t type = REG_NONE;
  uint32_t err = ReadValue(subKey_, name, type, out);
  SetLastError(err);
  return err == ERROR_SUCCESS;
}

bool RegistrySettings::SetBinary(std::wstring_view name, const uint8_t* data, size_t size) const {
  return Write(name, REG_BINARY, data, size);
}

bool RegistrySettings::DeleteValue(std::wstring_view name) const {
  RegKey key;
  uint32_t err = key.Open(subKey_);
  if (!err) err = key.DeleteValue(name);
  SetLastError(err);
  return err == ERROR_SUCCESS;
}

}  // namespace tarnix

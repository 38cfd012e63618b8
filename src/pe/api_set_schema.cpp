// The three layouts of the schema. Every offset counts from the start of the
// schema; names are UTF-16 with their length in bytes. Version 2: a count,
// then 12-byte entries (name, its length, the offset of a value array of a
// count and 16-byte values). Version 4: version, size, flags and count, then
// 24-byte entries (flags, name, length, alias, length, value array offset);
// the value array holds flags, a count and 20-byte values. Version 6:
// version, size, flags, count, entry offset, hash offset and hash factor,
// then 24-byte entries (flags, name, length, hashed length, value offset,
// value count) whose values are 20 bytes each (flags, name, length, host,
// length).
#include "pe/api_set_schema.h"

#include <algorithm>

#include "pe/mapped_image.h"
#include "platform/case_fold.h"
#include "platform/fault_guard.h"
#include "platform/last_error.h"
#include "platform/win_errors.h"

namespace tarnix {
namespace {

bool HasPrefix(std::wstring_view name) {
  if (name.size() < 4) return false;
  const std::wstring prefix = ToLowerCase(name.substr(0, 4));
  return prefix == L"api-" || prefix == L"ext-";
}

std::wstring_view WithoutDll(std::wstring_view name) {
  if (name.size() > 4 && EqualsIgnoreCase(name.substr(name.size() - 4), L".dll"))
    name.remove_suffix(4);
  return name;
}

// Reads the schema's strings within the bounds of ApiSetSchema.
class SchemaReader {
 public:
  explicit SchemaReader(BoundedView bytes) : bytes_(bytes) {}

  bool U32(uint64_t at, uint32_t& out) const { return bytes_.Read(at, out); }

  bool Text(uint32_t offset, uint32_t length, std::wstring& out) {
    out.clear();
    if (length == 0) return true;
    if (length % 2 || length / 2 > ApiSetSchema::kMaxNameChars || !bytes_.Has(offset, length))
      return false;
    totalChars_ += length / 2;
    if (totalChars_ > ApiSetSchema::kMaxTotalChars) return false;
    out.reserve(length / 2);
    for (uint32_t i = 0; i < length; i += 2) {
      uint16_t c = 0;
      bytes_.Read(uint64_t{offset} + i, c);
      out.push_back(static_cast<wchar_t>(c));
    }
    return true;
  }

 private:
  BoundedView bytes_;
  size_t totalChars_ = 0;
};

}  // namespace

bool IsApiSetName(std::wstring_view name) { return HasPrefix(name); }

std::wstring ApiSetSchema::KeyOf(std::wstring_view name) const {
  name = WithoutDll(name);
  if (version_ == 6) {
    // The hashed part: up to the last hyphen.
    const size_t hyphen = name.rfind(L'-');
    name = hyphen == std::wstring_view::npos ? std::wstring_view() : name.substr(0, hyphen);
  } else if (HasPrefix(name)) {
    name.remove_prefix(4);
  }
  return ToLowerCase(name);
}

bool ApiSetSchema::Parse(BoundedView bytes) {
  *this = ApiSetSchema();
  auto fail = [this](uint32_t error) {
    *this = ApiSetSchema();
    SetLastError(error);
    return false;
  };
  if (bytes.size() > kMaxBytes) return fail(ERROR_INVALID_DATA);
  SchemaReader r(bytes);
  uint32_t version = 0;
  if (!r.U32(0, version)) return fail(ERROR_INVALID_DATA);
  if (version != 2 && version != 4 && version != 6) {
    fail(ERROR_UNSUPPORTED_VERSION);
    version_ = version;  // to say which version was refused
    return false;
  }
  version_ = version;

  uint32_t count = 0;
  uint64_t entryTable = 0;
  uint32_t entrySize = 0;
  if (version == 2) {
    if (!r.U32(4, count)) return fail(ERROR_INVALID_DATA);
    entryTable = 8;
    entrySize = 12;
  } else if (version == 4) {
    if (!r.U32(12, count)) return fail(ERROR_INVALID_DATA);
    entryTable = 16;
    entrySize = 24;
  } else {
    uint32_t offset = 0;
    if (!r.U32(12, count) || !r.U32(16, offset)) return fail(ERROR_INVALID_DATA);
    entryTable = offset;
    entrySize = 24;
  }
  if (count > kMaxEntries || !bytes.Has(entryTable, uint64_t{count} * entrySize))
    return fail(ERROR_INVALID_DATA);

  entries_.reserve(count);
  for (uint32_t i = 0; i < count; ++i) {
    const uint64_t e = entryTable + uint64_t{i} * entrySize;
    uint32_t nameOffset = 0, nameLength = 0, keyLength = 0;
    uint64_t valueTable = 0;
    uint32_t valueCount = 0, valueSize = 20, valueName = 4;
    if (version == 2) {
      uint32_t data = 0;
      r.U32(e, nameOffset);
      r.U32(e + 4, nameLength);
      r.U32(e + 8, data);
      if (!r.U32(data, valueCount)) return fail(ERROR_INVALID_DATA);
      valueTable = uint64_t{data} + 4;
      valueSize = 16;
      valueName = 0;
      keyLength = nameLength;
    } else if (version == 4) {
      uint32_t data = 0;
      r.U32(e + 4, nameOffset);
      r.U32(e + 8, nameLength);
      r.U32(e + 20, data);
      if (!r.U32(uint64_t{data} + 4, valueCount)) return fail(ERROR_INVALID_DATA);
      valueTable = uint64_t{data} + 8;
      keyLength = nameLength;
    } else {
      uint32_t values = 0;
      r.U32(e + 4, nameOffset);
      r.U32(e + 8, nameLength);
      r.U32(e + 12, keyLength);
      r.U32(e + 16, values);
      r.U32(e + 20, valueCount);
      valueTable = values;
      if (keyLength > nameLength) return fail(ERROR_INVALID_DATA);
    }
    if (valueCount > kMaxValues - values_.size() ||
        !bytes.Has(valueTable, uint64_t{valueCount} * valueSize))
      return fail(ERROR_INVALID_DATA);

    Entry entry;
    std::wstring name;
    if (!r.Text(nameOffset, keyLength, name)) return fail(ERROR_INVALID_DATA);
    // Version 6 keeps the hashed part as it stands; the older versions give
    // the whole name, with or without its prefix.
    if (version == 6)
      entry.key = ToLowerCase(name);
    else
      entry.key = KeyOf(name);
    entry.firstValue = static_cast<uint32_t>(values_.size());
    entry.valueCount = valueCount;
    for (uint32_t v = 0; v < valueCount; ++v) {
      const uint64_t at = valueTable + uint64_t{v} * valueSize;
      uint32_t importerOffset = 0, importerLength = 0, hostOffset = 0, hostLength = 0;
      r.U32(at + valueName, importerOffset);
      r.U32(at + valueName + 4, importerLength);
      r.U32(at + valueName + 8, hostOffset);
      r.U32(at + valueName + 12, hostLength);
      Value value;
      if (!r.Text(importerOffset, importerLength, value.importer) ||
          !r.Text(hostOffset, hostLength, value.host))
        return fail(ERROR_INVALID_DATA);
      values_.push_back(std::move(value));
    }
    entries_.push_back(std::move(entry));
  }
  std::stable_sort(entries_.begin(), entries_.end(),
                   [](const Entry& a, const Entry& b) { return a.key < b.key; });
  SetLastError(ERROR_SUCCESS);
  return true;
}

bool ApiSetSchema::Load(const std::string& path) {
  *this = ApiSetSchema();
  MappedImage image;
  if (!image.Open(path)) return false;
  FaultGuard guard(image.data(), image.size());
  const bool read = Read(image);
  if (guard.faulted()) {
    *this = ApiSetSchema();
    SetLastError(ERROR_INVALID_EXCEPTION_HANDLER);
    return false;
  }
  return read;
}

bool ApiSetSchema::Read(const MappedImage& image) {
  *this = ApiSetSchema();
  const SectionMap::Section* section = image.sections().Named(".apiset");
  if (!section) {
    SetLastError(ERROR_INVALID_DATA);
    return false;
  }
  // The section's bytes in the file; a virtual size below the raw size
  // leaves out the file alignment's padding.
  uint64_t length = section->sizeOfRawData;
  if (section->virtualSize != 0) length = std::min<uint64_t>(length, section->virtualSize);
  const uint64_t inFile =
      image.fileSize() > section->pointerToRawData ? image.fileSize() - section->pointerToRawData : 0;
  BoundedView schema;
  BoundedView(image.data(), image.size())
      .Sub(section->pointerToRawData, std::min(length, inFile), schema);
  return Parse(schema);
}

ApiSetSchema::Lookup ApiSetSchema::Resolve(std::wstring_view name, std::wstring_view importer,
                                           std::wstring& host) const {
  host.clear();
  if (!IsApiSetName(name)) return Lookup::kUnknown;
  const std::wstring key = KeyOf(name);
  if (key.empty()) return Lookup::kUnknown;
  auto it = std::lower_bound(entries_.begin(), entries_.end(), key,
                             [](const Entry& e, const std::wstring& k) { return e.key < k; });
  if (it == entries_.end() || it->key != key) return Lookup::kUnknown;
  const Value* chosen = nullptr;
  for (uint32_t v = 0; v < it->valueCount; ++v) {
    const Value& value = values_[it->firstValue + v];
    if (!importer.empty() && !value.importer.empty() && EqualsIgnoreCase(value.importer, importer))
      chosen = &value;
    else if (!chosen && value.importer.empty())
      chosen = &value;
  }
  if (!chosen && it->valueCount) chosen = &values_[it->firstValue];
  if (!chosen || chosen->host.empty()) return Lookup::kNoHost;
  host = chosen->host;
  return Lookup::kHost;
}

}  // namespace tarnix

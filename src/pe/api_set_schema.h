#pragma once
// The API set schema of a Windows installation (the ".apiset" section of its
// apisetschema.dll): which host module an API set name such as
// "api-ms-win-core-file-l1-2-0.dll" loads from. Schema versions 2 (Windows
// 7), 4 (Windows 8.1) and 6 (Windows 10 and later) are read.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "pe/bounded_view.h"

namespace tarnix {

class MappedImage;

// True for the names the loader takes as API sets: "api-..." and "ext-...",
// in any case.
bool IsApiSetName(std::wstring_view name);

class ApiSetSchema {
 public:
  // Bounds on what a schema may make the program hold.
  static constexpr size_t kMaxBytes = 16u << 20;
  static constexpr uint32_t kMaxEntries = 1u << 15;
  static constexpr uint32_t kMaxValues = 1u << 16;
  static constexpr uint32_t kMaxNameChars = 256;
  static constexpr size_t kMaxTotalChars = 4u << 20;

  // Reads schema bytes. False with the last error: ERROR_UNSUPPORTED_VERSION
  // for a version other than 2, 4 and 6; ERROR_INVALID_DATA for a table or
  // name outside the bytes, a name of an odd number of bytes, or a schema
  // beyond the bounds above. A failed parse leaves the schema empty.
  bool Parse(BoundedView bytes);
  // Reads the schema of the apisetschema.dll at `path` (UTF-8): the file's
  // errors, ERROR_BAD_EXE_FORMAT when it is no image, ERROR_INVALID_DATA
  // when it has no ".apiset" section, then those of Parse.
  bool Load(const std::string& path);
  // The same over an image already open.
  bool Read(const MappedImage& image);

  // The version read; after a refused version, that version (with no entry).
  uint32_t version() const { return version_; }
  size_t size() const { return entries_.size(); }

  enum class Lookup {
    kUnknown,  // the schema has no such API set
    kHost,     // `host` names the module it loads from
    kNoHost,   // the set exists but has no host here
  };
  // The host of API set `name` for a module imported by `importer` (the
  // importing image's file name): the value whose name is `importer` when
  // the set has one (kernel32.dll's own API sets lead to kernelbase.dll),
  // otherwise its default value. Version 6 compares the name up to its last
  // hyphen, so any minor version of a set finds it; versions 2 and 4 compare
  // the whole name after "api-" or "ext-". ".dll" may be given or not.
  Lookup Resolve(std::wstring_view name, std::wstring_view importer, std::wstring& host) const;

 private:
  struct Value {
    std::wstring importer;  // empty for the default
    std::wstring host;
  };
  struct Entry {
    std::wstring key;  // folded
    uint32_t firstValue = 0, valueCount = 0;
  };
  std::wstring KeyOf(std::wstring_view name) const;

  uint32_t version_ = 0;
  std::vector<Entry> entries_;  // sorted by key
  std::vector<Value> values_;
};

}  // namespace tarnix

#pragma once
// API set schemas (the ".apiset" section of apisetschema.dll) in the layouts
// of versions 2, 4 and 6, and a DLL that holds one.
#include <cstdint>
#include <string>
#include <vector>

namespace tarnix::test {

struct ApiSetValue {
  std::u16string importer;  // empty for the default value
  std::u16string host;      // empty: no host
};

struct ApiSetEntry {
  std::u16string name;  // as version 6 writes it: "api-ms-win-core-file-l1-2-0"
  std::vector<ApiSetValue> values;
};

// Versions 2 and 4 store the names without their "api-" or "ext-" prefix,
// as Windows did; version 6 keeps it and hashes up to the last hyphen.
std::string ApiSetSchemaBytes(uint32_t version, const std::vector<ApiSetEntry>& entries);

// A 64-bit DLL whose ".apiset" section holds `schema`.
std::string ApiSetSchemaDll(const std::string& schema);

}  // namespace tarnix::test

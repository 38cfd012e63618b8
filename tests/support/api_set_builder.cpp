#include "support/api_set_builder.h"

#include "support/pe_builder.h"

namespace tarnix::test {
namespace {

void Put32(std::string& b, size_t at, uint32_t v) { Poke<uint32_t>(b, at, v); }

// Appends `text` as UTF-16 at the end, 4-aligned; answers its offset.
uint32_t AddText(std::string& b, const std::u16string& text) {
  b.resize((b.size() + 3) & ~size_t{3});
  const uint32_t at = static_cast<uint32_t>(b.size());
  for (char16_t c : text) {
    b.push_back(static_cast<char>(c & 0xFF));
    b.push_back(static_cast<char>(c >> 8));
  }
  return at;
}

uint32_t Bytes(const std::u16string& s) { return static_cast<uint32_t>(2 * s.size()); }

std::u16string WithoutPrefix(const std::u16string& name) {
  return name.size() > 4 && (name.compare(0, 4, u"api-") == 0 || name.compare(0, 4, u"ext-") == 0)
             ? name.substr(4)
             : name;
}

// Appends `values` (`size` bytes each, importer name and length then host
// name and length from byte `field` of each) 4-aligned; answers their offset.
uint32_t AddValues(std::string& b, const std::vector<ApiSetValue>& values, uint32_t size,
                   uint32_t field) {
  b.resize((b.size() + 3) & ~size_t{3});
  const uint32_t at = static_cast<uint32_t>(b.size());
  b.resize(at + size * values.size());
  for (size_t v = 0; v < values.size(); ++v) {
    const uint32_t va = at + size * static_cast<uint32_t>(v) + field;
    Put32(b, va, values[v].importer.empty() ? 0 : AddText(b, values[v].importer));
    Put32(b, va + 4, Bytes(values[v].importer));
    Put32(b, va + 8, values[v].host.empty() ? 0 : AddText(b, values[v].host));
    Put32(b, va + 12, Bytes(values[v].host));
  }
  return at;
}

}  // namespace

std::string ApiSetSchemaBytes(uint32_t version, const std::vector<ApiSetEntry>& entries) {
  std::string b;
  const uint32_t count = static_cast<uint32_t>(entries.size());
  if (version == 2) {
    Put32(b, 0, 2);
    Put32(b, 4, count);
    b.resize(8 + 12 * count);
    for (uint32_t i = 0; i < count; ++i) {
      const ApiSetEntry& e = entries[i];
      const std::u16string name = WithoutPrefix(e.name);
      const uint32_t at = 8 + 12 * i;
      Put32(b, at, AddText(b, name));
      Put32(b, at + 4, Bytes(name));
      // The value array: a count, then the values.
      b.resize((b.size() + 3) & ~size_t{3});
      const uint32_t values = static_cast<uint32_t>(b.size());
      Put32(b, at + 8, values);
      Put32(b, values, static_cast<uint32_t>(e.values.size()));
      AddValues(b, e.values, 16, 0);
    }
    return b;
  }
  if (version == 4) {
    Put32(b, 0, 4);
    Put32(b, 12, count);
    b.resize(16 + 24 * count);
    for (uint32_t i = 0; i < count; ++i) {
      const ApiSetEntry& e = entries[i];
      const std::u16string name = WithoutPrefix(e.name);
      const uint32_t at = 16 + 24 * i;
      Put32(b, at + 4, AddText(b, name));
      Put32(b, at + 8, Bytes(name));
      // The value array: flags and a count, then the values.
      b.resize((b.size() + 3) & ~size_t{3});
      const uint32_t values = static_cast<uint32_t>(b.size());
      Put32(b, at + 20, values);
      Put32(b, values + 4, static_cast<uint32_t>(e.values.size()));
      AddValues(b, e.values, 20, 4);
    }
    Put32(b, 4, static_cast<uint32_t>(b.size()));
    return b;
  }
  // Version 6: header, entries, the hash table (left zero: readers that
  // search by name do not need it), values, names.
  Put32(b, 0, 6);
  Put32(b, 12, count);
  Put32(b, 16, 28);
  Put32(b, 20, 28 + 24 * count);
  Put32(b, 24, 31);
  b.resize(28 + 32 * count);
  for (uint32_t i = 0; i < count; ++i) {
    const ApiSetEntry& e = entries[i];
    const uint32_t at = 28 + 24 * i;
    const size_t hyphen = e.name.rfind(u'-');
    Put32(b, at, 1);
    Put32(b, at + 4, AddText(b, e.name));
    Put32(b, at + 8, Bytes(e.name));
    Put32(b, at + 12, hyphen == std::u16string::npos ? Bytes(e.name) : static_cast<uint32_t>(2 * hyphen));
    Put32(b, at + 16, AddValues(b, e.values, 20, 4));
    Put32(b, at + 20, static_cast<uint32_t>(e.values.size()));
  }
  Put32(b, 4, static_cast<uint32_t>(b.size()));
  return b;
}

std::string ApiSetSchemaDll(const std::string& schema) {
  return PeBuilder(PeBuilder::Kind::kPe64)
      .Section({".apiset", schema, 0x40000040, 0})
      .Build()
      .bytes;
}

}  // namespace tarnix::test

#pragma once
// Version resources and message tables built byte by byte for the resource
// reader tests, placed in images by the synthetic image builder.
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "support/pe_builder.h"

namespace tarnix::test {

inline void Put16(std::string& b, size_t at, uint16_t v) {
  if (b.size() < at + 2) b.resize(at + 2);
  b[at] = static_cast<char>(v & 0xFF);
  b[at + 1] = static_cast<char>(v >> 8);
}

inline void Put32(std::string& b, size_t at, uint32_t v) {
  if (b.size() < at + 4) b.resize(at + 4);
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

inline std::string Dword(uint32_t v) {
  std::string s;
  Put32(s, 0, v);
  return s;
}

inline std::string Utf16(std::u16string_view s, bool terminate = true) {
  std::string b;
  for (char16_t c : s) {
    b += static_cast<char>(c & 0xFF);
    b += static_cast<char>(c >> 8);
  }
  if (terminate) b.append(2, '\0');
  return b;
}

inline void Pad4(std::string& b) { b.resize((b.size() + 3) & ~size_t{3}, '\0'); }

// One resource: type and name are ids; a named type when `typeName` is set.
struct Resource {
  uint16_t type = 0;
  uint16_t name = 0;
  uint16_t language = 0;
  std::string bytes;
  std::u16string typeName;
};

// A PE32 or PE32+ image holding `resources` (none: no resource directory).
inline BuiltImage BuildImage(const std::vector<Resource>& resources, bool pe64 = false) {
  PeBuilder builder(pe64 ? PeBuilder::Kind::kPe64 : PeBuilder::Kind::kPe32);
  for (const Resource& r : resources)
    builder.Resource(r.typeName.empty() ? test::ResourceId(r.type) : test::ResourceId(r.typeName),
                     r.name, r.language, r.bytes);
  return builder.Build();
}

// --- version resources -----------------------------------------------------

// A version block: header, key, padding, value, padding, children.
inline std::string VerBlock(std::u16string_view key, uint16_t type, const std::string& value,
                            uint16_t valueLength, const std::vector<std::string>& children = {}) {
  std::string b(6, '\0');
  b += Utf16(key);
  Pad4(b);
  b += value;
  for (const std::string& c : children) {
    Pad4(b);
    b += c;
  }
  Put16(b, 0, static_cast<uint16_t>(b.size()));
  Put16(b, 2, valueLength);
  Put16(b, 4, type);
  return b;
}

inline std::string FixedInfo(uint32_t ms, uint32_t ls, uint32_t signature = 0xFEEF04BD) {
  std::string b(52, '\0');
  Put32(b, 0, signature);
  Put32(b, 4, 0x10000);
  Put32(b, 8, ms);
  Put32(b, 12, ls);
  return b;
}

inline std::string VerString(std::u16string_view key, std::u16string_view value) {
  return VerBlock(key, 1, Utf16(value), static_cast<uint16_t>(value.size() + 1));
}

inline std::string StringTable(std::u16string_view key, const std::vector<std::string>& strings) {
  return VerBlock(key, 1, "", 0, strings);
}

inline std::string StringFileInfo(const std::vector<std::string>& tables) {
  return VerBlock(u"StringFileInfo", 1, "", 0, tables);
}

inline std::string VarFileInfo(uint32_t translation) {
  return VerBlock(u"VarFileInfo", 1, "", 0,
                  {VerBlock(u"Translation", 0, Dword(translation), 4)});
}

inline std::string VersionInfo(const std::string& fixed, const std::vector<std::string>& children) {
  return VerBlock(u"VS_VERSION_INFO", 0, fixed, static_cast<uint16_t>(fixed.size()), children);
}

// A complete version resource of one language (code page 1200).
inline std::string SimpleVersion(uint16_t language, std::u16string_view description,
                                 std::u16string_view fileVersion, uint32_t ms = 0x10002) {
  const std::string hex = [&] {
    char buf[9];
    std::snprintf(buf, sizeof buf, "%04x04b0", language);
    return std::string(buf);
  }();
  std::u16string key(hex.begin(), hex.end());
  return VersionInfo(FixedInfo(ms, 0x30004),
                     {StringFileInfo({StringTable(key, {VerString(u"FileDescription", description),
                                                        VerString(u"FileVersion", fileVersion),
                                                        VerString(u"CompanyName", u"Tarnix Tests")})}),
                      VarFileInfo(0x04B00000u | language)});
}

// --- message tables ----------------------------------------------------------

// An entry: 16-bit length, 16-bit flags, the text with its NUL, padded to 4.
inline std::string MessageEntry(std::u16string_view text) {
  std::string b(4, '\0');
  b += Utf16(text);
  Pad4(b);
  Put16(b, 0, static_cast<uint16_t>(b.size()));
  Put16(b, 2, 1);
  return b;
}

inline std::string MessageEntry8(std::string_view text, uint16_t flags) {
  std::string b(4, '\0');
  b += text;
  b += '\0';
  Pad4(b);
  Put16(b, 0, static_cast<uint16_t>(b.size()));
  Put16(b, 2, flags);
  return b;
}

struct MessageBlock {
  uint32_t low;
  uint32_t high;
  std::vector<std::string> entries;
};

inline std::string MessageTableBytes(const std::vector<MessageBlock>& blocks) {
  std::string b;
  Put32(b, 0, static_cast<uint32_t>(blocks.size()));
  size_t at = 4 + 12 * blocks.size();
  b.resize(at);
  for (size_t i = 0; i < blocks.size(); ++i) {
    Put32(b, 4 + 12 * i, blocks[i].low);
    Put32(b, 8 + 12 * i, blocks[i].high);
    Put32(b, 12 + 12 * i, static_cast<uint32_t>(b.size()));
    for (const std::string& e : blocks[i].entries) b += e;
  }
  return b;
}

// A message table resource (type 11, name 1) of one language.
inline Resource MessageTableResource(uint16_t language, const std::vector<MessageBlock>& blocks) {
  return Resource{11, 1, language, MessageTableBytes(blocks), {}};
}

}  // namespace tarnix::test

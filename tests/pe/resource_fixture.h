#pragma once
// Hand-built resource sections, version resources and message tables for the
// resource reader tests, wrapped in a minimal PE32 or PE32+ image.
#include <cstdint>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

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

constexpr uint32_t kSectionRva = 0x1000;
constexpr uint32_t kSectionRaw = 0x400;

// One resource: type and name are ids, or names when the text is not empty.
struct Resource {
  uint16_t type = 0;
  uint16_t name = 0;
  uint16_t language = 0;
  std::string bytes;
  std::u16string typeName;  // a named type when not empty
};

// A resource section for RVA kSectionRva: root, type, name and language
// directories, data entries, names, then the data, each 4-byte aligned.
inline std::string BuildResourceSection(const std::vector<Resource>& resources) {
  // Types keyed by (id, name): named types carry id -1 and sort first.
  std::map<std::pair<int, std::u16string>, std::map<uint16_t, std::map<uint16_t, size_t>>> tree;
  for (size_t i = 0; i < resources.size(); ++i) {
    const Resource& r = resources[i];
    tree[{r.typeName.empty() ? r.type : -1, r.typeName}][r.name][r.language] = i;
  }
  auto dirSize = [](size_t n) { return 16 + 8 * n; };
  size_t at = dirSize(tree.size());
  std::map<std::pair<int, std::u16string>, size_t> typeDir;
  std::map<std::pair<std::pair<int, std::u16string>, uint16_t>, size_t> nameDir;
  for (auto& [type, names] : tree) {
    typeDir[type] = at;
    at += dirSize(names.size());
  }
  for (auto& [type, names] : tree)
    for (auto& [name, langs] : names) {
      nameDir[{type, name}] = at;
      at += dirSize(langs.size());
    }
  std::vector<size_t> dataEntry(resources.size());
  for (size_t i = 0; i < resources.size(); ++i) dataEntry[i] = at, at += 16;
  std::map<std::u16string, size_t> nameAt;
  std::string b(at, '\0');
  for (auto& [type, names] : tree)
    if (type.first < 0 && !nameAt.count(type.second)) {
      nameAt[type.second] = b.size();
      std::string s;
      Put16(s, 0, static_cast<uint16_t>(type.second.size()));
      b += s + Utf16(type.second, false);
      Pad4(b);
    }

  auto writeDir = [&](size_t offset, uint16_t named, uint16_t ids) {
    Put16(b, offset + 12, named);
    Put16(b, offset + 14, ids);
  };
  // Root: named types first, then ids (map order puts -1 first).
  uint16_t namedTypes = 0;
  for (auto& [type, names] : tree) namedTypes += type.first < 0;
  writeDir(0, namedTypes, static_cast<uint16_t>(tree.size() - namedTypes));
  size_t e = 16;
  for (auto& [type, names] : tree) {
    Put32(b, e, type.first < 0 ? 0x80000000u | static_cast<uint32_t>(nameAt[type.second])
                               : static_cast<uint32_t>(type.first));
    Put32(b, e + 4, 0x80000000u | static_cast<uint32_t>(typeDir[type]));
    e += 8;
  }
  for (auto& [type, names] : tree) {
    writeDir(typeDir[type], 0, static_cast<uint16_t>(names.size()));
    size_t ne = typeDir[type] + 16;
    for (auto& [name, langs] : names) {
      Put32(b, ne, name);
      Put32(b, ne + 4, 0x80000000u | static_cast<uint32_t>(nameDir[{type, name}]));
      ne += 8;
      writeDir(nameDir[{type, name}], 0, static_cast<uint16_t>(langs.size()));
      size_t le = nameDir[{type, name}] + 16;
      for (auto& [lang, index] : langs) {
        Put32(b, le, lang);
        Put32(b, le + 4, static_cast<uint32_t>(dataEntry[index]));
        le += 8;
      }
    }
  }
  for (size_t i = 0; i < resources.size(); ++i) {
    Pad4(b);
    Put32(b, dataEntry[i], kSectionRva + static_cast<uint32_t>(b.size()));
    Put32(b, dataEntry[i] + 4, static_cast<uint32_t>(resources[i].bytes.size()));
    b += resources[i].bytes;
  }
  return b;
}

// Offsets inside a built image, for tests that break it on purpose.
constexpr size_t kLfanew = 0x40;
constexpr size_t kOptionalHeader = kLfanew + 24;
inline size_t DirectoriesAt(bool pe64) { return kOptionalHeader + (pe64 ? 112 : 96); }

// An image whose one section ".rsrc" at RVA kSectionRva (file offset
// kSectionRaw) holds `section`, registered as the resource directory unless
// `section` is empty.
inline std::string BuildImage(const std::string& section, bool pe64 = false) {
  const uint16_t optionalSize = pe64 ? 240 : 224;
  std::string b(kSectionRaw, '\0');
  b[0] = 'M';
  b[1] = 'Z';
  Put32(b, 0x3C, kLfanew);
  Put32(b, kLfanew, 0x00004550);
  Put16(b, kLfanew + 4, pe64 ? 0x8664 : 0x14C);
  Put16(b, kLfanew + 6, 1);
  Put16(b, kLfanew + 20, optionalSize);
  Put16(b, kOptionalHeader, pe64 ? 0x20B : 0x10B);
  Put32(b, DirectoriesAt(pe64) - 4, 16);
  if (!section.empty()) {
    Put32(b, DirectoriesAt(pe64) + 16, kSectionRva);
    Put32(b, DirectoriesAt(pe64) + 20, static_cast<uint32_t>(section.size()));
  }
  const size_t sect = kOptionalHeader + optionalSize;
  b.replace(sect, 5, ".rsrc");
  Put32(b, sect + 8, static_cast<uint32_t>(section.size() + 0x100));
  Put32(b, sect + 12, kSectionRva);
  Put32(b, sect + 16, static_cast<uint32_t>(section.size()));
  Put32(b, sect + 20, kSectionRaw);
  return b + section;
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

#include "pe/version_blocks.h"

#include <algorithm>
#include <string_view>

#include "platform/text_encoding.h"
#include "platform/win_errors.h"

namespace tarnix {
namespace {

constexpr uint32_t kFixedInfoSignature = 0xFEEF04BD;
constexpr uint64_t kFixedInfoSize = 52;
constexpr uint64_t kHeaderSize = 6;

// The string keys, in the order of their kVersion* bits.
constexpr std::u16string_view kStringKeys[4] = {u"ProductName", u"FileDescription",
                                                u"CompanyName", u"FileVersion"};

uint64_t Align4(uint64_t at) { return (at + 3) & ~uint64_t{3}; }

bool SameKey(const std::u16string& key, std::u16string_view want) {
  if (key.size() != want.size()) return false;
  for (size_t i = 0; i < key.size(); ++i) {
    char16_t a = key[i], b = want[i];
    if (a >= u'a' && a <= u'z') a = static_cast<char16_t>(a - 32);
    if (b >= u'a' && b <= u'z') b = static_cast<char16_t>(b - 32);
    if (a != b) return false;
  }
  return true;
}

struct BlockHeader {
  uint16_t length = 0;
  uint16_t valueLength = 0;
  uint16_t type = 0;
  std::u16string key;
  uint64_t valueAt = 0;  // the 4-byte aligned position after the key
};

// Reads the header and key of the block at `at`. The key ends at its NUL,
// at the end of the block, or at `end`, whichever comes first. The caller
// has made sure that 6 bytes lie before `end`.
void ReadHeader(BoundedView data, uint64_t at, uint64_t end, BlockHeader& h) {
  data.Read(at, h.length);
  data.Read(at + 2, h.valueLength);
  data.Read(at + 4, h.type);
  const uint64_t limit = std::min(end, at + h.length);
  h.key.clear();
  uint64_t p = at + kHeaderSize;
  for (; p + 2 <= limit; p += 2) {
    uint16_t c = 0;
    data.Read(p, c);
    if (c == 0) {
      p += 2;
      break;
    }
    h.key.push_back(static_cast<char16_t>(c));
  }
  h.valueAt = Align4(p);
}

// Checks the child block at `at` inside [.., end): a length that cannot hold
// a header makes no progress (1616), one past its parent lies (9), and a
// remainder too small for any block is refused (111).
bool CheckChild(BoundedView data, uint64_t at, uint64_t end, BlockHeader& h, uint32_t& error) {
  if (end - at <= kHeaderSize) {
    error = ERROR_BUFFER_OVERFLOW;
    return false;
  }
  ReadHeader(data, at, end, h);
  if (h.length < kHeaderSize) {
    error = ERROR_INVALID_FIELD;
    return false;
  }
  if (at + h.length > end) {
    error = ERROR_INVALID_BLOCK;
    return false;
  }
  return true;
}

}  // namespace

uint16_t HexQuad(const std::u16string& key, size_t from) {
  uint16_t value = 0;
  for (size_t i = from; i < from + 4; ++i) {
    char16_t c = i < key.size() ? key[i] : u'0';
    uint16_t digit = 0;
    if (c >= u'0' && c <= u'9') digit = static_cast<uint16_t>(c - u'0');
    else if (c >= u'a' && c <= u'f') digit = static_cast<uint16_t>(c - u'a' + 10);
    else if (c >= u'A' && c <= u'F') digit = static_cast<uint16_t>(c - u'A' + 10);
    value = static_cast<uint16_t>(value * 16 + digit);
  }
  return value;
}

VersionBlockChooser::VersionBlockChooser(uint16_t wanted, uint16_t language)
    : wanted_(wanted & 0xF), language_(language) {}

bool VersionBlockChooser::Accept(const VersionBlock& block) const {
  if (wanted_ == 0xF && block.taken == 0) return false;
  if (language_ == 0) return true;
  return block.hasStringTable && block.tableLanguage == language_ && block.hasTranslation &&
         (block.translation & 0xFFFF) == language_;
}

int VersionBlockChooser::Parse(BoundedView data, uint32_t& error) {
  const uint64_t size = data.size();
  uint64_t at = 0;
  while (size - at >= kHeaderSize) {
    uint16_t length = 0, valueLength = 0;
    data.Read(at, length);
    data.Read(at + 2, valueLength);
    if (length == 0 && valueLength == 0) {
      if (size - at <= 16) break;  // trailing padding
      error = ERROR_CHECKSUM_MISMATCH;
      return -1;
    }
    if (at + length > size) {
      error = ERROR_INVALID_BLOCK;
      return -1;
    }
    VersionBlock scratch;
    const bool first = !haveFirst_;
    haveFirst_ = true;
    // The first block goes straight into the held record and stays there
    // as the fall-back; later ones replace it only when accepted.
    VersionBlock& block = first ? held_ : scratch;
    if (ParseBlock(data, at, at + length, block, error) < 0) return -1;
    if (Accept(block)) {
      if (!first) held_ = std::move(scratch);
      accepted_ = true;
      return 1;
    }
    at = Align4(at + length);
  }
  return 0;
}

int VersionBlockChooser::ParseBlock(BoundedView data, uint64_t at, uint64_t end,
                                    VersionBlock& block, uint32_t& error) const {
  BlockHeader h;
  ReadHeader(data, at, end, h);
  if (h.type != 0) {
    error = ERROR_BAD_VERSION_TABLE;
    return -1;
  }
  if (h.valueLength >= h.length) {
    error = ERROR_BAD_VERSION_KEY;
    return -1;
  }
  if (!SameKey(h.key, u"VS_VERSION_INFO")) {
    error = ERROR_INVALID_ACCESS;
    return -1;
  }
  uint64_t child = h.valueAt;
  if (h.valueLength != 0) {
    uint32_t signature = 0;
    if (h.valueAt + kFixedInfoSize > end || !data.Read(h.valueAt, signature) ||
        signature != kFixedInfoSignature) {
      error = ERROR_BAD_FORMAT;
      return -1;
    }
    FixedFileInfo& f = block.fixedInfo;
    uint32_t* const all[] = {&f.signature,        &f.structVersion, &f.fileVersionMS,
                             &f.fileVersionLS,    &f.productVersionMS, &f.productVersionLS,
                             &f.fileFlagsMask,    &f.fileFlags,     &f.fileOS,
                             &f.fileType,         &f.fileSubtype,   &f.fileDateMS,
                             &f.fileDateLS};
    for (size_t i = 0; i < 13; ++i) data.Read(h.valueAt + 4 * i, *all[i]);
    block.hasFixedInfo = true;
    child = Align4(h.valueAt + kFixedInfoSize);
  }

  while (child < end && end - child >= kHeaderSize) {
    BlockHeader c;
    ReadHeader(data, child, end, c);
    if (c.length == 0 && c.valueLength == 0) break;  // zero padding after the last child
    if (c.length < kHeaderSize) {
      error = ERROR_INVALID_FIELD;
      return -1;
    }
    const uint64_t childEnd = child + c.length;
    if (childEnd > end) {
      error = ERROR_INVALID_BLOCK;
      return -1;
    }
    const uint64_t inner = Align4(c.valueAt + c.valueLength);
    int r = 0;
    if (SameKey(c.key, u"StringFileInfo")) {
      r = ParseStringFileInfo(data, inner, childEnd, block, error);
    } else if (SameKey(c.key, u"VarFileInfo")) {
      r = ParseVarFileInfo(data, inner, childEnd, block, error);
    } else {
      error = ERROR_INVALID_CATEGORY;
      return -1;
    }
    if (r < 0) return -1;
    child = Align4(childEnd);
  }
  return 0;
}

int VersionBlockChooser::ParseStringFileInfo(BoundedView data, uint64_t at, uint64_t end,
                                             VersionBlock& block, uint32_t& error) const {
  while (at < end) {
    BlockHeader table;
    if (!CheckChild(data, at, end, table, error)) return -1;
    // Text blocks have type 1; some resource compilers (Wine's among them)
    // write 0, which the platform's version functions read all the same.
    if (table.valueLength != 0 || table.type > 1) {
      error = ERROR_BAD_VERSION_TABLE;
      return -1;
    }
    if (!block.hasStringTable) {
      block.hasStringTable = true;
      block.tableLanguage = HexQuad(table.key, 0);
      block.tableCodePage = HexQuad(table.key, 4);
    }
    if ((wanted_ & ~block.taken) == 0) return 0;  // nothing more to look for

    const uint64_t tableEnd = at + table.length;
    uint64_t s = table.valueAt;
    while (s < tableEnd) {
      BlockHeader str;
      if (!CheckChild(data, s, tableEnd, str, error)) return -1;
      const uint64_t strEnd = s + str.length;
      for (uint16_t i = 0; i < 4; ++i) {
        const uint16_t bit = static_cast<uint16_t>(1u << i);
        if (!(wanted_ & bit) || (block.taken & bit) || !SameKey(str.key, kStringKeys[i]))
          continue;
        // The value length counts characters; the text also ends at its NUL
        // or at the end of its block.
        std::u16string value;
        uint64_t p = str.valueAt;
        for (uint32_t n = 0; n < str.valueLength && p + 2 <= strEnd; ++n, p += 2) {
          uint16_t ch = 0;
          data.Read(p, ch);
          if (ch == 0) break;
          value.push_back(static_cast<char16_t>(ch));
        }
        block.strings[i] = FromUtf16(value);
        block.taken |= bit;
        if ((wanted_ & ~block.taken) == 0) return 0;
      }
      s = Align4(strEnd);
    }
    at = Align4(tableEnd);
  }
  return 0;
}

int VersionBlockChooser::ParseVarFileInfo(BoundedView data, uint64_t at, uint64_t end,
                                          VersionBlock& block, uint32_t& error) const {
  while (at < end) {
    BlockHeader var;
    if (!CheckChild(data, at, end, var, error)) return -1;
    if (!SameKey(var.key, u"Translation")) {
      error = ERROR_INVALID_BLOCK;
      return -1;
    }
    const uint64_t varEnd = at + var.length;
    uint32_t translation = 0;
    if (!block.hasTranslation && var.valueLength >= 4 && var.valueAt + 4 <= varEnd &&
        data.Read(var.valueAt, translation)) {
      block.translation = translation;
      block.hasTranslation = true;
    }
    at = Align4(varEnd);
  }
  return 0;
}

}  // namespace tarnix

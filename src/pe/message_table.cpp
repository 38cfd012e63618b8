#include "pe/message_table.h"

#include <string_view>

#include "platform/text_encoding.h"

namespace tarnix {
namespace {

constexpr uint64_t kBlockSize = 12;
constexpr uint64_t kEntryHeaderSize = 4;
constexpr uint16_t kEntryUnicode = 0x0001;
constexpr uint16_t kEntryUtf8 = 0x0002;

}  // namespace

uint32_t MessageTable::BlockCount() const {
  uint32_t count = 0;
  if (!data_.Read(0, count)) return 0;
  // Only the blocks that fit in the resource exist.
  const uint64_t fit = (data_.size() - 4) / kBlockSize;
  return count > fit ? static_cast<uint32_t>(fit) : count;
}

bool MessageTable::ReadBlock(uint32_t index, Block& block) const {
  const uint64_t at = 4 + uint64_t{index} * kBlockSize;
  return data_.Read(at, block.low) && data_.Read(at + 4, block.high) &&
         data_.Read(at + 8, block.offset) && block.low <= block.high;
}

bool MessageTable::ReadEntry(uint64_t at, std::wstring* text, uint64_t& next) const {
  uint16_t length = 0, flags = 0;
  if (!data_.Read(at, length) || !data_.Read(at + 2, flags)) return false;
  if (length < kEntryHeaderSize || !data_.Has(at, length)) return false;
  next = at + length;
  if (!text) return true;
  const uint8_t* bytes = data_.data() + at + kEntryHeaderSize;
  const size_t size = length - kEntryHeaderSize;
  text->clear();
  if (flags & kEntryUnicode) {
    std::u16string units;
    units.reserve(size / 2);
    for (size_t i = 0; i + 1 < size; i += 2) {  // an odd last byte is dropped
      char16_t c = static_cast<char16_t>(bytes[i] | (bytes[i + 1] << 8));
      if (c == 0) break;
      units.push_back(c);
    }
    *text = FromUtf16(units);
    return true;
  }
  std::string_view narrow(reinterpret_cast<const char*>(bytes), size);
  narrow = narrow.substr(0, narrow.find('\0'));
  *text = (flags & kEntryUtf8) ? FromUtf8(narrow) : FromCp1252(narrow);
  return true;
}

bool MessageTable::Find(uint32_t id, std::wstring& text) const {
  text.clear();
  const uint32_t count = BlockCount();
  for (uint32_t b = 0; b < count; ++b) {
    Block block;
    if (!ReadBlock(b, block) || id < block.low || id > block.high) continue;
    // The entries of a block follow one another; walk to the id's entry.
    uint64_t at = block.offset;
    for (uint32_t n = block.low; n < id; ++n)
      if (!ReadEntry(at, nullptr, at)) return false;
    uint64_t next = 0;
    return ReadEntry(at, &text, next);
  }
  return false;
}

void MessageTable::ForEach(
    const std::function<bool(uint32_t id, const std::wstring& text)>& visit) const {
  const uint32_t count = BlockCount();
  std::wstring text;
  for (uint32_t b = 0; b < count; ++b) {
    Block block;
    if (!ReadBlock(b, block)) continue;
    uint64_t at = block.offset;
    for (uint64_t id = block.low; id <= block.high; ++id) {
      uint64_t next = 0;
      if (!ReadEntry(at, &text, next)) break;
      at = next;
      bool covered = false;  // an earlier block answers for this id
      for (uint32_t e = 0; e < b && !covered; ++e) {
        Block earlier;
        covered = ReadBlock(e, earlier) && id >= earlier.low && id <= earlier.high;
      }
      if (!covered && !visit(static_cast<uint32_t>(id), text)) return;
    }
  }
}

}  // namespace tarnix

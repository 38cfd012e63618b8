#pragma once
// Decoding of one RT_MESSAGETABLE resource: a count of blocks, each block a
// range of message ids (low, high, offset of its first entry), and for each
// id in a block one entry of a 16-bit length (header included), 16-bit
// flags (0 ANSI, 1 UTF-16, 2 UTF-8) and the text.
//
// Nothing in the table is trusted: blocks that lie outside the resource,
// inverted ranges, entries of length 0 or beyond the resource, odd UTF-16
// lengths and missing terminators make an entry absent or shorten its text,
// and no read leaves the resource's bytes.
#include <cstdint>
#include <functional>
#include <string>

#include "pe/bounded_view.h"

namespace tarnix {

class MessageTable {
 public:
  explicit MessageTable(BoundedView data) : data_(data) {}

  // The stored text of message `id` (ANSI entries decoded as Windows-1252),
  // up to its first NUL. The first block whose range holds the id decides.
  // False when no block holds it or its entry is unusable.
  bool Find(uint32_t id, std::wstring& text) const;

  // Visits every message in block order; ids that an earlier block already
  // covers are left out. The visitor answers true to go on.
  void ForEach(const std::function<bool(uint32_t id, const std::wstring& text)>& visit) const;

 private:
  struct Block {
    uint32_t low = 0;
    uint32_t high = 0;
    uint32_t offset = 0;
  };
  uint32_t BlockCount() const;
  bool ReadBlock(uint32_t index, Block& block) const;
  // Decodes the entry at `at`; `next` receives the position of the one after.
  bool ReadEntry(uint64_t at, std::wstring* text, uint64_t& next) const;

  BoundedView data_;
};

}  // namespace tarnix

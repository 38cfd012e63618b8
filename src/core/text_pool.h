#pragma once
// Texts kept once each: the names and module names of a results list.
// Millions of results name a few hundred thousand distinct symbols and a
// few thousand modules; each distinct text is stored once, in the compact
// form (compact_text.h), in blocks that never move, and a result holds its
// 32-bit id. Ids are dense (0, 1, 2, ... in the order the texts first came),
// so tables indexed by id (sort ranks) are plain vectors. Id 0 is the empty
// text.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace tarnix {

class TextPool {
 public:
  static constexpr uint32_t kEmpty = 0;
  // Answered when the pool cannot take the text (its 4 GiB are used).
  static constexpr uint32_t kNone = ~uint32_t{0};

  TextPool();
  TextPool(TextPool&&) noexcept;
  TextPool& operator=(TextPool&&) noexcept;
  ~TextPool();

  // The id of `text`, stored when it is new.
  uint32_t Intern(std::wstring_view text);
  // The same for a text already in the compact form.
  uint32_t InternCompact(std::string_view bytes);

  // The compact form of text `id` (an id this pool gave).
  std::string_view Compact(uint32_t id) const;
  // Appends the text to `out` / the text itself.
  void AppendText(uint32_t id, std::wstring& out) const;
  std::wstring Text(uint32_t id) const;

  // Distinct texts held, the empty one included.
  size_t size() const { return locations_.size(); }
  // Bytes held: blocks, ids and the look-up table.
  size_t memoryUsed() const;
  // Bytes in use: the stored texts (not the rest of their last block), ids
  // and the look-up table.
  size_t bytesUsed() const;
  // The most bytesUsed() can grow by when `count` new texts of `bytes`
  // compact bytes in all are stored.
  size_t GrowthFor(size_t count, size_t bytes) const;
  // Forgets every text but the empty one.
  void Clear();

 private:
  uint32_t Store(std::string_view bytes, uint64_t hash);
  void Grow();

  std::vector<std::unique_ptr<char[]>> blocks_;
  std::vector<uint32_t> blockSizes_;
  uint32_t blockUsed_ = 0;       // bytes used in the last block
  std::vector<uint32_t> locations_;  // id -> block << 20 | offset
  std::vector<uint64_t> slots_;      // open addressing: hash high bits << 32 | id + 1; 0 free
  size_t blockBytes_ = 0;
  size_t textBytes_ = 0;  // of the blocks, those the texts take
  std::string scratch_;
};

// The 64-bit hash the pool uses for a text's compact bytes.
uint64_t HashBytes(std::string_view bytes);

}  // namespace tarnix

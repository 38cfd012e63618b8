#include "core/text_pool.h"

#include <cstring>

#include "core/compact_text.h"

namespace tarnix {
namespace {

constexpr uint32_t kOffsetBits = 20;
constexpr uint32_t kBlockSize = 1u << kOffsetBits;  // a text longer than this gets a block of its own
constexpr uint32_t kMaxBlocks = 1u << (32 - kOffsetBits);

uint64_t Mix(uint64_t h) {
  h ^= h >> 33;
  h *= 0xff51afd7ed558ccdULL;
  h ^= h >> 33;
  h *= 0xc4ceb9fe1a85ec53ULL;
  h ^= h >> 33;
  return h;
}

// The stored form: the length as 7-bit groups (low first, high bit = more),
// then the bytes.
size_t PutLength(char* at, size_t n) {
  size_t i = 0;
  do {
    uint8_t b = n & 0x7F;
    n >>= 7;
    at[i++] = static_cast<char>(n ? b | 0x80 : b);
  } while (n);
  return i;
}

}  // namespace

uint64_t HashBytes(std::string_view bytes) {
  uint64_t h = 0x9E3779B97F4A7C15ULL ^ bytes.size();
  size_t i = 0;
  const size_t n = bytes.size();
  for (; i + 8 <= n; i += 8) {
    uint64_t w;
    std::memcpy(&w, bytes.data() + i, 8);
    h = Mix(h ^ w) + 0x632BE59BD9B4E019ULL;
  }
  uint64_t w = 0;
  if (n > i) std::memcpy(&w, bytes.data() + i, n - i);
  return Mix(h ^ w ^ (uint64_t{n - i} << 56));
}

TextPool::TextPool() { Clear(); }
TextPool::TextPool(TextPool&&) noexcept = default;
TextPool& TextPool::operator=(TextPool&&) noexcept = default;
TextPool::~TextPool() = default;

void TextPool::Clear() {
  blocks_.clear();
  blockSizes_.clear();
  locations_.clear();
  locations_.shrink_to_fit();
  slots_.assign(1024, 0);
  slots_.shrink_to_fit();
  blockUsed_ = 0;
  blockBytes_ = 0;
  textBytes_ = 0;
  locations_.push_back(0);  // id 0: the empty text, stored nowhere
}

size_t TextPool::memoryUsed() const {
  return blockBytes_ + locations_.capacity() * sizeof(uint32_t) + slots_.capacity() * sizeof(uint64_t);
}

size_t TextPool::bytesUsed() const {
  return textBytes_ + locations_.capacity() * sizeof(uint32_t) + slots_.capacity() * sizeof(uint64_t);
}

size_t TextPool::GrowthFor(size_t count, size_t bytes) const {
  size_t grow = bytes + 10 * count;
  if ((locations_.size() + count + 1) * 2 > slots_.size()) grow += slots_.size() * sizeof(uint64_t) * 2;
  if (locations_.size() + count > locations_.capacity()) grow += locations_.capacity() * sizeof(uint32_t) + 64;
  return grow;
}

uint32_t TextPool::Intern(std::wstring_view text) {
  if (text.empty()) return kEmpty;
  scratch_.clear();
  AppendCompactText(scratch_, text);
  return InternCompact(scratch_);
}

uint32_t TextPool::InternCompact(std::string_view bytes) {
  if (bytes.empty()) return kEmpty;
  const uint64_t hash = HashBytes(bytes);
  const uint64_t tag = hash >> 32 << 32;
  const size_t mask = slots_.size() - 1;
  for (size_t at = hash & mask;; at = (at + 1) & mask) {
    const uint64_t s = slots_[at];
    if (s == 0) break;
    if ((s & 0xFFFFFFFF00000000ULL) == tag) {
      const uint32_t id = static_cast<uint32_t>(s) - 1;
      if (Compact(id) == bytes) return id;
    }
  }
  return Store(bytes, hash);
}

uint32_t TextPool::Store(std::string_view bytes, uint64_t hash) {
  if (locations_.size() >= kNone - 1) return kNone;
  const size_t need = bytes.size() + 10;
  if (blocks_.empty() || blockUsed_ + need > blockSizes_.back()) {
    if (blocks_.size() >= kMaxBlocks || need > 0xFFFFFFFFu) return kNone;
    const uint32_t size = need > kBlockSize ? static_cast<uint32_t>(need) : kBlockSize;
    blocks_.push_back(std::unique_ptr<char[]>(new char[size]));
    blockSizes_.push_back(size);
    blockBytes_ += size;
    blockUsed_ = 0;
  }
  const uint32_t block = static_cast<uint32_t>(blocks_.size() - 1);
  const uint32_t offset = blockUsed_;
  char* at = blocks_.back().get() + offset;
  const size_t head = PutLength(at, bytes.size());
  if (!bytes.empty()) std::memcpy(at + head, bytes.data(), bytes.size());
  blockUsed_ += static_cast<uint32_t>(head + bytes.size());
  textBytes_ += head + bytes.size();
  if (blockSizes_.back() > kBlockSize) blockUsed_ = blockSizes_.back();  // a text's own block
  const uint32_t id = static_cast<uint32_t>(locations_.size());
  locations_.push_back(block << kOffsetBits | offset);
  if ((locations_.size() + 1) * 2 > slots_.size()) {
    Grow();
  } else {
    const size_t mask = slots_.size() - 1;
    size_t i = hash & mask;
    while (slots_[i]) i = (i + 1) & mask;
    slots_[i] = (hash >> 32 << 32) | (uint64_t{id} + 1);
  }
  return id;
}

void TextPool::Grow() {
  std::vector<uint64_t> slots(slots_.size() * 2, 0);
  const size_t mask = slots.size() - 1;
  for (uint32_t id = 1; id < locations_.size(); ++id) {
    const uint64_t hash = HashBytes(Compact(id));
    size_t i = hash & mask;
    while (slots[i]) i = (i + 1) & mask;
    slots[i] = (hash >> 32 << 32) | (uint64_t{id} + 1);
  }
  slots_.swap(slots);
}

std::string_view TextPool::Compact(uint32_t id) const {
  if (id == kEmpty) return std::string_view();
  const uint32_t loc = locations_[id];
  const char* at = blocks_[loc >> kOffsetBits].get() + (loc & (kBlockSize - 1));
  size_t n = 0;
  int shift = 0;
  size_t i = 0;
  for (;; ++i, shift += 7) {
    const uint8_t b = static_cast<uint8_t>(at[i]);
    n |= size_t{b & 0x7Fu} << shift;
    if (!(b & 0x80)) break;
  }
  return std::string_view(at + i + 1, n);
}

void TextPool::AppendText(uint32_t id, std::wstring& out) const { AppendDecodedText(out, Compact(id)); }

std::wstring TextPool::Text(uint32_t id) const {
  std::wstring s;
  AppendText(id, s);
  return s;
}

}  // namespace tarnix

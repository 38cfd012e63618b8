#pragma once
// A sequence that grows in fixed chunks: appending never moves what is
// already stored (a list of millions of results grows on the window's
// thread without copying them all at once), and clearing frees a handful
// of chunks rather than millions of elements.
#include <cstddef>
#include <memory>
#include <utility>
#include <vector>

namespace tarnix {

template <class T, size_t kChunkBits = 16>
class ChunkedVector {
 public:
  static constexpr size_t kChunk = size_t{1} << kChunkBits;

  size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }

  T& operator[](size_t i) { return chunks_[i >> kChunkBits][i & (kChunk - 1)]; }
  const T& operator[](size_t i) const { return chunks_[i >> kChunkBits][i & (kChunk - 1)]; }
  T& back() { return (*this)[size_ - 1]; }

  // Room for one more; throws std::bad_alloc as push_back does.
  T& emplace_back() {
    if ((size_ & (kChunk - 1)) == 0 && (size_ >> kChunkBits) == chunks_.size()) {
      chunks_.emplace_back();
      try {
        chunks_.back() = std::make_unique<T[]>(kChunk);
      } catch (...) {
        chunks_.pop_back();
        throw;
      }
    }
    return (*this)[size_++];
  }
  void push_back(T v) { emplace_back() = std::move(v); }

  void clear() {
    chunks_.clear();
    chunks_.shrink_to_fit();
    size_ = 0;
  }
  void swap(ChunkedVector& other) noexcept {
    chunks_.swap(other.chunks_);
    std::swap(size_, other.size_);
  }
  // Bytes of the chunks held.
  size_t memoryUsed() const { return chunks_.size() * kChunk * sizeof(T) + chunks_.capacity() * sizeof(void*); }
  // Bytes of the elements stored (the rest of the last chunk left out).
  size_t bytesUsed() const { return size_ * sizeof(T) + chunks_.capacity() * sizeof(void*); }
  // Bytes the next chunk would take.
  static constexpr size_t chunkBytes() { return kChunk * sizeof(T); }

 private:
  std::vector<std::unique_ptr<T[]>> chunks_;
  size_t size_ = 0;
};

}  // namespace tarnix

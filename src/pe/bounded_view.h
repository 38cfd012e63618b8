#pragma once
// A bounds-checked, little-endian view over untrusted bytes. Every read
// states its offset and fails cleanly when the value would not fit; offsets
// and lengths are 64-bit so that no sum of untrusted values can wrap.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <type_traits>

namespace tarnix {

class BoundedView {
 public:
  BoundedView() = default;
  BoundedView(const uint8_t* data, size_t size) : data_(data), size_(size) {}

  const uint8_t* data() const { return data_; }
  size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }

  // True when `length` bytes at `offset` lie inside the view.
  bool Has(uint64_t offset, uint64_t length) const {
    return offset <= size_ && length <= size_ - offset;
  }

  // Reads an unsigned integer stored little-endian at `offset`.
  template <typename T>
  bool Read(uint64_t offset, T& out) const {
    static_assert(std::is_unsigned_v<T> && sizeof(T) <= 8);
    if (!Has(offset, sizeof(T))) return false;
    out = 0;
    for (size_t i = 0; i < sizeof(T); ++i)
      out |= static_cast<T>(static_cast<T>(data_[offset + i]) << (8 * i));
    return true;
  }

  // The part of the view of `length` bytes at `offset`; empty and false when
  // it does not fit.
  bool Sub(uint64_t offset, uint64_t length, BoundedView& out) const {
    if (!Has(offset, length)) {
      out = BoundedView();
      return false;
    }
    out = BoundedView(data_ + offset, static_cast<size_t>(length));
    return true;
  }

  // Copies `length` bytes at `offset` into `dest`.
  bool Copy(uint64_t offset, uint64_t length, void* dest) const {
    if (!Has(offset, length)) return false;
    if (length) std::memcpy(dest, data_ + offset, static_cast<size_t>(length));
    return true;
  }

 private:
  const uint8_t* data_ = nullptr;
  size_t size_ = 0;
};

}  // namespace tarnix

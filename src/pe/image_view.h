#pragma once
// A bounds-checked, typed view over the bytes of a mapped image. Every read
// of image bytes goes through it.
//
// Read() and String() stand for the program touching memory: a read outside
// the view marks the image as malformed (faulted()), and the reader then
// refuses the image with location 551 and error 310, as it does when the
// file shrinks underneath its mapping. TryRead() and Contains() only ask, for
// the walks that report their own errors.
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string_view>
#include <type_traits>

namespace tarnix {

// Told of every range of image bytes a view reads (the symbol cache keeps
// exactly those).
class ViewRecorder {
 public:
  virtual ~ViewRecorder() = default;
  virtual void Touched(uint64_t offset, uint64_t length) = 0;
};

static_assert(std::endian::native == std::endian::little,
              "image fields are read in place as little-endian values");

class ImageView {
 public:
  ImageView(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  // A view that tells `recorder` what it reads and never reports a fault, so
  // that the walks go on past every place a read would have ended them: what
  // it reads is all that any walk of the image can read.
  ImageView(const uint8_t* data, size_t size, ViewRecorder& recorder)
      : data_(data), size_(size), recorder_(&recorder) {}

  size_t size() const { return size_; }
  bool faulted() const { return faulted_ && !recorder_; }

  // True when [offset, offset + length) lies inside the view.
  bool Contains(uint64_t offset, uint64_t length) const {
    return offset <= size_ && length <= size_ - offset;
  }

  template <class T>
  std::optional<T> TryRead(uint64_t offset) const {
    static_assert(std::is_trivially_copyable_v<T>);
    if (!Contains(offset, sizeof(T))) return std::nullopt;
    if (recorder_) recorder_->Touched(offset, sizeof(T));
    T value;
    std::memcpy(&value, data_ + offset, sizeof(T));
    return value;
  }

  template <class T>
  std::optional<T> Read(uint64_t offset) const {
    std::optional<T> value = TryRead<T>(offset);
    if (!value) faulted_ = true;
    return value;
  }

  // Names longer than this are cut there, so that no later stage holds
  // more per name than this, whatever an image claims.
  static constexpr size_t kMaxNameLength = 65536;

  // The zero-terminated 8-bit string at `offset`, without its terminator,
  // of at most kMaxNameLength characters: a longer one is cut there and
  // counted (cutNames). A string that the view ends before its terminator,
  // within the bound, faults.
  std::optional<std::string_view> String(uint64_t offset) const {
    if (offset >= size_) {
      faulted_ = true;
      return std::nullopt;
    }
    const size_t room = size_ - static_cast<size_t>(offset);
    const char* begin = reinterpret_cast<const char*>(data_ + offset);
    const size_t scan = room < kMaxNameLength + 1 ? room : kMaxNameLength + 1;
    const void* end = std::memchr(begin, 0, scan);
    if (recorder_)
      recorder_->Touched(offset, end ? static_cast<const char*>(end) - begin + 1 : scan);
    if (end) return std::string_view(begin, static_cast<const char*>(end) - begin);
    if (room <= kMaxNameLength) {
      faulted_ = true;
      return std::nullopt;
    }
    if (cutNames_++ == 0) firstCut_ = offset;
    return std::string_view(begin, kMaxNameLength);
  }

  // How many names String() has cut, and where the first one starts.
  uint64_t cutNames() const { return cutNames_; }
  uint64_t firstCutOffset() const { return firstCut_; }
  // Up to `length` bytes of the first cut name.
  std::string_view FirstCutStart(size_t length) const {
    if (cutNames_ == 0) return {};
    return std::string_view(reinterpret_cast<const char*>(data_ + firstCut_),
                            length < kMaxNameLength ? length : kMaxNameLength);
  }

  // Marks the image as malformed (a table that would run past the view).
  void Fault() const { faulted_ = true; }

 private:
  const uint8_t* data_;
  size_t size_;
  ViewRecorder* recorder_ = nullptr;
  mutable bool faulted_ = false;
  mutable uint64_t cutNames_ = 0;
  mutable uint64_t firstCut_ = 0;
};

}  // namespace tarnix

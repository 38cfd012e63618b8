#pragma once
// Little-endian reads and writes of the stored range blobs. Every read is
// checked against the end of the data and fails cleanly.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tarnix {

class BlobReader {
 public:
  explicit BlobReader(std::span<const uint8_t> data) : data_(data) {}

  size_t remaining() const { return data_.size() - pos_; }

  bool ReadU32(uint32_t& v);
  // `units` UTF-16LE code units, decoded to a wide string.
  bool ReadUtf16(uint32_t units, std::wstring& s);

 private:
  std::span<const uint8_t> data_;
  size_t pos_ = 0;
};

class BlobWriter {
 public:
  explicit BlobWriter(std::vector<uint8_t>& out) : out_(out) {}
  void WriteU32(uint32_t v);
  void WriteUtf16(std::u16string_view s);

 private:
  std::vector<uint8_t>& out_;
};

}  // namespace tarnix

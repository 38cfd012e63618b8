#include "errmsg/blob_cursor.h"

#include "platform/text_encoding.h"

namespace tarnix {

bool BlobReader::ReadU32(uint32_t& v) {
  if (remaining() < 4) return false;
  const uint8_t* p = data_.data() + pos_;
  v = uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
  pos_ += 4;
  return true;
}

bool BlobReader::ReadUtf16(uint32_t units, std::wstring& s) {
  if (remaining() / 2 < units) return false;
  std::u16string u(units, u'\0');
  const uint8_t* p = data_.data() + pos_;
  for (uint32_t i = 0; i < units; ++i) u[i] = char16_t(p[2 * i] | p[2 * i + 1] << 8);
  pos_ += size_t(units) * 2;
  s = FromUtf16(u);
  return true;
}

void BlobWriter::WriteU32(uint32_t v) {
  for (int i = 0; i < 4; ++i) out_.push_back(uint8_t(v >> (8 * i)));
}

void BlobWriter::WriteUtf16(std::u16string_view s) {
  for (char16_t c : s) {
    out_.push_back(uint8_t(c));
    out_.push_back(uint8_t(c >> 8));
  }
}

}  // namespace tarnix

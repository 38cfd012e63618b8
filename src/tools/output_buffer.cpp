#include "tools/output_buffer.h"

namespace tarnix {

const wchar_t kOutputSeparatorLine[] = L"--------------------------------------";

OutputBuffer::OutputBuffer(uint32_t capacity) : capacity_(capacity) {}

void OutputBuffer::SetCapacity(uint32_t chars) {
  capacity_ = chars;
  TrimToCapacity();
}

std::wstring OutputBuffer::FormatLine(std::wstring_view text) {
  std::wstring line;
  line.reserve(text.size() + 2);
  for (wchar_t c : text) {
    if (c == L'\r') continue;
    if (c == L'\n') line += L'\r';
    line += c;
  }
  line += L"\r\n";
  return line;
}

bool OutputBuffer::AppendLine(std::wstring_view text) {
  separatorWritten_ = false;
  storage_ += FormatLine(text);
  return TrimToCapacity();
}

bool OutputBuffer::TrimToCapacity() {
  const size_t live = size();
  if (live <= capacity_) return true;
  const size_t drop = live - capacity_;
  if (onDrop_) onDrop_(text().substr(0, drop));
  head_ += drop;
  if (head_ >= size()) {
    storage_.erase(0, head_);
    head_ = 0;
  }
  return false;
}

bool OutputBuffer::AppendSeparator() {
  if (separatorWritten_) return false;
  AppendLine(kOutputSeparatorLine);
  separatorWritten_ = true;
  return true;
}

void OutputBuffer::Clear() {
  storage_.clear();
  storage_.shrink_to_fit();
  head_ = 0;
  separatorWritten_ = false;
}

}  // namespace tarnix

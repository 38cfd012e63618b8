#pragma once
// The text of a status or results output box: lines ended by CR LF, at most
// `capacity` characters, the oldest text dropped when a line overflows it
// (possibly in the middle of a line). A separator line is never written
// twice in a row.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace tarnix {

// 38 dashes.
extern const wchar_t kOutputSeparatorLine[];

class OutputBuffer {
 public:
  // Told of the characters about to leave the front of the text, before they
  // go (a view that is valid only during the call).
  using DropObserver = std::function<void(std::wstring_view dropped)>;

  explicit OutputBuffer(uint32_t capacity = 100000);

  // A smaller capacity drops the oldest text at once.
  void SetCapacity(uint32_t chars);
  uint32_t capacity() const { return capacity_; }

  // Removes the CRs of `text`, turns its LFs into CR LF and appends it
  // followed by CR LF. False when older text (or the start of this line) had
  // to be dropped to stay within the capacity. Clears the separator flag.
  bool AppendLine(std::wstring_view text);
  // Writes the separator line unless the last line written was one; answers
  // whether it wrote.
  bool AppendSeparator();
  void Clear();

  std::wstring_view text() const { return std::wstring_view(storage_).substr(head_); }
  size_t size() const { return storage_.size() - head_; }
  bool separatorWritten() const { return separatorWritten_; }

  void SetDropObserver(DropObserver observer) { onDrop_ = std::move(observer); }

  // The line as it is stored: CRs removed, LFs as CR LF, CR LF appended.
  static std::wstring FormatLine(std::wstring_view text);

 private:
  bool TrimToCapacity();

  uint32_t capacity_;
  // The text is storage_ from head_ on: dropping from the front only moves
  // head_, and the dead prefix is compacted once it is as long as the text,
  // so a long run of overflowing lines costs no copy of the whole text each.
  std::wstring storage_;
  size_t head_ = 0;
  bool separatorWritten_ = false;
  DropObserver onDrop_;
};

}  // namespace tarnix

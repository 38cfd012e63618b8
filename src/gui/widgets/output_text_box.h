#pragma once
// A read-only box of status or result lines that holds at most a capacity
// of characters: the lines live in an OutputBuffer, and the box shows its
// text with the CR LF pairs as line breaks. Appending only queues the
// change; the document is brought up to date once per turn of the event
// loop (new lines added at the end, dropped text cut off the front), so a
// search that writes tens of thousands of lines never rebuilds it per line.
#include <QPlainTextEdit>
#include <QTimer>
#include <cstdint>
#include <string>
#include <vector>
#include <string_view>

#include "tools/output_buffer.h"

namespace tarnix::gui {

class COutputTextBox : public QPlainTextEdit {
  Q_OBJECT
 public:
  explicit COutputTextBox(QWidget* parent = nullptr);

  void SetCapacity(uint32_t chars);
  uint32_t capacity() const { return buffer_.capacity(); }

  // False when older text had to be dropped; with `scroll` the box shows
  // the last line.
  bool AppendLine(const std::wstring& text, bool scroll = true);
  // A batch of lines in order, as one append.
  bool AppendLines(const std::vector<std::wstring>& lines);
  // The separator line unless the last line written was one.
  bool AppendSeparator();
  void Clear();

  // The whole text, lines ended by CR LF.
  std::wstring Text() const { return std::wstring(buffer_.text()); }
  // Puts the whole text on the clipboard; answers its length.
  size_t CopyToClipboard();
  // Asks for a file and writes the text to it as UTF-16LE with its mark:
  // 1 saved, 0 cancelled, -1 failed (shown, logged, last error set).
  int SaveToFile(QWidget* owner, uint32_t ctrlId);

  // Escape pressed in the box is consumed rather than closing the window.
  void SetSwallowEscape(bool swallow) { swallowEscape_ = swallow; }

 protected:
  bool event(QEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;

 private:
  void OnDrop(std::wstring_view dropped);
  // Queues the shown form of a line the buffer has just taken.
  void Queue(std::wstring_view line, bool scroll);
  void ScheduleSync();
  void Sync();
  qsizetype DocumentLength() const;

  OutputBuffer buffer_;
  QString pendingAppend_;      // shown text of the lines not yet in the document
  qsizetype pendingCut_ = 0;   // document positions to cut off its front
  bool rebuild_ = false;       // the drops reached text not yet shown: show anew
  bool scrollPending_ = false;
  // Kept at the newest line until the user scrolls away: the text is laid
  // out lazily, so the end moves after each change.
  bool followEnd_ = false;
  bool scrolling_ = false;
  bool swallowEscape_ = false;
  QTimer syncTimer_;
};

}  // namespace tarnix::gui

#include "gui/widgets/output_text_box.h"

#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QKeyEvent>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include "core/event_log.h"
#include "core/wformat.h"
#include "gui/app/desktop_actions.h"
#include "gui/app/dialogs.h"
#include "gui/app/text_convert.h"
#include "platform/file_output.h"
#include "platform/last_error.h"
#include "platform/text_encoding.h"
#include "platform/win_errors.h"

namespace tarnix::gui {

namespace {

// How many document positions `text` of the buffer takes: the CR of each
// CR LF pair none (its LF is the block break), a character beyond U+FFFF
// two, any other one. The buffer has no CR outside such a pair.
qsizetype ShownLength(std::wstring_view text) {
  qsizetype n = 0;
  for (wchar_t c : text) {
    const auto u = static_cast<uint32_t>(c);
    if (c == L'\r') continue;
    n += (u >= 0x10000 && u <= 0x10FFFF) ? 2 : 1;
  }
  return n;
}

// The buffer's text as the document holds it: CRs left out.
QString Shown(std::wstring_view text) {
  std::wstring lines;
  lines.reserve(text.size());
  for (wchar_t c : text)
    if (c != L'\r') lines += c;
  return ToQ(lines);
}

// Lines that come one per turn of the event loop are shown together at
// this pace, so the box is repainted at most about 60 times a second.
constexpr int kSyncIntervalMs = 15;

}  // namespace

COutputTextBox::COutputTextBox(QWidget* parent) : QPlainTextEdit(parent) {
  setReadOnly(true);
  setUndoRedoEnabled(false);
  setLineWrapMode(QPlainTextEdit::NoWrap);
  setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
  buffer_.SetDropObserver([this](std::wstring_view dropped) { OnDrop(dropped); });
  syncTimer_.setSingleShot(true);
  syncTimer_.setInterval(kSyncIntervalMs);
  connect(&syncTimer_, &QTimer::timeout, this, &COutputTextBox::Sync);
  connect(verticalScrollBar(), &QScrollBar::rangeChanged, this, [this](int, int max) {
    if (!followEnd_) return;
    scrolling_ = true;
    verticalScrollBar()->setValue(max);
    scrolling_ = false;
  });
  connect(verticalScrollBar(), &QScrollBar::valueChanged, this, [this](int value) {
    if (!scrolling_) followEnd_ = value == verticalScrollBar()->maximum();
  });
}

qsizetype COutputTextBox::DocumentLength() const {
  // Without the end of the last block, which every document has.
  return document()->characterCount() - 1;
}

void COutputTextBox::OnDrop(std::wstring_view dropped) {
  if (rebuild_) return;
  const qsizetype n = ShownLength(dropped);
  if (pendingCut_ + n <= DocumentLength()) {
    pendingCut_ += n;
    return;
  }
  // Text that never reached the document is dropped too: the document is
  // made anew from the buffer, once, when it is brought up to date.
  rebuild_ = true;
  pendingCut_ = 0;
  pendingAppend_.clear();
}

void COutputTextBox::SetCapacity(uint32_t chars) {
  buffer_.SetCapacity(chars);
  ScheduleSync();
}

bool COutputTextBox::AppendLine(const std::wstring& text, bool scroll) {
  const bool kept = buffer_.AppendLine(text);
  Queue(text, scroll);
  return kept;
}

bool COutputTextBox::AppendLines(const std::vector<std::wstring>& lines) {
  if (lines.empty()) return true;
  std::wstring text;
  for (const std::wstring& line : lines) {
    if (!text.empty()) text += L'\n';
    text += line;
  }
  return AppendLine(text);
}

bool COutputTextBox::AppendSeparator() {
  if (!buffer_.AppendSeparator()) return false;
  Queue(kOutputSeparatorLine, true);
  return true;
}

void COutputTextBox::Queue(std::wstring_view line, bool scroll) {
  if (!rebuild_) {
    pendingAppend_ += Shown(line);
    pendingAppend_ += QLatin1Char('\n');
  }
  scrollPending_ = scrollPending_ || scroll;
  ScheduleSync();
}

void COutputTextBox::Clear() {
  buffer_.Clear();
  pendingAppend_.clear();
  pendingCut_ = 0;
  rebuild_ = false;
  scrollPending_ = false;
  followEnd_ = false;
  syncTimer_.stop();
  clear();
}

void COutputTextBox::ScheduleSync() {
  // Not restarted by later lines: a steady stream is shown every interval.
  if (!syncTimer_.isActive()) syncTimer_.start();
}

void COutputTextBox::Sync() {
  if (rebuild_) {
    setPlainText(Shown(buffer_.text()));
  } else if (pendingCut_ > 0 || !pendingAppend_.isEmpty()) {
    QTextCursor cursor(document());
    cursor.beginEditBlock();
    if (pendingCut_ > 0) {
      cursor.setPosition(0);
      cursor.setPosition(static_cast<int>(pendingCut_), QTextCursor::KeepAnchor);
      cursor.removeSelectedText();
    }
    if (!pendingAppend_.isEmpty()) {
      cursor.movePosition(QTextCursor::End);
      cursor.insertText(pendingAppend_);
    }
    cursor.endEditBlock();
  }
  rebuild_ = false;
  pendingCut_ = 0;
  pendingAppend_.clear();
  if (scrollPending_) {
    scrollPending_ = false;
    // The last line is the one before the empty block after the final
    // line break.
    followEnd_ = true;
    scrolling_ = true;
    verticalScrollBar()->setValue(verticalScrollBar()->maximum());
    scrolling_ = false;
    horizontalScrollBar()->setValue(0);
  }
}

size_t COutputTextBox::CopyToClipboard() {
  const std::wstring_view text = buffer_.text();
  // The desktop's clipboard text ends its lines with LF alone.
  QApplication::clipboard()->setText(Shown(text));
  return text.size();
}

int COutputTextBox::SaveToFile(QWidget* owner, uint32_t ctrlId) {
  if (!owner) owner = window();
  FileDialogRequest request;
  request.filter = QStringLiteral("Text File (*.txt)|*.txt|All Files (*.*)|*.*|");
  request.defaultExtension = QStringLiteral("txt");
  QString path;
  if (!AppDialogs().SaveFileName(owner, request, path)) {
    SetLastError(ERROR_CANCELLED);
    return 0;
  }
  const std::u16string units = ToUtf16(buffer_.text());
  std::string bytes;
  bytes.reserve(2 + units.size() * 2);
  bytes += '\xFF';
  bytes += '\xFE';
  for (char16_t u : units) {
    bytes += static_cast<char>(u & 0xFF);
    bytes += static_cast<char>(u >> 8);
  }
  FileOutput out;
  if (out.Create(QFile::encodeName(path).toStdString()) && out.Write(bytes) && out.Commit())
    return 1;
  const uint32_t error = GetLastError();
  const std::wstring where = FromQ(path);
  EventLog::LogSiteFormat(239, L"ctrlID=%u, path=\"%ls\"", ctrlId, where.c_str());
  ShowErrorBox(owner, WFormat(L"ERROR: Failed to save contents in the following file:\n\n%ls", where.c_str()), error);
  SetLastError(error);
  return -1;
}

bool COutputTextBox::event(QEvent* e) {
  // A window's Escape shortcut would otherwise take the key first.
  if (e->type() == QEvent::ShortcutOverride && swallowEscape_) {
    auto* key = static_cast<QKeyEvent*>(e);
    if (key->key() == Qt::Key_Escape && key->modifiers() == Qt::NoModifier) {
      e->accept();
      return true;
    }
  }
  return QPlainTextEdit::event(e);
}

void COutputTextBox::keyPressEvent(QKeyEvent* e) {
  if (swallowEscape_ && e->key() == Qt::Key_Escape && e->modifiers() == Qt::NoModifier) {
    e->accept();
    return;
  }
  QPlainTextEdit::keyPressEvent(e);
}

}  // namespace tarnix::gui

#include "core/preset_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <ctime>
#include <thread>

#include "core/event_log.h"
#include "core/value_escape.h"
#include "core/wformat.h"
#include "platform/char_class.h"
#include "platform/errno_map.h"
#include "platform/file_output.h"
#include "platform/last_error.h"
#include "platform/text_encoding.h"
#include "platform/wait_event.h"
#include "platform/win_errors.h"

namespace tarnix {
namespace {

constexpr uint32_t kWriteRetryMs = 1;
constexpr uint32_t kReadRetryMs = 5;

// A file descriptor closed at the end of its scope.
class Fd {
 public:
  Fd() = default;
  explicit Fd(int fd) : fd_(fd) {}
  ~Fd() { Reset(); }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  void Reset(int fd = -1) {
    if (fd_ >= 0) close(fd_);
    fd_ = fd;
  }
  int get() const { return fd_; }

 private:
  int fd_ = -1;
};

std::string FolderOf(const std::string& path) {
  std::string::size_type slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

// ENOENT means "file not found" when the folder exists, else "path not found".
uint32_t NotFoundError(const std::string& path, int err) {
  if (err == ENOTDIR) return ERROR_PATH_NOT_FOUND;
  struct stat st {};
  if (stat(FolderOf(path).c_str(), &st) == 0 && S_ISDIR(st.st_mode)) return ERROR_FILE_NOT_FOUND;
  return ERROR_PATH_NOT_FOUND;
}

bool SameFile(int fd, const std::string& path) {
  struct stat a {}, b {};
  return fstat(fd, &a) == 0 && stat(path.c_str(), &b) == 0 && a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// Waits between tries of a file another process holds. ERROR_SUCCESS to try
// again, else the code to end with.
uint32_t RetryWait(const WaitEvent* cancel, uint32_t stepMs,
                   std::chrono::steady_clock::time_point start, uint32_t timeoutMs) {
  if (cancel) {
    if (cancel->Wait(stepMs)) return ERROR_CANCELLED;
  } else {
    std::this_thread::sleep_for(std::chrono::milliseconds(stepMs));
  }
  if (std::chrono::steady_clock::now() - start > std::chrono::milliseconds(timeoutMs)) return ERROR_TIMEOUT;
  return ERROR_SUCCESS;
}

// Opens `path` for reading and takes its shared lock, retrying while
// another process holds it. On success `fd` holds the locked file, which is
// the file the path names.
uint32_t OpenForReading(const std::string& path, const WaitEvent* cancel, uint32_t timeoutMs, Fd& fd) {
  const auto start = std::chrono::steady_clock::now();
  for (;;) {
    const int f = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (f < 0) {
      const int err = errno;
      return (err == ENOENT || err == ENOTDIR) ? NotFoundError(path, err) : Win32FromErrno(err);
    }
    fd.Reset(f);
    struct stat st {};
    if (fstat(f, &st) != 0) return Win32FromErrno(errno);
    if (S_ISDIR(st.st_mode)) return ERROR_ACCESS_DENIED;
    if (flock(f, LOCK_SH | LOCK_NB) == 0) {
      if (SameFile(f, path)) return ERROR_SUCCESS;
      fd.Reset();  // replaced by a writer while this one waited: open the new file
      continue;
    }
    if (errno != EWOULDBLOCK && errno != EINTR) return Win32FromErrno(errno);
    fd.Reset();
    if (const uint32_t err = RetryWait(cancel, kReadRetryMs, start, timeoutMs)) return err;
  }
}

// Takes the exclusive lock of the regular file at `path` (through links)
// that a write is about to replace, retrying while another process holds
// it. Nothing to lock (no file, or one that is not a regular file, or one
// this user may not read) is success with `fd` empty: the writer decides
// what to do with such a target.
uint32_t LockForReplacing(const std::string& path, const WaitEvent* cancel, uint32_t timeoutMs, Fd& fd) {
  const auto start = std::chrono::steady_clock::now();
  for (;;) {
    struct stat st {};
    if (stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return ERROR_SUCCESS;
    const int f = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (f < 0) return ERROR_SUCCESS;
    fd.Reset(f);
    if (flock(f, LOCK_EX | LOCK_NB) == 0) {
      if (SameFile(f, path)) return ERROR_SUCCESS;
      fd.Reset();
      continue;
    }
    if (errno != EWOULDBLOCK && errno != EINTR) return Win32FromErrno(errno);
    fd.Reset();
    if (const uint32_t err = RetryWait(cancel, kWriteRetryMs, start, timeoutMs)) return err;
  }
}

void AppendUtf16Le(std::string& out, std::wstring_view text) {
  std::u16string u = ToUtf16(text);
  for (char16_t c : u) {
    out.push_back(static_cast<char>(c & 0xFF));
    out.push_back(static_cast<char>(c >> 8));
  }
}

}  // namespace

PresetFile::PresetFile(std::string path, std::wstring_view commentText, const WaitEvent* cancel)
    : path_(std::move(path)), comment_(BuildComment(commentText)), cancel_(cancel) {}

std::wstring PresetFile::BuildComment(std::wstring_view text) {
  std::wstring out;
  bool lineStart = true;
  for (wchar_t c : text) {
    if (c == L'\r') continue;
    if (lineStart) out += L"; ";
    out += c;
    lineStart = c == L'\n';
  }
  return out;
}

bool PresetFile::IsValidSectionName(std::wstring_view name) {
  return !name.empty() && name.find_first_of(L"\r\n[]") == std::wstring_view::npos;
}

bool PresetFile::IsValidKey(std::wstring_view key) {
  if (key.empty()) return false;
  for (wchar_t c : key)
    if (c != L'_' && !IsCharAlphaNumeric(c)) return false;
  return true;
}

bool PresetFile::BuildBytes(const std::vector<PresetSection>& sections, std::string& out) const {
  out.clear();
  for (const auto& s : sections) {
    if (!IsValidSectionName(s.name)) {
      SetLastError(ERROR_INVALID_DATA);
      return false;
    }
    for (const auto& p : s.pairs) {
      if (!IsValidKey(p.key)) {
        SetLastError(ERROR_INVALID_DATA);
        return false;
      }
    }
  }
  std::wstring text;
  text.reserve(comment_.size() + std::min<size_t>(sections.size(), 4096) * 4096);
  if (!comment_.empty()) {
    for (wchar_t c : comment_) {
      if (c == L'\n') text += L'\r';
      text += c;
    }
    text += L"\r\n";
  }
  for (const auto& s : sections) {
    text += L'[';
    text += s.name;
    text += L"]\r\n";
    for (const auto& p : s.pairs) {
      text += p.key;
      text += L'=';
      text += EscapeValue(p.value, true);
      text += L"\r\n";
    }
  }
  out.assign("\xFF\xFE", 2);
  AppendUtf16Le(out, text);
  return true;
}

int PresetFile::Write(const std::vector<PresetSection>& sections, uint32_t timeoutMs) {
  if (sticky_) {
    SetLastError(sticky_);
    return -1;
  }
  std::string bytes;
  try {
    if (!BuildBytes(sections, bytes)) return -1;
  } catch (const std::bad_alloc&) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return -1;
  }
  // The old file stays locked while the new one takes its place, so that
  // a reader of another instance sees one or the other whole.
  Fd locked;
  if (const uint32_t err = LockForReplacing(path_, cancel_, timeoutMs, locked)) {
    SetLastError(err);
    return -1;
  }
  FileOutput out;
  if (!out.Create(path_, bytes.size()) || !out.Write(bytes) || !out.Commit()) return -1;
  return 0;
}

namespace {

// The characters of a document: a wide text, or a file's bytes decoded one
// character at a time, so that reading a file never holds its whole text
// decoded (four bytes for every byte of an ANSI or UTF-8 file).
class WideChars {
 public:
  explicit WideChars(std::wstring_view text) : text_(text) {}
  bool AtEnd() const { return at_ == text_.size(); }
  wchar_t Peek() const { return text_[at_]; }
  void Next() { ++at_; }

 private:
  std::wstring_view text_;
  size_t at_ = 0;
};

class ByteChars {
 public:
  enum class Encoding { kAnsi, kUtf8, kUtf16Le, kUtf16Be };
  ByteChars(std::string_view bytes, Encoding encoding) : bytes_(bytes), encoding_(encoding) {}
  bool AtEnd() const { return at_ == bytes_.size(); }
  wchar_t Peek() {
    if (!length_) Decode();
    return current_;
  }
  void Next() {
    if (!length_) Decode();
    at_ += length_;
    length_ = 0;
  }

 private:
  char16_t Unit(size_t at) const {
    const auto b0 = static_cast<unsigned char>(bytes_[at]), b1 = static_cast<unsigned char>(bytes_[at + 1]);
    return static_cast<char16_t>(encoding_ == Encoding::kUtf16Be ? b0 << 8 | b1 : b1 << 8 | b0);
  }
  void Decode() {
    switch (encoding_) {
      case Encoding::kAnsi:
        current_ = Cp1252Char(static_cast<unsigned char>(bytes_[at_]));
        length_ = 1;
        break;
      case Encoding::kUtf8:
        // A byte that is not UTF-8 is the replacement character, as an
        // unpaired surrogate of UTF-16 is: no text of a document holds a
        // surrogate half, which no UTF-16 file or store could keep.
        current_ = Utf8CharAt(bytes_, at_, length_);
        if (current_ >= 0xD800 && current_ <= 0xDFFF) current_ = 0xFFFD;
        break;
      case Encoding::kUtf16Le:
      case Encoding::kUtf16Be: {
        const bool more = at_ + 3 < bytes_.size();
        const char16_t next = more ? Unit(at_ + 2) : 0;
        size_t units = 1;
        current_ = Utf16Char(Unit(at_), more ? &next : nullptr, units);
        length_ = 2 * units;
        break;
      }
    }
  }

  std::string_view bytes_;
  Encoding encoding_;
  size_t at_ = 0;
  size_t length_ = 0;  // of the character at at_ once decoded, else 0
  wchar_t current_ = 0;
};

bool IsKeyChar(wchar_t c) { return c == L'_' || IsCharAlphaNumeric(c); }

// Scans a document by the reading rules, within the reader's bounds. False
// with ERROR_BAD_FORMAT (and no sections).
template <class Chars>
bool Scan(Chars& t, std::vector<PresetSection>& sections) {
  sections.clear();
  auto fail = [&] {
    sections.clear();
    SetLastError(ERROR_BAD_FORMAT);
    return false;
  };
  size_t pairs = 0;
  std::wstring text;
  while (!t.AtEnd()) {
    const wchar_t c = t.Peek();
    if (c == L' ' || c == L'\t' || c == L'\r' || c == L'\n') {
      t.Next();
    } else if (c == L';') {
      while (!t.AtEnd() && t.Peek() != L'\n') t.Next();
    } else if (c == L'[') {
      text.clear();
      for (t.Next(); !t.AtEnd() && t.Peek() != L']'; t.Next()) {
        const wchar_t n = t.Peek();
        if (n == L'\r' || n == L'\n' || n == L'[' || text.size() == PresetFile::kMaxNameLength) return fail();
        text += n;
      }
      if (t.AtEnd() || text.empty() || sections.size() == PresetFile::kMaxSections) return fail();
      t.Next();
      sections.push_back(PresetSection{text, {}});
    } else {
      if (sections.empty() || !IsKeyChar(c)) return fail();
      text.clear();
      for (; !t.AtEnd() && IsKeyChar(t.Peek()); t.Next()) {
        if (text.size() == PresetFile::kMaxNameLength) return fail();
        text += t.Peek();
      }
      while (!t.AtEnd() && (t.Peek() == L' ' || t.Peek() == L'\t')) t.Next();
      if (t.AtEnd() || t.Peek() != L'=' || pairs == PresetFile::kMaxPairs) return fail();
      t.Next();
      // A copy: the key must not take the buffer that values grow in.
      std::wstring key(text);
      text.clear();
      // Escapes at most double a value's length, so every value read is
      // written back within the bound.
      for (; !t.AtEnd() && t.Peek() != L'\r' && t.Peek() != L'\n'; t.Next()) {
        if (text.size() == 2 * PresetFile::kMaxValueLength) return fail();
        text += t.Peek();
      }
      std::wstring value = UnescapeValue(text);
      if (value.size() > PresetFile::kMaxValueLength) return fail();
      sections.back().pairs.push_back(PresetPair{std::move(key), std::move(value)});
      ++pairs;
    }
  }
  return true;
}

}  // namespace

bool PresetFile::ParseBytes(std::string_view b, std::vector<PresetSection>& sections) {
  sections.clear();
  auto starts = [&](std::string_view mark) { return b.substr(0, mark.size()) == mark; };
  using namespace std::string_view_literals;
  if (starts("\x00\x00\xFE\xFF"sv) || starts("\x0E\xFE\xFF"sv)) {
    SetLastError(ERROR_BAD_FORMAT);
    return false;
  }
  using Encoding = ByteChars::Encoding;
  Encoding encoding = Encoding::kAnsi;
  if (starts("\xEF\xBB\xBF"sv)) {
    encoding = Encoding::kUtf8;
    b.remove_prefix(3);
  } else if (starts("\xFE\xFF"sv) || starts("\xFF\xFE"sv)) {
    encoding = b[0] == '\xFE' ? Encoding::kUtf16Be : Encoding::kUtf16Le;
    b.remove_prefix(2);
    if (b.size() % 2) {
      SetLastError(ERROR_BAD_LENGTH);
      return false;
    }
  }
  ByteChars chars(b, encoding);
  return Scan(chars, sections);
}

bool PresetFile::ParseText(std::wstring_view text, std::vector<PresetSection>& sections) {
  WideChars chars(text);
  return Scan(chars, sections);
}

int PresetFile::Read(std::vector<PresetSection>& sections, uint32_t timeoutMs) {
  sections.clear();
  if (sticky_) {
    SetLastError(sticky_);
    return -1;
  }
  Fd fd;
  if (const uint32_t err = OpenForReading(path_, cancel_, timeoutMs, fd)) {
    SetLastError(err);
    if (err == ERROR_FILE_NOT_FOUND || err == ERROR_PATH_NOT_FOUND) return 1;
    if (err == ERROR_CANCELLED) return -2;
    if (err == ERROR_TIMEOUT) return -3;
    return -1;
  }
  struct stat st {};
  if (fstat(fd.get(), &st) != 0) {
    SetLastErrorFromErrno();
    return -1;
  }
  if (static_cast<uint64_t>(st.st_size) > kMaxPresetFileSize) {
    SetLastError(ERROR_FILE_TOO_LARGE);
    return -1;
  }
  try {
    // Read in place: one byte more than the limit tells a file that grew
    // while it was read.
    std::string bytes(static_cast<size_t>(st.st_size) + 1, '\0');
    size_t got = 0;
    while (got < bytes.size()) {
      const ssize_t n = read(fd.get(), bytes.data() + got, bytes.size() - got);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) {
        SetLastErrorFromErrno();
        return -1;
      }
      if (n == 0) break;
      got += static_cast<size_t>(n);
      if (got == bytes.size() && got <= kMaxPresetFileSize) bytes.resize(std::min<size_t>(2 * got, kMaxPresetFileSize + 1));
    }
    fd.Reset();
    if (got > kMaxPresetFileSize) {
      SetLastError(ERROR_FILE_TOO_LARGE);
      return -1;
    }
    bytes.resize(got);
    if (!ParseBytes(bytes, sections)) return -1;
  } catch (const std::bad_alloc&) {
    sections.clear();
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return -1;
  }
  SetLastError(ERROR_SUCCESS);
  return 0;
}

namespace {

std::wstring FileHeader(const wchar_t* contents) {
  time_t now = time(nullptr);
  struct tm local {};
  char date[128] = "";
  if (localtime_r(&now, &local)) std::strftime(date, sizeof date, "%c", &local);
  return WFormat(L"This file was created by %ls v.%ls\n(It contains exports of the %ls.)\n\nDate: %ls\n",
                 EventLog::kSourceName, EventLog::kVersion, contents, FromUtf8(date).c_str());
}

}  // namespace

std::wstring ErrCodePresetsFileHeader() { return FileHeader(L"error codes search presets"); }
std::wstring ErrMsgPresetsFileHeader() { return FileHeader(L"error messages search presets"); }

}  // namespace tarnix

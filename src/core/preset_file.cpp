#include "core/preset_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

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

bool PresetFile::DecodeBytes(std::string_view b, std::wstring& text) {
  auto starts = [&](std::string_view mark) { return b.substr(0, mark.size()) == mark; };
  using namespace std::string_view_literals;
  if (starts("\x00\x00\xFE\xFF"sv) || starts("\x0E\xFE\xFF"sv)) {
    SetLastError(ERROR_BAD_FORMAT);
    return false;
  }
  if (starts("\xEF\xBB\xBF"sv)) {
    text = FromUtf8(b.substr(3));
    return true;
  }
  const bool be = starts("\xFE\xFF"sv);
  if (be || starts("\xFF\xFE"sv)) {
    std::string_view body = b.substr(2);
    if (body.size() % 2) {
      SetLastError(ERROR_BAD_LENGTH);
      return false;
    }
    std::u16string u(body.size() / 2, u'\0');
    for (size_t i = 0; i < u.size(); ++i) {
      auto hi = static_cast<unsigned char>(body[2 * i + (be ? 0 : 1)]);
      auto lo = static_cast<unsigned char>(body[2 * i + (be ? 1 : 0)]);
      u[i] = static_cast<char16_t>(hi << 8 | lo);
    }
    text = FromUtf16(u);
    return true;
  }
  text = FromCp1252(b);
  return true;
}

bool PresetFile::ParseText(std::wstring_view t, std::vector<PresetSection>& sections) {
  sections.clear();
  auto fail = [&] {
    sections.clear();
    SetLastError(ERROR_BAD_FORMAT);
    return false;
  };
  auto isKeyChar = [](wchar_t c) { return c == L'_' || IsCharAlphaNumeric(c); };
  const size_t n = t.size();
  size_t i = 0;
  while (i < n) {
    const wchar_t c = t[i];
    if (c == L' ' || c == L'\t' || c == L'\r' || c == L'\n') {
      ++i;
    } else if (c == L';') {
      size_t lf = t.find(L'\n', i);
      i = lf == std::wstring_view::npos ? n : lf;
    } else if (c == L'[') {
      size_t j = i + 1;
      while (j < n && t[j] != L']') {
        if (t[j] == L'\r' || t[j] == L'\n' || t[j] == L'[') return fail();
        ++j;
      }
      if (j >= n || j == i + 1) return fail();
      sections.push_back(PresetSection{std::wstring(t.substr(i + 1, j - i - 1)), {}});
      i = j + 1;
    } else {
      if (sections.empty() || !isKeyChar(c)) return fail();
      size_t j = i;
      while (j < n && isKeyChar(t[j])) ++j;
      std::wstring key(t.substr(i, j - i));
      while (j < n && (t[j] == L' ' || t[j] == L'\t')) ++j;
      if (j >= n || t[j] != L'=') return fail();
      ++j;
      size_t k = j;
      while (k < n && t[k] != L'\r' && t[k] != L'\n') ++k;
      sections.back().pairs.push_back(PresetPair{std::move(key), UnescapeValue(t.substr(j, k - j))});
      i = k;
    }
  }
  return true;
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
    std::string bytes;
    char buf[65536];
    for (;;) {
      ssize_t n = read(fd.get(), buf, sizeof buf);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) {
        SetLastErrorFromErrno();
        return -1;
      }
      if (n == 0) break;
      bytes.append(buf, static_cast<size_t>(n));
      if (bytes.size() > kMaxPresetFileSize) {  // grew while being read
        SetLastError(ERROR_FILE_TOO_LARGE);
        return -1;
      }
    }
    fd.Reset();
    std::wstring text;
    if (!DecodeBytes(bytes, text) || !ParseText(text, sections)) return -1;
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

#pragma once
// The INI-style preset export file. A whole document is written at once as
// UTF-16LE with a byte-order mark and CR LF line ends; files are read in
// UTF-8, UTF-16 (either byte order) or, without a mark, Windows-1252.
// Values are escaped C-style. While another instance of the program holds
// the file (writers exclusively, readers shared), operations retry until
// their timeout or until the cancel event is signalled.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tarnix {

class WaitEvent;

struct PresetPair {
  std::wstring key;
  std::wstring value;
  bool operator==(const PresetPair&) const = default;
};

struct PresetSection {
  std::wstring name;
  std::vector<PresetPair> pairs;
  bool operator==(const PresetSection&) const = default;
};

inline constexpr uint64_t kMaxPresetFileSize = 0x1000000;

class PresetFile {
 public:
  // `path` is UTF-8; `commentText` becomes the comment above the first
  // section (see BuildComment). `cancel` is optional.
  PresetFile(std::string path, std::wstring_view commentText, const WaitEvent* cancel = nullptr);

  // Every line of `text` prefixed with "; " (line feeds kept, carriage
  // returns dropped); no prefix after a final line feed.
  static std::wstring BuildComment(std::wstring_view text);

  // A code that every later operation fails with at once (0: none).
  void SetStickyError(uint32_t code) { sticky_ = code; }
  uint32_t stickyError() const { return sticky_; }
  const std::wstring& comment() const { return comment_; }
  const std::string& path() const { return path_; }

  // Writes the whole document with the program's safe writer (FileOutput):
  // the file is replaced whole, never half written, and a failed write
  // keeps the old file. 0 on success, -1 with the last error set:
  // ERROR_INVALID_DATA for a bad section or key name (nothing is written),
  // ERROR_CANCELLED, ERROR_TIMEOUT while another process held the file, or
  // the writer's error (ERROR_ACCESS_DENIED for a file this user may not
  // write, ERROR_PIPE_NOT_CONNECTED for a FIFO nobody reads).
  int Write(const std::vector<PresetSection>& sections, uint32_t timeoutMs);

  // Reads the whole document (values unescaped). 0 on success; 1 when the
  // file or its folder does not exist (ERROR_FILE_NOT_FOUND or
  // ERROR_PATH_NOT_FOUND); -2 cancelled (ERROR_CANCELLED); -3 timed out
  // (ERROR_TIMEOUT); -1 on any other failure with the last error set
  // (ERROR_FILE_TOO_LARGE, ERROR_BAD_FORMAT, ERROR_BAD_LENGTH, ...).
  int Read(std::vector<PresetSection>& sections, uint32_t timeoutMs);

  // The exact bytes a write puts into the file; false (ERROR_INVALID_DATA)
  // for an invalid name.
  bool BuildBytes(const std::vector<PresetSection>& sections, std::string& out) const;

  // What a document may make the reader hold. The program's own files have
  // at most 65 sections and some 66,000 pairs (64 presets of 1024 locations
  // or ranges), short names and values of a few hundred characters; beyond
  // these bounds a document is a format error.
  static constexpr size_t kMaxSections = 1024;
  static constexpr size_t kMaxPairs = 81920;
  static constexpr size_t kMaxNameLength = 256;     // section names and keys
  static constexpr size_t kMaxValueLength = 32768;  // unescaped (twice that as written)

  // Reads a file's bytes: the encoding by their byte-order mark, then the
  // scan, one character at a time; bytes that are not UTF-8 in a UTF-8
  // file, like unpaired surrogates of UTF-16, read as U+FFFD. False with ERROR_BAD_FORMAT (rejected
  // marks, the scan), ERROR_BAD_LENGTH (odd UTF-16).
  static bool ParseBytes(std::string_view bytes, std::vector<PresetSection>& sections);
  // Scans a document; false with ERROR_BAD_FORMAT.
  static bool ParseText(std::wstring_view text, std::vector<PresetSection>& sections);

  static bool IsValidSectionName(std::wstring_view name);
  static bool IsValidKey(std::wstring_view key);

 private:
  std::string path_;
  std::wstring comment_;
  const WaitEvent* cancel_;
  uint32_t sticky_ = 0;
};

// The comment texts of the two preset exports: product, version and the
// current local date and time ("%c").
std::wstring ErrCodePresetsFileHeader();
std::wstring ErrMsgPresetsFileHeader();

}  // namespace tarnix

#pragma once
// Writing a whole output file: created anew (replacing an existing one); when
// any write fails, or the output is discarded, the partial file is deleted —
// but only while the path still names the regular file this output created,
// so a failed export to a device or to a file replaced meanwhile removes
// nothing it does not own. Used for the exports.
#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace tarnix {

// Writes all `size` bytes to `fd`, going on after interruptions; false with
// the last error set when the system refuses (or writes nothing).
bool WriteAll(int fd, const void* data, size_t size);

class FileOutput {
 public:
  FileOutput() = default;
  ~FileOutput();  // an output neither committed nor failed is discarded
  FileOutput(const FileOutput&) = delete;
  FileOutput& operator=(const FileOutput&) = delete;

  // Creates `path` (UTF-8), truncating an existing file. A missing folder is
  // ERROR_PATH_NOT_FOUND, as the platform reports it.
  bool Create(const std::string& path, size_t bufferSize = 512 * 1024);
  bool Write(const void* data, size_t size);
  bool Write(std::string_view bytes) { return Write(bytes.data(), bytes.size()); }
  // Flushes and closes; on failure the file is deleted. Last error set.
  bool Commit();
  // Closes and deletes the file (cancelled or failed output). Keeps the
  // last error.
  void Discard();

 private:
  bool Flush();
  void RemoveOwnFile() const;

  int fd_ = -1;
  std::string path_;
  std::string buffer_;
  size_t capacity_ = 0;
  bool regular_ = false;  // the path named a regular file when it was opened
  dev_t dev_ = 0;
  ino_t ino_ = 0;
};

}  // namespace tarnix

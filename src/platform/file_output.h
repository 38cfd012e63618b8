#pragma once
// Writing a whole output file so that a failure never costs the user the
// file it was replacing: the bytes go to a hidden temporary file in the
// target's folder, which is renamed over the target only once everything
// was written and synced. A failed, cancelled or discarded output removes
// only its own temporary file; the old target stays as it was. A symbolic
// link stays a link (the file it points to is replaced). A target that
// exists and is not a regular file (a device such as /dev/stdout, a FIFO
// with a reader) is written in place, since it cannot be replaced; a FIFO
// without a reader is refused instead of waiting for one. Used for every
// file the program writes for the user (exports, reports, the output box's
// save, the temporary preview).
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

  // Starts the output for `path` (UTF-8). A missing folder is
  // ERROR_PATH_NOT_FOUND, a folder as target ERROR_ACCESS_DENIED.
  bool Create(const std::string& path, size_t bufferSize = 512 * 1024);
  bool Write(const void* data, size_t size);
  bool Write(std::string_view bytes) { return Write(bytes.data(), bytes.size()); }
  // Flushes, syncs and puts the file in place. On failure the temporary
  // file is removed and the target is untouched. Last error set.
  bool Commit();
  // Drops the output (cancelled or failed): removes the temporary file.
  // Keeps the last error.
  void Discard();

  // Tests: every output fails its writes with `error` once `bytes` bytes
  // have gone to disk (a negative count turns the failure off).
  static void FailWritesAfterForTesting(int64_t bytes, uint32_t error);

 private:
  bool Flush();

  int fd_ = -1;
  std::string target_;  // where the file ends up
  std::string temp_;    // the temporary file; empty when writing in place
  std::string buffer_;
  size_t capacity_ = 0;
  uint64_t written_ = 0;
};

}  // namespace tarnix

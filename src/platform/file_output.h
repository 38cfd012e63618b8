#pragma once
// Writing a whole output file: created anew (replacing an existing one); when
// any write fails the partial file is deleted. Used for the exports.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace tarnix {

class FileOutput {
 public:
  FileOutput() = default;
  ~FileOutput();  // an output neither committed nor failed is discarded
  FileOutput(const FileOutput&) = delete;
  FileOutput& operator=(const FileOutput&) = delete;

  // Creates `path` (UTF-8), truncating an existing file.
  bool Create(const std::string& path, size_t bufferSize = 512 * 1024);
  bool Write(const void* data, size_t size);
  bool Write(std::string_view bytes) { return Write(bytes.data(), bytes.size()); }
  // Flushes and closes; on failure the file is deleted. Last error set.
  bool Commit();
  // Closes and deletes the file (cancelled or failed output).
  void Discard();

 private:
  bool Flush();

  int fd_ = -1;
  std::string path_;
  std::string buffer_;
  size_t capacity_ = 0;
};

}  // namespace tarnix

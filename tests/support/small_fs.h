#pragma once
// A small file system of its own (tmpfs) for tests of full disks and
// read-only stores. Mounting needs the right to mount (root in CI); where
// it is missing the test skips with reason().
#include <cstddef>
#include <filesystem>
#include <string>

namespace tarnix::test {

class SmallFileSystem {
 public:
  explicit SmallFileSystem(size_t bytes);
  ~SmallFileSystem();
  SmallFileSystem(const SmallFileSystem&) = delete;
  SmallFileSystem& operator=(const SmallFileSystem&) = delete;

  bool ok() const { return mounted_; }
  const std::string& reason() const { return reason_; }
  const std::filesystem::path& path() const { return path_; }
  // Remounts read-only (true) or writable (false).
  bool SetReadOnly(bool readOnly);
  // Fills the file system to the last byte with a file named "filler".
  void Fill() const;

 private:
  std::filesystem::path path_;
  std::string options_;
  bool mounted_ = false;
  std::string reason_;
};

}  // namespace tarnix::test

#pragma once
#include <filesystem>
#include <string>
#include <string_view>

namespace tarnix::test {

// A temporary folder removed with everything in it at the end of its scope.
class TempDir {
 public:
  explicit TempDir(std::string_view tag = "t");
  // A folder at a chosen path instead, made afresh (anything there before
  // is removed) and removed in the same way.
  struct At {
    std::filesystem::path path;
  };
  explicit TempDir(At at);
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& path() const { return path_; }
  // Writes `bytes` to a file below the folder and returns its path.
  std::filesystem::path Write(std::string_view name, std::string_view bytes) const;

 private:
  std::filesystem::path path_;
};

}  // namespace tarnix::test

#include "support/temp_dir.h"

#include <stdlib.h>

#include <fstream>
#include <stdexcept>
#include <utility>

namespace tarnix::test {

TempDir::TempDir(std::string_view tag) {
  std::string templ =
      (std::filesystem::temp_directory_path() / ("tarnix-" + std::string(tag) + "-XXXXXX")).string();
  if (!mkdtemp(templ.data())) throw std::runtime_error("mkdtemp failed");
  path_ = templ;
}

TempDir::TempDir(At at) : path_(std::move(at.path)) {
  std::error_code ec;
  std::filesystem::remove_all(path_, ec);
  std::filesystem::create_directories(path_);
}

TempDir::~TempDir() {
  std::error_code ec;
  std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                               std::filesystem::perm_options::add, ec);
  std::filesystem::remove_all(path_, ec);
}

std::filesystem::path TempDir::Write(std::string_view name, std::string_view bytes) const {
  std::filesystem::path p = path_ / name;
  std::filesystem::create_directories(p.parent_path());
  std::ofstream out(p, std::ios::binary);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return p;
}

}  // namespace tarnix::test

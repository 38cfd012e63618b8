#pragma once
// Reads the tab-separated undecoration vector files of the shared test data.
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace tarnix::test {

inline std::filesystem::path UndnameVectorPath(const char* file) {
  return std::filesystem::path(TARNIX_TESTDATA_DIR) / "undname" / file;
}

// Data rows (the header line dropped), split at tabs; empty when unreadable.
inline std::vector<std::vector<std::string>> ReadTsv(const std::filesystem::path& path) {
  std::vector<std::vector<std::string>> rows;
  std::ifstream in(path, std::ios::binary);
  std::string line;
  bool header = true;
  while (std::getline(in, line)) {
    if (header) {
      header = false;
      continue;
    }
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (;;) {
      const std::size_t tab = line.find('\t', start);
      fields.push_back(line.substr(start, tab == std::string::npos ? std::string::npos : tab - start));
      if (tab == std::string::npos) break;
      start = tab + 1;
    }
    rows.push_back(std::move(fields));
  }
  return rows;
}

}  // namespace tarnix::test

#pragma once
// The extension filter of the error code search: a list of extensions such
// as ".dll"; an empty list lets every file through.
#include <string>
#include <string_view>
#include <vector>

namespace tarnix {

class ExtensionFilter {
 public:
  // Entries of 259 characters or more are left out; the others are
  // lower-cased. An empty list accepts every file; a list whose entries
  // were all left out accepts none.
  explicit ExtensionFilter(const std::vector<std::wstring>& extensions);

  // True when `fileName` passes: its extension (from its last "." to its
  // end, lower-cased) equals an entry. A name without "." never passes a
  // non-empty filter.
  bool Passes(std::wstring_view fileName) const;

  bool acceptsAll() const { return !filtering_; }
  const std::vector<std::wstring>& extensions() const { return extensions_; }

 private:
  std::vector<std::wstring> extensions_;
  bool filtering_ = false;
};

}  // namespace tarnix

#pragma once
// The status lines of a search ("ERROR: ...", "CRITICAL ERROR: ...",
// "Warning: ..."), which the window appends to its output box.
#include <string>

namespace tarnix {

class StatusOutput {
 public:
  virtual ~StatusOutput() = default;
  // Failures to deliver a status line are dropped by the implementation.
  virtual void Status(const std::wstring& line) = 0;
  // A status line that the search counts as a warning.
  virtual void Warning(const std::wstring& line) = 0;
};

}  // namespace tarnix

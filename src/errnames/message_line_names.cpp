#include "errnames/message_line_names.h"

#include "errmsg/message_search_lines.h"
#include "errnames/code_reading.h"

namespace tarnix {

std::wstring WithErrorNames(std::wstring line) {
  uint32_t code = 0;
  if (!MessageResultLineCode(line, code)) return line;
  const std::wstring names = ErrorNamesText(code);
  if (!names.empty()) {
    line += L'\t';
    line += names;
  }
  return line;
}

}  // namespace tarnix

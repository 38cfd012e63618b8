#pragma once
// An error code given as a number or by its name: the code box of the Error
// Code Search window, and the arguments of the command line's errcode and
// errname.
#include <cstdint>
#include <string>
#include <string_view>

#include "core/parse_error_code.h"
#include "errnames/error_names.h"

namespace tarnix {

struct CodeOrName {
  uint32_t code = 0;
  // How the code is shown back: as typed for a number; decimal for a Win32
  // name, hexadecimal for an HRESULT or NTSTATUS name.
  ErrorCodeKind kind = ErrorCodeKind::None;
  const ErrorName* name = nullptr;  // set when the text was a name
};

// Reads `text` as it stands (no blank is skipped): first as a number by the
// program's error code rules (ParseErrorCode), else as an error name in any
// letter case. On failure sets the last error: ERROR_NOT_FOUND for text
// shaped like a name that no header defines, otherwise ParseErrorCode's
// reason (4306 for empty text).
bool ReadCodeOrName(std::wstring_view text, CodeOrName& out);

// The code box: its text trimmed of blanks at both ends and read by
// ReadCodeOrName. `shown` is what goes back into the box: the trimmed text
// of a number as typed, or a name as the header spells it; after a failure,
// the trimmed text.
bool ReadCodeBox(std::wstring_view text, CodeOrName& out, std::wstring& shown);

// The message shown when the code box could not be read: ERROR_NOT_FOUND
// gives "Unknown error name: %s" with the trimmed text; anything
// else the message of a code that could not be read (ErrorCodeReadMessage).
std::wstring CodeBoxErrorMessage(std::wstring_view text, uint32_t error);

// The hint after an error code search that found nothing: for an NTSTATUS
// code (one with an NTSTATUS name, or of error severity 3) that no module
// under the search paths holds a message table for its facility; empty
// for any other code.
std::wstring NoMatchHint(uint32_t code);

}  // namespace tarnix

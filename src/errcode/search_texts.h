#pragma once
// The texts the error code search shows: the code as typed, a result's
// display text, and the lines written to the status output when a search
// starts and ends.
#include <cstdint>
#include <string>
#include <vector>

#include "core/parse_error_code.h"
#include "errcode/error_code_search_request.h"

namespace tarnix {

// Decimal: "%d". Hexadecimal: "0x%X" when the code as a signed value is at
// most 0xFFFF, else "0x%08X". Anything else: ErrorCodeToText.
std::wstring CodeShownByKind(uint32_t code, ErrorCodeKind kind);

// "%s = %s": the code shown by kind, and the message with every carriage
// return and line feed replaced by a blank, without blanks at its end.
std::wstring ResultDisplayText(const ErrorCodeSearchResult& result);

// "Initiating Search", "ErrorCode=%s, SearchPath(s)=%Iu:", then one line
// per location: "[Folder]: \"%s\"%s" (" (with subfolders)" or nothing) or
// "[File]: \"%s\"".
std::vector<std::wstring> SearchStartLines(uint32_t code, ErrorCodeKind kind,
                                           const std::vector<SearchLocation>& locations);

inline constexpr wchar_t kSearchEndSeparator[] = L"--------------------------------------";

// "Search finished, found %Iu match(es) in %s." with the run time, or
// "Search was aborted..." when the search did not complete.
std::wstring SearchFinishedLine(bool completed, uint64_t matches, int64_t elapsedMs);

// "The following search %s is not valid:\n\n%s\n\n(%s) %s".
std::wstring InvalidLocationMessage(const SearchLocation& location, uint32_t error);

// The messages of a code that could not be read: 4306 gives "Provide an
// error code to search for.", any other code "Failed to read provided error
// code:\n\n(%s) %s".
std::wstring ErrorCodeReadMessage(uint32_t error);

}  // namespace tarnix

#pragma once
// Which addresses the program hands to a browser or writes into a page as
// a link: web pages only. A stored address is untrusted; a "javascript:",
// "file:" or "data:" address would run or open something else.
#include <string_view>

namespace tarnix {

// True when `url` starts with "http://" or "https://" (either case)
// followed by a host.
bool IsWebAddress(std::wstring_view url);

}  // namespace tarnix

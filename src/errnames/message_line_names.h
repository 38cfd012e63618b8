#pragma once
// The names of the code of a message search result line, for a view that
// shows them beside the message.
#include <string>

namespace tarnix {

// A result line of the message search ("CODE\t= MESSAGE") with "\t" and
// the names of its code (", " between them) appended. Any other line, and
// a result line whose code has no name, comes back unchanged.
std::wstring WithErrorNames(std::wstring line);

}  // namespace tarnix

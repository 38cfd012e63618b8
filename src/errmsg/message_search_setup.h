#pragma once
// What the window and tarnix-cli errmsg both decide before a message search
// starts: the system folder whose modules answer kind-1 ranges, and the
// message that refuses a search word that does not compile.
#include <cstdint>
#include <filesystem>
#include <string>

#include "platform/windows_root.h"
#include "symbolsearch/search_string.h"

namespace tarnix {

// System32 of the Windows installation (the 64-bit one when there is one);
// empty when it has none.
std::filesystem::path MessageSearchSystemFolder(const WindowsRoot& root);

// "Failed to evaluate the regular expression for the 'Search Word':..."
// with the word, the grammar's name, the one-based component and the error.
std::wstring SearchWordRegexError(const std::wstring& word, uint32_t grammar, const RegexCompileError& error);

}  // namespace tarnix

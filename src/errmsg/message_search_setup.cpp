#include "errmsg/message_search_setup.h"

#include "core/wformat.h"
#include "symbolsearch/regex_grammar.h"

namespace tarnix {

std::filesystem::path MessageSearchSystemFolder(const WindowsRoot& root) {
  std::filesystem::path system = root.Folder(WindowsFolder::kSystem64);
  if (system.empty()) system = root.Folder(WindowsFolder::kSystem32);
  return system;
}

std::wstring SearchWordRegexError(const std::wstring& word, uint32_t grammar, const RegexCompileError& error) {
  return WFormat(
      L"Failed to evaluate the regular expression for the 'Search Word':\n\n%ls\n\n"
      L"Syntax: %ls\n\nComponent: %d\nERROR: %ls",
      word.c_str(), RegexGrammarName(grammar).c_str(), error.component + 1, error.text.c_str());
}

}  // namespace tarnix

#pragma once
// The line that describes a search in the status output when it starts.
#include <string>

#include "symbolsearch/search_params.h"

namespace tarnix {

// "SearchFolder=\"...\" (With subfolders), SearchFiles:{...}, SearchFor=...,
// SearchString:{...}, LookIn=..., PE Filter:{...}, PresentAs=..." with the
// regex grammar when either string is a regular expression.
std::wstring SearchCriteriaDescription(const SearchParams& p);

}  // namespace tarnix

#pragma once
// The results list's record of one result: the worker's SymbolResult plus
// what the details pass adds and the display caches.
#include <cstdint>
#include <string>

#include "symbolsearch/symbol_result.h"

namespace tarnix {

inline constexpr uint64_t kVersionUnknown = ~uint64_t{0};

struct ResultEntry {
  uint64_t id = 0;  // unique within the list, counted up from 1
  SymbolResult result;
  uint64_t fileVersion = kVersionUnknown;  // four 16-bit parts, high to low
  std::wstring description;
  // Display caches, filled when the row is first shown.
  std::wstring kindText, imageName, folderText;
  bool cachesFilled = false;
  // Set when the details pass replaced the symbol name by its undecorated form.
  std::wstring decoratedName;
};

}  // namespace tarnix

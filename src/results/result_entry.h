#pragma once
// One result as the texts, the reports and the image information window
// read it: the worker's SymbolResult plus what the details pass added. The
// results list does not keep these; it makes one from its compact records
// when asked (ResultsModel::Fill), reusing the strings of the one given.
#include <cstdint>
#include <string>

#include "pe/file_details.h"
#include "symbolsearch/symbol_result.h"

namespace tarnix {

struct ResultEntry {
  uint64_t id = 0;  // unique within the list, counted up from 1
  SymbolResult result;
  uint64_t fileVersion = kVersionUnknown;  // four 16-bit parts, high to low
  std::wstring description;
  // Set when the details pass replaced the symbol name by its undecorated form.
  std::wstring decoratedName;
};

}  // namespace tarnix

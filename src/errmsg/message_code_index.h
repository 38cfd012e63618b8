#pragma once
// The codes a search may find a message for, so that it can ask only for
// those: every code the system tables answer in the search's language (the
// facility-7 HRESULTs and the program's own descriptions included) and
// every code of a range's module. A list may hold codes without a message;
// it never leaves out a code that has one.
#include <algorithm>
#include <cstdint>
#include <vector>

#include "errmsg/error_range.h"
#include "pe/message_module.h"

namespace tarnix {

// Sorted, unique codes of the system messages in `language`. False when the
// installed system message source cannot be listed.
bool SystemMessageCodes(uint32_t language, std::vector<uint32_t>& codes);

// `system` merged with the codes of `module` (null: `system` itself).
std::vector<uint32_t> MergeModuleCodes(const std::vector<uint32_t>& system,
                                       const MessageModule* module);

// Visits the codes of `sorted` that lie in `range`, in the order in which a
// search walks the range (Code From upwards, wrapping after 0xFFFFFFFF),
// with each code's offset from Code From. The visitor answers true to go on;
// the function answers false when a visitor stopped it.
template <class Visit>
bool ForEachCodeInRange(const ErrorRange& range, const std::vector<uint32_t>& sorted,
                        Visit&& visit);

// --- implementation ---------------------------------------------------------

template <class Visit>
bool ForEachCodeInRange(const ErrorRange& range, const std::vector<uint32_t>& sorted,
                        Visit&& visit) {
  uint64_t spanOffset = 0;
  for (const CodeSpan& span : SpansOfRange(range)) {
    auto it = std::lower_bound(sorted.begin(), sorted.end(), span.from);
    for (; it != sorted.end() && *it <= span.to; ++it)
      if (!visit(*it, spanOffset + (*it - span.from))) return false;
    spanOffset += uint64_t{span.to} - span.from + 1;
  }
  return true;
}

}  // namespace tarnix

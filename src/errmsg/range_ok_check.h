#pragma once
// The checks a list of ranges passes before the range editor hands it to the
// search: a count within limits, overlaps confirmed by the user, and modules
// that exist and load.
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "errmsg/error_range.h"
#include "errmsg/range_module.h"

namespace tarnix {

enum class RangeOkVerdict {
  Ok,
  NoRanges,         // "At least one error range must be provided."
  TooManyRanges,    // "Specified %Iu error ranges. ..."
  OverlapDeclined,  // the user did not continue past the overlap question
  BadSystemModules, // kind-1 modules that are not bare, existing system files
  BadOtherModules,  // kind-2 modules that are not absolute, existing files
};

struct RangeOkCheck {
  RangeOkVerdict verdict = RangeOkVerdict::Ok;
  std::wstring message;      // what to show; empty when Ok
  std::vector<size_t> rows;  // the rows to select (overlapping or bad ranges)
  uint32_t error = 0;        // the load error when exactly one module failed
};

// Asked with the overlap question and the rows involved; answers whether to
// continue.
using ConfirmOverlaps =
    std::function<bool(const std::wstring& question, std::span<const size_t> rows)>;

// Every row that overlaps at least one other row, in list order.
std::vector<size_t> FindOverlappingRanges(std::span<const ErrorRange> list);

// The rows whose module of `kind` (1 or 2) fails to resolve or load. Each
// distinct module is loaded once; `firstError` is the error of the first
// failure.
std::vector<size_t> FindBadRangeModules(std::span<const ErrorRange> list, uint32_t kind,
                                        const RangeModuleEnv& env, uint32_t& firstError);

// Runs the checks in order: none, too many, overlaps (only when
// `confirmOverlaps` is set, i.e. the warning is enabled), kind-1 modules,
// kind-2 modules. Stops at the first that fails.
RangeOkCheck CheckRangesForOk(std::span<const ErrorRange> list, const RangeModuleEnv& env,
                              const ConfirmOverlaps& confirmOverlaps);

}  // namespace tarnix

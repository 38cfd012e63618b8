#pragma once
// Where the symbol matcher delivers its results: the search worker, which
// turns each into a SymbolResult for the window, or a recorder in tests.
#include <cstdint>
#include <string_view>

#include "pe/image_properties.h"
#include "pe/result_kind.h"

namespace tarnix {

enum class Delivery {
  kDelivered,  // the result is on its way to the window
  kStopped,    // the window's queue was full and the search is stopping:
               // nothing was delivered and nothing is to be reported
  kFailed,     // not delivered; the thread's last error says why
};

class ResultSink {
 public:
  virtual ~ResultSink() = default;

  // One result of the current image. `name` is the symbol as stored (the
  // decorated name for C++ kinds, "#" and the ordinal for ordinal kinds,
  // empty for libraries and images); `module` the module it belongs to;
  // `ordinal` 0 when there is none; `nameIndexOrHint` -1 when there is none.
  virtual Delivery Deliver(ResultKind kind, std::wstring_view name, std::wstring_view module,
                           uint32_t ordinal, int32_t nameIndexOrHint,
                           const ImageProperties& props) = 0;
};

}  // namespace tarnix

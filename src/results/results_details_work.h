#pragma once
// The work of a details pass over the symbol results: the list's images in
// the order their first rows stand (each file read once, however many
// images name it) and the distinct decorated names of the C++ rows still
// shown decorated. The pass's image findings name the list's images.
#include <cstddef>
#include <functional>

#include "results/details_pass.h"
#include "results/results_model.h"

namespace tarnix {

// Names only when the search was a WinAPIs search and `undecorate` is on.
// Answers false when `cancel` (asked with the row reached) asked to stop:
// the caller marks the details interrupted.
bool CollectDetailsWork(const ResultsModel& model, bool undecorate, DetailsWork& out,
                        const std::function<bool(size_t)>& cancel = nullptr);

}  // namespace tarnix

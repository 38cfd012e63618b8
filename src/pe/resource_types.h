#pragma once
// Which resource types an image holds: a bounded walk of its resource tree.
#include <cstdint>

#include "pe/image_view.h"
#include "pe/rva.h"

namespace tarnix {

// Limits that keep a hostile tree from making the walk endless: real trees
// are three levels deep (type, name, language) and rarely hold more than a
// few thousand entries.
inline constexpr int kMaxResourceDepth = 8;
inline constexpr uint32_t kMaxResourceEntries = 1u << 20;

// ORs into `bits` the resource-type bit of every type below which some data
// entry lies, for the resource directory at `rva`. Answers ERROR_SUCCESS or
// the error that ended the walk (the bits found until then are kept):
// ERROR_INVALID_DATA for a directory RVA that does not map or lies beyond
// the view, a directory cut short by the view, a tree deeper than
// kMaxResourceDepth, a directory that contains itself, or more than
// kMaxResourceEntries entries; ERROR_INVALID_RESOURCE for a type numbered 0
// or a type name that runs past the view.
uint32_t CollectResourceTypes(const ImageView& view, const SectionMap& sections, uint32_t rva,
                              uint64_t& bits);

}  // namespace tarnix

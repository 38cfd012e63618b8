#pragma once
// The walk over the search locations of one error code search, shared by
// the counting thread and the search thread. Locations are taken in list
// order. A folder's files are examined before any of its subfolders, which
// follow depth first in the order they were found; entries come in name
// order ignoring case, so every run sees the same order. Anything that is
// not a plain folder (a file, a symbolic link to a folder) is a file
// candidate, so links are never entered. A file location goes to the
// lookup as it stands, without the extension filter.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "errcode/extension_filter.h"
#include "errcode/search_location.h"

namespace tarnix {

class LocationWalkHandler {
 public:
  virtual ~LocationWalkHandler() = default;
  // A file that passed the filter (or a file location): folder with its
  // trailing separator, and name. Answers false to stop the walk.
  virtual bool OnFile(const std::wstring& folder, const std::wstring& name) = 0;
  // A folder that could not be listed, or whose listing broke off
  // (`name` is the entry reached, empty when listing failed at once).
  // Answers false to stop the walk.
  virtual bool OnFolderError(const std::wstring& folder, const std::wstring& name,
                             uint32_t error, bool listingFailed) = 0;
  // The stop check before every entry (waits while paused). True to stop.
  virtual bool ShouldStop() = 0;
};

// Answers true when every location was walked to its end, false when the
// handler asked to stop.
bool WalkSearchLocations(const std::vector<SearchLocation>& locations,
                         const ExtensionFilter& filter, LocationWalkHandler& handler);

}  // namespace tarnix

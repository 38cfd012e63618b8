#pragma once
// The walk over the search locations of one error code search, shared by
// the counting thread and the search thread. Locations are taken in list
// order. A folder's files are examined before any of its subfolders, which
// follow depth first in the order they were found; entries come in name
// order ignoring case, so every run sees the same order. A symbolic link
// to a file is that file; a link to a folder is walked as a folder, once per
// real folder: a link that would loop, or a second way to a folder the walk
// enters anyway, is reported and skipped, and so is a link whose target
// cannot be reached. A file location goes to the lookup as it stands,
// without the extension filter.
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
  // A subfolder that is not walked (see FolderSkippedLine): `path` where it
  // was found, `walkedAs` the path the folder is walked under. Answers false
  // to stop the walk.
  virtual bool OnFolderSkipped(const std::wstring& path, const std::wstring& walkedAs, bool link,
                               bool loop) = 0;
  // A symbolic link whose target cannot be reached, met where it could have
  // been a subfolder or a file the walk examines. Answers false to stop.
  virtual bool OnBrokenLink(const std::wstring& path, uint32_t error) = 0;
  // The stop check before every entry (waits while paused). True to stop.
  virtual bool ShouldStop() = 0;
};

// Answers true when every location was walked to its end, false when the
// handler asked to stop.
bool WalkSearchLocations(const std::vector<SearchLocation>& locations,
                         const ExtensionFilter& filter, LocationWalkHandler& handler);

}  // namespace tarnix

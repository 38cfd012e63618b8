#include "errcode/location_walk.h"

#include <cerrno>

#include "platform/errno_map.h"
#include "platform/folder_listing.h"
#include "platform/win_errors.h"

namespace tarnix {
namespace {

// Walks one folder (ending with a separator). False when asked to stop.
bool WalkFolder(const std::wstring& folder, bool recursive, const ExtensionFilter& filter,
                FolderVisits& visits, LocationWalkHandler& handler) {
  FolderListing listing = ListFolder(folder, false);
  // Listing a folder that does not exist fails as the platform's listing
  // does: the path was not found.
  if (listing.openErrno != 0)
    return handler.OnFolderError(folder, L"",
                                 listing.openErrno == ENOENT ? ERROR_PATH_NOT_FOUND
                                                             : listing.OpenError(),
                                 true);

  const wchar_t separator = folder.empty() ? L'/' : folder.back();
  if (recursive) visits.ClaimSubfolders(folder, separator, listing.entries);
  std::vector<std::wstring> subfolders;
  for (const FolderEntry& e : listing.entries) {
    if (handler.ShouldStop()) return false;
    switch (e.kind) {
      case FolderEntryKind::kFolder:
      case FolderEntryKind::kFolderLink:
        if (!recursive) continue;
        if (e.visit == FolderVisit::kEnter) {
          subfolders.push_back(std::wstring(folder).append(e.name) + separator);
        } else if (!handler.OnFolderSkipped(std::wstring(folder).append(e.name), *e.walkedAs,
                                            e.kind == FolderEntryKind::kFolderLink,
                                            e.visit == FolderVisit::kLoop)) {
          return false;
        }
        continue;
      case FolderEntryKind::kBrokenLink:
        // Reported where it could have been a subfolder, or a file the
        // walk would examine.
        if ((recursive || filter.Passes(e.name)) &&
            !handler.OnBrokenLink(std::wstring(folder).append(e.name), e.error))
          return false;
        continue;
      case FolderEntryKind::kFile:
        break;
    }
    if (!filter.Passes(e.name)) continue;
    if (!handler.OnFile(folder, std::wstring(e.name))) return false;
  }
  if (listing.readErrno != 0) {
    const std::wstring reached = listing.entries.empty() ? std::wstring() : std::wstring(listing.entries.back().name);
    if (!handler.OnFolderError(folder, reached, Win32FromErrno(listing.readErrno), false)) return false;
  }
  // The subfolders are walked without this folder's listing held.
  listing = FolderListing();
  for (const auto& sub : subfolders)
    if (!WalkFolder(sub, true, filter, visits, handler)) return false;
  return true;
}

}  // namespace

bool WalkSearchLocations(const std::vector<SearchLocation>& locations,
                         const ExtensionFilter& filter, LocationWalkHandler& handler) {
  for (const SearchLocation& location : locations) {
    switch (LocationKind(location.flags)) {
      case kLocationFolder: {
        // Each location is walked whole, even where it overlaps another.
        const std::wstring folder = WithTrailingSeparator(location.path);
        const bool recursive = (location.flags & kLocationSubfolders) != 0;
        FolderVisits visits;
        if (recursive) visits.ClaimRoot(folder);
        if (!WalkFolder(folder, recursive, filter, visits, handler)) return false;
        break;
      }
      case kLocationFile: {
        std::wstring folder, name;
        SplitFilePath(location.path, folder, name);
        if (!handler.OnFile(folder, name)) return false;
        break;
      }
      default:
        // Neither folder nor file: reported like a folder that can't be
        // listed, and the walk goes on.
        if (!handler.OnFolderError(location.path, L"", ERROR_INVALID_DATATYPE, true)) return false;
        break;
    }
  }
  return true;
}

}  // namespace tarnix

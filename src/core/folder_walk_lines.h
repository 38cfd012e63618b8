#pragma once
// The status lines that the folder walks of the symbol search and of the
// error code search write about folders and links (as opposed to files).
#include <cstdint>
#include <string>

namespace tarnix {

// "ERROR: Folder search failed: (5) Access is denied. Folder="..."": the
// folder could not be listed.
std::wstring FolderSearchFailedLine(uint32_t error, const std::wstring& folder);

// "ERROR: (5) Access is denied. Folder="...", file="..."": the listing
// broke off at `name`.
std::wstring FolderListingBrokeOffLine(uint32_t error, const std::wstring& folder,
                                       const std::wstring& name);

// A subfolder (a symbolic link, when `link`, else the same folder mounted
// twice) that is not walked: `path` is where it was found, `walkedAs` the
// path the folder is walked under. `loop`: `path` lies inside that folder.
std::wstring FolderSkippedLine(bool link, bool loop, const std::wstring& path,
                               const std::wstring& walkedAs);

// A symbolic link whose target cannot be reached.
std::wstring BrokenLinkLine(uint32_t error, const std::wstring& path);

}  // namespace tarnix

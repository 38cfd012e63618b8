#include "errcode/location_walk.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>

#include "platform/case_fold.h"
#include "platform/errno_map.h"
#include "platform/text_encoding.h"
#include "platform/win_errors.h"

namespace tarnix {
namespace {

struct Entry {
  std::wstring name;
  bool folder = false;  // a plain folder, not a link to one
};

struct DirCloser {
  void operator()(DIR* d) const { closedir(d); }
};

// Lists `folder`. 0 on success; else the error, with `brokeOff` telling
// whether entries were read before it (they are kept in `out`).
uint32_t ListFolder(const std::wstring& folder, std::vector<Entry>& out, bool& brokeOff) {
  brokeOff = false;
  std::unique_ptr<DIR, DirCloser> dir(opendir(ToUtf8(folder).c_str()));
  // Listing a folder that does not exist fails as the platform's listing
  // does: the path was not found.
  if (!dir) return errno == ENOENT ? ERROR_PATH_NOT_FOUND : Win32FromErrno(errno);
  const int fd = dirfd(dir.get());
  uint32_t error = 0;
  for (;;) {
    errno = 0;
    const struct dirent* d = readdir(dir.get());
    if (!d) {
      if (errno != 0) {
        brokeOff = true;
        error = Win32FromErrno(errno);
      }
      break;
    }
    if (!std::strcmp(d->d_name, ".") || !std::strcmp(d->d_name, "..")) continue;
    bool isDir = d->d_type == DT_DIR;
    if (d->d_type == DT_UNKNOWN) {
      struct stat st;
      isDir = fstatat(fd, d->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(st.st_mode);
    }
    out.push_back({FromUtf8(d->d_name), isDir});
  }
  std::sort(out.begin(), out.end(), [](const Entry& a, const Entry& b) {
    const int c = CompareIgnoreCase(a.name, b.name);
    return c != 0 ? c < 0 : a.name < b.name;
  });
  return error;
}

// Walks one folder (ending with a separator). False when asked to stop.
bool WalkFolder(const std::wstring& folder, bool recursive, const ExtensionFilter& filter,
                LocationWalkHandler& handler) {
  std::vector<Entry> entries;
  bool brokeOff = false;
  const uint32_t error = ListFolder(folder, entries, brokeOff);
  if (error != 0 && !brokeOff) return handler.OnFolderError(folder, L"", error, true);

  const wchar_t separator = folder.empty() ? L'/' : folder.back();
  std::vector<std::wstring> subfolders;
  for (const Entry& e : entries) {
    if (handler.ShouldStop()) return false;
    if (e.folder) {
      if (recursive) subfolders.push_back(folder + e.name + separator);
      continue;
    }
    if (!filter.Passes(e.name)) continue;
    if (!handler.OnFile(folder, e.name)) return false;
  }
  if (brokeOff) {
    const std::wstring reached = entries.empty() ? std::wstring() : entries.back().name;
    if (!handler.OnFolderError(folder, reached, error, false)) return false;
  }
  for (const auto& sub : subfolders)
    if (!WalkFolder(sub, true, filter, handler)) return false;
  return true;
}

}  // namespace

bool WalkSearchLocations(const std::vector<SearchLocation>& locations,
                         const ExtensionFilter& filter, LocationWalkHandler& handler) {
  for (const SearchLocation& location : locations) {
    switch (LocationKind(location.flags)) {
      case kLocationFolder:
        if (!WalkFolder(WithTrailingSeparator(location.path),
                        (location.flags & kLocationSubfolders) != 0, filter, handler))
          return false;
        break;
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

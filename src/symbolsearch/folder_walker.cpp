#include "symbolsearch/folder_walker.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

#include "platform/case_fold.h"
#include "platform/errno_map.h"
#include "platform/text_encoding.h"
#include "platform/win_errors.h"
#include "symbolsearch/plain_match.h"

namespace tarnix {
namespace {

struct Entry {
  std::wstring name;
  bool folder = false;  // a real folder (not a link to one)
  uint64_t size = 0;
};

class DirHandle {
 public:
  explicit DirHandle(DIR* d) : dir_(d) {}
  ~DirHandle() {
    if (dir_) closedir(dir_);
  }
  DIR* get() const { return dir_; }

 private:
  DIR* dir_;
};

// Lists `folder`. Answers 0 on success, else the Win32 error; `continueFailed`
// tells whether the listing started and broke off.
uint32_t ListFolder(const std::wstring& folder, std::vector<Entry>& out, bool& continueFailed) {
  continueFailed = false;
  std::string path = ToUtf8(folder);
  DirHandle dir(opendir(path.c_str()));
  if (!dir.get()) return Win32FromErrno(errno);
  int fd = dirfd(dir.get());
  for (;;) {
    errno = 0;
    struct dirent* d = readdir(dir.get());
    if (!d) {
      if (errno != 0) {
        continueFailed = true;
        return Win32FromErrno(errno);
      }
      break;
    }
    if (std::strcmp(d->d_name, ".") == 0 || std::strcmp(d->d_name, "..") == 0) continue;
    Entry e;
    e.name = FromUtf8(d->d_name);
    struct stat st;
    bool isLink = d->d_type == DT_LNK;
    bool isDir = d->d_type == DT_DIR;
    if (d->d_type == DT_UNKNOWN && fstatat(fd, d->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0) {
      isLink = S_ISLNK(st.st_mode);
      isDir = S_ISDIR(st.st_mode);
    }
    e.folder = isDir && !isLink;
    if (!e.folder && fstatat(fd, d->d_name, &st, 0) == 0 && S_ISREG(st.st_mode))
      e.size = static_cast<uint64_t>(st.st_size);
    out.push_back(std::move(e));
  }
  std::sort(out.begin(), out.end(), [](const Entry& a, const Entry& b) {
    int c = CompareIgnoreCase(a.name, b.name);
    return c != 0 ? c < 0 : a.name < b.name;
  });
  return 0;
}

int WalkOne(const FolderWalkOptions& o, const std::wstring& folder,
            const FolderWalker::Callback& onEvent, const FolderWalker::StopCheck& shouldStop) {
  const bool literal = o.pattern != L"*";
  std::vector<Entry> entries;
  bool continueFailed = false;
  uint32_t err = ListFolder(folder, entries, continueFailed);
  if (literal && err == 0) {
    // A literal lookup finds the name as the platform does: ignoring case
    // unless asked otherwise.
    const bool caseSensitive = o.flags & kWalkCaseSensitive;
    std::erase_if(entries, [&](const Entry& e) {
      return caseSensitive ? e.name != o.pattern : !EqualsIgnoreCase(e.name, o.pattern);
    });
    if (entries.empty()) err = ERROR_FILE_NOT_FOUND;
  }
  if (err != 0 && !continueFailed) {
    FolderWalkEvent ev;
    ev.code = kWalkListFailed;
    ev.folder = folder;
    ev.name = o.pattern;
    ev.error = err;
    return onEvent(ev) ? 1 : 0;
  }

  std::vector<std::wstring> subfolders;
  for (const Entry& e : entries) {
    if (shouldStop && shouldStop()) {
      FolderWalkEvent ev;
      ev.code = kWalkStopped;
      onEvent(ev);
      return 0;
    }
    if (e.folder) {
      if (o.flags & kWalkSubfolders) subfolders.push_back(folder + e.name + L"/");
      continue;
    }
    FolderWalkEvent ev;
    ev.folder = folder;
    ev.name = e.name;
    ev.size = e.size;
    bool accept = literal;
    if (!literal) {
      if (o.flags & kWalkRegex) {
        const auto& parts = o.fileName->components();
        if (parts.empty()) {
          accept = o.flags & kWalkEmptyMatchesAll;
        } else {
          std::wstring error;
          int m = o.fileName->Match(e.name, error);
          if (m < 0) {
            ev.code = kWalkRegexFailed;
            ev.text = error;
            ev.error = ERROR_INVALID_PARAMETER;
            if (!onEvent(ev)) return 0;
            continue;
          }
          accept = m == 1;
        }
      } else if (o.fileName->text().empty() && (o.flags & kWalkEmptyMatchesAll)) {
        accept = true;
      } else {
        int m = PlainMatch(o.fileName->plainFlags(), e.name, o.fileName->text());
        if (m < 0) {
          ev.code = kWalkPlainMatchFailed;
          ev.error = ERROR_INVALID_PARAMETER;
          if (!onEvent(ev)) return 0;
          continue;
        }
        accept = m == 1;
      }
    }
    if (!accept) continue;
    ev.code = kWalkFile;
    if (!onEvent(ev)) return 0;
  }
  if (continueFailed) {
    FolderWalkEvent ev;
    ev.code = kWalkContinueFailed;
    ev.folder = folder;
    ev.name = o.pattern;
    ev.error = err;
    if (!onEvent(ev)) return 0;
  }
  for (const auto& sub : subfolders)
    if (WalkOne(o, sub, onEvent, shouldStop) == 0) return 0;
  return 1;
}

}  // namespace

int FolderWalker::Walk(const FolderWalkOptions& options, const Callback& onEvent,
                       const StopCheck& shouldStop) {
  return WalkOne(options, options.folder, onEvent, shouldStop);
}

}  // namespace tarnix

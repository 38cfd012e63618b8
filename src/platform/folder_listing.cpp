#include "platform/folder_listing.h"

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

struct DirCloser {
  void operator()(DIR* d) const { closedir(d); }
};

FolderId IdOf(const struct stat& st) {
  return {static_cast<uint64_t>(st.st_dev), static_cast<uint64_t>(st.st_ino)};
}

// Why a link's target cannot be reached. A chain of links too long or
// running round in a circle is the platform's "cannot resolve" rather than
// a missing path.
uint32_t LinkError(int err) {
  return err == ELOOP ? ERROR_CANT_RESOLVE_FILENAME : Win32FromErrno(err);
}

bool StartsWith(std::wstring_view s, std::wstring_view prefix) {
  return s.size() >= prefix.size() && s.compare(0, prefix.size(), prefix) == 0;
}

}  // namespace

uint32_t FolderListing::OpenError() const { return LinkError(openErrno); }

std::wstring_view FolderListing::KeepName(std::wstring_view name) {
  constexpr size_t kBlockChars = 16384;
  if (name.size() > blockSize_ - blockUsed_) {
    blockSize_ = std::max(kBlockChars, name.size());
    nameBlocks_.push_back(std::make_unique<wchar_t[]>(blockSize_));
    blockUsed_ = 0;
  }
  wchar_t* at = nameBlocks_.back().get() + blockUsed_;
  std::copy(name.begin(), name.end(), at);
  blockUsed_ += name.size();
  return std::wstring_view(at, name.size());
}

FolderListing ListFolder(const std::wstring& folder, bool withSizes) {
  FolderListing listing;
  std::unique_ptr<DIR, DirCloser> dir(opendir(ToUtf8(folder).c_str()));
  if (!dir) {
    listing.openErrno = errno;
    return listing;
  }
  const int fd = dirfd(dir.get());
  for (;;) {
    errno = 0;
    const struct dirent* d = readdir(dir.get());
    if (!d) {
      listing.readErrno = errno;
      break;
    }
    if (!std::strcmp(d->d_name, ".") || !std::strcmp(d->d_name, "..")) continue;
    FolderEntry e;
    e.name = listing.KeepName(FromUtf8(d->d_name));
    struct stat st;
    unsigned char type = d->d_type;
    if (type == DT_UNKNOWN || type == DT_DIR) {
      // A folder's own identity (a mount point's is not its entry's inode).
      if (fstatat(fd, d->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0) {
        type = S_ISDIR(st.st_mode) ? DT_DIR : S_ISLNK(st.st_mode) ? DT_LNK : S_ISREG(st.st_mode) ? DT_REG : DT_UNKNOWN;
        if (type == DT_DIR) e.id = IdOf(st);
      }
    }
    if (type == DT_DIR) {
      e.kind = FolderEntryKind::kFolder;
    } else if (type == DT_LNK) {
      if (fstatat(fd, d->d_name, &st, 0) != 0) {
        e.kind = FolderEntryKind::kBrokenLink;
        e.error = LinkError(errno);
      } else if (S_ISDIR(st.st_mode)) {
        e.kind = FolderEntryKind::kFolderLink;
        e.id = IdOf(st);
      } else if (S_ISREG(st.st_mode)) {
        e.size = static_cast<uint64_t>(st.st_size);
      }
    } else if (withSizes && fstatat(fd, d->d_name, &st, 0) == 0 && S_ISREG(st.st_mode)) {
      e.size = static_cast<uint64_t>(st.st_size);
    }
    listing.entries.push_back(std::move(e));
  }
  std::sort(listing.entries.begin(), listing.entries.end(),
            [](const FolderEntry& a, const FolderEntry& b) {
              const int c = CompareIgnoreCase(a.name, b.name);
              return c != 0 ? c < 0 : a.name < b.name;
            });
  return listing;
}

bool FolderIdOf(const std::wstring& path, FolderId& id) {
  struct stat st;
  if (stat(ToUtf8(path).c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return false;
  id = IdOf(st);
  return true;
}

void FolderVisits::ClaimRoot(const std::wstring& folder) {
  FolderId id;
  const std::wstring* unused = nullptr;
  if (FolderIdOf(folder, id)) Claim(id, folder, unused);
}

void FolderVisits::ClaimSubfolders(const std::wstring& folder, wchar_t separator, FolderEntries& entries) {
  std::wstring path;
  for (FolderEntryKind kind : {FolderEntryKind::kFolder, FolderEntryKind::kFolderLink})
    for (FolderEntry& e : entries)
      if (e.kind == kind) {
        path.assign(folder).append(e.name) += separator;
        e.visit = Claim(e.id, path, e.walkedAs);
      }
}

FolderVisit FolderVisits::Claim(const FolderId& id, const std::wstring& path,
                                const std::wstring*& walkedAs) {
  // A folder whose identity could not be read is walked as it is found.
  if (id == FolderId{}) return FolderVisit::kEnter;
  auto [at, added] = paths_.emplace(id, path);
  if (added) return FolderVisit::kEnter;
  walkedAs = &at->second;
  // The entry lies inside the folder it leads to.
  return StartsWith(path, at->second) ? FolderVisit::kLoop : FolderVisit::kSeen;
}

}  // namespace tarnix

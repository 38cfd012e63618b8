#pragma once
// One folder's entries as the folder walks see them, in name order ignoring
// case so that every run sees the same order. Each entry is told apart as a
// file, a folder, a symbolic link that leads to a folder, or a link whose
// target cannot be reached. Folders carry their identity (device and inode),
// so that a walk enters each real folder once, whatever links lead to it:
// a link back to a folder that holds it would otherwise never end.
#include <compare>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace tarnix {

struct FolderId {
  uint64_t device = 0, inode = 0;
  auto operator<=>(const FolderId&) const = default;
};

enum class FolderEntryKind : uint8_t {
  kFile,        // anything that is not a folder, a link to a file included
  kFolder,      // a plain folder
  kFolderLink,  // a symbolic link that leads to a folder
  kBrokenLink,  // a symbolic link whose target cannot be reached
};

// What a walk that descends does with a folder or a folder link.
enum class FolderVisit : uint8_t {
  kEnter,  // the first way to this folder: walk it
  kLoop,   // it holds the entry itself: following it would never end
  kSeen,   // the folder is walked under another path already
};

struct FolderEntry {
  std::wstring_view name;  // held by the listing (and valid while it lives)
  FolderEntryKind kind = FolderEntryKind::kFile;
  // Set by FolderVisits::ClaimSubfolders for folders and folder links.
  FolderVisit visit = FolderVisit::kEnter;
  uint32_t error = 0;  // broken links: why the target cannot be reached (Win32 code)
  uint64_t size = 0;   // a regular file's size (through a link too), when asked for
  FolderId id;         // folders and folder links
  // kLoop, kSeen: the path the folder is walked under, held by the
  // FolderVisits that claimed it.
  const std::wstring* walkedAs = nullptr;
};

// The entries of a folder of hundreds of thousands of files are held in
// pieces that never move, so that listing it takes about what its names
// and entries need, never twice that while a block grows.
using FolderEntries = std::deque<FolderEntry>;

struct FolderListing {
  FolderEntries entries;
  int openErrno = 0;  // the folder could not be listed at all
  int readErrno = 0;  // the listing broke off; `entries` holds what was read before

  // openErrno as a Win32 code: a path that runs through more links than
  // the system resolves (40) cannot be resolved.
  uint32_t OpenError() const;

  // Stores a name for an entry of this listing.
  std::wstring_view KeepName(std::wstring_view name);

 private:
  std::vector<std::unique_ptr<wchar_t[]>> nameBlocks_;
  size_t blockUsed_ = 0, blockSize_ = 0;
};

// Lists `folder`. `withSizes` also reads the size of every file.
FolderListing ListFolder(const std::wstring& folder, bool withSizes);

// The identity of the folder at `path` (links followed); false when it
// cannot be read.
bool FolderIdOf(const std::wstring& path, FolderId& id);

// The folders one walk enters, by identity, each with the first path it was
// reached by. Holds one entry per real folder of the tree.
class FolderVisits {
 public:
  // Claims the walk's starting folder.
  void ClaimRoot(const std::wstring& folder);

  // Claims the subfolders of one listing of `folder` (which ends with
  // `separator`) and sets each one's `visit`. Plain folders are claimed
  // before links, so that a link to a sibling gives way to the sibling.
  void ClaimSubfolders(const std::wstring& folder, wchar_t separator, FolderEntries& entries);

 private:
  FolderVisit Claim(const FolderId& id, const std::wstring& path, const std::wstring*& walkedAs);

  std::map<FolderId, std::wstring> paths_;
};

}  // namespace tarnix

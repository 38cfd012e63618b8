#include "symbolsearch/folder_walker.h"

#include <vector>

#include "platform/case_fold.h"
#include "platform/errno_map.h"
#include "platform/folder_listing.h"
#include "platform/win_errors.h"
#include "symbolsearch/plain_match.h"

namespace tarnix {
namespace {

// How one name fares against the 'File Name' string.
enum class NameMatch { kAccepted, kSkipped, kReported, kStop };

NameMatch MatchName(const FolderWalkOptions& o, const std::wstring& folder, std::wstring_view name,
                    const FolderWalker::Callback& onEvent) {
  if (o.pattern != L"*") return NameMatch::kAccepted;  // the listing looked the name up
  FolderWalkEvent ev;
  ev.folder = folder;
  ev.name = name;
  int m;
  if (o.flags & kWalkRegex) {
    if (o.fileName->components().empty())
      return o.flags & kWalkEmptyMatchesAll ? NameMatch::kAccepted : NameMatch::kSkipped;
    m = o.fileName->Match(name, ev.text);
    ev.code = kWalkRegexFailed;
  } else if (o.fileName->text().empty() && (o.flags & kWalkEmptyMatchesAll)) {
    return NameMatch::kAccepted;
  } else {
    m = PlainMatch(o.fileName->plainFlags(), name, o.fileName->text());
    ev.code = kWalkPlainMatchFailed;
  }
  if (m >= 0) return m == 1 ? NameMatch::kAccepted : NameMatch::kSkipped;
  ev.error = ERROR_INVALID_PARAMETER;
  return onEvent(ev) ? NameMatch::kReported : NameMatch::kStop;
}

int WalkOne(const FolderWalkOptions& o, const std::wstring& folder, FolderVisits& visits,
            const FolderWalker::Callback& onEvent, const FolderWalker::StopCheck& shouldStop) {
  const bool literal = o.pattern != L"*";
  const bool descend = o.flags & kWalkSubfolders;
  FolderListing listing = ListFolder(folder, o.sizes);
  FolderEntries& entries = listing.entries;
  uint32_t err = listing.OpenError();
  if (literal && err == 0) {
    // A literal lookup finds the name as the platform does: ignoring case
    // unless asked otherwise.
    const bool caseSensitive = o.flags & kWalkCaseSensitive;
    std::erase_if(entries, [&](const FolderEntry& e) {
      return caseSensitive ? e.name != o.pattern : !EqualsIgnoreCase(e.name, o.pattern);
    });
    if (entries.empty() && listing.readErrno == 0) err = ERROR_FILE_NOT_FOUND;
  }
  if (err != 0) {
    FolderWalkEvent ev;
    ev.code = kWalkListFailed;
    ev.folder = folder;
    ev.name = o.pattern;
    ev.error = err;
    return onEvent(ev) ? 1 : 0;
  }
  if (descend) visits.ClaimSubfolders(folder, L'/', entries);

  std::vector<std::wstring> subfolders;
  for (const FolderEntry& e : entries) {
    if (shouldStop && shouldStop()) {
      FolderWalkEvent ev;
      ev.code = kWalkStopped;
      onEvent(ev);
      return 0;
    }
    FolderWalkEvent ev;
    ev.folder = folder;
    ev.name = e.name;
    ev.size = e.size;
    switch (e.kind) {
      case FolderEntryKind::kFolder:
      case FolderEntryKind::kFolderLink:
        if (!descend) continue;
        if (e.visit == FolderVisit::kEnter) {
          subfolders.push_back(std::wstring(folder).append(e.name) + L'/');
          continue;
        }
        ev.code = e.visit == FolderVisit::kLoop ? kWalkFolderLoop : kWalkFolderSeen;
        ev.text = *e.walkedAs;
        ev.link = e.kind == FolderEntryKind::kFolderLink;
        if (!onEvent(ev)) return 0;
        continue;
      case FolderEntryKind::kBrokenLink:
      case FolderEntryKind::kFile:
        break;
    }
    // A link that leads nowhere is reported where it could have been a
    // subfolder, or a file the walk would read.
    const bool broken = e.kind == FolderEntryKind::kBrokenLink;
    if (!(broken && descend)) {
      const NameMatch m = MatchName(o, folder, e.name, onEvent);
      if (m == NameMatch::kStop) return 0;
      if (m != NameMatch::kAccepted) continue;
    }
    ev.code = broken ? kWalkBrokenLink : kWalkFile;
    ev.error = e.error;
    if (!onEvent(ev)) return 0;
  }
  if (listing.readErrno != 0) {
    FolderWalkEvent ev;
    ev.code = kWalkContinueFailed;
    ev.folder = folder;
    ev.name = o.pattern;
    ev.error = Win32FromErrno(listing.readErrno);
    if (!onEvent(ev)) return 0;
  }
  // The subfolders are walked without this folder's listing held.
  listing = FolderListing();
  for (const auto& sub : subfolders)
    if (WalkOne(o, sub, visits, onEvent, shouldStop) == 0) return 0;
  return 1;
}

}  // namespace

int FolderWalker::Walk(const FolderWalkOptions& options, const Callback& onEvent,
                       const StopCheck& shouldStop) {
  FolderVisits visits;
  if (options.flags & kWalkSubfolders) visits.ClaimRoot(options.folder);
  return WalkOne(options, options.folder, visits, onEvent, shouldStop);
}

}  // namespace tarnix

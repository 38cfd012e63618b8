#pragma once
// Walks one folder (and, when asked, its subfolders depth first) and hands
// every file whose name passes the 'File Name' string to a callback. A
// symbolic link to a file is that file; a link to a folder is walked as a
// folder, once per real folder: a link that would loop, or a second way to a
// folder the walk enters anyway, is reported and skipped, and so is a link
// whose target cannot be reached. Entries are visited in name order,
// ignoring case, so that results come in the same order on every run.
#include <cstdint>
#include <functional>
#include <string>

#include "symbolsearch/search_string.h"

namespace tarnix {

enum FolderWalkFlags : uint32_t {
  kWalkCaseSensitive = 0x1,  // a literal name is looked up with its case
  kWalkLargeFetch = 0x2,     // kept for the stored form; no effect here
  kWalkSubfolders = 0x10000,
  kWalkRegex = 0x20000,           // match names with the compiled components
  kWalkWholeWords = 0x40000,      // plain whole-words matching
  kWalkEmptyMatchesAll = 0x80000, // an empty 'File Name' accepts every file
};

// What the walk reports to its callback.
enum FolderWalkCode : int {
  kWalkFile = 0,               // a file passed: folder, name, size
  kWalkStopped = 1,            // the stop check asked to stop
  kWalkListFailed = -1,        // listing the folder failed: folder, pattern, error
  kWalkContinueFailed = -2,    // continuing the listing failed: folder, pattern, error
  kWalkPlainMatchFailed = -3,  // the plain match failed: folder, name, error
  kWalkRegexFailed = -4,       // a regular expression failed: folder, name, text, error
  kWalkRegexCompileFailed = -5,  // a regular expression did not compile: folder, text, component
  kWalkFolderLoop = -6,   // a subfolder holds itself: folder, name, link, text = the folder it is
  kWalkFolderSeen = -7,   // a second way to a walked folder: folder, name, link, text = its path
  kWalkBrokenLink = -8,   // a link whose target cannot be reached: folder, name, error
};

struct FolderWalkEvent {
  int code = kWalkFile;
  std::wstring folder;  // with a trailing separator
  std::wstring name;    // the file name, or the listing pattern for -1 and -2
  uint64_t size = 0;
  uint32_t error = 0;
  std::wstring text;    // a regular expression's error description
  int component = 0;    // 0-based component index for -5
  bool link = false;    // -6, -7: the entry is a symbolic link (else a folder mounted twice)
};

struct FolderWalkOptions {
  std::wstring folder;     // ending with a separator
  std::wstring pattern;    // "*" or one literal file name
  uint32_t flags = 0;
  const SearchString* fileName = nullptr;  // the prepared 'File Name' string
  // Whether the file events carry sizes: each costs a look at the file.
  bool sizes = true;
};

class FolderWalker {
 public:
  // Answers true to go on, false to stop the walk.
  using Callback = std::function<bool(const FolderWalkEvent&)>;
  // Answers true when the walk must stop.
  using StopCheck = std::function<bool()>;

  // Answers 1 when the walk completed, 0 when it stopped.
  static int Walk(const FolderWalkOptions& options, const Callback& onEvent,
                  const StopCheck& shouldStop);
};

}  // namespace tarnix

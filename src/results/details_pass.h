#pragma once
// The details pass: what a results list shows beside its rows once a
// search has ended, read in the background. Each file's version and
// description (read once, however many rows name it) and the undecorated
// form of each distinct C++ name. The symbol results, the Error Code
// Search results and tarnix-cli run it; it posts its findings to a
// MessageTarget in batches, one message id per payload, and ends with
// kMsgDetailsDone. UI-free: the windows drive it through their run's
// follow-up pass.
//
//   DetailsWorkBuilder work;
//   work.AddFile(row.number, row.path);
//   DetailsRequest r; r.stop = &stop; r.target = &target; r.work = work.Take();
//   pass.Start(std::move(r));
#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <unordered_map>
#include <vector>

#include "core/stop_flag.h"
#include "pe/file_details.h"
#include "platform/message_target.h"
#include "platform/worker_group.h"

namespace tarnix {

enum DetailsMessage : uint32_t {
  kMsgDetailsNames = 32882,  // payload: std::vector<NameDetailsFinding>
  kMsgDetailsDone = 32883,   // wParam 1 when every item was read, 0 when stopped
  kMsgDetailsFiles = 32884,  // payload: std::vector<FileDetailsFinding>
};

// What the pass found for one item of a list (an image of the symbol
// results, a row of the Error Code Search results): every row of the item
// shows these.
struct FileDetailsFinding {
  uint64_t item = 0;
  uint64_t fileVersion = kVersionUnknown;
  std::wstring description;
};

// The undecorated form of one decorated C++ name (an id of the list's
// texts): every row of a C++ kind with that name shows it.
struct NameDetailsFinding {
  uint32_t name = 0;
  std::wstring undecorated;
};

// The work of one pass: the files in the order their first items stand,
// the items (each naming its file), and the names to undecorate.
struct DetailsWork {
  struct Item {
    uint64_t item = 0;
    uint32_t file = 0;  // index into `files`
  };
  struct Name {
    uint32_t name = 0;
    std::wstring decorated;
  };
  std::vector<std::wstring> files;
  std::vector<Item> items;
  std::vector<Name> names;
  bool empty() const { return items.empty() && names.empty(); }
};

// Builds the work: each file once, however many items name it.
class DetailsWorkBuilder {
 public:
  void AddFile(uint64_t item, const std::wstring& path);
  void AddName(uint32_t name, std::wstring decorated);
  DetailsWork Take();

 private:
  DetailsWork work_;
  std::unordered_map<std::wstring, uint32_t> files_;
};

// Reads one file's details; the pass calls it once per distinct file.
using FileDetailsReader = std::function<FileDetails(const std::wstring& path, uint16_t language)>;

struct DetailsRequest {
  StopFlag* stop = nullptr;          // 0 run, 2 stop: the pass ends before its next item
  MessageTarget* target = nullptr;   // receives every message above
  DetailsWork work;
  uint32_t undecorationFlags = 0;
  // How a file without version information shows.
  MissingVersion missingVersion = MissingVersion::kEmpty;
  // While it answers false (the window's busy popup shows) nothing is
  // posted: the pass goes on reading until a batch is full, then waits.
  std::function<bool()> mayPost;
  // Replaces the reading of a file (tests count the reads); null reads
  // with ReadFileDetails in the user's language.
  FileDetailsReader reader;
};

// The undecorated form of a decorated name with the undecoration flags;
// false when the undecorator does not read it (or it has characters the
// image's code page cannot hold).
bool UndecorateName(const std::wstring& decorated, uint32_t flags, std::wstring& out);

class DetailsPass {
 public:
  // Files per batch: at least kMinBatch unless it is the last; at most
  // kMaxBatch, which bounds what a pass holds while the receiver cannot
  // take a batch. Names go in batches of up to kNamesPerBatch: a list
  // applies a batch of names with one walk over its rows.
  static constexpr size_t kMinBatch = 4;
  static constexpr size_t kMaxBatch = 4096;
  static constexpr size_t kNamesPerBatch = 65536;

  DetailsPass() = default;
  // Stops a running pass and waits for it.
  ~DetailsPass();
  DetailsPass(const DetailsPass&) = delete;
  DetailsPass& operator=(const DetailsPass&) = delete;

  // Starts a pass: the names first, then the files. Refuses with
  // ERROR_ALREADY_ASSIGNED while the previous pass runs, and with
  // ERROR_INVALID_PARAMETER without a stop flag or target, or when an item
  // names no file of the work.
  bool Start(DetailsRequest request);
  bool Running() const { return workers_.Running(); }
  bool Wait(std::chrono::milliseconds timeout) { return workers_.Wait(timeout); }

 private:
  StopFlag* stop_ = nullptr;
  WorkerGroup workers_;
};

}  // namespace tarnix

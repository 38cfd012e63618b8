#pragma once
// Completes the results in the background: the file version and description
// of each result's image (read from its version resource in the user's
// language) and, for C++ kinds, the undecorated name. A pass reads each
// image once, however many results it has. Findings travel to the window in
// batches (everything finished since the last post, at least four items
// unless it is the last batch); the window applies them to its model.
#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "core/stop_flag.h"
#include "platform/message_target.h"
#include "results/results_model.h"

namespace tarnix {

enum DetailsMessage : uint32_t {
  kMsgDetailsBatch = 32882,  // payload: std::vector<ResultDetails>
  kMsgDetailsDone = 32883,
};

struct DetailsWorkItem {
  uint64_t id = 0;
  int64_t row = -1;
  uint32_t image = 0;       // index into DetailsWork::images
  bool undecorate = false;  // a C++ kind whose name is to be undecorated
  std::wstring name;
};

// The work of one pass: every distinct image path once, and one item per
// result in list order naming its image by index, so that a long list does
// not copy the same path once per result.
struct DetailsWork {
  std::vector<std::wstring> images;
  std::vector<DetailsWorkItem> items;
};

// One work item per result in list order; C++ kinds carry their names when
// the search was a WinAPIs search and undecoration is on. Answers false
// when `cancel` asked to stop (the caller marks the details interrupted).
bool CollectDetailsWork(const ResultsModel& model, bool undecorate, DetailsWork& out,
                        const std::function<bool(size_t)>& cancel = nullptr);

// What an image's version resource gives every result of that image: the
// file version (all-ones when absent) and the description with line breaks
// turned into spaces, or "<error: (%s) %s>" when the resource cannot be read.
struct ImageDetails {
  uint64_t fileVersion = kVersionUnknown;
  std::wstring description;
};

ImageDetails ReadImageDetails(const std::wstring& path, uint16_t language);

// "<error: (%s) %s>": the description of an image whose version resource
// could not be read.
std::wstring VersionErrorText(uint32_t error);

// Reads an image's details; the pass calls it once per distinct image.
using ImageDetailsReader = std::function<ImageDetails(const std::wstring& path, uint16_t language)>;

// The findings for one item read on their own: its image's details and the
// undecorated name. A pass gives every item exactly this.
ResultDetails LoadDetails(const DetailsWorkItem& item, const std::wstring& path, uint16_t language,
                          uint32_t undecorationFlags);

class ResultDetailsLoader {
 public:
  ResultDetailsLoader() = default;
  ~ResultDetailsLoader();  // stops a running pass
  ResultDetailsLoader(const ResultDetailsLoader&) = delete;
  ResultDetailsLoader& operator=(const ResultDetailsLoader&) = delete;

  // Starts a pass over `work`, posting to `target`. Nothing happens while a
  // previous pass still runs (answers false). While `mayPost` answers false
  // (the window's busy popup shows) nothing is posted; the pass goes on
  // reading until a batch is full, then waits.
  bool Start(DetailsWork work, MessageTarget* target, uint32_t undecorationFlags,
             std::function<bool()> mayPost = nullptr);
  bool Running() const { return running_.load(); }

  // Signals the pass to stop and waits up to `timeout` for it; true when it
  // ended. A pass that does not end in time is left to finish on its own.
  bool Stop(std::chrono::milliseconds timeout = std::chrono::milliseconds(3000));

  // Replaces how the passes started after this call read an image (tests
  // count the reads); null restores ReadImageDetails.
  void SetImageReader(ImageDetailsReader reader) { reader_ = std::move(reader); }

 private:
  void Run(DetailsWork work, MessageTarget* target, uint32_t flags, std::function<bool()> mayPost,
           ImageDetailsReader reader);

  std::thread thread_;
  std::atomic<bool> running_{false};
  StopFlag stop_{kStopRun};
  ImageDetailsReader reader_;
};

}  // namespace tarnix

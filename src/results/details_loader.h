#pragma once
// Completes the results in the background: the file version and description
// of each image (read from its version resource in the user's language) and
// the undecorated form of each C++ name. What an image gives is the same for
// all its results, so a pass reads each image once and the list stores it
// once, with the image; each distinct decorated name is undecorated once.
// Findings travel to the window in batches (everything finished since the
// last post, at least four unless it is the last batch); the window applies
// them to its model.
#include <atomic>
#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "core/name_memory.h"
#include "core/stop_flag.h"
#include "platform/message_target.h"
#include "results/result_entry.h"
#include "results/results_model.h"
#include "symbolsearch/result_batch.h"

namespace tarnix {

enum DetailsMessage : uint32_t {
  kMsgDetailsBatch = 32882,  // payload: DetailsBatch
  kMsgDetailsDone = 32883,
};

// The work of one pass: the list's images in the order their first rows
// stand (each file read once, however many records name it), and the
// distinct decorated names of the C++ rows still shown decorated.
struct DetailsWork {
  struct Image {
    uint32_t image = 0;  // the list's image
    uint32_t file = 0;   // index into `files`
  };
  struct Name {
    uint32_t name = 0;  // the list's text id
    std::wstring decorated;
  };
  std::vector<std::wstring> files;
  std::vector<Image> images;
  std::vector<Name> names;
};

// Collects the work from the list; names only when the search was a
// WinAPIs search and `undecorate` is on. Answers false when `cancel`
// (asked with the row reached) asked to stop: the caller marks the details
// interrupted.
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

// The undecorated form of a decorated name with the undecoration flags;
// false when the undecorator does not read it (or it has characters the
// image's code page cannot hold).
bool UndecorateName(const std::wstring& decorated, uint32_t flags, std::wstring& out);

// Reads an image's details; the pass calls it once per distinct file.
using ImageDetailsReader = std::function<ImageDetails(const std::wstring& path, uint16_t language)>;

// The details of results written as they come (tarnix-cli search
// --details), batch by batch as the search delivers them, on any number of
// threads at once. Each image's details are read when its rows arrive (an
// image whose rows span two batches is read once, unless two threads meet
// it at the same moment), and each distinct decorated name is undecorated
// once across batches, up to the bounds of a NameMemory. Nothing else is
// kept from batch to batch.
class StreamedDetails {
 public:
  // Names are undecorated only when `undecorate` (a WinAPIs search with
  // undecoration on). `reader` replaces ReadImageDetails (tests).
  StreamedDetails(bool undecorate, uint32_t undecorationFlags, ImageDetailsReader reader = nullptr);

  // The details of rows firstRow.. of a result batch.
  struct Batch {
    size_t firstRow = 0;
    uint32_t firstImage = 0;           // the image of the first row
    std::vector<ImageDetails> images;  // one per image from firstImage on
    std::vector<std::wstring> names;   // per row: its undecorated name, or empty
  };
  void Complete(const ResultBatch& results, size_t firstRow, size_t rows, Batch& out);

  // Row `row` of `results` (one of those `details` covers) with what
  // `details` say of it, as the list shows it once its details are in.
  static void Fill(const ResultBatch& results, const Batch& details, size_t row, ResultEntry& entry);

 private:
  const ImageDetails& Image(uint32_t serial, const std::wstring& path, ImageDetails& read);

  const bool undecorate_;
  const uint32_t flags_;
  const uint16_t language_;
  const ImageDetailsReader reader_;
  // The undecorated form of each name met (nothing: it does not undecorate).
  NameMemory<std::optional<std::wstring>> names_;
  std::mutex recentLock_;  // guards recent_
  std::deque<std::pair<uint32_t, ImageDetails>> recent_;  // the last images read, by serial
};

class ResultDetailsLoader {
 public:
  ResultDetailsLoader() = default;
  ~ResultDetailsLoader();  // stops a running pass
  ResultDetailsLoader(const ResultDetailsLoader&) = delete;
  ResultDetailsLoader& operator=(const ResultDetailsLoader&) = delete;

  // Starts a pass over `work`, posting to `target`: the undecorated names
  // first (in few large batches: the window walks its rows once per batch
  // of names), then the images. Nothing happens while a previous pass still
  // runs (answers false). While `mayPost` answers false (the window's busy
  // popup shows) nothing is posted; the pass goes on reading until a batch
  // is full, then waits.
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

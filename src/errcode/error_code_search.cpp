#include "errcode/error_code_search.h"

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <mutex>
#include <thread>

#include "core/error_text.h"
#include "core/event_log.h"
#include "core/folder_walk_lines.h"
#include "core/message_poster.h"
#include "core/ordered_readers.h"
#include "core/wformat.h"
#include "errcode/extension_filter.h"
#include "errcode/location_walk.h"
#include "errcode/module_lookup.h"
#include "platform/errno_map.h"
#include "platform/last_error.h"
#include "platform/time_utils.h"
#include "platform/win_errors.h"

namespace tarnix {

// The walk state both threads reach through their copies of the request.
struct ErrorCodeSearchShared {
  std::atomic<uint64_t> filesExamined{0};  // written by the search thread only

  mutable std::mutex matchLock;  // guards matches
  uint64_t matches = 0;

  mutable std::mutex totalLock;  // guards totalKnown and total
  bool totalKnown = false;
  uint64_t total = 0;
};

namespace {

constexpr uint32_t kProgressIntervalMs = 100;
// A batch this large is posted at once, so memory stays bounded when the
// window falls behind.
constexpr size_t kMaxResultBatch = 4096;
// How long a worker keeps offering its final message to a full queue.
constexpr uint64_t kFinalPostPatienceMs = 5000;

void LowerThreadPriority(int site) {
  if (setpriority(PRIO_PROCESS, static_cast<id_t>(syscall(SYS_gettid)), 10) != 0) {
    SetLastError(Win32FromErrno(errno));
    EventLog::LogSite(site);
  }
}

PostedMessage Message(uint32_t id, uint64_t wParam = 0, uint64_t lParam = 0) {
  PostedMessage m;
  m.id = id;
  m.wParam = wParam;
  m.lParam = lParam;
  return m;
}

template <class T>
PostedMessage MessageWith(uint32_t id, uint64_t wParam, T payload) {
  PostedMessage m = Message(id, wParam);
  m.payload = std::make_unique<PayloadOf<T>>(std::move(payload));
  return m;
}

// The last message of a worker must reach the window even when a stop was
// asked while its queue is full: it is retried without the stop check for
// a while, then given up and logged.
bool PostFinal(MessageTarget* window, PostedMessage m) {
  StopFlag giveUp{kStopRun};
  MessagePoster poster(window, giveUp);
  const uint64_t since = TickCount64();
  poster.SetRetryHook([&] {
    if (TickCount64() - since > kFinalPostPatienceMs) giveUp = kStopStop;
  });
  return poster.Post(m) == MessagePoster::kDelivered;
}

class CountingWalk final : public LocationWalkHandler {
 public:
  explicit CountingWalk(const StopFlag& stop) : stop_(stop) {}
  bool OnFile(const std::wstring&, const std::wstring&) override {
    ++count;
    return true;
  }
  // The search thread reports these.
  bool OnFolderError(const std::wstring&, const std::wstring&, uint32_t, bool) override {
    return true;
  }
  bool OnFolderSkipped(const std::wstring&, const std::wstring&, bool, bool) override { return true; }
  bool OnBrokenLink(const std::wstring&, uint32_t) override { return true; }
  bool ShouldStop() override { return CheckStop(stop_); }
  uint64_t count = 0;

 private:
  const StopFlag& stop_;
};

// One file for a reader to look the code up in, and what came of it (or a
// status line of the walk, in walk order).
struct ModuleJob {
  std::wstring path;
};
struct ModuleOutput {
  enum class What { kLookup, kLine, kStopped } what = What::kLine;
  std::wstring path;  // the file examined, or the place the line is about
  ModuleLookup lookup = ModuleLookup::kNotLoadable;
  std::wstring text;  // the message, or the status line
  uint32_t error = 0;
};
using ModuleReaders = OrderedReaders<ModuleJob, ModuleOutput>;

// A reader's lookup: the file loaded as a data file, the code looked up.
ModuleOutput LookUp(const ErrorCodeSearchRequest& r, ModuleJob& job, ModuleReaders::Outlet& outlet) {
  ModuleOutput out;
  uint32_t state;
  while ((state = r.stop->load()) == kStopPause && !outlet.cancelled() && outlet.Poll())
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  if (state >= kStopStop || outlet.cancelled()) {
    out.what = ModuleOutput::What::kStopped;
    return out;
  }
  out.what = ModuleOutput::What::kLookup;
  out.path = std::move(job.path);
  out.lookup = LookupErrorCode(out.path, r.code, r.language, out.text, out.error);
  return out;
}

// The search thread's walk: it hands the files to the readers and delivers
// what they find in walk order, with every message it posts.
class SearchWalk final : public LocationWalkHandler {
 public:
  SearchWalk(const ErrorCodeSearchRequest& request, ErrorCodeSearchShared& shared)
      : r_(request), shared_(shared), poster_(request.window, *request.stop),
        results_(poster_, kEcsMsgResult, kMaxResultBatch), lastProgressTick_(TickCount64()) {
    poster_.SetRetryHook([this] { PostProgressIfDue(); });
  }

  void SetReaders(ModuleReaders& readers) { readers_ = &readers; }
  bool failed() const { return failed_; }

  // Posts the results still held; false when they could not be delivered.
  bool FlushResults() { return Delivered(results_.Flush()); }

  bool OnFile(const std::wstring& folder, const std::wstring& name) override {
    return readers_->Add(ModuleJob{folder + name});
  }

  bool OnFolderError(const std::wstring& folder, const std::wstring& name, uint32_t error,
                     bool listingFailed) override {
    return Line(folder, listingFailed ? FolderSearchFailedLine(error, folder)
                                      : FolderListingBrokeOffLine(error, folder, name));
  }

  bool OnFolderSkipped(const std::wstring& path, const std::wstring& walkedAs, bool link,
                       bool loop) override {
    EventLog::LogSiteFormat(loop ? 933 : 934, L"link=%d, path=\"%ls\", walkedAs=\"%ls\"",
                            link ? 1 : 0, path.c_str(), walkedAs.c_str());
    return Line(path, FolderSkippedLine(link, loop, path, walkedAs));
  }

  bool OnBrokenLink(const std::wstring& path, uint32_t error) override {
    EventLog::LogSiteFormat(935, L"e=%u, path=\"%ls\"", error, path.c_str());
    return Line(path, BrokenLinkLine(error, path));
  }

  // Before every entry: waits while paused, then delivers what is ready.
  bool ShouldStop() override {
    for (;;) {
      switch (Tick()) {
        case ReadersTick::kStop:
          readers_->Stop();
          return true;
        case ReadersTick::kHold:
          std::this_thread::sleep_for(std::chrono::milliseconds(10));
          continue;
        case ReadersTick::kGo:
          return !readers_->Drain();
      }
    }
  }

  // Delivers one lookup or line, in walk order; false when the search must stop.
  bool Commit(ModuleOutput& out) {
    switch (out.what) {
      case ModuleOutput::What::kStopped:
        return false;
      case ModuleOutput::What::kLine:
        if (!Status(std::move(out.text))) return false;
        break;
      case ModuleOutput::What::kLookup:
        ++shared_.filesExamined;
        switch (out.lookup) {
          case ModuleLookup::kFound:
          case ModuleLookup::kFoundSystem:
            if (!DeliverResult(std::move(out.text), out.path, out.lookup == ModuleLookup::kFoundSystem)) return false;
            break;
          case ModuleLookup::kNotLoadable:
            break;  // most files are not modules with message tables
          case ModuleLookup::kNoMessage:
            if (!IsSilentLookupError(out.error) &&
                !Status(WFormat(L"ERROR: Failed to retrieve error message from \"%ls\". (%ls) %ls",
                                out.path.c_str(), ErrorCodeToText(out.error).c_str(),
                                ErrorDescription(out.error).c_str())))
              return false;
            break;
        }
        break;
    }
    currentPath_ = std::move(out.path);
    return ProgressStep();
  }

  // While the search waits: what is due is posted. While paused, what was
  // found so far is shown and nothing more is examined or delivered.
  ReadersTick Tick() {
    const uint32_t state = r_.stop->load();
    if (state >= kStopStop) return ReadersTick::kStop;
    if (state == kStopPause) return FlushResults() ? ReadersTick::kHold : ReadersTick::kStop;
    results_.PostIfDue();
    PostProgressIfDue();
    return ReadersTick::kGo;
  }

 private:
  bool Line(const std::wstring& path, std::wstring line) {
    ModuleOutput out;
    out.path = path;
    out.text = std::move(line);
    return readers_->AddReady(std::move(out));
  }

  // A status line; false when a stop came while the queue was full. A line
  // that can't be delivered for another reason is dropped.
  bool Status(std::wstring line) {
    // The results found before the line reach the window before it.
    if (!FlushResults()) return false;
    PostedMessage m = MessageWith(kEcsMsgStatusLine, 1, std::move(line));
    return poster_.Post(m) != MessagePoster::kStopped;
  }

  bool DeliverResult(std::wstring text, const std::wstring& path, bool systemText) {
    {
      std::lock_guard<std::mutex> lock(shared_.matchLock);
      ++shared_.matches;
    }
    return Delivered(results_.Add({r_.code, r_.kind, std::move(text), path, systemText}));
  }

  // What became of a batch of results: a stop while the queue was full
  // drops it; any other failure ends the search as failed.
  bool Delivered(MessagePoster::Result posted) {
    if (posted == MessagePoster::kDelivered) return true;
    if (posted == MessagePoster::kStopped) return false;
    const uint32_t error = GetLastError();
    EventLog::LogSiteFormat(473, L"hwnd=0x%p", static_cast<void*>(r_.window));
    Status(WFormat(L"CRITICAL ERROR: Failed to send result: (%ls) %ls",
                   ErrorCodeToText(error).c_str(), ErrorDescription(error).c_str()));
    failed_ = true;
    return false;
  }

  // After every file and every error: stop when asked, else progress.
  bool ProgressStep() {
    const uint32_t state = r_.stop->load();
    if (state == kStopPause && !FlushResults()) return false;
    if (state >= kStopStop) return false;
    results_.PostIfDue();
    PostProgressIfDue();
    return true;
  }

  void PostProgressIfDue() {
    const uint64_t now = TickCount64();
    if (now - lastProgressTick_ < kProgressIntervalMs) return;
    lastProgressTick_ = now;
    const uint64_t examined = shared_.filesExamined.load();
    if (examined != lastProgressCount_) {
      PostedMessage m = Message(kEcsMsgProgress, examined & 0xFFFFFFFFu, examined >> 32);
      if (poster_.TryPost(m)) lastProgressCount_ = examined;
    }
    PostedMessage path = MessageWith(kEcsMsgCurrentPath, 0, currentPath_);
    poster_.TryPost(path);  // only a hint; dropped when the queue is full
  }

  const ErrorCodeSearchRequest& r_;
  ErrorCodeSearchShared& shared_;
  ModuleReaders* readers_ = nullptr;
  MessagePoster poster_;
  BatchPoster<ErrorCodeSearchResult> results_;
  uint64_t lastProgressTick_;
  uint64_t lastProgressCount_ = UINT64_MAX;
  std::wstring currentPath_;
  bool failed_ = false;
};

void CountingThread(std::unique_ptr<ErrorCodeSearchRequest> r,
                    std::shared_ptr<ErrorCodeSearchShared> shared) {
  LowerThreadPriority(809);
  CountingWalk walk(*r->stop);
  const bool completed =
      WalkSearchLocations(r->locations, ExtensionFilter(r->fileExtensions), walk);
  if (completed) {
    std::lock_guard<std::mutex> lock(shared->totalLock);
    shared->totalKnown = true;
    shared->total = walk.count;
  }
  if (!PostFinal(r->window, Message(kEcsMsgCountingFinished, completed ? 1 : 0)))
    EventLog::LogSite(472);
}

void SearchThread(std::unique_ptr<ErrorCodeSearchRequest> r,
                  std::shared_ptr<ErrorCodeSearchShared> shared) {
  LowerThreadPriority(810);
  SearchWalk walk(*r, *shared);
  OrderedReadLimits limits;
  limits.readers = EffectiveReaderCount(r->readers);
  ModuleReaders readers(
      limits, [&](ModuleJob& job, ModuleReaders::Outlet& outlet) { return LookUp(*r, job, outlet); },
      [&](ModuleOutput& out, bool) { return walk.Commit(out); }, [&] { return walk.Tick(); },
      [] { LowerThreadPriority(810); });
  walk.SetReaders(readers);
  bool walked = WalkSearchLocations(r->locations, ExtensionFilter(r->fileExtensions), walk);
  if (!walked) readers.Stop();
  // Every reader has ended before the search-finished message.
  if (!readers.Finish()) walked = false;
  // The results still held go before the end; a stop drops them.
  if (walked && !walk.FlushResults()) walked = false;
  const bool completed = walked && !walk.failed();
  if (!PostFinal(r->window, Message(kEcsMsgSearchFinished, completed ? 1 : 0)))
    EventLog::LogSite(471);
}

}  // namespace

ErrorCodeSearch::ErrorCodeSearch() : shared_(std::make_shared<ErrorCodeSearchShared>()) {}

ErrorCodeSearch::~ErrorCodeSearch() {
  if (Running() && stop_) stop_->store(kStopStop);
  workers_.Join();
}

bool ErrorCodeSearch::Running() const { return workers_.Running(); }

bool ErrorCodeSearch::Wait(std::chrono::milliseconds timeout) { return workers_.Wait(timeout); }

bool ErrorCodeSearch::Start(const ErrorCodeSearchRequest& request) {
  auto refuse = [&](int site, uint32_t error) {
    EventLog::LogSiteFormat(site, L"%ls", DescribeErrorCodeSearchRequest(request).c_str());
    SetLastError(error);
    return false;
  };
  if (Running()) return refuse(459, ERROR_ALREADY_ASSIGNED);
  workers_.Join();
  if (!request.stop) return refuse(460, ERROR_INVALID_PARAMETER);
  if (!request.window) return refuse(461, ERROR_INVALID_PARAMETER);
  if (request.locations.empty()) return refuse(462, ERROR_INVALID_PARAMETER);

  stop_ = request.stop;
  stop_->store(kStopRun);
  shared_ = std::make_shared<ErrorCodeSearchShared>();

  std::unique_ptr<ErrorCodeSearchRequest> countingCopy, searchCopy;
  try {
    countingCopy = std::make_unique<ErrorCodeSearchRequest>(request);
    searchCopy = std::make_unique<ErrorCodeSearchRequest>(request);
  } catch (const std::bad_alloc&) {
    return refuse(464, ERROR_OUTOFMEMORY);
  }

  // The counting thread and the search thread start together or not at all,
  // so a failed start leaves no worker behind that posts anything.
  std::vector<WorkerJob> jobs;
  jobs.emplace_back([copy = std::move(countingCopy), shared = shared_]() mutable {
    CountingThread(std::move(copy), std::move(shared));
  });
  jobs.emplace_back([copy = std::move(searchCopy), shared = shared_]() mutable {
    SearchThread(std::move(copy), std::move(shared));
  });
  size_t failed = 0;
  if (!workers_.Start(std::move(jobs), &failed)) return refuse(failed == 0 ? 465 : 466, GetLastError());
  return true;
}

uint64_t ErrorCodeSearch::matchCount() const {
  std::lock_guard<std::mutex> lock(shared_->matchLock);
  return shared_->matches;
}

uint64_t ErrorCodeSearch::filesExamined() const { return shared_->filesExamined.load(); }

bool ErrorCodeSearch::TotalFiles(uint64_t& total) const {
  std::lock_guard<std::mutex> lock(shared_->totalLock);
  total = shared_->total;
  return shared_->totalKnown;
}

}  // namespace tarnix

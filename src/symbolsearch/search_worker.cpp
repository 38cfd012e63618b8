#include "symbolsearch/search_worker.h"

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <deque>
#include <optional>
#include <thread>

#include "core/error_text.h"
#include "core/event_log.h"
#include "core/folder_walk_lines.h"
#include "core/message_poster.h"
#include "core/ordered_readers.h"
#include "core/text_format.h"
#include "core/wformat.h"
#include "pe/image_reader.h"
#include "pe/image_snapshot.h"
#include "platform/fault_guard.h"
#include "platform/last_error.h"
#include "platform/mapped_file.h"
#include "platform/text_encoding.h"
#include "platform/time_utils.h"
#include "platform/win_errors.h"
#include "symbolsearch/folder_walker.h"
#include "symbolsearch/search_image_filter.h"
#include "symbolsearch/symbol_cache.h"
#include "symbolsearch/symbol_matcher.h"
#include "symbolsearch/result_batch.h"

namespace tarnix {
namespace {

constexpr uint32_t kProgressIntervalMs = 100;
// The most results one post carries; a fuller batch waits for room.
constexpr size_t kMaxResultBatch = 16384;
// Names of hostile images run to 65,536 characters: a batch whose names
// fill this many bytes goes at once, whatever its count.
constexpr size_t kMaxResultBatchText = 16 << 20;
// Status lines travel in batches as results do: the post spacing limits the
// number of posts, never the number of lines (a folder of 100,000 files
// that are not images gives 100,000 lines).
constexpr size_t kMaxStatusBatch = 4096;

// Workers run at background priority so the desktop stays responsive.
void LowerThreadPriority() {
  setpriority(PRIO_PROCESS, static_cast<id_t>(syscall(SYS_gettid)), 10);
}

PostedMessage Message(uint32_t id, uint64_t wParam = 0, uint64_t lParam = 0) {
  PostedMessage m;
  m.id = id;
  m.wParam = wParam;
  m.lParam = lParam;
  return m;
}

// How the walk is asked to list and filter, from the criteria.
struct WalkPlan {
  FolderWalkOptions options;
  SearchString fileName;
  bool fileNameMatchesAll = false;
};

// Prepares the 'File Name' string and chooses the listing pattern and flags.
// Answers false when its regular expression does not compile.
bool PlanWalk(const SearchParams& p, WalkPlan& plan, RegexCompileError& error) {
  uint32_t flags = kWalkLargeFetch;
  if (p.emptyMatchesAll) flags |= kWalkEmptyMatchesAll;
  if (p.includeSubfolders) flags |= kWalkSubfolders;
  plan.options.folder = p.folder;
  plan.options.pattern = L"*";
  plan.fileNameMatchesAll = p.fileName.matchesAll;
  if (!plan.fileName.Prepare(p.fileName, p.regexGrammar, p.emptyMatchesAll, error)) return false;
  const std::wstring& text = plan.fileName.text();
  if (p.fileName.regex) {
    flags |= kWalkRegex;
  } else if (p.includeSubfolders || p.fileName.wholeWords || text.empty() ||
             text.find_first_of(L"*?") != std::wstring::npos) {
    if (p.fileName.wholeWords) flags |= kWalkWholeWords;
  } else {
    plan.options.pattern = text;
    if (p.fileName.caseSensitive) flags |= kWalkCaseSensitive;
  }
  plan.options.flags = flags;
  plan.options.fileName = &plan.fileName;
  return true;
}

bool IsQuietLocation(uint32_t location) {
  switch (location) {
    case 198: case 200: case 201: case 202: case 204: case 639: return true;
    default: return false;
  }
}

// A reader hands an image's output on in pieces of at most this many rows
// or bytes, so that a hostile image's million names never wait in one piece.
constexpr size_t kPieceRows = 4096;
constexpr size_t kPieceBytes = 1 << 20;
// Readers add to the shared progress in steps of at least this many bytes.
constexpr uint64_t kProgressStep = 64 << 10;

// A status line, and whether the search counts it.
enum class Counted : uint8_t { kNot, kError, kWarning };
struct StatusEntry {
  std::wstring text;
  Counted counted = Counted::kNot;
};

// What reading one file gave (in one or more pieces), or one event of the
// walk: results, status lines, and at the end whether a file was searched.
struct ImageOutput {
  ResultBatch results;
  std::vector<StatusEntry> lines;
  bool fileSearched = false;  // last piece: the file counts as searched
  bool stopped = false;       // last piece: the read stopped, and so does the search
};

struct ImageJob {
  std::wstring path;
  uint32_t serial = 0;  // the image's serial in the results
};

using ImageReaders = OrderedReaders<ImageJob, ImageOutput>;

// What the readers of one search share: the prepared criteria (only read),
// the undecoration answers and the progress in bytes.
struct ReadShared {
  ReadShared(const SearchParams& p, const SearchString& search, const StopFlag& stop)
      : search(search), filter(p), stop(stop) {
    scan.lookIn = p.lookIn;
    scan.searchFor = p.searchFor;
    scan.presentAs = p.presentAs;
    scan.searchMatchesAll = search.matchesAll();
    matchOptions.lookIn = p.lookIn;
    matchOptions.undecorate = p.undecorate;
    matchOptions.undecorationFlags = p.undecorationFlags;
  }
  const SearchString& search;
  SearchImageFilter filter;
  ScanOptions scan;
  SymbolMatchOptions matchOptions;
  bool fileNameMatchesAll = false;
  const StopFlag& stop;
  UndecoratedVerdicts verdicts;
  std::atomic<uint64_t> bytesRead{0};
  SymbolCache* cache = nullptr;  // none: every file is read
};

// Keeps the snapshot of each file a reader read in the cache, when the file
// is still the one that was read.
class SnapshotKeeper final : public MappedImageHook {
 public:
  SnapshotKeeper(SymbolCache& cache, ImageReader& reader) : cache_(cache), reader_(reader) {}
  void Mapped(const MappedFile& file, const FaultGuard& guard) override {
    if (!cache_.usable() || !TakeSnapshot(reader_, file.data(), file.viewSize(), file.fileSize(), snapshot_)) return;
    FileIdentity now;
    if (guard.faulted() || !IdentityOfFile(path_, now) || !(now == file.identity())) return;
    cache_.Keep(path_, now, snapshot_);
  }
  void SetPath(const std::string& path) { path_ = path; }

 private:
  SymbolCache& cache_;
  ImageReader& reader_;
  std::string path_;
  ImageSnapshot snapshot_;
};

// One reader's state, kept from image to image: it reads a file and keeps
// what the matcher finds as the file's output.
class ImageReadContext final : public SearchProgress, public ResultSink, public StatusOutput {
 public:
  ImageReadContext(ReadShared& shared, const UndecorateFn& undecorate)
      : shared_(shared),
        matcher_(undecorate ? SymbolMatcher(shared.search, shared.matchOptions, undecorate, *this, *this, *this)
                            : SymbolMatcher(shared.search, shared.matchOptions, *this, *this, *this)) {
    matcher_.ShareVerdicts(shared.verdicts);
    if (shared.cache) keeper_.emplace(*shared.cache, reader_);
  }

  ImageOutput Read(ImageJob& job, ImageReaders::Outlet& outlet) {
    outlet_ = &outlet;
    job_ = &job;
    out_ = ImageOutput{};
    outBytes_ = 0;
    symbols_ = visited_ = sharedBytes_ = size_ = 0;
    matcher_.SetCurrentFile(job.path);
    uint32_t location = 0;
    const std::string path = ToUtf8(job.path);
    const int read = ReadImageOrSnapshot(path, location);
    if (read == kReadStop) {
      out_.stopped = true;
    } else {
      if (read == kReadFailed) {
        const uint32_t err = GetLastError();
        const bool warning = shared_.fileNameMatchesAll && IsQuietLocation(location);
        out_.lines.push_back({WFormat(L"%ls: Searching file: \"%ls\". (%u:%ls) %ls",
                                      warning ? L"Warning" : L"ERROR", job.path.c_str(), location,
                                      ErrorCodeToText(err).c_str(), ErrorDescription(err).c_str()),
                              warning ? Counted::kWarning : Counted::kError});
        // The size scan counted it: so does the progress.
        struct stat st;
        if (size_ == 0 && stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode)) size_ = static_cast<uint64_t>(st.st_size);
      }
      out_.fileSearched = true;
      // The whole file counts, however far its symbols were visited.
      shared_.bytesRead += size_ - std::min(size_, sharedBytes_);
    }
    outlet_ = nullptr;
    return std::move(out_);
  }

  // The file, or its snapshot when the cache holds one for it as it is.
  int ReadImageOrSnapshot(const std::string& path, uint32_t& location) {
    // A cache found unusable during the search costs nothing more.
    if (!shared_.cache || !shared_.cache->usable())
      return reader_.ReadFile(path, shared_.scan, matcher_, &shared_.filter, location, &size_);
    FileIdentity id;
    // Files the reader refuses before it reads them are not kept.
    if (IdentityOfFile(path, id) && id.size > kMinImageFile && id.size <= kMaxImageFile &&
        shared_.cache->Find(path, id, snapshot_) && view_.Build(snapshot_)) {
      size_ = snapshot_.fileSize;
      return reader_.ReadMemory(view_.data(), view_.size(), path, shared_.scan, matcher_, &shared_.filter,
                                location);
    }
    keeper_->SetPath(path);
    return reader_.ReadFile(path, shared_.scan, matcher_, &shared_.filter, location, &size_, &*keeper_);
  }

  // --- SearchProgress ---
  void BeginImage(uint64_t symbolCount) override {
    symbols_ = symbolCount;
    visited_ = 0;
  }
  void SymbolsVisited(uint64_t count) override {
    visited_ += count;
    // The share is worked out every 64 symbols: the progress shown moves in
    // steps of kProgressStep anyway.
    if (!symbols_ || visited_ > symbols_ || (visited_ & 63) >= count) return;
    const uint64_t done = static_cast<uint64_t>(static_cast<double>(size_) * static_cast<double>(visited_) /
                                                static_cast<double>(symbols_));
    if (done >= sharedBytes_ + kProgressStep) {
      shared_.bytesRead += done - sharedBytes_;
      sharedBytes_ = done;
    }
  }
  bool CheckStop() override {
    // Reading on the search thread, it posts progress meanwhile (the clock
    // is read only every so many symbols).
    if ((++checks_ & 63) == 0 && !outlet_->Poll()) return true;
    uint32_t state = shared_.stop.load();
    if (state == kStopPause) {
      // What was found so far is shown while the search is paused.
      Publish();
      outlet_->Poll();
      while ((state = shared_.stop.load()) == kStopPause && !outlet_->cancelled())
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return state >= kStopStop || outlet_->cancelled();
  }

  // --- ResultSink ---
  Delivery Deliver(ResultKind kind, std::wstring_view name, std::wstring_view module,
                   uint32_t ordinal, int32_t nameIndexOrHint,
                   const ImageProperties& props) override {
    if (outlet_->cancelled()) {
      SetLastError(ERROR_CANCELLED);
      return Delivery::kStopped;
    }
    const size_t text = out_.results.text.size();
    out_.results.Add(job_->serial, job_->path, props, kind, name, module, ordinal, nameIndexOrHint);
    outBytes_ += out_.results.text.size() - text + sizeof(ResultBatch::Row);
    if (out_.results.size() >= kPieceRows || outBytes_ >= kPieceBytes) Publish();
    return Delivery::kDelivered;
  }

  // --- StatusOutput ---
  void Status(const std::wstring& line) override { AddLine(line, Counted::kNot); }
  void Warning(const std::wstring& line) override { AddLine(line, Counted::kWarning); }

 private:
  void AddLine(const std::wstring& line, Counted counted) {
    out_.lines.push_back({line, counted});
    outBytes_ += line.size() * sizeof(wchar_t) + sizeof(StatusEntry);
    if (outBytes_ >= kPieceBytes) Publish();
  }

  // Hands on what the file gave so far.
  void Publish() {
    if (out_.results.empty() && out_.lines.empty()) return;
    ImageOutput piece;
    piece.results = std::move(out_.results);
    piece.lines = std::move(out_.lines);
    out_.results = ResultBatch{};
    out_.lines.clear();
    outlet_->Publish(std::move(piece), std::exchange(outBytes_, 0));
  }

  ReadShared& shared_;
  SymbolMatcher matcher_;
  ImageReader reader_;
  std::optional<SnapshotKeeper> keeper_;
  ImageSnapshot snapshot_;
  SnapshotView view_;
  ImageReaders::Outlet* outlet_ = nullptr;
  ImageJob* job_ = nullptr;
  ImageOutput out_;
  size_t outBytes_ = 0;
  uint64_t size_ = 0;  // of the file, once it is mapped
  uint64_t symbols_ = 0, visited_ = 0;
  uint64_t sharedBytes_ = 0;  // of the file, already added to the shared progress
  uint32_t checks_ = 0;
};

// The search thread's side: it walks, hands the files to the readers and
// delivers what they give in walk order, with the status lines, progress,
// the file being read and the counts.
class SearchContext {
 public:
  SearchContext(const SearchParams& p, const StopFlag& stop, const std::atomic<uint64_t>& progress)
      : p_(p),
        stop_(stop),
        progress_(progress),
        poster_(p.window, stop),
        results_(poster_, kMsgResults, kMaxResultBatch),
        statusLines_(poster_, kMsgStatusLines, kMaxStatusBatch),
        lastTick_(p.lastPostTick) {
    poster_.SetRetryHook([this] { PostProgressIfDue(false); });
  }

  MessagePoster& poster() { return poster_; }

  // A file for the readers, in walk order.
  ImageJob FileJob(const std::wstring& path) {
    inFlight_.push_back(path);
    return ImageJob{path, ++imageSerial_};
  }
  // An event of the walk about `path`, in walk order.
  ImageOutput Event(const std::wstring& path, std::wstring line, Counted counted) {
    inFlight_.push_back(path);
    ImageOutput out;
    if (!line.empty()) out.lines.push_back({std::move(line), counted});
    return out;
  }

  // Delivers one piece of a file's output (or an event); false when the
  // search must stop.
  bool Commit(ImageOutput& out, bool last) {
    for (StatusEntry& line : out.lines) {
      // A batch that cannot be posted is dropped with its lines.
      statusLines_.Add(std::move(line.text));
      if (line.counted != Counted::kNot) Count(line.counted == Counted::kWarning);
    }
    if (!out.results.empty()) {
      if (results_.held() == 0) results_.batch() = std::move(out.results);
      else results_.batch().Append(std::move(out.results));
      const MessagePoster::Result r =
          results_.batch().text.size() >= kMaxResultBatchText ? results_.Flush() : results_.Added();
      if (r == MessagePoster::kStopped) return false;
      if (r == MessagePoster::kFailed) {
        statusLines_.Add(FailedToSendResultLine(GetLastError()));
        return false;
      }
    }
    if (last) {
      if (!inFlight_.empty()) {
        currentFile_ = std::move(inFlight_.front());
        inFlight_.pop_front();
      }
      if (out.stopped) return false;
      if (out.fileSearched) CountFile();
    }
    // What was found so far is shown while the search is paused.
    if (stop_.load() == kStopPause) FlushResults();
    return true;
  }

  // While the search waits: posts what is due. While paused, what was
  // delivered is shown and nothing more is delivered until the pause ends.
  ReadersTick Tick() {
    const uint32_t state = stop_.load();
    if (state >= kStopStop) return ReadersTick::kStop;
    if (state == kStopPause) {
      FlushResults();
      return ReadersTick::kHold;
    }
    statusLines_.PostIfDue();
    results_.PostIfDue();
    PostProgressIfDue(true);
    return ReadersTick::kGo;
  }

  // The walk's stop check before each entry: waits while paused, then
  // delivers what is ready. True when the walk must stop.
  bool ShouldStop(ImageReaders& readers) {
    for (;;) {
      switch (Tick()) {
        case ReadersTick::kStop:
          readers.Stop();
          return true;
        case ReadersTick::kHold:
          std::this_thread::sleep_for(std::chrono::milliseconds(10));
          continue;
        case ReadersTick::kGo:
          return !readers.Drain();
      }
    }
  }

  // Posts the status lines and results still held; the search-ended
  // message comes after them.
  void FlushResults() {
    statusLines_.Flush();
    results_.Flush();
  }

  void PostProgressIfDue(bool postFile) {
    uint32_t now = TickCount();
    if (now - lastTick_ < kProgressIntervalMs) return;
    lastTick_ = now;
    const uint64_t progress = progress_.load();
    if (progress != lastPosted_) {
      auto m = Message(kMsgProgress, progress & 0xFFFFFFFFu, progress >> 32);
      if (poster_.TryPost(m)) lastPosted_ = progress;
    }
    if (postFile && --countdown_ < 0) {
      countdown_ = 3;
      // The oldest file not yet delivered: the one the search waits for.
      auto m = Message(kMsgCurrentFile);
      m.payload = std::make_unique<PayloadOf<std::wstring>>(inFlight_.empty() ? currentFile_ : inFlight_.front());
      poster_.TryPost(m);
    }
  }

 private:
  void Count(bool warning) {
    std::lock_guard<std::mutex> lock(p_.statistics->countersLock);
    (warning ? p_.statistics->warnings : p_.statistics->errors)++;
  }
  void CountFile() {
    std::lock_guard<std::mutex> lock(p_.statistics->countersLock);
    p_.statistics->filesSearched++;
  }

  const SearchParams& p_;
  const StopFlag& stop_;
  const std::atomic<uint64_t>& progress_;
  MessagePoster poster_;
  BatchPosterOf<ResultBatch> results_;
  BatchPoster<std::wstring> statusLines_;
  uint32_t lastTick_;
  std::deque<std::wstring> inFlight_;  // paths added and not yet delivered, oldest first
  std::wstring currentFile_;           // the last one delivered
  uint32_t imageSerial_ = 0;
  uint64_t lastPosted_ = UINT64_MAX;
  int countdown_ = 0;
};

void PostEnd(MessagePoster& poster, uint32_t id, bool completed, MessageTarget* window) {
  auto m = Message(id, completed ? 1 : 0);
  if (poster.Post(m) != MessagePoster::kDelivered)
    EventLog::LogFormat(L"h=0x%p", static_cast<void*>(window));
}

// The events of the walk that are not files, written as status lines and
// counted: the output to deliver in walk order, with the path it is about.
ImageOutput WalkEventOutput(SearchContext& ctx, const FolderWalkEvent& ev, const std::wstring& fileText) {
  switch (ev.code) {
    case kWalkPlainMatchFailed:
      EventLog::LogFormat(L"srchStr=\"%ls\", fldr=\"%ls\", file=\"%ls\"", fileText.c_str(),
                          ev.folder.c_str(), ev.name.c_str());
      return ctx.Event(
          ev.folder + ev.name,
          WFormat(L"ERROR: Search failed: %ls PlainSearchStr: \"%ls\", folder=\"%ls\", file=\"%ls\"",
                  ErrorSentence(ev.error).c_str(), fileText.c_str(), ev.folder.c_str(), ev.name.c_str()),
          Counted::kError);
    case kWalkContinueFailed:
      return ctx.Event(ev.folder + ev.name, FolderListingBrokeOffLine(ev.error, ev.folder, ev.name),
                       Counted::kWarning);
    case kWalkListFailed:
      return ctx.Event(ev.folder, FolderSearchFailedLine(ev.error, ev.folder), Counted::kError);
    case kWalkFolderLoop:
    case kWalkFolderSeen:
    case kWalkBrokenLink: {
      const std::wstring path = ev.folder + ev.name;
      if (ev.code == kWalkBrokenLink) {
        EventLog::LogSiteFormat(932, L"e=%u, path=\"%ls\"", ev.error, path.c_str());
        return ctx.Event(path, BrokenLinkLine(ev.error, path), Counted::kWarning);
      }
      const bool loop = ev.code == kWalkFolderLoop;
      EventLog::LogSiteFormat(loop ? 930 : 931, L"link=%d, path=\"%ls\", walkedAs=\"%ls\"",
                              ev.link ? 1 : 0, path.c_str(), ev.text.c_str());
      return ctx.Event(path, FolderSkippedLine(ev.link, loop, path, ev.text), Counted::kWarning);
    }
    case kWalkRegexFailed:
    case kWalkRegexCompileFailed:
      EventLog::LogFormat(L"type=%d, regex: %ls. Component=%d. Fldr=\"%ls\"", ev.code,
                          ev.text.c_str(), ev.component, ev.folder.c_str());
      return ctx.Event(ev.folder,
                       WFormat(L"ERROR: %ls: %ls, component: %d, folder: \"%ls\"",
                               ev.code == kWalkRegexFailed ? L"Failed to evaluate regex"
                                                           : L"Aborting. Failed to assign regex",
                               ev.text.c_str(), ev.component, ev.folder.c_str()),
                       Counted::kError);
    default:
      return ctx.Event(ev.folder, {}, Counted::kNot);
  }
}

void SizeScanThread(std::unique_ptr<SearchParams> p, bool background) {
  if (background) LowerThreadPriority();
  MessagePoster poster(p->window, *p->stopFlag);
  WalkPlan plan;
  RegexCompileError error;
  bool completed = false;
  if (p->sizeScan && PlanWalk(*p, plan, error)) {
    uint64_t total = 0;
    int walked = FolderWalker::Walk(
        plan.options,
        [&](const FolderWalkEvent& ev) {
          if (ev.code == kWalkFile) total += ev.size;
          return true;
        },
        [&] { return CheckStop(*p->stopFlag); });
    completed = walked == 1;
    if (completed) {
      std::lock_guard<std::mutex> lock(p->statistics->sizeLock);
      p->statistics->sizeKnown = true;
      p->statistics->totalSize = total;
    }
  }
  PostEnd(poster, kMsgSizeScanEnded, completed, p->window);
}

void SearchThread(std::unique_ptr<SearchParams> p, const UndecorateFn& undecorate, bool background) {
  if (background) LowerThreadPriority();
  SearchString search;
  ReadShared shared(*p, search, *p->stopFlag);
  SearchContext ctx(*p, *p->stopFlag, shared.bytesRead);

  // A regular expression that does not compile ends the search before any
  // file is read.
  auto compileFailed = [&](const RegexCompileError& error) {
    FolderWalkEvent ev;
    ev.code = kWalkRegexCompileFailed;
    ev.folder = p->folder;
    ev.text = error.text;
    ev.component = error.component;
    ImageOutput out = WalkEventOutput(ctx, ev, p->fileName.text);
    ctx.Commit(out, true);
    ctx.FlushResults();
    PostEnd(ctx.poster(), kMsgSearchEnded, false, p->window);
  };

  RegexCompileError error;
  if (!search.Prepare(p->search, p->regexGrammar, p->emptyMatchesAll, error))
    return compileFailed(error);
  WalkPlan plan;
  if (!PlanWalk(*p, plan, error)) return compileFailed(error);
  shared.scan.searchMatchesAll = search.matchesAll();
  shared.fileNameMatchesAll = plan.fileNameMatchesAll;
  std::optional<SymbolCache> cache;
  if (!p->cachePath.empty()) {
    cache.emplace(p->cachePath, p->cacheLimitBytes);
    if (cache->usable()) shared.cache = &*cache;
  }
  // A cache that cannot be used, or was made anew, is said first.
  auto cacheWarning = [&] {
    if (!cache) return;
    std::wstring warning = cache->TakeWarning();
    if (warning.empty()) return;
    ImageOutput out = ctx.Event(p->folder, std::move(warning), Counted::kWarning);
    ctx.Commit(out, true);
  };
  cacheWarning();
  // The readers learn each file's size as they map it: the walk need not
  // look at every file for it.
  plan.options.sizes = false;

  // Each reader keeps its own matcher and scratch tables.
  std::vector<std::unique_ptr<ImageReadContext>> contexts;
  for (uint32_t i = 0; i < std::max<uint32_t>(1, p->readers); ++i)
    contexts.push_back(std::make_unique<ImageReadContext>(shared, undecorate));
  OrderedReadLimits limits;
  limits.readers = p->readers;
  ImageReaders readers(
      limits, [&](ImageJob& job, ImageReaders::Outlet& outlet) { return contexts[outlet.reader()]->Read(job, outlet); },
      [&](ImageOutput& out, bool last) { return ctx.Commit(out, last); }, [&] { return ctx.Tick(); },
      background ? LowerThreadPriority : nullptr);

  int walked = FolderWalker::Walk(
      plan.options,
      [&](const FolderWalkEvent& ev) {
        if (ev.code == kWalkStopped) return true;
        if (ev.code != kWalkFile) return readers.AddReady(WalkEventOutput(ctx, ev, p->fileName.text));
        return readers.Add(ctx.FileJob(ev.folder + ev.name));
      },
      [&] { return ctx.ShouldStop(readers); });
  if (walked != 1) readers.Stop();
  // Every reader has ended before the search-ended message.
  const bool completed = readers.Finish() && walked == 1;
  if (cache) cache->Finish();
  cacheWarning();
  ctx.FlushResults();
  PostEnd(ctx.poster(), kMsgSearchEnded, completed, p->window);
}

}  // namespace

SymbolSearch::SymbolSearch(UndecorateFn undecorate) : undecorate_(std::move(undecorate)) {}

SymbolSearch::~SymbolSearch() = default;

bool SymbolSearch::Running() const { return workers_.Running(); }

bool SymbolSearch::Wait(std::chrono::milliseconds timeout) { return workers_.Wait(timeout); }

bool SymbolSearch::Start(const SearchParams& params, const SearchStartSettings& settings) {
  if (Running()) {
    SetLastError(ERROR_ALREADY_ASSIGNED);
    return false;
  }
  workers_.Join();
  SearchParams p = params;
  PrepareSearchStart(p, settings);
  if (!p.stopFlag || !p.statistics || !p.window || p.folder.empty() ||
      (p.searchFor != kSearchForSymbols && p.searchFor != kSearchForImportLibs) ||
      (p.presentAs != kPresentSymbolsInModules && p.presentAs != kPresentModulesOnly) ||
      (p.regexGrammar & kGrammarBits) == 0) {
    EventLog::LogFormat(L"%ls", DescribeSearchParams(p).c_str());
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  p.statistics->Reset();
  p.stopFlag->store(kStopRun);
  p.lastPostTick = TickCount();
  p.lastPostedProgress = UINT64_MAX;
  p.fileNameCountdown = 0;

  // Thread 1 (size scan) and thread 2 (search) start together or not at
  // all: a half-made start delivers nothing to the window.
  std::vector<WorkerJob> jobs;
  jobs.emplace_back([copy = std::make_unique<SearchParams>(p), background = background_]() mutable {
    SizeScanThread(std::move(copy), background);
  });
  jobs.emplace_back([copy = std::make_unique<SearchParams>(p), undecorate = undecorate_,
                     background = background_]() mutable {
    SearchThread(std::move(copy), undecorate, background);
  });
  if (!workers_.Start(std::move(jobs))) {
    LastErrorKeeper keep;
    EventLog::LogFormat(L"Failed to start the search threads (%u)", GetLastError());
    return false;
  }
  return true;
}

std::vector<std::wstring> SearchSummaryLines(bool completed, int64_t elapsedMs,
                                             uint64_t filesSearched, uint64_t errors,
                                             uint64_t warnings, uint64_t results) {
  return {completed ? WFormat(L"Search Finished in %ls:", FormatDuration(elapsedMs).c_str())
                    : std::wstring(L"Search was ABORTED:"),
          WFormat(L"File(s) Searched=%llu, Error(s)=%llu, Warning(s)=%llu.",
                  (unsigned long long)filesSearched, (unsigned long long)errors,
                  (unsigned long long)warnings),
          WFormat(L"Result(s) Found=%llu.", (unsigned long long)results)};
}

std::wstring DescribeSearchParams(const SearchParams& p) {
  return WFormat(
      L"stop=0x%p, stats=0x%p, wnd=0x%p, fldr=\"%ls\", sf=%u, pa=%u, li=0x%x, grammar=0x%x, "
      L"fn=\"%ls\", sn=\"%ls\"",
      static_cast<void*>(p.stopFlag), static_cast<void*>(p.statistics),
      static_cast<void*>(p.window), p.folder.c_str(), p.searchFor, p.presentAs, p.lookIn,
      p.regexGrammar, p.fileName.text.c_str(), p.search.text.c_str());
}

}  // namespace tarnix

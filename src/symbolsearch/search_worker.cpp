#include "symbolsearch/search_worker.h"

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>

#include "core/error_text.h"
#include "core/event_log.h"
#include "core/folder_walk_lines.h"
#include "core/message_poster.h"
#include "core/text_format.h"
#include "core/wformat.h"
#include "pe/image_reader.h"
#include "platform/last_error.h"
#include "platform/text_encoding.h"
#include "platform/time_utils.h"
#include "platform/win_errors.h"
#include "symbolsearch/folder_walker.h"
#include "symbolsearch/search_image_filter.h"
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

// The search thread's state: the image scan context of one search.
class SearchContext final : public SearchProgress, public ResultSink, public StatusOutput {
 public:
  SearchContext(const SearchParams& p, const StopFlag& stop)
      : p_(p),
        stop_(stop),
        poster_(p.window, stop),
        results_(poster_, kMsgResults, kMaxResultBatch),
        statusLines_(poster_, kMsgStatusLines, kMaxStatusBatch),
        lastTick_(p.lastPostTick) {
    poster_.SetRetryHook([this] { PostProgressIfDue(false); });
  }

  const SearchParams& params() const { return p_; }
  MessagePoster& poster() { return poster_; }

  // --- files ---
  void BeginFile(const std::wstring& path, uint64_t size) {
    currentFile_ = path;
    ++imageSerial_;
    fileStart_ = progress_;
    fileSize_ = size;
    symbols_ = 0;
    visited_ = 0;
  }
  void EndFile() {
    progress_ = fileStart_ + fileSize_;
    symbols_ = visited_ = 0;
  }
  const std::wstring& currentFile() const { return currentFile_; }

  // --- SearchProgress ---
  void BeginImage(uint64_t symbolCount) override {
    symbols_ = symbolCount;
    visited_ = 0;
  }
  void SymbolsVisited(uint64_t count) override {
    visited_ += count;
    if (symbols_ && visited_ <= symbols_)
      progress_ = fileStart_ + static_cast<uint64_t>(static_cast<double>(fileSize_) *
                                                     static_cast<double>(visited_) /
                                                     static_cast<double>(symbols_));
  }
  bool CheckStop() override { return CheckProgressAndStop(true); }

  // Stop check, then progress (and every fourth tick the current file) when
  // 100 ms have passed. True when the search must stop.
  bool CheckProgressAndStop(bool postFile) {
    // What was found so far is shown while the search is paused.
    if (stop_.load() == kStopPause) FlushResults();
    if (tarnix::CheckStop(stop_)) return true;
    statusLines_.PostIfDue();
    results_.PostIfDue();
    PostProgressIfDue(postFile);
    return false;
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
    if (progress_ != lastPosted_) {
      auto m = Message(kMsgProgress, progress_ & 0xFFFFFFFFu, progress_ >> 32);
      if (poster_.TryPost(m)) lastPosted_ = progress_;
    }
    if (postFile && --countdown_ < 0) {
      countdown_ = 3;
      auto m = Message(kMsgCurrentFile);
      m.payload = std::make_unique<PayloadOf<std::wstring>>(currentFile_);
      poster_.TryPost(m);
    }
  }

  // --- StatusOutput ---
  void Status(const std::wstring& line) override {
    // A batch that cannot be posted is dropped with its lines.
    statusLines_.Add(line);
  }
  void Warning(const std::wstring& line) override {
    Status(line);
    Count(true);
  }

  // --- ResultSink ---
  Delivery Deliver(ResultKind kind, std::wstring_view name, std::wstring_view module,
                   uint32_t ordinal, int32_t nameIndexOrHint,
                   const ImageProperties& props) override {
    results_.batch().Add(imageSerial_, currentFile_, props, kind, name, module, ordinal, nameIndexOrHint);
    const MessagePoster::Result r =
        results_.batch().text.size() >= kMaxResultBatchText ? results_.Flush() : results_.Added();
    switch (r) {
      case MessagePoster::kDelivered: return Delivery::kDelivered;
      case MessagePoster::kStopped: return Delivery::kStopped;
      default: return Delivery::kFailed;
    }
  }

  void Count(bool warning) {
    std::lock_guard<std::mutex> lock(p_.statistics->countersLock);
    (warning ? p_.statistics->warnings : p_.statistics->errors)++;
  }
  void CountFile() {
    std::lock_guard<std::mutex> lock(p_.statistics->countersLock);
    p_.statistics->filesSearched++;
  }
  uint64_t progress() const { return progress_; }

 private:
  const SearchParams& p_;
  const StopFlag& stop_;
  MessagePoster poster_;
  BatchPosterOf<ResultBatch> results_;
  BatchPoster<std::wstring> statusLines_;
  uint32_t lastTick_;
  std::wstring currentFile_;
  uint32_t imageSerial_ = 0;
  uint64_t progress_ = 0, fileStart_ = 0, fileSize_ = 0, symbols_ = 0, visited_ = 0;
  uint64_t lastPosted_ = UINT64_MAX;
  int countdown_ = 0;
};

void PostEnd(MessagePoster& poster, uint32_t id, bool completed, MessageTarget* window) {
  auto m = Message(id, completed ? 1 : 0);
  if (poster.Post(m) != MessagePoster::kDelivered)
    EventLog::LogFormat(L"h=0x%p", static_cast<void*>(window));
}

// The events of the walk that are not files, written as status lines and
// counted; answers what the walk should do next.
bool ReportWalkEvent(SearchContext& ctx, const FolderWalkEvent& ev, const std::wstring& fileText) {
  switch (ev.code) {
    case kWalkPlainMatchFailed: {
      EventLog::LogFormat(L"srchStr=\"%ls\", fldr=\"%ls\", file=\"%ls\"", fileText.c_str(),
                          ev.folder.c_str(), ev.name.c_str());
      ctx.Status(WFormat(
          L"ERROR: Search failed: %ls PlainSearchStr: \"%ls\", folder=\"%ls\", file=\"%ls\"",
          ErrorSentence(ev.error).c_str(), fileText.c_str(), ev.folder.c_str(), ev.name.c_str()));
      ctx.Count(false);
      ctx.BeginFile(ev.folder + ev.name, 0);
      return !ctx.CheckProgressAndStop(true);
    }
    case kWalkContinueFailed:
      ctx.Status(FolderListingBrokeOffLine(ev.error, ev.folder, ev.name));
      ctx.Count(true);
      ctx.BeginFile(ev.folder + ev.name, 0);
      return !ctx.CheckProgressAndStop(true);
    case kWalkListFailed:
      ctx.Status(FolderSearchFailedLine(ev.error, ev.folder));
      ctx.Count(false);
      ctx.BeginFile(ev.folder, 0);
      return !ctx.CheckProgressAndStop(true);
    case kWalkFolderLoop:
    case kWalkFolderSeen:
    case kWalkBrokenLink: {
      const std::wstring path = ev.folder + ev.name;
      if (ev.code == kWalkBrokenLink) {
        EventLog::LogSiteFormat(932, L"e=%u, path=\"%ls\"", ev.error, path.c_str());
        ctx.Status(BrokenLinkLine(ev.error, path));
      } else {
        const bool loop = ev.code == kWalkFolderLoop;
        EventLog::LogSiteFormat(loop ? 930 : 931, L"link=%d, path=\"%ls\", walkedAs=\"%ls\"",
                                ev.link ? 1 : 0, path.c_str(), ev.text.c_str());
        ctx.Status(FolderSkippedLine(ev.link, loop, path, ev.text));
      }
      ctx.Count(true);
      ctx.BeginFile(path, 0);
      return !ctx.CheckProgressAndStop(true);
    }
    case kWalkRegexFailed:
    case kWalkRegexCompileFailed: {
      EventLog::LogFormat(L"type=%d, regex: %ls. Component=%d. Fldr=\"%ls\"", ev.code,
                          ev.text.c_str(), ev.component, ev.folder.c_str());
      ctx.Status(WFormat(L"ERROR: %ls: %ls, component: %d, folder: \"%ls\"",
                         ev.code == kWalkRegexFailed ? L"Failed to evaluate regex"
                                                     : L"Aborting. Failed to assign regex",
                         ev.text.c_str(), ev.component, ev.folder.c_str()));
      ctx.Count(false);
      ctx.BeginFile(ev.folder, 0);
      return !ctx.CheckProgressAndStop(true);
    }
    default:
      return true;
  }
}

void SizeScanThread(std::unique_ptr<SearchParams> p, bool background) {
  if (background) LowerThreadPriority();
  MessagePoster poster(p->window, *p->stopFlag);
  WalkPlan plan;
  RegexCompileError error;
  bool completed = false;
  if (PlanWalk(*p, plan, error)) {
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

void SearchThread(std::unique_ptr<SearchParams> p, UndecorateFn undecorate, bool background) {
  if (background) LowerThreadPriority();
  SearchContext ctx(*p, *p->stopFlag);

  // A regular expression that does not compile ends the search before any
  // file is read.
  auto compileFailed = [&](const RegexCompileError& error) {
    FolderWalkEvent ev;
    ev.code = kWalkRegexCompileFailed;
    ev.folder = p->folder;
    ev.text = error.text;
    ev.component = error.component;
    ReportWalkEvent(ctx, ev, p->fileName.text);
    ctx.FlushResults();
    PostEnd(ctx.poster(), kMsgSearchEnded, false, p->window);
  };

  SearchString search;
  RegexCompileError error;
  if (!search.Prepare(p->search, p->regexGrammar, p->emptyMatchesAll, error))
    return compileFailed(error);
  WalkPlan plan;
  if (!PlanWalk(*p, plan, error)) return compileFailed(error);

  SymbolMatchOptions matchOptions;
  matchOptions.lookIn = p->lookIn;
  matchOptions.undecorate = p->undecorate;
  matchOptions.undecorationFlags = p->undecorationFlags;
  SymbolMatcher matcher = undecorate
                              ? SymbolMatcher(search, matchOptions, std::move(undecorate), ctx, ctx, ctx)
                              : SymbolMatcher(search, matchOptions, ctx, ctx, ctx);
  SearchImageFilter filter(*p);
  ScanOptions scan;
  scan.lookIn = p->lookIn;
  scan.searchFor = p->searchFor;
  scan.presentAs = p->presentAs;
  scan.searchMatchesAll = search.matchesAll();
  ImageReader reader;

  int walked = FolderWalker::Walk(
      plan.options,
      [&](const FolderWalkEvent& ev) {
        if (ev.code == kWalkStopped) return true;
        if (ev.code != kWalkFile) return ReportWalkEvent(ctx, ev, p->fileName.text);
        std::wstring path = ev.folder + ev.name;
        ctx.BeginFile(path, ev.size);
        matcher.SetCurrentFile(path);
        uint32_t location = 0;
        int read = reader.ReadFile(ToUtf8(path), scan, matcher, &filter, location);
        if (read == kReadStop) return false;
        if (read == kReadFailed) {
          uint32_t err = GetLastError();
          bool warning = plan.fileNameMatchesAll && IsQuietLocation(location);
          ctx.Status(WFormat(L"%ls: Searching file: \"%ls\". (%u:%ls) %ls",
                             warning ? L"Warning" : L"ERROR", path.c_str(), location,
                             ErrorCodeToText(err).c_str(), ErrorDescription(err).c_str()));
          ctx.Count(warning);
        }
        ctx.EndFile();
        ctx.CountFile();
        return !ctx.CheckProgressAndStop(true);
      },
      [&] { return ctx.CheckProgressAndStop(false); });
  ctx.FlushResults();
  PostEnd(ctx.poster(), kMsgSearchEnded, walked == 1, p->window);
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
    SearchThread(std::move(copy), std::move(undecorate), background);
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

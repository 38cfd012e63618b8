#include "results/details_loader.h"

#include "core/error_text.h"
#include "core/event_log.h"
#include "core/wformat.h"
#include "pe/result_kind.h"
#include "pe/version_info.h"
#include "platform/languages.h"
#include "platform/last_error.h"
#include "platform/text_encoding.h"
#include "platform/time_utils.h"
#include "platform/win_errors.h"
#include "undname/undecorate.h"

namespace tarnix {
namespace {

constexpr size_t kBatchSize = 4;

bool IsCppKind(uint32_t kind) {
  return kind == kKindImportCpp || kind == kKindExportCpp || kind == kKindExportForwardedCpp ||
         kind == kKindDelayImportCpp;
}

}  // namespace

bool CollectDetailsWork(const ResultsModel& model, bool undecorate,
                        std::vector<DetailsWorkItem>& out,
                        const std::function<bool(size_t)>& cancel) {
  out.clear();
  const auto& entries = model.entries();
  out.reserve(entries.size());
  for (size_t i = 0; i < entries.size(); ++i) {
    if (cancel && (i & 0x3FF) == 0 && cancel(i)) return false;
    const ResultEntry& e = entries[i];
    DetailsWorkItem item;
    item.id = e.id;
    item.row = static_cast<int64_t>(i);
    item.path = e.result.file;
    if (model.winApiSearch() && undecorate && IsCppKind(e.result.kind) && e.decoratedName.empty()) {
      item.undecorate = true;
      item.name = e.result.name;
    }
    out.push_back(std::move(item));
  }
  return true;
}

ResultDetails LoadDetails(const DetailsWorkItem& item, uint16_t language, uint32_t flags) {
  ResultDetails d;
  d.id = item.id;
  FixedFileInfo fixed;
  std::wstring description;
  VersionInfoRequest request;
  request.language = language;
  request.fixedInfo = &fixed;
  request.description = &description;
  if (ReadVersionInfo(item.path, request) < 0) {
    uint32_t err = GetLastError();
    d.description = WFormat(L"<error: (%ls) %ls>", ErrorCodeToText(err).c_str(),
                            ErrorDescription(err).c_str());
  } else {
    if (request.found & kVersionFixedInfo)
      d.fileVersion = (uint64_t{fixed.fileVersionMS} << 32) | fixed.fileVersionLS;
    for (wchar_t& c : description)
      if (c == L'\r' || c == L'\n') c = L' ';
    d.description = std::move(description);
  }
  if (item.undecorate) {
    bool lossy = false;
    std::string narrow = ToCp1252(item.name, &lossy);
    if (!lossy) {
      if (auto text = UndecorateLocked(narrow, flags)) {
        d.hasUndecorated = true;
        d.undecoratedName = FromCp1252(*text);
      }
    }
  }
  return d;
}

ResultDetailsLoader::~ResultDetailsLoader() {
  Stop();
  if (thread_.joinable()) thread_.join();
}

bool ResultDetailsLoader::WaitStop(uint32_t ms) {
  std::unique_lock<std::mutex> lock(stopLock_);
  return stopSignal_.wait_for(lock, std::chrono::milliseconds(ms), [this] { return stop_; });
}

bool ResultDetailsLoader::Start(std::vector<DetailsWorkItem> work, MessageTarget* target,
                                uint32_t flags, std::function<bool()> mayPost) {
  if (running_.load()) return false;
  if (thread_.joinable()) thread_.join();
  {
    std::lock_guard<std::mutex> lock(stopLock_);
    stop_ = false;
  }
  running_ = true;
  thread_ = std::thread(&ResultDetailsLoader::Run, this, std::move(work), target, flags,
                        std::move(mayPost));
  return true;
}

bool ResultDetailsLoader::Stop(std::chrono::milliseconds timeout) {
  {
    std::lock_guard<std::mutex> lock(stopLock_);
    stop_ = true;
  }
  stopSignal_.notify_all();
  const uint64_t until = TickCount64() + static_cast<uint64_t>(timeout.count());
  while (running_.load() && TickCount64() < until)
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  if (running_.load()) {
    EventLog::LogFormat(L"The details pass did not stop within %lld ms",
                        static_cast<long long>(timeout.count()));
    return false;
  }
  if (thread_.joinable()) thread_.join();
  return true;
}

void ResultDetailsLoader::Run(std::vector<DetailsWorkItem> work, MessageTarget* target,
                              uint32_t flags, std::function<bool()> mayPost) {
  const uint16_t language = UserDefaultLanguage();
  const uint32_t interval = target ? target->minPostIntervalMs() : 0;
  uint64_t lastPost = 0;
  bool stopped = false;

  // Posts one message, pacing and retrying on a full queue; false when the
  // pass must end (stop, or a failure other than a full queue).
  auto post = [&](PostedMessage& m) {
    for (;;) {
      if (WaitStop(0)) return false;
      if (mayPost && !mayPost()) {
        if (WaitStop(5)) return false;
        continue;
      }
      uint64_t now = TickCount64();
      if (interval && lastPost && now - lastPost < interval &&
          WaitStop(static_cast<uint32_t>(interval - (now - lastPost))))
        return false;
      if (target->Post(m)) {
        lastPost = TickCount64();
        return true;
      }
      if (GetLastError() != ERROR_NOT_ENOUGH_QUOTA) return false;
      if (WaitStop(1)) return false;
    }
  };

  std::vector<ResultDetails> batch;
  for (const DetailsWorkItem& item : work) {
    if (WaitStop(0)) {
      stopped = true;
      break;
    }
    batch.push_back(LoadDetails(item, language, flags));
    if (batch.size() == kBatchSize) {
      PostedMessage m;
      m.id = kMsgDetailsBatch;
      m.payload = std::make_unique<PayloadOf<std::vector<ResultDetails>>>(std::move(batch));
      batch.clear();
      if (!post(m)) {
        stopped = true;
        break;
      }
    }
  }
  if (!stopped && !batch.empty()) {
    PostedMessage m;
    m.id = kMsgDetailsBatch;
    m.payload = std::make_unique<PayloadOf<std::vector<ResultDetails>>>(std::move(batch));
    stopped = !post(m);
  }
  if (!stopped) {
    PostedMessage done;
    done.id = kMsgDetailsDone;
    post(done);
  }
  running_ = false;
}

}  // namespace tarnix

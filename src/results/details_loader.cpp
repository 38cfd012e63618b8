#include "results/details_loader.h"

#include <optional>
#include <string_view>
#include <unordered_map>
#include <utility>

#include "core/error_text.h"
#include "core/event_log.h"
#include "core/message_poster.h"
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

// A batch holds at least this many items, unless it is the last.
constexpr size_t kMinBatch = 4;
// The window applies a batch on its own thread in well under a millisecond
// per thousand items; this bound also caps what a pass holds while the
// window cannot take a batch (its busy popup shows, or its queue is full).
constexpr size_t kMaxBatch = 4096;

bool IsCppKind(uint32_t kind) {
  return kind == kKindImportCpp || kind == kKindExportCpp || kind == kKindExportForwardedCpp ||
         kind == kKindDelayImportCpp;
}

// The window's target as the pass sees it: while the window's busy popup
// shows, a post is refused as though the queue were full, so the pass holds
// its findings back and retries after 1 ms exactly as for a full queue.
class HeldBackTarget final : public MessageTarget {
 public:
  HeldBackTarget(MessageTarget& target, std::function<bool()> mayPost)
      : target_(target), mayPost_(std::move(mayPost)) {}

  bool Post(PostedMessage& msg) override {
    if (mayPost_ && !mayPost_()) {
      SetLastError(ERROR_NOT_ENOUGH_QUOTA);
      return false;
    }
    return target_.Post(msg);
  }
  uint32_t minPostIntervalMs() const override { return target_.minPostIntervalMs(); }

 private:
  MessageTarget& target_;
  std::function<bool()> mayPost_;
};

ResultDetails DetailsFor(const DetailsWorkItem& item, const ImageDetails& image, uint32_t flags) {
  ResultDetails d;
  d.id = item.id;
  d.row = item.row;
  d.fileVersion = image.fileVersion;
  d.description = image.description;
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

}  // namespace

bool CollectDetailsWork(const ResultsModel& model, bool undecorate, DetailsWork& out,
                        const std::function<bool(size_t)>& cancel) {
  out.images.clear();
  out.items.clear();
  const auto& entries = model.entries();
  out.items.reserve(entries.size());
  // Keys are views of the model's own paths, which stay put while the work
  // is collected. The results of one image mostly stand together, so the
  // previous item's image answers most look-ups before the map is asked.
  std::unordered_map<std::wstring_view, uint32_t> known;
  const std::wstring* lastPath = nullptr;
  uint32_t lastImage = 0;
  for (size_t i = 0; i < entries.size(); ++i) {
    if (cancel && (i & 0x3FF) == 0 && cancel(i)) return false;
    const ResultEntry& e = entries[i];
    const std::wstring& path = e.result.file;
    if (!lastPath || path != *lastPath) {
      auto [it, added] = known.try_emplace(path, static_cast<uint32_t>(out.images.size()));
      if (added) out.images.push_back(path);
      lastPath = &path;
      lastImage = it->second;
    }
    DetailsWorkItem item;
    item.id = e.id;
    item.row = static_cast<int64_t>(i);
    item.image = lastImage;
    if (model.winApiSearch() && undecorate && IsCppKind(e.result.kind) && e.decoratedName.empty()) {
      item.undecorate = true;
      item.name = e.result.name;
    }
    out.items.push_back(std::move(item));
  }
  return true;
}

ImageDetails ReadImageDetails(const std::wstring& path, uint16_t language) {
  ImageDetails d;
  FixedFileInfo fixed;
  std::wstring description;
  VersionInfoRequest request;
  request.language = language;
  request.fixedInfo = &fixed;
  request.description = &description;
  if (ReadVersionInfo(path, request) < 0) {
    d.description = VersionErrorText(GetLastError());
    return d;
  }
  if (request.found & kVersionFixedInfo)
    d.fileVersion = (uint64_t{fixed.fileVersionMS} << 32) | fixed.fileVersionLS;
  for (wchar_t& c : description)
    if (c == L'\r' || c == L'\n') c = L' ';
  d.description = std::move(description);
  return d;
}

std::wstring VersionErrorText(uint32_t error) {
  return WFormat(L"<error: (%ls) %ls>", ErrorCodeToText(error).c_str(),
                 ErrorDescription(error).c_str());
}

ResultDetails LoadDetails(const DetailsWorkItem& item, const std::wstring& path, uint16_t language,
                          uint32_t flags) {
  return DetailsFor(item, ReadImageDetails(path, language), flags);
}

ResultDetailsLoader::~ResultDetailsLoader() {
  Stop();
  if (thread_.joinable()) thread_.join();
}

bool ResultDetailsLoader::Start(DetailsWork work, MessageTarget* target, uint32_t flags,
                                std::function<bool()> mayPost) {
  if (running_.load()) return false;
  // Every item must name one of the work's images.
  for (const DetailsWorkItem& item : work.items) {
    if (item.image >= work.images.size()) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return false;
    }
  }
  if (thread_.joinable()) thread_.join();
  stop_ = kStopRun;
  running_ = true;
  thread_ = std::thread(&ResultDetailsLoader::Run, this, std::move(work), target, flags,
                        std::move(mayPost), reader_ ? reader_ : ImageDetailsReader(ReadImageDetails));
  return true;
}

bool ResultDetailsLoader::Stop(std::chrono::milliseconds timeout) {
  stop_ = kStopStop;
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

void ResultDetailsLoader::Run(DetailsWork work, MessageTarget* target, uint32_t flags,
                              std::function<bool()> mayPost, ImageDetailsReader reader) {
  const uint16_t language = UserDefaultLanguage();
  std::optional<HeldBackTarget> gate;
  if (target) gate.emplace(*target, std::move(mayPost));
  MessagePoster poster(gate ? &*gate : nullptr, stop_);
  BatchPoster<ResultDetails> batches(poster, kMsgDetailsBatch, kMaxBatch, kMinBatch);
  // Each image is read when its first result comes up; every later result
  // of it takes the same findings. Only the distinct images are kept.
  std::vector<std::optional<ImageDetails>> images(work.images.size());

  MessagePoster::Result r = MessagePoster::kDelivered;
  for (const DetailsWorkItem& item : work.items) {
    if (CheckStop(stop_)) {
      r = MessagePoster::kStopped;
      break;
    }
    std::optional<ImageDetails>& image = images[item.image];
    if (!image) image = reader(work.images[item.image], language);
    r = batches.Add(DetailsFor(item, *image, flags));
    if (r != MessagePoster::kDelivered) break;
  }
  if (r == MessagePoster::kDelivered) r = batches.Flush();
  if (r == MessagePoster::kDelivered) {
    PostedMessage done;
    done.id = kMsgDetailsDone;
    r = poster.Post(done);
  }
  if (r == MessagePoster::kFailed) EventLog::LogFormat(L"The details pass could not post to the window");
  running_ = false;
}

}  // namespace tarnix

#include "results/details_pass.h"

#include <optional>
#include <utility>

#include "core/event_log.h"
#include "core/message_poster.h"
#include "platform/languages.h"
#include "platform/last_error.h"
#include "platform/text_encoding.h"
#include "platform/win_errors.h"
#include "undname/undecorate.h"

namespace tarnix {
namespace {

// The receiver's target as the pass sees it: while the window's busy popup
// shows, a post is refused as though the queue were full, so the pass holds
// its findings back and retries exactly as for a full queue.
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

void RunPass(DetailsRequest& r) {
  const uint16_t language = UserDefaultLanguage();
  const StopFlag& stop = *r.stop;
  HeldBackTarget gate(*r.target, std::move(r.mayPost));
  MessagePoster poster(&gate, stop);
  MessagePoster::Result result = MessagePoster::kDelivered;

  // The names first: each is undecorated once, and the list takes them in
  // few batches.
  BatchPoster<NameDetailsFinding> names(poster, kMsgDetailsNames, DetailsPass::kNamesPerBatch,
                                        DetailsPass::kNamesPerBatch);
  for (DetailsWork::Name& n : r.work.names) {
    if (CheckStop(stop)) {
      result = MessagePoster::kStopped;
      break;
    }
    NameDetailsFinding f;
    f.name = n.name;
    if (!UndecorateName(n.decorated, r.undecorationFlags, f.undecorated)) continue;
    result = names.Add(std::move(f));
    if (result != MessagePoster::kDelivered) break;
  }
  if (result == MessagePoster::kDelivered) result = names.Flush();
  r.work.names = {};

  // Then the files, each read once.
  BatchPoster<FileDetailsFinding> files(poster, kMsgDetailsFiles, DetailsPass::kMaxBatch, DetailsPass::kMinBatch);
  std::vector<std::optional<FileDetails>> read(r.work.files.size());
  for (const DetailsWork::Item& item : r.work.items) {
    if (result != MessagePoster::kDelivered) break;
    if (CheckStop(stop)) {
      result = MessagePoster::kStopped;
      break;
    }
    std::optional<FileDetails>& file = read[item.file];
    if (!file)
      file = r.reader ? r.reader(r.work.files[item.file], language)
                      : ReadFileDetails(r.work.files[item.file], language, r.missingVersion);
    result = files.Add({item.item, file->version, file->description});
  }
  if (result == MessagePoster::kDelivered) result = files.Flush();
  if (result == MessagePoster::kFailed) EventLog::LogSite(541);

  // The end is said even when stopped (once; a closed target refuses it).
  const bool completed = result == MessagePoster::kDelivered;
  PostedMessage done{kMsgDetailsDone, completed ? 1u : 0u, 0, nullptr};
  const bool posted = completed ? poster.Post(done) == MessagePoster::kDelivered : r.target->Post(done);
  if (!posted && GetLastError() != ERROR_INVALID_WINDOW_HANDLE && completed) EventLog::LogSite(541);
}

}  // namespace

void DetailsWorkBuilder::AddFile(uint64_t item, const std::wstring& path) {
  auto [it, added] = files_.try_emplace(path, static_cast<uint32_t>(work_.files.size()));
  if (added) work_.files.push_back(path);
  work_.items.push_back({item, it->second});
}

void DetailsWorkBuilder::AddName(uint32_t name, std::wstring decorated) {
  work_.names.push_back({name, std::move(decorated)});
}

DetailsWork DetailsWorkBuilder::Take() {
  files_.clear();
  return std::exchange(work_, DetailsWork{});
}

bool UndecorateName(const std::wstring& decorated, uint32_t flags, std::wstring& out) {
  bool lossy = false;
  const std::string narrow = ToCp1252(decorated, &lossy);
  if (lossy) return false;
  std::optional<std::string> text = UndecorateLocked(narrow, flags);
  if (!text) return false;
  out = FromCp1252(*text);
  return true;
}

DetailsPass::~DetailsPass() {
  if (Running() && stop_) stop_->store(kStopStop);
  workers_.Join();
}

bool DetailsPass::Start(DetailsRequest request) {
  if (Running()) {
    SetLastError(ERROR_ALREADY_ASSIGNED);
    return false;
  }
  bool valid = request.stop && request.target;
  for (const DetailsWork::Item& item : request.work.items) valid = valid && item.file < request.work.files.size();
  if (!valid) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  workers_.Join();
  stop_ = request.stop;
  std::vector<WorkerJob> jobs;
  jobs.emplace_back([r = std::move(request)]() mutable { RunPass(r); });
  return workers_.Start(std::move(jobs));
}

}  // namespace tarnix

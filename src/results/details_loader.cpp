#include "results/details_loader.h"

#include <algorithm>
#include <optional>
#include <string_view>
#include <unordered_map>
#include <utility>

#include "core/compact_text.h"
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

// Findings of images per batch: a batch holds at least kMinBatch of them
// unless it is the last; kMaxBatch bounds what a pass holds while the
// window cannot take a batch.
constexpr size_t kMinBatch = 4;
constexpr size_t kMaxBatch = 4096;
// Undecorated names per batch: the window applies a batch of names with
// one walk over its rows.
constexpr size_t kNamesPerBatch = 65536;

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

}  // namespace

bool CollectDetailsWork(const ResultsModel& model, bool undecorate, DetailsWork& out,
                        const std::function<bool(size_t)>& cancel) {
  out = DetailsWork{};
  const bool names = model.winApiSearch() && undecorate;
  std::vector<bool> imageSeen(model.imageCount()), nameSeen(names ? model.texts().size() : 0);
  // Records of one file are mostly next to each other; the map tells apart
  // the others (a file found again later in the walk).
  std::unordered_map<std::wstring_view, uint32_t> files;
  for (size_t i = 0; i < model.size(); ++i) {
    if (cancel && (i & 0x3FF) == 0 && cancel(i)) return false;
    const ResultRow& r = model.row(i);
    if (!imageSeen[r.image]) {
      imageSeen[r.image] = true;
      const std::wstring& path = model.image(r.image).path;
      auto [it, added] = files.try_emplace(path, static_cast<uint32_t>(out.files.size()));
      if (added) out.files.push_back(path);
      out.images.push_back({r.image, it->second});
    }
    if (names && IsCppKind(r.kind) && r.decorated == TextPool::kNone && !nameSeen[r.name]) {
      nameSeen[r.name] = true;
      out.names.push_back({r.name, model.texts().Text(r.name)});
    }
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

bool UndecorateName(const std::wstring& decorated, uint32_t flags, std::wstring& out) {
  bool lossy = false;
  const std::string narrow = ToCp1252(decorated, &lossy);
  if (lossy) return false;
  std::optional<std::string> text = UndecorateLocked(narrow, flags);
  if (!text) return false;
  out = FromCp1252(*text);
  return true;
}

StreamedDetails::StreamedDetails(bool undecorate, uint32_t undecorationFlags, ImageDetailsReader reader)
    : undecorate_(undecorate),
      flags_(undecorationFlags),
      language_(UserDefaultLanguage()),
      reader_(reader ? std::move(reader) : ImageDetailsReader(ReadImageDetails)) {}

const ImageDetails& StreamedDetails::Image(uint32_t serial, const std::wstring& path, ImageDetails& read) {
  // The image a batch ends with is often the one the next begins with.
  constexpr size_t kRecent = 64;
  {
    std::lock_guard<std::mutex> lock(recentLock_);
    for (const auto& [known, details] : recent_)
      if (known == serial) return read = details;
  }
  read = reader_(path, language_);
  std::lock_guard<std::mutex> lock(recentLock_);
  if (recent_.size() >= kRecent) recent_.pop_front();
  recent_.emplace_back(serial, read);
  return read;
}

void StreamedDetails::Complete(const ResultBatch& results, size_t firstRow, size_t rows, Batch& out) {
  out.firstRow = firstRow;
  rows = std::min(rows, results.size() - std::min(firstRow, results.size()));
  out.images.clear();
  out.names.assign(undecorate_ ? rows : 0, std::wstring());
  if (rows == 0) return;
  // The rows of an image stand together, the images in order.
  out.firstImage = results.rows[firstRow].image;
  out.images.resize(results.rows[firstRow + rows - 1].image - out.firstImage + 1);
  for (size_t i = 0; i < out.images.size(); ++i) {
    const ResultBatch::Image& image = results.images[out.firstImage + i];
    Image(image.serial, image.path, out.images[i]);
  }
  std::wstring decorated;
  for (size_t i = 0; i < out.names.size(); ++i) {
    const size_t row = firstRow + i;
    if (!IsCppKind(results.rows[row].kind)) continue;
    const std::string_view key = results.CompactName(row);
    std::optional<std::optional<std::wstring>> known = names_.Find(key);
    if (!known) {
      decorated.clear();
      AppendDecodedText(decorated, key);
      std::wstring text;
      known.emplace();
      if (UndecorateName(decorated, flags_, text)) known->emplace(std::move(text));
      names_.Keep(key, *known, *known ? (*known)->size() * sizeof(wchar_t) : 0);
    }
    if (*known) out.names[i] = std::move(**known);
  }
}

void StreamedDetails::Fill(const ResultBatch& results, const Batch& details, size_t row, ResultEntry& entry) {
  results.Fill(row, entry.result);
  const ImageDetails& image = details.images[results.rows[row].image - details.firstImage];
  entry.fileVersion = image.fileVersion;
  entry.description = image.description;
  const size_t at = row - details.firstRow;
  if (at < details.names.size() && !details.names[at].empty()) {
    entry.decoratedName = std::move(entry.result.name);
    entry.result.name = details.names[at];
  } else {
    entry.decoratedName.clear();
  }
}

ResultDetailsLoader::~ResultDetailsLoader() {
  Stop();
  if (thread_.joinable()) thread_.join();
}

bool ResultDetailsLoader::Start(DetailsWork work, MessageTarget* target, uint32_t flags,
                                std::function<bool()> mayPost) {
  if (running_.load()) return false;
  // Every image must name one of the work's files.
  for (const DetailsWork::Image& image : work.images) {
    if (image.file >= work.files.size()) {
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
  MessagePoster::Result r = MessagePoster::kDelivered;

  // The names first: each is undecorated once, and the window takes them
  // in few batches.
  DetailsBatch names;
  for (size_t i = 0; i < work.names.size() && r == MessagePoster::kDelivered; ++i) {
    if (CheckStop(stop_)) {
      r = MessagePoster::kStopped;
      break;
    }
    NameDetailsFinding f;
    f.name = work.names[i].name;
    if (UndecorateName(work.names[i].decorated, flags, f.undecorated)) names.names.push_back(std::move(f));
    if (names.names.size() >= kNamesPerBatch || (i + 1 == work.names.size() && !names.names.empty())) {
      PostedMessage m;
      m.id = kMsgDetailsBatch;
      m.payload = std::make_unique<PayloadOf<DetailsBatch>>(std::move(names));
      names = DetailsBatch{};
      r = poster.Post(m);
    }
  }
  work.names = {};

  // Then the images, each file read once.
  BatchPosterOf<DetailsBatch> batches(poster, kMsgDetailsBatch, kMaxBatch, kMinBatch);
  std::vector<std::optional<ImageDetails>> files(work.files.size());
  for (const DetailsWork::Image& image : work.images) {
    if (r != MessagePoster::kDelivered) break;
    if (CheckStop(stop_)) {
      r = MessagePoster::kStopped;
      break;
    }
    std::optional<ImageDetails>& file = files[image.file];
    if (!file) file = reader(work.files[image.file], language);
    batches.batch().images.push_back({image.image, file->fileVersion, file->description});
    r = batches.Added();
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

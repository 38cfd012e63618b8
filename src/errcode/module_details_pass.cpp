#include "errcode/module_details_pass.h"

#include <map>

#include "core/event_log.h"
#include "core/message_poster.h"
#include "platform/last_error.h"
#include "platform/win_errors.h"

namespace tarnix {
namespace {

// A batch is posted at once when it grows this large.
constexpr size_t kMaxBatch = 256;

void RunPass(const std::vector<ModuleDetailsRow>& rows, MessageTarget* target, uint16_t language,
             const StopFlag& cancel) {
  MessagePoster poster(target, cancel);
  BatchPoster<ModuleDetailsFound> batch(poster, kEcsMsgDetails, kMaxBatch, ModuleDetailsPass::kMinBatch);
  std::map<std::wstring, ModuleDetails> read;
  bool completed = true;
  for (const ModuleDetailsRow& r : rows) {
    if (cancel.load() == kStopStop) {
      completed = false;
      break;
    }
    auto it = read.find(r.path);
    if (it == read.end()) it = read.emplace(r.path, ReadModuleDetails(r.path, language)).first;
    if (batch.Add({r.number, r.row, it->second}) != MessagePoster::kDelivered) {
      completed = false;
      break;
    }
  }
  if (completed && batch.Flush() != MessagePoster::kDelivered) completed = false;
  PostedMessage done;
  done.id = kEcsMsgDetailsDone;
  done.wParam = completed ? 1 : 0;
  if (!target->Post(done) && GetLastError() != ERROR_INVALID_WINDOW_HANDLE) EventLog::LogSite(541);
}

}  // namespace

ModuleDetailsPass::ModuleDetailsPass() : cancel_(std::make_shared<StopFlag>(kStopRun)) {}

ModuleDetailsPass::~ModuleDetailsPass() {
  Cancel();
  workers_.Join();
}

void ModuleDetailsPass::Cancel() { cancel_->store(kStopStop); }

bool ModuleDetailsPass::Start(std::vector<ModuleDetailsRow> rows, MessageTarget* target, uint16_t language) {
  if (Running()) {
    SetLastError(ERROR_ALREADY_ASSIGNED);
    return false;
  }
  if (!target) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  workers_.Join();
  // A fresh flag per pass: a cancelled pass that is still winding down
  // keeps its own.
  cancel_ = std::make_shared<StopFlag>(kStopRun);
  std::vector<WorkerJob> jobs;
  jobs.emplace_back([rows = std::move(rows), target, language, cancel = cancel_] {
    RunPass(rows, target, language, *cancel);
  });
  return workers_.Start(std::move(jobs));
}

}  // namespace tarnix

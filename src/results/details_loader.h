#pragma once
// Completes the results in the background: the file version and description
// of each result's image (read from its version resource in the user's
// language) and, for C++ kinds, the undecorated name. Findings travel to the
// window in batches of four; the window applies them to its model.
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

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
  std::wstring path;
  bool undecorate = false;  // a C++ kind whose name is to be undecorated
  std::wstring name;
};

// One work item per result in list order; C++ kinds carry their names when
// the search was a WinAPIs search and undecoration is on. Answers false
// when `cancel` asked to stop (the caller marks the details interrupted).
bool CollectDetailsWork(const ResultsModel& model, bool undecorate,
                        std::vector<DetailsWorkItem>& out,
                        const std::function<bool(size_t)>& cancel = nullptr);

// The findings for one item: version and description ("<error: (%s) %s>"
// when the version resource cannot be read), and the undecorated name.
ResultDetails LoadDetails(const DetailsWorkItem& item, uint16_t language, uint32_t undecorationFlags);

class ResultDetailsLoader {
 public:
  ResultDetailsLoader() = default;
  ~ResultDetailsLoader();  // stops a running pass
  ResultDetailsLoader(const ResultDetailsLoader&) = delete;
  ResultDetailsLoader& operator=(const ResultDetailsLoader&) = delete;

  // Starts a pass over `work`, posting to `target`. Nothing happens while a
  // previous pass still runs (answers false). `mayPost` is asked before each
  // batch (the window answers false while its busy popup shows).
  bool Start(std::vector<DetailsWorkItem> work, MessageTarget* target, uint32_t undecorationFlags,
             std::function<bool()> mayPost = nullptr);
  bool Running() const { return running_.load(); }

  // Signals the pass to stop and waits up to `timeout` for it; true when it
  // ended. A pass that does not end in time is left to finish on its own.
  bool Stop(std::chrono::milliseconds timeout = std::chrono::milliseconds(3000));

 private:
  void Run(std::vector<DetailsWorkItem> work, MessageTarget* target, uint32_t flags,
           std::function<bool()> mayPost);
  // Waits up to `ms` for the stop signal; true when it came.
  bool WaitStop(uint32_t ms);

  std::thread thread_;
  std::atomic<bool> running_{false};
  std::mutex stopLock_;  // guards stop_
  std::condition_variable stopSignal_;
  bool stop_ = false;
};

}  // namespace tarnix

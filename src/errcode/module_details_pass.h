#pragma once
// The details pass of the Error Code Search results: after a search, the
// file version and description of every listed module, read on a thread
// of its own from each module's version resource in the user's language
// (each module once, however many rows name it) and posted to the window
// in batches of at least four rows (the last batch may hold fewer), paced
// as the window asks. The window's Cancel (closing, a new search) ends the
// pass before its next module.
#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/stop_flag.h"
#include "errcode/module_details.h"
#include "platform/message_target.h"
#include "platform/worker_group.h"

namespace tarnix {

enum ModuleDetailsMessage : uint32_t {
  kEcsMsgDetails = 32882,      // payload: std::vector<ModuleDetailsFound>
  kEcsMsgDetailsDone = 32883,  // wParam 1 when every row was read, 0 when cancelled
};

struct ModuleDetailsRow {
  uint64_t number = 0;  // the row's running number
  size_t row = 0;       // where the row was when the pass began
  std::wstring path;
};

struct ModuleDetailsFound {
  uint64_t number = 0;
  size_t row = 0;
  ModuleDetails details;
};

class ModuleDetailsPass {
 public:
  static constexpr size_t kMinBatch = 4;

  ModuleDetailsPass();
  ~ModuleDetailsPass();  // cancels and waits
  ModuleDetailsPass(const ModuleDetailsPass&) = delete;
  ModuleDetailsPass& operator=(const ModuleDetailsPass&) = delete;

  // Starts a pass over `rows`. Refused with ERROR_ALREADY_ASSIGNED while
  // the previous pass runs.
  bool Start(std::vector<ModuleDetailsRow> rows, MessageTarget* target, uint16_t language);
  void Cancel();
  bool Running() const { return workers_.Running(); }
  bool Wait(std::chrono::milliseconds timeout) { return workers_.Wait(timeout); }

 private:
  std::shared_ptr<StopFlag> cancel_;
  WorkerGroup workers_;
};

}  // namespace tarnix

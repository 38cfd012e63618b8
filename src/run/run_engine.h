#pragma once
// The run contract of the program's engines. A window (or tarnix-cli)
// does not read an engine's messages: one adapter per engine (a RunEngine)
// starts the engine with the run's stop flag and message target and turns
// each message the engine posts into typed events (RunEvents) in the order
// posted; the Run (run.h) does the rest of a run's life the same way for
// every engine. The engines keep posting their own messages.
#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "core/stop_flag.h"
#include "platform/message_target.h"

namespace tarnix {

// How a run ended: ran to its end; stopped by its owner (Run::Stop); or
// ended early for any other reason (a failure, a stop the owner asked for
// without the user, RequestStop).
enum class RunEnd { kCompleted, kStopped, kFailed };

// The counters an engine shares with its owner, read once the run ended.
struct RunCounts {
  uint64_t items = 0;     // files searched or examined, codes processed
  uint64_t errors = 0;
  uint64_t warnings = 0;
  uint64_t matches = 0;   // hits counted by the engine (not every engine counts)
};

// What an adapter reports; every call happens on the owner's thread, while
// the run's messages are delivered.
class RunEvents {
 public:
  // The amount of work is known (bytes, files, positions); 0 keeps it unknown.
  virtual void Total(uint64_t total) = 0;
  // This much of the total is done.
  virtual void Done(uint64_t done) = 0;
  // The item being read (a path, a progress label).
  virtual void Current(std::wstring item) = 0;
  // Status lines, in order.
  virtual void Status(std::vector<std::wstring> lines) = 0;
  // A batch of results as the engine made it (its type is the engine's).
  virtual void Results(MessagePayload& batch) = 0;
  // The engine's end: true when it ran to its end.
  virtual void Ended(bool completed) = 0;

 protected:
  ~RunEvents() = default;
};

class RunEngine {
 public:
  virtual ~RunEngine() = default;
  // Starts the engine's workers with the run's stop flag and target; false
  // with the last error when the engine refused (nothing of it runs then).
  virtual bool Start(StopFlag& stop, MessageTarget& target) = 0;
  // True while a worker has not ended.
  virtual bool Running() const = 0;
  // Waits up to `timeout` for the workers; true when all have ended.
  virtual bool Wait(std::chrono::milliseconds timeout) = 0;
  // Turns one posted message into events; messages it does not know are
  // dropped.
  virtual void Translate(PostedMessage& message, RunEvents& events) = 0;
  // The counters the workers keep (read on the owner's thread).
  virtual RunCounts Counts() const { return {}; }
};

}  // namespace tarnix

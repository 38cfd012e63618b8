#pragma once
// System folders with synthetic message tables, and a recorder that runs a
// message search on the test's thread and keeps what it posted.
#include <mutex>
#include <string>
#include <vector>

#include "errmsg/message_search_params.h"
#include "errmsg/message_search_worker.h"
#include "pe/resource_fixture.h"
#include "pe/system_message_sources.h"
#include "platform/text_encoding.h"
#include "support/temp_dir.h"

namespace tarnix::test {

// A system folder whose kernelbase.dll holds `tables`; installed as the
// system message source for the life of the object.
class SystemFolder {
 public:
  explicit SystemFolder(const std::vector<Resource>& tables) : dir_("errmsg") {
    dir_.Write("kernelbase.dll", BuildImage(tables, true).bytes);
    // kernel32.dll answers after kernelbase.dll; present, so that every
    // lookup need not look for it again.
    dir_.Write("kernel32.dll", BuildImage({}, true).bytes);
    InstallSystemMessageSources(FromUtf8(dir_.path().string()));
  }
  ~SystemFolder() { InstallSystemMessageSources(L""); }
  // Writes another module into the folder; answers its path.
  std::filesystem::path Add(const std::string& name, const std::vector<Resource>& tables) const {
    return dir_.Write(name, BuildImage(tables, true).bytes);
  }
  const std::filesystem::path& path() const { return dir_.path(); }

 private:
  TempDir dir_;
};

// Keeps every posted message; never refuses.
class RecordingTarget : public MessageTarget {
 public:
  bool Post(PostedMessage& msg) override {
    std::lock_guard<std::mutex> lock(messagesLock_);
    messages_.push_back(std::move(msg));
    msg = PostedMessage{};
    return true;
  }
  uint32_t minPostIntervalMs() const override { return 0; }

  std::vector<std::wstring> Lines() const {
    std::lock_guard<std::mutex> lock(messagesLock_);
    std::vector<std::wstring> lines;
    for (const PostedMessage& m : messages_)
      if (auto* batch = m.As<std::vector<std::wstring>>(); batch && m.id == kMsgErrMsgLines)
        lines.insert(lines.end(), batch->begin(), batch->end());
    return lines;
  }

 private:
  mutable std::mutex messagesLock_;  // guards messages_
  std::vector<PostedMessage> messages_;
};

struct SearchOutcome {
  bool completed = false;
  std::vector<std::wstring> lines;
  uint64_t matches = 0;
  uint64_t processed = 0;
};

inline SearchOutcome RunSearch(MessageSearchParams p) {
  StopFlag stop{kStopRun};
  MessageSearchCounters counters;
  RecordingTarget target;
  p.stop = &stop;
  p.target = &target;
  p.counters = &counters;
  SearchOutcome out;
  out.completed = RunMessageSearch(p);
  out.lines = target.Lines();
  out.matches = counters.matches;
  out.processed = counters.processed;
  return out;
}

inline ErrorRange Range(uint32_t from, uint32_t to, uint32_t flags = 0, std::wstring library = {},
                        std::wstring name = {}) {
  return ErrorRange{from, to, flags, std::move(library), std::move(name)};
}

}  // namespace tarnix::test

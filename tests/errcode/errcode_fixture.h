#pragma once
// Modules with message tables, a system folder whose kernelbase.dll answers
// system messages, and a window-like target that records what an error
// code search posts.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "errcode/error_code_search.h"
#include "pe/resource_fixture.h"
#include "pe/system_message_sources.h"
#include "platform/text_encoding.h"
#include "support/temp_dir.h"

namespace tarnix::test {

// A module whose own table (English, US) holds `messages`.
inline std::string ModuleWith(const std::vector<std::pair<uint32_t, std::u16string>>& messages) {
  std::vector<MessageBlock> blocks;
  for (const auto& [id, text] : messages) blocks.push_back({id, id, {MessageEntry(text)}});
  return BuildImage({MessageTableResource(0x409, blocks)}, true).bytes;
}

// A module without any message table.
inline std::string PlainModule() { return BuildImage({}, true).bytes; }

inline std::wstring Wide(const std::filesystem::path& p) { return FromUtf8(p.string()); }

// Installs a system folder holding a synthetic kernelbase.dll for the life
// of the object.
class SystemTable {
 public:
  explicit SystemTable(const std::vector<std::pair<uint32_t, std::u16string>>& messages)
      : dir_("sys") {
    dir_.Write("KernelBase.dll", ModuleWith(messages));
    InstallSystemMessageSources(Wide(dir_.path()));
  }
  ~SystemTable() { InstallSystemMessageSources(L""); }
  const std::filesystem::path& path() const { return dir_.path(); }

 private:
  TempDir dir_;
};

struct SearchRecord {
  std::vector<ErrorCodeSearchResult> results;
  std::vector<std::wstring> status;
  int finished = -1;
  int counted = -1;
};

// Runs searches through a queue with a window's 5 ms spacing and records
// every message.
class SearchHarness {
 public:
  explicit SearchHarness(size_t capacity = 1024, uint32_t interval = 5)
      : target_(capacity, interval) {}

  ErrorCodeSearchRequest Request(uint32_t code, std::vector<SearchLocation> locations,
                                 std::vector<std::wstring> extensions = {L".dll"}) {
    ErrorCodeSearchRequest r;
    r.stop = &stop;
    r.window = &target_;
    r.code = code;
    r.kind = ErrorCodeKind::Decimal;
    r.locations = std::move(locations);
    r.fileExtensions = std::move(extensions);
    return r;
  }

  SearchRecord Go(const ErrorCodeSearchRequest& r,
                  const std::function<void(const PostedMessage&)>& onMessage = nullptr) {
    SearchRecord rec;
    EXPECT_TRUE(search.Start(r));
    while (rec.finished < 0 || rec.counted < 0) {
      PostedMessage m;
      if (!target_.Take(m, std::chrono::milliseconds(10000))) break;
      if (onMessage) onMessage(m);
      if (m.id == kEcsMsgResult)
        for (const auto& x : *m.As<std::vector<ErrorCodeSearchResult>>()) rec.results.push_back(x);
      if (m.id == kEcsMsgStatusLine) rec.status.push_back(*m.As<std::wstring>());
      if (m.id == kEcsMsgSearchFinished) rec.finished = static_cast<int>(m.wParam);
      if (m.id == kEcsMsgCountingFinished) rec.counted = static_cast<int>(m.wParam);
    }
    EXPECT_TRUE(search.Wait(std::chrono::milliseconds(5000)));
    return rec;
  }

  StopFlag stop{kStopRun};
  ErrorCodeSearch search;

 private:
  QueueMessageTarget target_;
};

inline SearchLocation Folder(const std::filesystem::path& p, bool subfolders = false) {
  return {kLocationFolder | (subfolders ? kLocationSubfolders : 0u), Wide(p) + L"/"};
}

inline SearchLocation File(const std::filesystem::path& p) { return {kLocationFile, Wide(p)}; }

// The file names of the results, in order.
inline std::vector<std::string> Names(const SearchRecord& r) {
  std::vector<std::string> names;
  for (const auto& x : r.results) names.push_back(std::filesystem::path(ToUtf8(x.path)).filename());
  return names;
}

}  // namespace tarnix::test

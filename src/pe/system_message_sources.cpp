#include "pe/system_message_sources.h"

#include <sys/stat.h>

#include <filesystem>
#include <memory>
#include <mutex>
#include <vector>

#include "pe/message_module.h"
#include "platform/last_error.h"
#include "platform/system_messages.h"
#include "platform/text_encoding.h"
#include "platform/windows_root.h"

namespace tarnix {
namespace {

std::string Lower(std::string s) {
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return s;
}

// One system module, mapped on first use and mapped again when its file
// changes. Names are resolved ignoring case, as the platform does.
class CachedModule {
 public:
  CachedModule(std::string folder, std::string name)
      : folder_(std::move(folder)), name_(std::move(name)) {}

  std::shared_ptr<const MessageModule> Get() {
    std::lock_guard<std::mutex> lock(moduleLock_);
    if (path_.empty() || !Unchanged()) {
      module_.reset();
      path_ = Resolve();
      if (path_.empty()) return nullptr;
      struct stat st;
      if (::stat(path_.c_str(), &st) != 0) return nullptr;
      size_ = st.st_size;
      changed_ = st.st_mtim;
      auto module = std::make_shared<MessageModule>();
      if (module->Load(FromUtf8(path_))) module_ = module;
    }
    return module_;
  }

 private:
  bool Unchanged() const {
    struct stat st;
    return ::stat(path_.c_str(), &st) == 0 && st.st_size == size_ &&
           st.st_mtim.tv_sec == changed_.tv_sec && st.st_mtim.tv_nsec == changed_.tv_nsec;
  }

  std::string Resolve() const {
    const std::string exact = folder_ + "/" + name_;
    struct stat st;
    if (::stat(exact.c_str(), &st) == 0) return exact;
    std::error_code ec;
    for (std::filesystem::directory_iterator it(folder_, ec), end; !ec && it != end;
         it.increment(ec)) {
      const std::string entry = it->path().filename().string();
      if (Lower(entry) == name_) return folder_ + "/" + entry;
    }
    return {};
  }

  const std::string folder_;
  const std::string name_;  // lower case
  std::mutex moduleLock_;   // guards everything below
  std::string path_;
  off_t size_ = 0;
  struct timespec changed_ {};
  std::shared_ptr<const MessageModule> module_;
};

bool FormatFrom(const std::vector<std::shared_ptr<CachedModule>>& modules, uint32_t code,
                uint32_t langId, std::wstring& text) {
  for (const auto& cached : modules) {
    std::shared_ptr<const MessageModule> module = cached->Get();
    if (module && module->Format(code, static_cast<uint16_t>(langId), text)) return true;
  }
  return false;
}

}  // namespace

void InstallSystemMessageSources(const std::wstring& systemFolder) {
  if (systemFolder.empty()) {
    SetSystemMessageProvider(nullptr);
    SetInternetMessageProvider(nullptr);
    return;
  }
  std::string folder = ToUtf8(systemFolder);
  while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
  std::vector<std::shared_ptr<CachedModule>> system = {
      std::make_shared<CachedModule>(folder, "kernelbase.dll"),
      std::make_shared<CachedModule>(folder, "kernel32.dll")};
  std::vector<std::shared_ptr<CachedModule>> internet = {
      std::make_shared<CachedModule>(folder, "wininet.dll")};
  SetSystemMessageProvider([system](uint32_t code, uint32_t langId, std::wstring& text) {
    LastErrorKeeper keep;
    return FormatFrom(system, code, langId, text);
  });
  // What the tables hold, so that a search can visit only those codes.
  SystemMessageCatalog catalog;
  catalog.codes = [system](uint32_t, std::vector<uint32_t>& codes) {
    for (const auto& cached : system)
      if (auto module = cached->Get()) module->CollectMessageIds(codes);
  };
  catalog.languages = [system](std::vector<uint16_t>& languages) {
    for (const auto& cached : system)
      if (auto module = cached->Get()) module->CollectMessageLanguages(languages);
  };
  SetSystemMessageCatalog(std::move(catalog));
  SetInternetMessageProvider([internet](uint32_t code, uint32_t langId, std::wstring& text) {
    LastErrorKeeper keep;
    return FormatFrom(internet, code, langId, text);
  });
}

void InstallSystemMessageSources(const WindowsRoot& root) {
  std::filesystem::path folder = root.Folder(WindowsFolder::kSystem64);
  if (folder.empty()) folder = root.Folder(WindowsFolder::kSystem32);
  InstallSystemMessageSources(FromUtf8(folder.string()));
}

}  // namespace tarnix

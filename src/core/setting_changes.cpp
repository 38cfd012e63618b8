#include "core/setting_changes.h"

#include <map>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/last_error.h"

namespace tarnix {
namespace {

struct Watchers {
  std::mutex lock;  // guards next and list
  uint64_t next = 1;
  // By the order they began watching; a watcher shared so that a call in
  // progress survives its watch being dropped meanwhile.
  std::map<uint64_t, std::shared_ptr<std::function<void(SettingId)>>> list;
};

Watchers& TheWatchers() {
  static Watchers* watchers = new Watchers;  // outlives every static watch
  return *watchers;
}

}  // namespace

void NotifySettingChanged(SettingId id) {
  Watchers& w = TheWatchers();
  std::vector<std::pair<uint64_t, std::shared_ptr<std::function<void(SettingId)>>>> now;
  {
    std::lock_guard<std::mutex> lock(w.lock);
    now.assign(w.list.begin(), w.list.end());
  }
  for (auto& [key, listener] : now) {
    {
      // A watcher that stopped watching since the list was taken is not called.
      std::lock_guard<std::mutex> lock(w.lock);
      if (!w.list.count(key)) continue;
    }
    (*listener)(id);
  }
}

bool Announced(SettingId id, bool stored) {
  LastErrorKeeper keep;
  NotifySettingChanged(id);
  return stored;
}

SettingWatch::SettingWatch(std::function<void(SettingId)> listener) {
  if (!listener) return;
  Watchers& w = TheWatchers();
  std::lock_guard<std::mutex> lock(w.lock);
  id_ = w.next++;
  w.list.emplace(id_, std::make_shared<std::function<void(SettingId)>>(std::move(listener)));
}

SettingWatch::~SettingWatch() { Stop(); }

SettingWatch::SettingWatch(SettingWatch&& other) noexcept : id_(other.id_) { other.id_ = 0; }

SettingWatch& SettingWatch::operator=(SettingWatch&& other) noexcept {
  if (this != &other) {
    Stop();
    id_ = other.id_;
    other.id_ = 0;
  }
  return *this;
}

void SettingWatch::Stop() {
  if (!id_) return;
  Watchers& w = TheWatchers();
  std::lock_guard<std::mutex> lock(w.lock);
  w.list.erase(id_);
  id_ = 0;
}

}  // namespace tarnix

#pragma once
// Answers kept per name for the threads of one search (whether a decorated
// C++ name's undecorated text matched; a name's undecorated form): names
// recur across images, so each is worked out once. The memory is split in
// shards that each have their own lock, so that threads looking names up at
// the same time seldom meet. It is bounded by count and by bytes, whatever
// the names: a shard that reaches its share forgets what it holds and
// starts again.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

namespace tarnix {

template <class Value>
class NameMemory {
 public:
  static constexpr size_t kMaxNames = 1 << 18;
  static constexpr size_t kMaxBytes = 32u << 20;

  std::optional<Value> Find(std::string_view name) const {
    const Shard& shard = shards_[ShardOf(name)];
    std::lock_guard<std::mutex> lock(shard.lock);
    if (const auto known = shard.values.find(name); known != shard.values.end()) return known->second;
    return std::nullopt;
  }

  // `valueBytes`: the memory the value holds beyond its own size.
  void Keep(std::string_view name, Value value, size_t valueBytes = 0) {
    Shard& shard = shards_[ShardOf(name)];
    const size_t bytes = name.size() + valueBytes + sizeof(Value) + kEntryBytes;
    std::lock_guard<std::mutex> lock(shard.lock);
    if (shard.values.size() >= kMaxNames / kShards || shard.bytes + bytes > kMaxBytes / kShards) {
      shard.values.clear();
      shard.bytes = 0;
    }
    if (shard.values.emplace(std::string(name), std::move(value)).second) shard.bytes += bytes;
  }

 private:
  static constexpr size_t kShards = 16;
  // About what a map entry costs besides its name and value.
  static constexpr size_t kEntryBytes = 64;

  struct NameHash {
    using is_transparent = void;
    size_t operator()(std::string_view s) const { return std::hash<std::string_view>()(s); }
  };
  struct Shard {
    mutable std::mutex lock;  // guards values and bytes
    std::unordered_map<std::string, Value, NameHash, std::equal_to<>> values;
    size_t bytes = 0;
  };

  // A few characters are enough to spread the names: decorated names end
  // in their argument and return types, their middle varies most.
  static size_t ShardOf(std::string_view name) {
    if (name.empty()) return 0;
    const auto at = [&](size_t i) { return static_cast<size_t>(static_cast<uint8_t>(name[i])); };
    return (name.size() * 7 + at(name.size() / 2) * 3 + at(name.size() - 1)) % kShards;
  }

  Shard shards_[kShards];
};

}  // namespace tarnix

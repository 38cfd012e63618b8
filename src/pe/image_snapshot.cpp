#include "pe/image_snapshot.h"

#include <sys/mman.h>

#include <algorithm>
#include <cstring>
#include <iterator>
#include <map>

#include "pe/image_reader.h"
#include "platform/errno_map.h"

namespace tarnix {
namespace {

// Ranges closer than this are kept as one: the bytes between are the file's
// own, and a range costs a few bytes of its own in the entry.
constexpr uint64_t kJoinGap = 16;

// The ranges read, joined as they come: a walk that reads the same table
// again and again (one thunk table shared by every descriptor) adds nothing.
// A capture that reads more often than kMaxTouches gives up: its image is
// not kept.
class RangeRecorder final : public ViewRecorder {
 public:
  static constexpr uint64_t kMaxTouches = 1ull << 25;

  void Touched(uint64_t offset, uint64_t length) override {
    if (length == 0) return;
    if (++touches_ > kMaxTouches) return;
    // Walks mostly read forward: most reads extend the last range.
    if (last_ != ranges_.end() && offset >= last_->first && offset <= last_->second + kJoinGap) {
      if (offset + length > last_->second) Extend(last_, offset + length);
      return;
    }
    uint64_t begin = offset, end = offset + length;
    auto it = ranges_.upper_bound(begin);
    if (it != ranges_.begin()) {
      auto before = std::prev(it);
      if (before->second + kJoinGap >= begin) {
        if (end > before->second) Extend(before, end);
        last_ = before;
        return;
      }
    }
    last_ = ranges_.emplace_hint(it, begin, end);
    Extend(last_, end);
  }

  bool overflowed() const { return touches_ > kMaxTouches; }

  std::vector<ImageSnapshot::Range> Joined() const {
    std::vector<ImageSnapshot::Range> out;
    out.reserve(ranges_.size());
    for (const auto& [begin, end] : ranges_) out.push_back({begin, end - begin});
    return out;
  }

 private:
  using Map = std::map<uint64_t, uint64_t>;  // begin -> end

  // Sets `it`'s end and swallows the ranges it now reaches.
  void Extend(Map::iterator it, uint64_t end) {
    it->second = std::max(it->second, end);
    auto next = std::next(it);
    while (next != ranges_.end() && next->first <= it->second + kJoinGap) {
      it->second = std::max(it->second, next->second);
      next = ranges_.erase(next);
    }
  }

  Map ranges_;
  Map::iterator last_ = ranges_.end();
  uint64_t touches_ = 0;
};

constexpr char kMagic[4] = {'T', 'X', 'S', '1'};

void PutVarint(std::string& out, uint64_t v) {
  while (v >= 0x80) {
    out += static_cast<char>(static_cast<uint8_t>(v) | 0x80);
    v >>= 7;
  }
  out += static_cast<char>(v);
}

bool GetVarint(std::string_view& in, uint64_t& v) {
  v = 0;
  for (int shift = 0; shift < 64; shift += 7) {
    if (in.empty()) return false;
    const uint8_t b = static_cast<uint8_t>(in.front());
    in.remove_prefix(1);
    if (shift == 63 && b > 1) return false;
    v |= static_cast<uint64_t>(b & 0x7F) << shift;
    if (!(b & 0x80)) return true;
  }
  return false;
}

}  // namespace

bool TakeSnapshot(ImageReader& reader, const uint8_t* data, size_t viewSize, uint64_t fileSize,
                  ImageSnapshot& out) {
  RangeRecorder recorder;
  reader.Capture(data, viewSize, recorder, [&recorder] { return recorder.overflowed(); });
  if (recorder.overflowed()) return false;
  out.fileSize = fileSize;
  out.viewSize = viewSize;
  out.ranges = recorder.Joined();
  out.bytes.clear();
  for (auto& r : out.ranges) {
    // Joined ranges may reach past the view by the join gap at most.
    r.length = std::min<uint64_t>(r.length, viewSize - std::min<uint64_t>(r.offset, viewSize));
    out.bytes.append(reinterpret_cast<const char*>(data + r.offset), r.length);
  }
  out.ranges.erase(std::remove_if(out.ranges.begin(), out.ranges.end(),
                                  [](const auto& r) { return r.length == 0; }),
                   out.ranges.end());
  return true;
}

void EncodeSnapshot(const ImageSnapshot& snapshot, std::string& entry) {
  entry.assign(kMagic, sizeof kMagic);
  PutVarint(entry, snapshot.fileSize);
  PutVarint(entry, snapshot.viewSize);
  PutVarint(entry, snapshot.ranges.size());
  uint64_t end = 0;
  for (const auto& r : snapshot.ranges) {
    PutVarint(entry, r.offset - end);
    PutVarint(entry, r.length);
    end = r.offset + r.length;
  }
  entry += snapshot.bytes;
}

bool DecodeSnapshot(std::string_view entry, ImageSnapshot& out) {
  out = ImageSnapshot();
  if (entry.size() < sizeof kMagic || entry.substr(0, sizeof kMagic) != std::string_view(kMagic, 4))
    return false;
  entry.remove_prefix(sizeof kMagic);
  uint64_t count = 0;
  if (!GetVarint(entry, out.fileSize) || !GetVarint(entry, out.viewSize) || !GetVarint(entry, count))
    return false;
  if (out.viewSize > kMaxSnapshotView || out.fileSize > out.viewSize) return false;
  // Each range takes two bytes at least.
  if (count > entry.size() / 2) return false;
  out.ranges.reserve(count);
  uint64_t end = 0, total = 0;
  for (uint64_t i = 0; i < count; ++i) {
    uint64_t gap = 0, length = 0;
    if (!GetVarint(entry, gap) || !GetVarint(entry, length)) return false;
    // In order and apart (the first may start at 0), non-empty, inside the view.
    if ((i > 0 && gap == 0) || length == 0) return false;
    if (gap > out.viewSize - end || length > out.viewSize - end - gap) return false;
    out.ranges.push_back({end + gap, length});
    end += gap + length;
    total += length;
  }
  if (total != entry.size()) return false;
  out.bytes.assign(entry);
  return true;
}

SnapshotView::~SnapshotView() { Release(); }

void SnapshotView::Release() {
  if (data_) munmap(data_, mapped_);
  data_ = nullptr;
  size_ = mapped_ = 0;
  written_.clear();
}

bool SnapshotView::Build(const ImageSnapshot& snapshot) {
  // The memory of the last build is used again when it is large enough and
  // small enough to keep: only the bytes it was given are cleared.
  constexpr size_t kKeep = 64u << 20;
  const size_t size = static_cast<size_t>(snapshot.viewSize);
  if (data_ && size <= mapped_ && mapped_ <= kKeep) {
    for (const auto& r : written_) std::memset(data_ + r.offset, 0, r.length);
    written_.clear();
  } else {
    Release();
    const size_t length = std::max<size_t>(size, 1);
    void* p = mmap(nullptr, length, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
    if (p == MAP_FAILED) {
      SetLastErrorFromErrno();
      return false;
    }
    data_ = static_cast<uint8_t*>(p);
    mapped_ = length;
  }
  size_ = size;
  const char* from = snapshot.bytes.data();
  for (const auto& r : snapshot.ranges) {
    std::memcpy(data_ + r.offset, from, r.length);
    from += r.length;
    written_.push_back(r);
  }
  return true;
}

}  // namespace tarnix

#pragma once
// What the symbol cache keeps of an image: the ranges of its view that any
// search of it reads (ImageReader::Capture) and their bytes. A search reads
// the snapshot as it reads the file, through a view where every other byte
// is zero, and so says exactly what it says of the file.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "pe/image_view.h"

namespace tarnix {

class ImageReader;

struct ImageSnapshot {
  struct Range {
    uint64_t offset = 0;
    uint64_t length = 0;
  };
  uint64_t fileSize = 0;
  uint64_t viewSize = 0;
  std::vector<Range> ranges;  // in order, apart from each other, inside the view
  std::string bytes;          // the ranges' bytes, one range after another
};

// The snapshot of the view `data` of a file of `fileSize` bytes. False
// when the image reads too much to be kept (a hostile image that reads one
// table over and over).
bool TakeSnapshot(ImageReader& reader, const uint8_t* data, size_t viewSize, uint64_t fileSize,
                  ImageSnapshot& out);

// A snapshot as the cache stores it, and back. An entry is untrusted:
// DecodeSnapshot refuses one that is not of this format, or whose ranges
// are out of order, overlap, leave the view or do not match its bytes.
void EncodeSnapshot(const ImageSnapshot& snapshot, std::string& entry);
bool DecodeSnapshot(std::string_view entry, ImageSnapshot& out);

// Views above this size are never kept (the reader maps no larger file).
inline constexpr uint64_t kMaxSnapshotView = 0x100000000ull + 0x10000;

// A zero-filled view of the snapshot's size holding its bytes at their
// offsets. Only the pages the ranges fall in take memory.
class SnapshotView {
 public:
  SnapshotView() = default;
  ~SnapshotView();
  SnapshotView(const SnapshotView&) = delete;
  SnapshotView& operator=(const SnapshotView&) = delete;

  // False (with the last error set) when the memory cannot be had.
  bool Build(const ImageSnapshot& snapshot);
  const uint8_t* data() const { return data_; }
  size_t size() const { return size_; }

 private:
  void Release();

  uint8_t* data_ = nullptr;
  size_t size_ = 0;
  size_t mapped_ = 0;
  std::vector<ImageSnapshot::Range> written_;  // to clear before the next use
};

}  // namespace tarnix

// A symbol cache entry: decoding untrusted bytes, storing again what was
// decoded, and reading the image view the entry makes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "pe/image_reader.h"
#include "pe/image_snapshot.h"

namespace {

// Takes every symbol, so the whole view is walked.
class CountingSink final : public tarnix::SymbolSink {
 public:
  void BeginImage(uint64_t) override {}
  void SkipSymbols(uint64_t) override {}
  int MatchNamed(const tarnix::ImageProperties&, tarnix::ResultKind, std::string_view name, std::string_view,
                 uint32_t, int32_t) override {
    bytes += name.size();
    return 1;
  }
  int MatchOrdinal(const tarnix::ImageProperties&, uint64_t, tarnix::ResultKind, std::string_view, int32_t) override {
    return 1;
  }
  int MatchModule(const tarnix::ImageProperties&, tarnix::ResultKind, std::string_view) override { return 1; }
  bool DeliverImage(const tarnix::ImageProperties&) override { return true; }
  void Status(const std::wstring&) override {}
  size_t bytes = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace tarnix;
  ImageSnapshot snapshot;
  if (!DecodeSnapshot(std::string_view(reinterpret_cast<const char*>(data), size), snapshot)) return 0;
  std::string stored;
  EncodeSnapshot(snapshot, stored);
  ImageSnapshot again;
  if (!DecodeSnapshot(stored, again) || again.bytes != snapshot.bytes || again.viewSize != snapshot.viewSize ||
      again.ranges.size() != snapshot.ranges.size())
    std::abort();
  // Views beyond what the fuzzer's memory limit lets it map are left out.
  if (snapshot.viewSize > (256u << 20)) return 0;
  static SnapshotView view;  // kept from input to input, as a reader keeps it
  if (!view.Build(snapshot)) return 0;
  const char* from = snapshot.bytes.data();
  for (const auto& r : snapshot.ranges) {
    if (std::memcmp(view.data() + r.offset, from, r.length) != 0) std::abort();
    from += r.length;
  }
  ImageReader reader;
  CountingSink sink;
  ScanOptions options;
  uint32_t location = 0;
  reader.ReadMemory(view.data(), view.size(), "entry", options, sink, nullptr, location);
  return 0;
}

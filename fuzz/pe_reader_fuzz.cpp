// libFuzzer target for the PE image reader: any bytes, read as an image under
// several Look In and presentation choices, with every lazily computed
// property asked for, and the RVA-to-file-offset lookup.
#include <cstddef>
#include <cstdint>
#include <string>

#include "pe/image_reader.h"
#include "pe/rva.h"

namespace {

using namespace tarnix;

volatile size_t g_touched;  // keeps the touching reads from being optimised away

// Touches every byte it is handed, so that a name reaching past the input
// shows up under the address sanitizer.
class TouchingSink final : public SymbolSink {
 public:
  explicit TouchingSink(int answer) : answer_(answer) {}
  ~TouchingSink() override { g_touched = sum_; }
  void BeginImage(uint64_t) override {}
  void SkipSymbols(uint64_t) override {}
  int MatchNamed(const ImageProperties&, ResultKind, std::string_view name,
                 std::string_view module, uint32_t, int32_t) override {
    Touch(name);
    Touch(module);
    return answer_;
  }
  int MatchOrdinal(const ImageProperties&, uint64_t, ResultKind, std::string_view module,
                   int32_t) override {
    Touch(module);
    return answer_;
  }
  int MatchModule(const ImageProperties&, ResultKind, std::string_view module) override {
    Touch(module);
    return answer_;
  }
  bool DeliverImage(const ImageProperties&) override { return true; }
  void Status(const std::wstring& line) override { sum_ += line.size(); }

 private:
  void Touch(std::string_view s) {
    for (char c : s) sum_ += static_cast<unsigned char>(c);
  }
  int answer_;
  size_t sum_ = 0;
};

// Passes everything, after computing every property.
class CuriousFilter final : public ImageFilter {
 public:
  bool PassTimeStamp(uint32_t) const override { return true; }
  bool PassType(ImageFacts&) const override { return true; }
  bool PassSubsystem(ImageFacts& image) const override {
    image.EnsureSubsystem();
    return true;
  }
  bool PassCharacteristics(ImageFacts& image) const override {
    image.EnsureCharacteristics(true);
    return true;
  }
  bool PassDirectories(ImageFacts& image) const override {
    image.EnsureDirectories(true);
    return true;
  }
  bool NoDirectoryFilter() const override { return true; }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static ImageReader reader;
  CuriousFilter filter;
  struct Pass {
    ScanOptions options;
    int answer;
  } passes[] = {
      {{0, kSearchForSymbols, kPresentSymbolsInModules, false}, 0},
      {{0, kSearchForSymbols, kPresentModulesOnly, true}, 1},
      {{kLookInImportOrdinals | kLookInForwardedExports | kLookInCppOnly, kSearchForSymbols,
        kPresentSymbolsInModules, false},
       1},
      {{0, kSearchForImportLibs, kPresentModulesOnly, true}, 0},
  };
  for (const Pass& p : passes) {
    TouchingSink sink(p.answer);
    uint32_t location = 0;
    reader.ReadMemory(data, size, "fuzz", p.options, sink, &filter, location);
  }
  uint32_t offset = 0;
  for (uint64_t rva : {uint64_t{0x1000}, uint64_t{0x2345}, uint64_t{0xFFFFFFFF}})
    RvaToFileOffset(data, size, rva, offset);
  return 0;
}

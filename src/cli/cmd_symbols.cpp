// tarnix-cli symbols FILE...: every symbol the image reader hands on, with
// no Look In restriction and no undecoration, one tab-separated line each:
// kind, module, name as stored, ordinal, name index or hint, binding.
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "cli/command.h"
#include "core/error_text.h"
#include "pe/image_reader.h"
#include "platform/last_error.h"
#include "platform/text_encoding.h"

namespace tarnix::cli {
namespace {

// Names in images are Windows-1252; the terminal gets UTF-8.
void AppendName(std::string& out, std::string_view name) {
  bool ascii = true;
  for (unsigned char c : name) ascii = ascii && c < 0x80;
  if (ascii)
    out.append(name);
  else
    out.append(ToUtf8(FromCp1252(name)));
}

class PrintingSink final : public SymbolSink {
 public:
  std::string& text() { return out_; }

  void BeginImage(uint64_t) override {}
  void SkipSymbols(uint64_t) override {}
  // Only the binding is printed, and the walk itself sets it.
  void AttachImage(ImageFacts&) override {}

  int MatchNamed(const ImageProperties& props, ResultKind kind, std::string_view name,
                 std::string_view module, uint32_t ordinal, int32_t nameIndexOrHint) override {
    Line(props, kind, module, name, ordinal, nameIndexOrHint);
    return 1;
  }
  int MatchOrdinal(const ImageProperties& props, uint64_t ordinal, ResultKind kind,
                   std::string_view module, int32_t nameIndex) override {
    std::string name(1, '#');
    name.append(std::to_string(ordinal));
    Line(props, kind, module, name, ordinal, nameIndex);
    return 1;
  }
  int MatchModule(const ImageProperties& props, ResultKind kind,
                  std::string_view module) override {
    Line(props, kind, module, {}, 0, -1);
    return 1;
  }
  bool DeliverImage(const ImageProperties& props) override {
    Line(props, kKindImage, {}, {}, 0, -1);
    return true;
  }
  void Status(const std::wstring& line) override {
    std::fprintf(stderr, "%s\n", ToUtf8(line).c_str());
  }

 private:
  void Line(const ImageProperties& props, ResultKind kind, std::string_view module,
            std::string_view name, uint64_t ordinal, int32_t index) {
    out_.append(ToUtf8(ResultKindText(kind)));
    out_ += '\t';
    AppendName(out_, module);
    out_ += '\t';
    AppendName(out_, name);
    out_ += '\t';
    out_.append(std::to_string(ordinal));
    out_ += '\t';
    if (index != -1) out_.append(std::to_string(index));
    out_ += '\t';
    out_.append(ToUtf8(BindingText(props.binding)));
    out_ += '\n';
  }

  std::string out_;
};

int Usage() {
  std::fprintf(stderr, "usage: tarnix-cli symbols FILE...\n");
  return kExitUsage;
}

int RunSymbols(const std::vector<std::string>& args) {
  std::vector<std::string> files;
  bool options = true;
  for (const std::string& a : args) {
    if (options && a == "--") {
      options = false;
    } else if (options && (a == "-h" || a == "--help")) {
      std::printf("usage: tarnix-cli symbols FILE...\n");
      return kExitOk;
    } else if (options && a.size() > 1 && a[0] == '-') {
      std::fprintf(stderr, "tarnix-cli symbols: unknown option '%s'\n", a.c_str());
      return Usage();
    } else {
      files.push_back(a);
    }
  }
  if (files.empty()) return Usage();

  ImageReader reader;
  PrintingSink sink;
  ScanOptions scan;
  bool failed = false;
  for (const std::string& file : files) {
    uint32_t location = 0;
    int result = reader.ReadFile(file, scan, sink, nullptr, location);
    uint32_t error = GetLastError();
    std::fwrite(sink.text().data(), 1, sink.text().size(), stdout);
    sink.text().clear();
    if (result == kReadFailed) {
      failed = true;
      std::fflush(stdout);
      std::fprintf(stderr, "%s: (%u:%s) %s\n", file.c_str(), location,
                   ToUtf8(ErrorCodeToText(error)).c_str(),
                   ToUtf8(ErrorDescription(error)).c_str());
    }
  }
  return failed ? kExitSomeFailed : kExitOk;
}

CommandRegistrar registrar("symbols", "list the imports, exports and delay-load imports of images",
                           RunSymbols);

}  // namespace
}  // namespace tarnix::cli

#pragma once
// Fake neighbours of the image reader: a sink that records what it is
// handed and a filter with chosen answers that records what it looked at.
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "pe/image_reader.h"
#include "platform/last_error.h"
#include "platform/win_errors.h"
#include "support/pe_builder.h"
#include "support/temp_dir.h"

namespace tarnix::test {

struct Handed {
  ResultKind kind;
  std::string name;  // "#" and the ordinal for ordinal symbols
  std::string module;
  uint64_t ordinal;
  int32_t index;
  uint32_t binding;
  bool operator==(const Handed&) const = default;
};

class RecordingSink : public SymbolSink {
 public:
  std::vector<Handed> handed;
  std::vector<std::wstring> status;
  std::vector<ImageProperties> images;
  uint64_t count = 0, skipped = 0, calls = 0;
  int beginCalls = 0;
  // The answer for the n-th Match call (0-based); 0 = not matched.
  std::function<int(size_t)> answer = [](size_t) { return 0; };
  std::function<void()> onBegin;
  bool completeOnAttach = true;
  bool deliverImage = true;

  void AttachImage(ImageFacts& image) override {
    if (completeOnAttach) image.EnsureAll();
    attached = image.props();
  }
  void BeginImage(uint64_t n) override {
    count += n;
    ++beginCalls;
    if (onBegin) onBegin();
  }
  void SkipSymbols(uint64_t n) override { skipped += n; }
  int MatchNamed(const ImageProperties& p, ResultKind kind, std::string_view name,
                 std::string_view module, uint32_t ordinal, int32_t index) override {
    return Add({kind, std::string(name), std::string(module), ordinal, index, p.binding}, p);
  }
  int MatchOrdinal(const ImageProperties& p, uint64_t ordinal, ResultKind kind,
                   std::string_view module, int32_t index) override {
    std::string name(1, '#');
    name.append(std::to_string(ordinal));
    return Add({kind, name, std::string(module), ordinal, index, p.binding}, p);
  }
  int MatchModule(const ImageProperties& p, ResultKind kind, std::string_view module) override {
    return Add({kind, "", std::string(module), 0, -1, p.binding}, p);
  }
  bool DeliverImage(const ImageProperties& p) override {
    images.push_back(p);
    return deliverImage;
  }
  void Status(const std::wstring& line) override { status.push_back(line); }

  std::vector<ResultKind> Kinds() const {
    std::vector<ResultKind> k;
    for (const Handed& h : handed) k.push_back(h.kind);
    return k;
  }
  std::vector<std::string> Names() const {
    std::vector<std::string> n;
    for (const Handed& h : handed) n.push_back(h.name);
    return n;
  }

  ImageProperties attached;
  ImageProperties last;

 private:
  int Add(Handed h, const ImageProperties& p) {
    handed.push_back(std::move(h));
    last = p;
    return answer(calls++);
  }
};

// Answers as told and records the order of the questions and what the
// properties held when each was asked.
class ScriptedFilter : public ImageFilter {
 public:
  bool timeStamp = true, type = true, subsystem = true, characteristics = true,
       directories = true, noDirectoryFilter = true;
  bool wantDerived = false, wantResources = false;
  mutable std::vector<std::string> asked;
  mutable ImageProperties seen;

  bool PassTimeStamp(uint32_t) const override { return Ask("time", timeStamp); }
  bool PassType(ImageFacts& f) const override {
    seen = f.props();
    return Ask("type", type);
  }
  bool PassSubsystem(ImageFacts& f) const override {
    f.EnsureSubsystem();
    return Ask("subsystem", subsystem);
  }
  bool PassCharacteristics(ImageFacts& f) const override {
    f.EnsureCharacteristics(wantDerived);
    return Ask("characteristics", characteristics);
  }
  bool PassDirectories(ImageFacts& f) const override {
    f.EnsureDirectories(wantResources);
    seen = f.props();
    return Ask("directories", directories);
  }
  bool NoDirectoryFilter() const override { return noDirectoryFilter; }

 private:
  bool Ask(const char* what, bool answer) const {
    asked.push_back(what);
    return answer;
  }
};

// Reads `bytes` from a file, as a search does.
struct ReadOutcome {
  int result;
  uint32_t location;
  uint32_t error;
};

inline ReadOutcome ReadBytes(const std::string& bytes, SymbolSink& sink,
                             const ScanOptions& options = {},
                             const ImageFilter* filter = nullptr) {
  TempDir dir("pe");
  std::filesystem::path path = dir.Write("image.dll", bytes);
  uint32_t location = 12345;
  int result = ReadImage(path.string(), options, sink, filter, location);
  return {result, location, GetLastError()};
}

}  // namespace tarnix::test

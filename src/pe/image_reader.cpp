#include "pe/image_reader.h"

#include "core/text_format.h"
#include "core/wformat.h"
#include "pe/image_headers.h"
#include "pe/image_info.h"
#include "pe/pe_format.h"
#include "pe/symbol_walks.h"
#include "platform/fault_guard.h"
#include "platform/last_error.h"
#include "platform/mapped_file.h"
#include "platform/text_encoding.h"
#include "platform/win_errors.h"

namespace tarnix {
namespace {

int Fail(uint32_t& location, uint32_t code, uint32_t error) {
  location = code;
  SetLastError(error);
  return kReadFailed;
}

int Done() {
  SetLastError(ERROR_SUCCESS);
  return kReadDone;
}

int Stop() {
  SetLastError(ERROR_CANCELLED);
  return kReadStop;
}

uint32_t LocationOfStep(MappedFile::Step step) {
  switch (step) {
    case MappedFile::Step::Size: return kLocationSize;
    case MappedFile::Step::TooSmall: return kLocationTooSmall;
    case MappedFile::Step::TooLarge: return kLocationTooLarge;
    case MappedFile::Step::Map: return kLocationView;
    case MappedFile::Step::Region: return kLocationRegion;
    default: return kLocationOpen;
  }
}

// A ROM image has only its COFF header to describe it: it reports the
// "Unknown" subsystem, its COFF characteristics and no directories.
class RomFacts final : public ImageFacts {
 public:
  explicit RomFacts(ImageProperties& props) : props_(props) {}
  const ImageProperties& props() const override { return props_; }
  void EnsureSubsystem() override {}
  void EnsureCharacteristics(bool) override {}
  void EnsureDirectories(bool) override {}

 private:
  ImageProperties& props_;
};

// The image filters in their fixed order after the time stamp.
bool PassFilters(const ImageFilter* filter, ImageFacts& facts) {
  return !filter || (filter->PassType(facts) && filter->PassSubsystem(facts) &&
                     filter->PassCharacteristics(facts) && filter->PassDirectories(facts));
}

// A read outside the view, or a page of the file that vanished underneath
// the mapping.
class FaultCheck {
 public:
  FaultCheck(const ImageView& view, const FaultGuard* guard) : view_(view), guard_(guard) {}
  bool operator()() const { return view_.faulted() || (guard_ && guard_->faulted()); }

 private:
  const ImageView& view_;
  const FaultGuard* guard_;
};

// One warning per image for the names the view cut at their bound.
void ReportCutNames(const ImageView& view, std::string_view path, SymbolSink& sink) {
  if (view.cutNames() == 0) return;
  constexpr size_t kShown = 64;
  LastErrorKeeper keep;
  sink.Warning(WFormat(
      L"Warning: Searching file: \"%ls\". %llu name(s) longer than %zu characters cut to that "
      L"length, the first at file offset 0x%llX: \"%ls\"",
      FromUtf8(path).c_str(), static_cast<unsigned long long>(view.cutNames()),
      ImageView::kMaxNameLength, static_cast<unsigned long long>(view.firstCutOffset()),
      ShortenText(FromCp1252(view.FirstCutStart(kShown + 1)), kShown).c_str()));
}

template <class W>
int Walk(ImageInfo& image, const ScanOptions& options, SymbolSink& sink,
         std::vector<int32_t>& nameIndex, const FaultCheck& faulted, uint32_t& location) {
  LookInRules rules(options);
  WalkContext c{image, sink, rules, nameIndex};
  uint64_t count = 0;
  if (rules.visitImports) count += CountImports<W>(c);
  if (rules.visitExports) count += CountExports(c);
  if (rules.visitDelayLoad) count += CountDelayLoads<W>(c);
  sink.BeginImage(count);

  if (rules.visitImports && WalkImports<W>(c) == WalkResult::kStop) return Stop();
  if (faulted()) return Fail(location, kLocationMalformed, ERROR_INVALID_EXCEPTION_HANDLER);
  if (rules.visitExports && WalkExports(c) == WalkResult::kStop) return Stop();
  if (faulted()) return Fail(location, kLocationMalformed, ERROR_INVALID_EXCEPTION_HANDLER);
  if (rules.visitDelayLoad && WalkDelayLoads<W>(c) == WalkResult::kStop) return Stop();
  if (faulted()) return Fail(location, kLocationMalformed, ERROR_INVALID_EXCEPTION_HANDLER);
  return Done();
}

}  // namespace

int ImageReader::ReadFile(const std::string& path, const ScanOptions& options,
                          SymbolSink& sink, const ImageFilter* filter, uint32_t& location,
                          uint64_t* fileSize, MappedImageHook* hook) {
  MappedFile file;
  if (!file.Open(path, kMinImageFile, kMaxImageFile)) {
    location = LocationOfStep(file.failedStep());
    return kReadFailed;  // the last error is the platform's
  }
  if (fileSize) *fileSize = file.fileSize();
  FaultGuard guard(file.data(), file.viewSize());
  const int read = ReadMemory(file.data(), file.viewSize(), path, options, sink, filter, location, &guard);
  if (hook && read != kReadStop && !guard.faulted()) {
    LastErrorKeeper keep;
    hook->Mapped(file, guard);
  }
  return read;
}

int ImageReader::ReadMemory(const uint8_t* data, size_t size, std::string_view path,
                            const ScanOptions& options, SymbolSink& sink,
                            const ImageFilter* filter, uint32_t& location,
                            const FaultGuard* guard) {
  return ReadView(ImageView(data, size), path, options, sink, filter, location, guard);
}

int ImageReader::ReadView(const ImageView& view, std::string_view path, const ScanOptions& options,
                          SymbolSink& sink, const ImageFilter* filter, uint32_t& location,
                          const FaultGuard* guard) {
  const size_t size = view.size();
  FaultCheck faulted(view, guard);
  location = kLocationHeaderValues;

  // No "MZ" is required: only e_lfanew, and room for the NT headers behind it.
  std::optional<uint32_t> lfanew = view.TryRead<uint32_t>(pe::kLfanewOffset);
  if (!lfanew || uint64_t{*lfanew} + pe::kMinNtHeadersSize > size)
    return Fail(location, kLocationLfanew, ERROR_BAD_EXE_FORMAT);
  uint64_t nt = *lfanew;
  uint32_t signature = view.Read<uint32_t>(nt).value_or(0);
  if (signature != pe::kSignaturePe) {
    if ((signature & 0xFFFF) == pe::kSignatureNe)
      return Fail(location, kLocationNeImage, ERROR_INVALID_NE_IMAGE);
    return Fail(location, kLocationSignature, ERROR_BAD_EXE_FORMAT);
  }

  ImageProperties props;
  props.timeStamp = view.Read<uint32_t>(nt + pe::kNtTimeDateStamp).value_or(0);
  if (filter && !filter->PassTimeStamp(props.timeStamp)) return Done();

  uint16_t magic = view.Read<uint16_t>(nt + pe::kNtOptionalHeader).value_or(0);
  switch (magic) {
    case pe::kMagicRom: props.imageType = kImageTypeRom; break;
    case pe::kMagicPe32: props.imageType = kImageType32; break;
    case pe::kMagicPe64: props.imageType = kImageType64; break;
    default: return Fail(location, kLocationMagic, ERROR_BAD_FORMAT);
  }

  if (props.imageType == kImageTypeRom) {
    props.subsystemBit = SubsystemBitOf(0);
    props.characteristics =
        CharacteristicBitsOf(view.Read<uint16_t>(nt + pe::kNtCharacteristics).value_or(0), 0);
    props.directories = 0;
    props.computed = kComputedSubsystem | kComputedCharacteristics | kComputedDirectories;
    RomFacts facts(props);
    if (!PassFilters(filter, facts)) return Done();
    // A ROM image has no symbols: it is reported as a whole, and only to a
    // search for every module whatever it holds.
    bool wanted = (options.lookIn & kLookInSources) == 0 &&
                  (!filter || filter->NoDirectoryFilter()) && options.searchMatchesAll &&
                  options.presentAs == kPresentModulesOnly;
    if (wanted && !sink.DeliverImage(props)) return Stop();
    return Done();
  }

  uint64_t optional = nt + pe::kNtOptionalHeader;
  if (view.Read<uint32_t>(optional + pe::kOptSectionAlignment).value_or(0) == 0 ||
      view.Read<uint32_t>(optional + pe::kOptFileAlignment).value_or(0) == 0 ||
      view.Read<uint16_t>(nt + pe::kNtNumberOfSections).value_or(0) == 0)
    return Fail(location, kLocationHeaderValues, ERROR_BAD_EXE_FORMAT);

  ImageHeaders headers;
  headers.Load(view, nt, magic);
  sections_.Reset(view, headers.sectionTableOffset, headers.numberOfSections);
  ImageInfo image(view, headers, sections_, sink, path, props);

  bool pass = PassFilters(filter, image);
  if (faulted()) return Fail(location, kLocationMalformed, ERROR_INVALID_EXCEPTION_HANDLER);
  if (!pass) return Done();
  sink.AttachImage(image);
  if (faulted()) return Fail(location, kLocationMalformed, ERROR_INVALID_EXCEPTION_HANDLER);

  const int read = headers.pe64
                       ? Walk<pe::Pe64>(image, options, sink, nameIndex_, faulted, location)
                       : Walk<pe::Pe32>(image, options, sink, nameIndex_, faulted, location);
  if (read != kReadStop) ReportCutNames(view, path, sink);
  return read;
}

namespace {

// Keeps the completed properties and stops before the first symbol.
class PropertiesSink final : public SymbolSink {
 public:
  explicit PropertiesSink(ImageProperties& props) : props_(props) {}
  void AttachImage(ImageFacts& image) override {
    image.EnsureAll();
    props_ = image.props();
    found = true;
  }
  void BeginImage(uint64_t) override {}
  void SkipSymbols(uint64_t) override {}
  int MatchNamed(const ImageProperties&, ResultKind, std::string_view, std::string_view, uint32_t,
                 int32_t) override {
    return -1;
  }
  int MatchOrdinal(const ImageProperties&, uint64_t, ResultKind, std::string_view, int32_t) override {
    return -1;
  }
  int MatchModule(const ImageProperties&, ResultKind, std::string_view) override { return -1; }
  bool DeliverImage(const ImageProperties& props) override {
    props_ = props;
    found = true;
    return true;
  }
  void Status(const std::wstring&) override {}
  bool found = false;

 private:
  ImageProperties& props_;
};

// Matches nothing, so that every symbol of every table is read, until it
// has had enough.
class CaptureSink final : public SymbolSink {
 public:
  explicit CaptureSink(const std::function<bool()>& enough) : enough_(enough) {}
  void BeginImage(uint64_t) override {}
  void SkipSymbols(uint64_t) override {}
  int MatchNamed(const ImageProperties&, ResultKind, std::string_view, std::string_view, uint32_t,
                 int32_t) override {
    return enough_() ? -1 : 0;
  }
  int MatchOrdinal(const ImageProperties&, uint64_t, ResultKind, std::string_view, int32_t) override {
    return enough_() ? -1 : 0;
  }
  int MatchModule(const ImageProperties&, ResultKind, std::string_view) override { return enough_() ? -1 : 0; }
  bool DeliverImage(const ImageProperties&) override { return true; }
  void Status(const std::wstring&) override {}

 private:
  const std::function<bool()>& enough_;
};

}  // namespace

void ImageReader::Capture(const uint8_t* data, size_t size, ViewRecorder& recorder,
                          const std::function<bool()>& enough) {
  LastErrorKeeper keep;
  CaptureSink sink(enough);
  ScanOptions options;  // every table, every symbol
  options.searchMatchesAll = true;
  uint32_t location = 0;
  ReadView(ImageView(data, size, recorder), {}, options, sink, nullptr, location, nullptr);
}

int ReadImageProperties(const std::string& path, ImageProperties& props, uint32_t& location) {
  props = ImageProperties();
  PropertiesSink sink(props);
  ScanOptions options;
  // A ROM image is reported as the one "Image" result of a search for every
  // module.
  options.searchMatchesAll = true;
  options.presentAs = kPresentModulesOnly;
  ImageReader reader;
  const int result = reader.ReadFile(path, options, sink, nullptr, location);
  if (result == kReadFailed) return result;
  props.binding = kBindingNone;
  if (!sink.found) {
    location = kLocationSignature;
    SetLastError(ERROR_BAD_EXE_FORMAT);
    return kReadFailed;
  }
  SetLastError(ERROR_SUCCESS);
  return kReadDone;
}

int ReadImage(const std::string& path, const ScanOptions& options, SymbolSink& sink,
              const ImageFilter* filter, uint32_t& location) {
  ImageReader reader;
  return reader.ReadFile(path, options, sink, filter, location);
}

}  // namespace tarnix

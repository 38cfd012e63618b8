// tarnix-cli info: the image information window's text for one image and
// one of its symbols, and where a module resolves to for an image.
//
//   info FILE                       the image itself (no symbol, no module)
//   info FILE --symbol NAME|#N      an export of FILE: "Export Forwarded"
//                                   when the export is forwarded, "Export
//                                   (Ordinal)" for an unnamed one, the C++
//                                   kinds for decorated names
//   info FILE --module M --symbol S an import of S from M: the import
//                                   table first, then the delay-load table
//   info FILE --module M            the imported library M ("Imported
//                                   Library" or "Delay-Load Imported Library")
//   info --resolve MODULE --for IMAGE
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "cli/cli_support.h"
#include "cli/command.h"
#include "core/error_text.h"
#include "core/program_windows_root.h"
#include "core/registry_settings.h"
#include "core/wformat.h"
#include "pe/image_reader.h"
#include "pe/mapped_image.h"
#include "platform/case_fold.h"
#include "platform/languages.h"
#include "platform/last_error.h"
#include "platform/text_encoding.h"
#include "platform/win_errors.h"
#include "results/image_info_text.h"
#include "symbolsearch/module_resolver.h"
#include "undname/undecorate.h"

namespace tarnix::cli {
namespace {

const char kUsage[] =
    "usage: tarnix-cli info FILE [--symbol NAME|#ORDINAL] [--module NAME]\n"
    "       tarnix-cli info --resolve MODULE --for IMAGE\n"
    "Prints the image information window's text for FILE:\n"
    "  (no option)                 the image itself\n"
    "  --symbol NAME|#ORDINAL      an export of FILE (its forwarder, when it is\n"
    "                              forwarded, is followed)\n"
    "  --module NAME --symbol S    an import of S from NAME (imports, then\n"
    "                              delay-load imports)\n"
    "  --module NAME               the imported library NAME\n"
    "--resolve prints the file MODULE loads from for IMAGE (the Windows root of\n"
    "'tarnix-cli where'), or \"<Error: (code) text>\".\n"
    "Exit 0 when shown, 1 when the image, symbol or module is not there, 2 on\n"
    "bad usage.\n";

int Usage(const char* problem) {
  if (problem) std::fprintf(stderr, "tarnix-cli info: %s\n", problem);
  std::fputs(kUsage, stderr);
  return kExitUsage;
}

std::optional<uint32_t> OrdinalOf(const std::string& text) {
  if (text.size() < 2 || text[0] != '#' || text.size() > 11) return std::nullopt;
  uint64_t value = 0;
  for (size_t i = 1; i < text.size(); ++i) {
    if (text[i] < '0' || text[i] > '9') return std::nullopt;
    value = value * 10 + static_cast<uint64_t>(text[i] - '0');
  }
  if (value > 0xFFFFFFFFull) return std::nullopt;
  return static_cast<uint32_t>(value);
}

// Module names as the resolver takes them: "kernel32" and "KERNEL32.dll"
// name the same module. A name the resolver refuses (a path, say) is the
// import whose name is the same text.
bool SameModule(std::string_view stored, const std::wstring& wanted) {
  uint32_t error = 0;
  const std::wstring name = FromCp1252(stored);
  const std::wstring a = ModuleFileName(name, error);
  if (a.empty()) return EqualsIgnoreCase(name, wanted);
  return EqualsIgnoreCase(a, ModuleFileName(wanted, error));
}

bool IsForwarded(uint32_t kind) {
  return kind == kKindExportForwarded || kind == kKindExportForwardedCpp;
}

// Keeps the record a search would list for the symbol or module asked for.
class FindingSink final : public SymbolSink {
 public:
  FindingSink(std::optional<std::string> symbol, std::optional<uint32_t> ordinal,
              std::optional<std::wstring> module, uint32_t undecorationFlags)
      : symbol_(std::move(symbol)), ordinal_(ordinal), module_(std::move(module)),
        flags_(undecorationFlags) {}

  const std::optional<SymbolResult>& found() const { return found_; }

  void BeginImage(uint64_t) override {}
  void SkipSymbols(uint64_t) override {}

  int MatchNamed(const ImageProperties& props, ResultKind kind, std::string_view name,
                 std::string_view module, uint32_t ordinal, int32_t nameIndexOrHint) override {
    if (module_) {
      // Imports: the first one found, import table before delay-load table.
      if (found_ || kind == kKindExport || kind == kKindExportForwarded) return 0;
      if (!symbol_ || name != *symbol_ || !SameModule(module, *module_)) return 0;
    } else {
      if (kind != kKindExport && kind != kKindExportForwarded) return 0;
      // An export asked for by name or ordinal; its forwarder, handed on
      // after it, describes it better.
      const bool wanted = ordinal_ ? ordinal == *ordinal_ : (kind == kKindExport && name == *symbol_);
      const bool forwarderOfIt = kind == kKindExportForwarded && found_ &&
                                 !IsForwarded(found_->kind) && found_->ordinal == ordinal;
      if (!wanted && !forwarderOfIt) return 0;
      if (found_ && IsForwarded(found_->kind)) return 0;
    }
    Keep(props, kind, FromCp1252(name), module, ordinal, nameIndexOrHint);
    // C++ names are listed undecorated, as a search with undecoration on does.
    if (!name.empty() && name[0] == '?' && UndecorateLocked(name, flags_))
      found_->kind = kind + 1;
    return 0;
  }

  int MatchOrdinal(const ImageProperties& props, uint64_t ordinal, ResultKind kind,
                   std::string_view module, int32_t nameIndex) override {
    if (found_ || !ordinal_ || ordinal != *ordinal_) return 0;
    if (module_ ? kind == kKindExportOrdinal || !SameModule(module, *module_)
                : kind != kKindExportOrdinal)
      return 0;
    Keep(props, kind, WFormat(L"#%llu", static_cast<unsigned long long>(ordinal)), module, static_cast<uint32_t>(ordinal),
         nameIndex);
    return 0;
  }

  int MatchModule(const ImageProperties& props, ResultKind kind, std::string_view module) override {
    if (!found_ && module_ && SameModule(module, *module_)) Keep(props, kind, {}, module, 0, -1);
    return 0;
  }

  bool DeliverImage(const ImageProperties&) override { return true; }
  void Status(const std::wstring& line) override { PrintLine(stderr, line); }

 private:
  void Keep(const ImageProperties& props, ResultKind kind, std::wstring name,
            std::string_view module, uint32_t ordinal, int32_t nameIndexOrHint) {
    SymbolResult r;
    r.name = std::move(name);
    r.module = FromCp1252(module);
    r.kind = kind;
    r.properties = props;
    r.ordinal = ordinal;
    r.nameIndexOrHint = nameIndexOrHint;
    found_ = std::move(r);
  }

  std::optional<std::string> symbol_;
  std::optional<uint32_t> ordinal_;
  std::optional<std::wstring> module_;
  uint32_t flags_;
  std::optional<SymbolResult> found_;
};

ModuleResolver MakeResolver() {
  return ModuleResolver(ProgramWindowsRoot());
}

std::string FullPath(const std::string& path) {
  std::error_code ec;
  std::filesystem::path full = std::filesystem::absolute(path, ec);
  return ec ? path : full.lexically_normal().string();
}

int ReadFailed(const std::string& file, uint32_t error) {
  std::error_code ec;
  if (std::filesystem::is_directory(file, ec)) {
    // Opening a folder fails as access denied; the user is told what it is.
    std::fprintf(stderr, "tarnix-cli info: %s: is a folder; give an image file in it\n", file.c_str());
    return kExitUsage;
  }
  std::fprintf(stderr, "tarnix-cli info: %s: %s\n", file.c_str(), ToUtf8(ErrorText(error)).c_str());
  return kExitSomeFailed;
}

int RunResolve(const std::string& module, const std::string& image) {
  MappedImage mapped;
  const std::string full = FullPath(image);
  if (!mapped.Open(full)) return ReadFailed(image, GetLastError());
  const uint32_t imageType = mapped.imageType();
  std::wstring path;
  const ModuleResolver resolver = MakeResolver();
  if (!resolver.Resolve(FromUtf8(full), imageType, FromUtf8(module), path)) {
    const uint32_t error = GetLastError();
    PrintLine(stdout, L"<Error: " + resolver.DescribeError(error) + L">");
    return kExitSomeFailed;
  }
  PrintLine(stdout, path);
  return kExitOk;
}

int RunInfo(const std::vector<std::string>& args) {
  ArgCursor in(args);
  std::string file, symbol, module, resolve, forImage;
  bool symbolGiven = false, moduleGiven = false, resolveGiven = false, forGiven = false;
  while (in.More()) {
    const std::string& a = in.Next();
    if (a == "-h" || a == "--help") {
      std::fputs(kUsage, stdout);
      return kExitOk;
    } else if (a == "--symbol") {
      if (!in.Value(symbol) || symbol.empty()) return Usage("--symbol takes a name or #ordinal");
      symbolGiven = true;
    } else if (a == "--module") {
      if (!in.Value(module) || module.empty()) return Usage("--module takes a module name");
      moduleGiven = true;
    } else if (a == "--resolve") {
      if (!in.Value(resolve) || resolve.empty()) return Usage("--resolve takes a module name");
      resolveGiven = true;
    } else if (a == "--for") {
      if (!in.Value(forImage) || forImage.empty()) return Usage("--for takes an image");
      forGiven = true;
    } else if (a.size() > 1 && a[0] == '-' && a[1] == '-') {
      return Usage(("unknown option '" + a + "'").c_str());
    } else if (file.empty()) {
      file = a;
    } else {
      return Usage("one FILE at a time");
    }
  }
  if (resolveGiven || forGiven) {
    if (!resolveGiven || !forGiven || !file.empty() || symbolGiven || moduleGiven)
      return Usage("--resolve MODULE --for IMAGE go together, without FILE");
    return RunResolve(resolve, forImage);
  }
  if (file.empty()) return Usage(nullptr);

  RegistrySettings settings;
  ImageInfoOptions options;
  options.undecorationFlags = settings.GetDword(L"UndecorCppNamesFlags", 2);
  options.language = UserDefaultLanguage();
  const std::string full = FullPath(file);

  ImageInfoSubject subject;
  subject.imagePath = FromUtf8(full);
  ImageReader reader;
  ScanOptions scan;
  uint32_t location = 0;
  if (!symbolGiven && !moduleGiven) {
    // The image as a whole, as a ROM image's one "Image" result describes it.
    if (ReadImageProperties(full, subject.properties, location) == kReadFailed)
      return ReadFailed(file, GetLastError());
    subject.kind = kKindImage;
  } else {
    const std::optional<uint32_t> ordinal = OrdinalOf(symbol);
    std::optional<std::string> name;
    if (symbolGiven && !ordinal) name = ToCp1252(FromUtf8(symbol));
    std::optional<std::wstring> wantedModule;
    if (moduleGiven) wantedModule = FromUtf8(module);
    if (!symbolGiven) scan.searchFor = kSearchForImportLibs;
    FindingSink sink(name, ordinal, wantedModule, options.undecorationFlags);
    if (reader.ReadFile(full, scan, sink, nullptr, location) == kReadFailed)
      return ReadFailed(file, GetLastError());
    if (!sink.found()) {
      if (!symbolGiven)
        std::fprintf(stderr, "tarnix-cli info: %s does not import %s\n", file.c_str(), module.c_str());
      else if (moduleGiven)
        std::fprintf(stderr, "tarnix-cli info: %s does not import %s from %s\n", file.c_str(),
                     symbol.c_str(), module.c_str());
      else
        std::fprintf(stderr, "tarnix-cli info: %s does not export %s\n", file.c_str(), symbol.c_str());
      return kExitSomeFailed;
    }
    const SymbolResult& r = *sink.found();
    subject.name = r.name;
    subject.module = r.module;
    subject.kind = r.kind;
    subject.properties = r.properties;
    subject.ordinal = r.ordinal;
    subject.nameIndexOrHint = r.nameIndexOrHint;
    subject.searchFor = symbolGiven ? kSearchForSymbols : kSearchForImportLibs;
  }
  const ImageInfoContent content = BuildImageInfo(subject, MakeResolver(), options);
  PrintLine(stdout, content.text);
  // The window's "Resolves To" box, when the text does not say it.
  if (content.resolvedPath.empty() && !content.resolvesTo.empty() &&
      content.text.find(content.resolvesTo) == std::wstring::npos)
    PrintLine(stderr, L"tarnix-cli info: " + content.moduleName + L" resolves to " + content.resolvesTo);
  return kExitOk;
}

const CommandRegistrar kInfo("info", "the image information of an image and one of its symbols",
                             RunInfo);

}  // namespace
}  // namespace tarnix::cli

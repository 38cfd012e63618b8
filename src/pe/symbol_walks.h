#pragma once
// The three symbol walks of an image (imports, exports, delay-load imports)
// and the symbol counts that go before them. Internal to the reader.
#include <cstdint>
#include <vector>

#include "pe/image_info.h"
#include "pe/image_reader.h"
#include "pe/symbol_sink.h"

namespace tarnix {

// Which tables and which symbols of them a Look In selection takes. No
// source bit means every source; "C++ Only" leaves out ordinal symbols.
struct LookInRules {
  explicit LookInRules(const ScanOptions& options) {
    uint32_t sources = options.lookIn & kLookInSources;
    bool all = sources == 0;
    bool cppOnly = (options.lookIn & kLookInLanguages) == kLookInCppOnly;
    libraries = options.searchFor == kSearchForImportLibs;
    modulesOnly = options.presentAs == kPresentModulesOnly;
    visitImports = all || (sources & (kLookInImports | kLookInImportOrdinals));
    visitExports = !libraries && (all || (sources & (kLookInExports | kLookInForwardedExports)));
    visitDelayLoad = all || (sources & (kLookInDelayLoad | kLookInImportOrdinals));
    importNames = all || (sources & kLookInImports);
    importOrdinals = !cppOnly && (all || (sources & kLookInImportOrdinals));
    exports = all || (sources & kLookInExports);
    exportOrdinals = exports && !cppOnly;
    forwarded = all || (sources & kLookInForwardedExports);
    delayNames = all || (sources & kLookInDelayLoad);
  }

  bool libraries, modulesOnly;
  bool visitImports, visitExports, visitDelayLoad;
  bool importNames, importOrdinals, exports, exportOrdinals, forwarded, delayNames;
};

struct WalkContext {
  ImageInfo& image;
  SymbolSink& sink;
  const LookInRules& rules;
  std::vector<int32_t>& nameIndex;  // scratch of the export walk
};

enum class WalkResult { kDone, kStop };

// The walks stop early when the view faults; the reader checks for that.
template <class W> uint64_t CountImports(const WalkContext& c);
template <class W> WalkResult WalkImports(WalkContext& c);
uint64_t CountExports(const WalkContext& c);
WalkResult WalkExports(WalkContext& c);
template <class W> uint64_t CountDelayLoads(const WalkContext& c);
template <class W> WalkResult WalkDelayLoads(WalkContext& c);

// The binding of an import or delay-load descriptor's TimeDateStamp.
inline uint32_t BindingOf(uint32_t timeDateStamp) {
  if (timeDateStamp == 0) return kBindingUnbound;
  return timeDateStamp == 0xFFFFFFFFu ? kBindingBound : kBindingBoundOld;
}

// The entries of a thunk table up to its zero terminator or the view's end.
template <class W>
uint64_t CountThunks(const ImageView& view, uint64_t at) {
  uint64_t n = 0;
  for (;; at += sizeof(typename W::Thunk), ++n) {
    std::optional<typename W::Thunk> t = view.TryRead<typename W::Thunk>(at);
    if (!t || *t == 0) return n;
  }
}

// Walks one import name table at view offset `at` (imports and delay-load
// imports alike): ordinal entries as `ordinalKind` when the rules take
// ordinals, name entries as `namedKind` with their hint when `names` is set.
// `toOffset` turns a hint/name address into a view offset. "Modules only"
// passes over the rest of the table after a match.
template <class W, class ToOffset>
WalkResult WalkNameTable(WalkContext& c, uint64_t at, std::string_view module,
                         ResultKind namedKind, ResultKind ordinalKind, bool names,
                         ToOffset toOffset) {
  using Thunk = typename W::Thunk;
  const ImageView& view = c.image.view();
  const ImageProperties& props = c.image.props();
  for (uint64_t e = at;; e += sizeof(Thunk)) {
    std::optional<Thunk> entry = view.Read<Thunk>(e);
    if (!entry || *entry == 0) break;
    int answer = 0;
    if (*entry & W::kOrdinalFlag) {
      if (!c.rules.importOrdinals) {
        c.sink.SkipSymbols(1);
        continue;
      }
      answer = c.sink.MatchOrdinal(props, *entry & ~W::kOrdinalFlag, ordinalKind, module, -1);
    } else {
      std::optional<uint64_t> hintName = names ? toOffset(*entry) : std::nullopt;
      if (!hintName) {  // not searched, or no section holds it
        c.sink.SkipSymbols(1);
        continue;
      }
      std::optional<uint16_t> hint = view.Read<uint16_t>(*hintName);
      std::optional<std::string_view> symbol = view.String(*hintName + 2);
      if (!hint || !symbol) break;
      answer = c.sink.MatchNamed(props, namedKind, *symbol, module, 0, *hint);
    }
    if (answer < 0) return WalkResult::kStop;
    if (answer > 0 && c.rules.modulesOnly) {
      // The module has been reported; the rest of its table is passed over.
      c.sink.SkipSymbols(CountThunks<W>(view, e + sizeof(Thunk)));
      break;
    }
  }
  return WalkResult::kDone;
}

// The string at `rva`; empty when no section holds it.
inline std::string_view StringAtRva(const ImageInfo& image, uint64_t rva) {
  std::optional<uint64_t> at = image.sections().ToOffset(rva);
  if (!at) return {};
  return image.view().String(*at).value_or(std::string_view());
}

}  // namespace tarnix

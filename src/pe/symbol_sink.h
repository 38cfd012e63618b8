#pragma once
// What the image reader hands its symbols to: the symbol matcher of the
// search, or a fake in tests. The reader calls these in walk order and
// stops reading the image when an answer says "stop".
#include <cstdint>
#include <string>
#include <string_view>

#include "pe/image_filter.h"
#include "pe/image_properties.h"
#include "pe/result_kind.h"

namespace tarnix {

class SymbolSink {
 public:
  virtual ~SymbolSink() = default;

  // First, once per image: the image whose symbols follow. The properties
  // that the Match* calls carry are complete only for the fields the filters
  // needed; a sink calls image.EnsureAll() before it delivers the image's
  // first result, so that every result carries complete properties (the
  // record is the one the Match* calls pass). The default completes them at
  // once. `image` lives until the reader returns.
  virtual void AttachImage(ImageFacts& image) { image.EnsureAll(); }

  // Before the walk: the number of symbols the walk will visit, for the
  // progress share. Each Match* call below is one visited symbol;
  // SkipSymbols(n) reports counted symbols that are not handed on (passed
  // over by a "Modules only" walk, left out by the Look In selection, or
  // unreadable). A forwarded export counts once and is handed on twice.
  virtual void BeginImage(uint64_t symbolCount) = 0;
  virtual void SkipSymbols(uint64_t count) = 0;

  // A named symbol of plain kind 1, 3, 5 or 7, as stored in the image
  // (8-bit), its module, its ordinal (0 for imports by name) and its name
  // index or hint (-1 for none). Answers 1 matched and delivered, 0 not
  // matched, -1 stop.
  virtual int MatchNamed(const ImageProperties& props, ResultKind plainKind,
                         std::string_view name, std::string_view module,
                         uint32_t ordinal, int32_t nameIndexOrHint) = 0;

  // An ordinal symbol of kind 9, 10 or 11. Same answers.
  virtual int MatchOrdinal(const ImageProperties& props, uint64_t ordinal,
                           ResultKind kind, std::string_view module,
                           int32_t nameIndex) = 0;

  // An imported module (kind 12 or 13) when searching for imported
  // libraries. Same answers.
  virtual int MatchModule(const ImageProperties& props, ResultKind kind,
                          std::string_view module) = 0;

  // Delivers the single "Image" result of a ROM image. Answers true when
  // delivered.
  virtual bool DeliverImage(const ImageProperties& props) = 0;

  // A status line for the search output (for example a resource directory
  // that failed to parse).
  virtual void Status(const std::wstring& line) = 0;

  // A status line that the search counts as a warning (for example names
  // cut at their bound). Shown as an ordinary status line by default.
  virtual void Warning(const std::wstring& line) { Status(line); }
};

}  // namespace tarnix

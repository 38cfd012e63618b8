#pragma once
// The symbol matcher: takes every symbol the image reader finds, decides in
// which form to match it (as stored, or its undecorated C++ text, by the
// language bits of Look In and the undecorate setting), matches it against
// the 'Search For' string and delivers a result of the right kind.
//
// Answers of the Match* calls: 1 matched and delivered, 0 not matched (a
// failed match is reported as a status line and counts as no match; a name
// that the regular expression cannot decide within its work bound counts as
// no match and is reported once per image as a warning), -1
// stop the search (stop requested, queue full while stopping, a result that
// could not be delivered, or a name that could not be converted).
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "core/name_memory.h"
#include "pe/symbol_sink.h"
#include "symbolsearch/result_sink.h"
#include "symbolsearch/search_progress.h"
#include "symbolsearch/search_string.h"
#include "symbolsearch/status_output.h"
#include "symbolsearch/undecorator.h"

namespace tarnix {

// Whether the undecorated text of each decorated name met so far matched.
// The readers of one search share one.
using UndecoratedVerdicts = NameMemory<bool>;

// The status line of a result that could not be delivered.
std::wstring FailedToSendResultLine(uint32_t error);

struct SymbolMatchOptions {
  uint32_t lookIn = 0;             // Look In bits; only the language bits matter here
  bool undecorate = true;          // setting "UndecorCppNames"
  uint32_t undecorationFlags = 2;  // setting "UndecorCppNamesFlags"
};

class SymbolMatcher final : public SymbolSink {
 public:
  // All references must outlive the matcher. `undecorate` is called for
  // decorated names only, from the worker thread; it must take the
  // process-wide undecoration lock itself.
  SymbolMatcher(const SearchString& search, const SymbolMatchOptions& options,
                UndecorateFn undecorate, ResultSink& results, StatusOutput& status,
                SearchProgress& progress);
  // With the program's undecorator, under the undecoration lock.
  SymbolMatcher(const SearchString& search, const SymbolMatchOptions& options,
                ResultSink& results, StatusOutput& status, SearchProgress& progress);

  // Keeps the undecoration answers in `shared` (which must outlive the
  // matcher) rather than in the matcher's own memory.
  void ShareVerdicts(UndecoratedVerdicts& shared) { verdicts_ = &shared; }

  // The image being read, named in status lines. Forgets the attached image.
  void SetCurrentFile(std::wstring path) {
    file_ = std::move(path);
    image_ = nullptr;
    undecidedReported_ = false;
  }
  const std::wstring& currentFile() const { return file_; }

  // Keeps the image so that its properties are completed only when its
  // first result is delivered: images without a match never pay for them.
  void AttachImage(ImageFacts& image) override { image_ = &image; }
  void BeginImage(uint64_t symbolCount) override;
  void SkipSymbols(uint64_t count) override;
  int MatchNamed(const ImageProperties& props, ResultKind plainKind, std::string_view name,
                 std::string_view module, uint32_t ordinal, int32_t nameIndexOrHint) override;
  int MatchOrdinal(const ImageProperties& props, uint64_t ordinal, ResultKind kind,
                   std::string_view module, int32_t nameIndex) override;
  int MatchModule(const ImageProperties& props, ResultKind kind,
                  std::string_view module) override;
  bool DeliverImage(const ImageProperties& props) override;
  void Status(const std::wstring& line) override;
  void Warning(const std::wstring& line) override;

 private:
  // Matches an 8-bit text (converted with Windows-1252) or a wide one;
  // failures are reported and count as no match.
  int MatchText(std::string_view text);
  int MatchWide(std::wstring_view text);
  // Whether the undecorated text of a decorated name matches; names seen
  // before answer from memory.
  bool UndecoratedMatches(std::string_view name);
  int Deliver(ResultKind kind, std::string_view name, std::string_view module,
              uint32_t ordinal, int32_t nameIndexOrHint, const ImageProperties& props);
  int DeliverWide(ResultKind kind, std::wstring_view name, std::wstring_view module,
                  uint32_t ordinal, int32_t nameIndexOrHint, const ImageProperties& props);

  const SearchString& search_;
  SymbolMatchOptions options_;
  UndecorateFn undecorate_;
  ResultSink& results_;
  StatusOutput& status_;
  SearchProgress& progress_;
  std::wstring file_;
  ImageFacts* image_ = nullptr;  // attached, properties not yet completed
  // Scratch texts, reused so that matching a symbol allocates nothing.
  std::wstring text_;
  std::wstring name_;
  std::wstring module_;
  UndecoratedVerdicts ownVerdicts_;
  UndecoratedVerdicts* verdicts_ = &ownVerdicts_;
  bool matchFailed_ = false;  // the last match reported a failure
  // A name of the current image that the regular expression could not
  // decide has been reported (once per image).
  bool undecidedReported_ = false;
};

}  // namespace tarnix

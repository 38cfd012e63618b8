#pragma once
// Turning what a window or the command line gathered into SearchParams,
// with every check a search must pass before it may start. The checks run
// in a fixed order and the first refusal ends them; a refusal names the
// control at fault so that a window can show the message and focus it.
#include <cstdint>
#include <functional>
#include <string>

#include "symbolsearch/search_params.h"
#include "symbolsearch/search_string.h"

namespace tarnix {

// The criteria as the user gave them (texts untrimmed), plus the settings
// the checks read.
struct SearchCriteriaInput {
  std::wstring folder;
  bool includeSubfolders = false;
  SearchStringSpec fileName;
  uint32_t searchFor = 0;  // the saved mode "SrchFor"
  SearchStringSpec search;
  uint32_t lookIn = 0;     // "SrchLookIn"
  uint32_t presentAs = 0;  // the value of the selected 'Present Results As' item
  // PE header filters; taken only when the filter group is shown (bit 0x2
  // of the setting "ShowCtrls").
  bool peFiltersShown = false;
  uint32_t imageTypes = 0;
  uint64_t subsystems = 0;
  uint64_t characteristicsMask = 0;
  uint64_t characteristicsValues = 0;
  uint64_t directoriesMask = 0;
  uint64_t directoriesValues = 0;
  uint64_t timeStampFrom = 0;  // FILETIME, 0 = not set
  uint64_t timeStampTo = 0;
  uint32_t regexGrammar = kGrammarECMAScript;  // setting "reGrammar"
};

enum class CriteriaControl {
  kNone,
  kFolder,
  kFileName,
  kSearchFor,  // the "search for" link
  kSearchText,
  kPresentAs,
  kTimeStampFrom,
  kTimeStampTo,
};

enum class QuestionAnswer { kYes, kNo, kCancel };

// Asks the user `text` in a message box of `boxType` (the platform's MB_*
// bits) with the keyboard focus on `focus`.
using CriteriaQuestion =
    std::function<QuestionAnswer(const std::wstring& text, uint32_t boxType, CriteriaControl focus)>;

// Yes, No and Cancel, a warning icon, the second button as default.
inline constexpr uint32_t kFromFollowsToBoxType = 0x133;

struct CriteriaOutcome {
  bool start = false;
  // A refusal: its message and the control at fault. When the user declined
  // the question, `message` is empty and `control` is where the focus went.
  std::wstring message;
  CriteriaControl control = CriteriaControl::kNone;
};

// Checks `input` and fills `out` (a fresh record first). `interactive`: a
// window started it and may ask `ask`; from the command line nothing is
// asked and a 'FROM' after 'TO' starts anyway.
CriteriaOutcome ValidateAndBuildSearch(const SearchCriteriaInput& input, bool interactive,
                                       const CriteriaQuestion& ask, SearchParams& out);

// A FILETIME as seconds since 1970. 0 (not set) gives 0; a time before 1970
// or after 2106-02-07 06:28:15 answers false.
bool FileTimeToTimeStampSeconds(uint64_t fileTime, uint32_t& seconds);

}  // namespace tarnix

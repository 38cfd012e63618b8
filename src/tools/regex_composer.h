#pragma once
// The regular-expression composer's rules: up to five words, each with an
// optional condition on either side and optional anchors, combined as any
// one of the words, all of them in any order, or all of them in order; and
// the inverse, which reads an expression back into those rows when it has
// one of the three shapes the composer writes.
#include <string>
#include <string_view>
#include <vector>

namespace tarnix {

inline constexpr int kComposerConditionCount = 24;
inline constexpr int kComposerRows = 5;
inline constexpr size_t kComposerWordMax = 256;

// "For matching of:" (stored as "RegexCmprMatchOf").
enum ComposerMode : int {
  kComposerAnyOne = 1,       // "(a)|(b)"
  kComposerAllAnyOrder = 2,  // "^(?=.*a)(?=.*b)"
  kComposerAllInOrder = 3,   // "a.*b"
};
inline constexpr int kComposerModeCount = 3;

struct ComposerCondition {
  const wchar_t* text;   // shown in the LEFT and RIGHT boxes
  const wchar_t* token;  // the regular-expression text
};
// Index 0 is the empty entry (no token).
extern const ComposerCondition kComposerConditions[kComposerConditionCount];
// The texts of the mode box, for modes 1..3.
extern const wchar_t* const kComposerModeTexts[kComposerModeCount];

// The condition indexes the LEFT and RIGHT boxes offer in `mode`: all of
// them in mode 1, all but the "Any character" ones (1, 2, 3) otherwise.
std::vector<int> ComposerConditionsOffered(int mode);

struct ComposerWord {
  bool atBeginning = false;
  int left = 0;  // condition index
  std::wstring word;
  int right = 0;
  bool atEnd = false;

  bool operator==(const ComposerWord&) const = default;
};

// The expression of `words` combined by `mode`, or false with the error text
// ("Bad LEFT word condition: %d", "Bad RIGHT word condition: %d",
// "Bad matching_of type: %d") in `out`. A single word is written as in mode 1.
bool ComposeRegex(int mode, const std::vector<ComposerWord>& words, std::wstring& out);

// One row of the window as the user left it: the word box's text and the
// condition boxes' indexes (-1: nothing selected).
struct ComposerRow {
  std::wstring word;
  int left = 0;
  int right = 0;
  bool atBeginning = false;
  bool atEnd = false;
};

// What the preview shows and OK returns for the rows and `mode` (0: no mode
// selected): the words are trimmed and empty rows skipped; false with the
// message the user sees in `out`.
bool ComposeFromRows(int mode, const std::vector<ComposerRow>& rows, std::wstring& out);

struct DecomposedRegex {
  int mode = kComposerAnyOne;
  std::vector<ComposerWord> words;
};

// Reads `expression` back into words, conditions, anchors and a mode, as
// the inverse of ComposeRegex. A single word reads as mode 3, or as mode 1
// when it has an "Any character" condition, which only mode 1 offers. False when it has none of the composer's
// shapes or holds more words than the window has rows, a word longer than
// a word box or a word that is only a condition.
bool DecomposeRegex(std::wstring_view expression, DecomposedRegex& out);

}  // namespace tarnix

#include "tools/regex_composer.h"

#include "core/wformat.h"
#include "platform/char_class.h"
#include "symbolsearch/regex_escape.h"

namespace tarnix {

const ComposerCondition kComposerConditions[kComposerConditionCount] = {
    {L"", L""},
    {L"Any character (single)", L"."},
    {L"Any character (0 or more)", L".*"},
    {L"Any character (1 or more)", L".+"},
    {L"A whitespace (single)", L"\\s"},
    {L"A whitespace (0 or more)", L"\\s*"},
    {L"A whitespace (1 or more)", L"\\s+"},
    {L"Not a whitespace (single)", L"\\S"},
    {L"Not a whitespace (0 or more)", L"\\S*"},
    {L"Not a whitespace (1 or more)", L"\\S+"},
    {L"An alphanumeric (single)", L"\\w"},
    {L"An alphanumeric (0 or more)", L"\\w*"},
    {L"An alphanumeric (1 or more)", L"\\w+"},
    {L"Not an alphanumeric (single)", L"\\W"},
    {L"Not an alphanumeric (0 or more)", L"\\W*"},
    {L"Not an alphanumeric (1 or more)", L"\\W+"},
    {L"A digit (single)", L"\\d"},
    {L"A digit (0 or more)", L"\\d*"},
    {L"A digit (1 or more)", L"\\d+"},
    {L"Not a digit (single)", L"\\D"},
    {L"Not a digit (0 or more)", L"\\D*"},
    {L"Not a digit (1 or more)", L"\\D+"},
    {L"A word boundary", L"\\b"},
    {L"Not a word boundary", L"\\B"},
};

const wchar_t* const kComposerModeTexts[kComposerModeCount] = {
    L"Any ONE of the words above",
    L"Combination of ALL words above, in any order",
    L"Exact order of ALL words above: from left to right (i.e. from top to bottom in controls above)",
};

namespace {

// The "Any character" conditions, which only a word matched on its own may use.
bool AnyCharacterCondition(int index) { return index >= 1 && index <= 3; }

}  // namespace

std::vector<int> ComposerConditionsOffered(int mode) {
  std::vector<int> offered;
  for (int i = 0; i < kComposerConditionCount; ++i)
    if (mode == kComposerAnyOne || !AnyCharacterCondition(i)) offered.push_back(i);
  return offered;
}

bool ComposeRegex(int mode, const std::vector<ComposerWord>& words, std::wstring& out) {
  out.clear();
  const size_t n = words.size();
  for (const ComposerWord& w : words) {
    if (w.left < 0 || w.left >= kComposerConditionCount)
      return out = WFormat(L"Bad LEFT word condition: %d", w.left), false;
    if (w.right < 0 || w.right >= kComposerConditionCount)
      return out = WFormat(L"Bad RIGHT word condition: %d", w.right), false;
  }
  const bool alone = n <= 1 || mode == kComposerAnyOne;
  if (!alone && mode != kComposerAllAnyOrder && mode != kComposerAllInOrder)
    return out = WFormat(L"Bad matching_of type: %d", mode), false;
  // Combined words cannot use the "Any character" conditions: they would
  // swallow the other words.
  auto token = [alone](int index) {
    return alone || !AnyCharacterCondition(index) ? kComposerConditions[index].token : L"";
  };
  auto word = [&](const ComposerWord& w) {
    std::wstring s;
    if (w.atBeginning) s += L'^';
    s += token(w.left);
    s += EscapeForRegex(w.word);
    s += token(w.right);
    if (w.atEnd) s += L'$';
    return s;
  };
  for (size_t i = 0; i < n; ++i) {
    if (alone) {
      if (i > 0) out += L'|';
      out += n > 1 ? L"(" + word(words[i]) + L")" : word(words[i]);
    } else if (mode == kComposerAllAnyOrder) {
      if (i == 0) out += L'^';
      out += L"(?=.*" + word(words[i]) + L")";
    } else {
      if (i > 0) out += L".*";
      out += word(words[i]);
    }
  }
  return true;
}

bool ComposeFromRows(int mode, const std::vector<ComposerRow>& rows, std::wstring& out) {
  if (mode < 1 || mode > kComposerModeCount) return out = L"Select 'For matching of' control", false;
  std::vector<ComposerWord> words;
  for (size_t i = 0; i < rows.size(); ++i) {
    const ComposerRow& r = rows[i];
    const std::wstring_view text = TrimWhiteSpace(r.word);
    if (text.empty()) continue;
    const int number = static_cast<int>(i + 1);
    if (r.left < 0) return out = WFormat(L"Select LEFT condition for word %d", number), false;
    if (r.right < 0) return out = WFormat(L"Select RIGHT condition for word %d", number), false;
    words.push_back({r.atBeginning, r.left, std::wstring(text), r.right, r.atEnd});
  }
  if (words.empty()) return out = L"Specify at least one search word", false;
  return ComposeRegex(mode, words, out);
}

// ---- Reading an expression back ----

namespace {

enum class Tok { kEnd, kCaret, kDollar, kOpen, kClose, kBar, kStar, kPlus, kLook, kCondition, kLiteral };

struct Token {
  Tok kind;
  int condition = 0;  // kCondition
  wchar_t c = 0;      // kLiteral
};

// The index of the class escape's single form ("\s" 4, "\S" 7, ...), or 0.
int ClassCondition(wchar_t c) {
  switch (c) {
    case L's': return 4;
    case L'S': return 7;
    case L'w': return 10;
    case L'W': return 13;
    case L'd': return 16;
    case L'D': return 19;
    default: return 0;
  }
}

// The tokens of `text`, ending with kEnd; false for what no composed
// expression holds (brackets, braces, a "?" not starting a lookahead, a
// trailing backslash).
bool Tokenize(std::wstring_view text, std::vector<Token>& tokens) {
  const size_t n = text.size();
  auto next = [&](size_t i) { return i + 1 < n ? text[i + 1] : L'\0'; };
  for (size_t i = 0; i < n; ++i) {
    const wchar_t c = text[i];
    switch (c) {
      case L'^': tokens.push_back({Tok::kCaret}); break;
      case L'$': tokens.push_back({Tok::kDollar}); break;
      case L'(': tokens.push_back({Tok::kOpen}); break;
      case L')': tokens.push_back({Tok::kClose}); break;
      case L'|': tokens.push_back({Tok::kBar}); break;
      case L'*': tokens.push_back({Tok::kStar}); break;
      case L'+': tokens.push_back({Tok::kPlus}); break;
      case L'[':
      case L'{':
      case L'}': return false;
      case L'?':
        if (next(i) != L'=') return false;
        tokens.push_back({Tok::kLook});
        ++i;
        break;
      case L'.':
        if (next(i) == L'*' || next(i) == L'+') {
          tokens.push_back({Tok::kCondition, next(i) == L'*' ? 2 : 3});
          ++i;
        } else {
          tokens.push_back({Tok::kCondition, 1});
        }
        break;
      case L'\\': {
        if (i + 1 >= n) return false;
        const wchar_t e = text[++i];
        if (const int base = ClassCondition(e)) {
          const wchar_t q = next(i);
          const int extra = q == L'*' ? 1 : q == L'+' ? 2 : 0;
          if (extra) ++i;
          tokens.push_back({Tok::kCondition, base + extra});
        } else if (e == L'b' || e == L'B') {
          tokens.push_back({Tok::kCondition, e == L'b' ? 22 : 23});
        } else {
          tokens.push_back({Tok::kLiteral, 0, e});
        }
        break;
      }
      default: tokens.push_back({Tok::kLiteral, 0, c});
    }
  }
  tokens.push_back({Tok::kEnd});
  return true;
}

// Reads one word from tokens[at, end): [^] [condition] literal... [condition] [$].
// `anyCharacter`: whether the "Any character" conditions may appear.
bool ReadWord(const std::vector<Token>& t, size_t at, size_t end, bool anyCharacter, ComposerWord& w) {
  auto is = [&](Tok kind) { return at < end && t[at].kind == kind; };
  auto condition = [&](int& index) {
    if (!is(Tok::kCondition)) return true;
    index = t[at++].condition;
    return anyCharacter || !AnyCharacterCondition(index);
  };
  w = ComposerWord();
  if (is(Tok::kCaret)) w.atBeginning = true, ++at;
  if (!condition(w.left)) return false;
  while (is(Tok::kLiteral)) w.word += t[at++].c;
  if (w.word.empty() || w.word.size() > kComposerWordMax) return false;
  // The window trims its words: one with white space at an end would not come back.
  if (TrimWhiteSpace(w.word).size() != w.word.size()) return false;
  if (!condition(w.right)) return false;
  if (is(Tok::kDollar)) w.atEnd = true, ++at;
  return at == end;
}

size_t Find(const std::vector<Token>& t, size_t from, Tok kind) {
  while (t[from].kind != kind && t[from].kind != Tok::kEnd) ++from;
  return from;
}

}  // namespace

bool DecomposeRegex(std::wstring_view expression, DecomposedRegex& out) {
  std::vector<Token> t;
  if (!Tokenize(expression, t)) return false;
  DecomposedRegex d;
  ComposerWord w;
  auto kindAt = [&](size_t i) { return i < t.size() ? t[i].kind : Tok::kEnd; };
  const size_t last = t.size() - 1;  // kEnd
  if (kindAt(0) == Tok::kOpen && kindAt(1) != Tok::kLook) {
    // "(word)|(word)..."; a lone word in parentheses reads too.
    d.mode = kComposerAnyOne;
    for (size_t at = 0;;) {
      if (t[at].kind != Tok::kOpen) return false;
      const size_t close = Find(t, at + 1, Tok::kClose);
      if (t[close].kind != Tok::kClose || !ReadWord(t, at + 1, close, true, w)) return false;
      d.words.push_back(w);
      at = close + 1;
      if (t[at].kind == Tok::kEnd) break;
      if (t[at].kind != Tok::kBar) return false;
      ++at;
    }
  } else if (kindAt(0) == Tok::kCaret && kindAt(1) == Tok::kOpen && kindAt(2) == Tok::kLook &&
             kindAt(3) == Tok::kCondition && t[3].condition == 2) {
    // "^(?=.*word)(?=.*word)..."
    d.mode = kComposerAllAnyOrder;
    for (size_t at = 1; t[at].kind != Tok::kEnd;) {
      if (t[at].kind != Tok::kOpen || kindAt(at + 1) != Tok::kLook || kindAt(at + 2) != Tok::kCondition ||
          t[at + 2].condition != 2)
        return false;
      const size_t close = Find(t, at + 3, Tok::kClose);
      if (t[close].kind != Tok::kClose || !ReadWord(t, at + 3, close, false, w)) return false;
      d.words.push_back(w);
      at = close + 1;
    }
  } else {
    d.mode = kComposerAllInOrder;
    // One word matched on its own may carry any condition; words in order
    // are separated by ".*" and cannot.
    if (ReadWord(t, 0, last, true, w)) {
      // The combined modes do not offer the "Any character" conditions; a
      // word on its own composes alike in every mode.
      if (AnyCharacterCondition(w.left) || AnyCharacterCondition(w.right)) d.mode = kComposerAnyOne;
      d.words.push_back(w);
    } else {
      for (size_t at = 0;;) {
        size_t sep = at;
        while (sep < last && !(t[sep].kind == Tok::kCondition && t[sep].condition == 2)) ++sep;
        if (!ReadWord(t, at, sep, false, w)) return false;
        d.words.push_back(w);
        if (sep == last) break;
        at = sep + 1;
      }
    }
  }
  if (d.words.empty() || d.words.size() > static_cast<size_t>(kComposerRows)) return false;
  out = std::move(d);
  return true;
}

}  // namespace tarnix

// Reads a pattern in one of the six grammars and builds the automaton.
//
// The scanner and the grammar follow the standard library's reading of each
// grammar token for token, so that a pattern compiles here exactly when it
// compiled before and means the same; error texts are the engine's own.
// Recursion follows only the nesting of groups and quantifiers, which is
// bounded; a long pattern is read in loops.
#include <algorithm>
#include <cstring>

#include "symbolsearch/regex_grammar.h"
#include "symbolsearch/regex_program.h"

namespace tarnix {

uint32_t RegexClassOf(wchar_t c) {
  const auto u = static_cast<uint32_t>(c);
  if (u >= 128) return 0;
  uint32_t bits = 0;
  if (u >= 'A' && u <= 'Z') bits |= kClassUpper | kClassAlpha;
  if (u >= 'a' && u <= 'z') bits |= kClassLower | kClassAlpha;
  if (u >= '0' && u <= '9') bits |= kClassDigit;
  if ((u >= '0' && u <= '9') || (u >= 'a' && u <= 'f') || (u >= 'A' && u <= 'F')) bits |= kClassXdigit;
  if (u == ' ' || (u >= '\t' && u <= '\r')) bits |= kClassSpace;
  if (u == ' ' || u == '\t') bits |= kClassBlank;
  if (u < 32 || u == 127) bits |= kClassCntrl;
  if (u >= 32 && u < 127) bits |= kClassPrint;
  if (u > 32 && u < 127) {
    bits |= kClassGraph;
    if (!(bits & (kClassAlpha | kClassDigit))) bits |= kClassPunct;
  }
  if (u == '_') bits |= kClassUnderscore;
  return bits;
}

bool RegexCharSet::Test(wchar_t c) const {
  const wchar_t t = icase ? RegexLower(c) : c;
  bool in = std::binary_search(chars.begin(), chars.end(), t);
  for (size_t i = 0; !in && i < ranges.size(); ++i) {
    const auto& [lo, hi] = ranges[i];
    if (icase) {
      const wchar_t l = RegexLower(c), u = RegexUpper(c);
      in = (lo <= l && l <= hi) || (lo <= u && u <= hi);
    } else {
      in = lo <= c && c <= hi;
    }
  }
  if (!in && classes) in = RegexIsClass(c, classes);
  if (!in && !equivalents.empty())
    in = std::find(equivalents.begin(), equivalents.end(), RegexLower(c)) != equivalents.end();
  for (size_t i = 0; !in && i < negatedClasses.size(); ++i) in = !RegexIsClass(c, negatedClasses[i]);
  return in != negated;
}

void RegexCharSet::Finish() {
  std::sort(chars.begin(), chars.end());
  chars.erase(std::unique(chars.begin(), chars.end()), chars.end());
  ascii[0] = ascii[1] = 0;
  for (uint32_t c = 0; c < 128; ++c)
    if (Test(static_cast<wchar_t>(c))) ascii[c >> 6] |= uint64_t{1} << (c & 63);
}

namespace {

// Bounds on what a pattern can make the engine hold.
constexpr size_t kMaxInstructions = 100000;  // as many states as the standard library allowed
constexpr uint32_t kMaxDepth = 1000;         // nesting of groups and quantifiers
constexpr uint32_t kMaxGroupDepth = 256;     // nesting of groups (the reader recurses on them)
constexpr int kMaxLookDepth = 32;            // nesting of lookaheads
constexpr uint32_t kInfinite = UINT32_MAX;

enum class Tok {
  kEof, kAny, kOrd, kOct, kHex, kBackref,
  kNoGroupBegin, kLookBegin, kGroupEnd,
  kBracketBegin, kBracketNegBegin, kBracketEnd, kBracketDash,
  kIntervalBegin, kIntervalEnd, kComma, kDupCount,
  kQuotedClass, kClassName, kCollSymbol, kEquivName,
  kOpt, kOr, kStar, kPlus, kLineBegin, kLineEnd, kWordBound,
};

struct Syntax {
  bool ecma = false;
  bool basic = false;    // basic and grep
  bool awk = false;
  const char* special = "";

  explicit Syntax(uint32_t grammar) {
    const uint32_t bits = grammar & kGrammarBits;
    if (bits == 0 || (bits & kGrammarECMAScript)) {
      ecma = true;
      special = "^$\\.*+?()[]{}|";
    } else if (bits & kGrammarBasic) {
      basic = true;
      special = ".[\\*^$";
    } else if (bits & kGrammarExtended) {
      special = ".[\\()*+?{|^$";
    } else if (bits & kGrammarAwk) {
      awk = true;
      special = ".[\\()*+?{|^$";
    } else if (bits & kGrammarGrep) {
      basic = true;
      special = ".[\\*^$\n";
    } else {
      special = ".[\\()*+?{|^$\n";  // egrep
    }
  }
  // A character with a meaning of its own outside brackets.
  bool IsSpecial(wchar_t c) const {
    return c == 0 || (static_cast<uint32_t>(c) < 128 && std::strchr(special, static_cast<char>(c)));
  }
};

bool IsDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }
bool IsOctal(wchar_t c) { return c >= L'0' && c <= L'7'; }
bool IsHex(wchar_t c) { return RegexIsClass(c, kClassXdigit); }
int HexValue(wchar_t c) {
  if (IsDigit(c)) return c - L'0';
  return RegexLower(c) - L'a' + 10;
}

class Failure {
 public:
  bool Set(int code, const wchar_t* message) {
    if (!failed) {
      failed = true;
      error.code = code;
      error.message = message;
    }
    return false;
  }
  bool failed = false;
  RegexError error;
};

const wchar_t kMsgParen[] = L"Mismatched '(' and ')' in regular expression";
const wchar_t kMsgBrack[] = L"Mismatched '[' and ']' in regular expression";
const wchar_t kMsgBrace[] = L"Mismatched '{' and '}' in regular expression";
const wchar_t kMsgBadBrace[] = L"Invalid range in '{}' in regular expression";
const wchar_t kMsgEscape[] = L"Invalid escape in regular expression";
const wchar_t kMsgSpace[] =
    L"The regular expression needs more than 100000 states: use a shorter pattern or smaller "
    L"counts in braces";
const wchar_t kMsgDepth[] = L"Groups or repetitions are nested too deeply in regular expression";

class Scanner {
 public:
  Scanner(std::wstring_view pattern, const Syntax& syntax, Failure& failure)
      : p_(pattern), syn_(syntax), fail_(failure) {}

  Tok token = Tok::kEof;
  std::wstring value;

  // Reads the next token; false (with the failure set) on a syntax error.
  bool Advance() {
    if (i_ == p_.size()) {
      token = Tok::kEof;
      return true;
    }
    switch (state_) {
      case State::kBracket: return ScanBracket();
      case State::kBrace: return ScanBrace();
      default: return ScanNormal();
    }
  }

 private:
  enum class State { kNormal, kBracket, kBrace };

  bool AtEnd() const { return i_ == p_.size(); }
  wchar_t Peek() const { return AtEnd() ? 0 : p_[i_]; }
  void Set(Tok t, wchar_t c) {
    token = t;
    value.assign(1, c);
  }

  bool ScanNormal() {
    wchar_t c = p_[i_++];
    if (!syn_.IsSpecial(c)) {
      Set(Tok::kOrd, c);
      return true;
    }
    if (c == L'\\') {
      if (AtEnd()) return fail_.Set(kRegexErrorEscape, L"Invalid escape at end of regular expression");
      const wchar_t n = p_[i_];
      if (!syn_.basic || (n != L'(' && n != L')' && n != L'{')) return EatEscape();
      c = p_[i_++];
    }
    if (c == L'(') {
      if (syn_.ecma && Peek() == L'?') {
        if (++i_ == p_.size()) return fail_.Set(kRegexErrorParen, kMsgParen);
        const wchar_t k = p_[i_];
        if (k == L':') {
          ++i_;
          token = Tok::kNoGroupBegin;
        } else if (k == L'=' || k == L'!') {
          ++i_;
          Set(Tok::kLookBegin, k == L'!' ? L'n' : L'p');
        } else {
          return fail_.Set(kRegexErrorParen,
                           L"Invalid '(?...)' zero-width assertion in regular expression");
        }
      } else {
        // Groups are never captured, so every group is a plain one.
        token = Tok::kNoGroupBegin;
      }
      return true;
    }
    if (c == L')') {
      token = Tok::kGroupEnd;
    } else if (c == L'[') {
      state_ = State::kBracket;
      atBracketStart_ = true;
      if (Peek() == L'^' && !AtEnd()) {
        ++i_;
        token = Tok::kBracketNegBegin;
      } else {
        token = Tok::kBracketBegin;
      }
    } else if (c == L'{') {
      state_ = State::kBrace;
      token = Tok::kIntervalBegin;
    } else if (c == 0) {
      if (!syn_.ecma)
        return fail_.Set(kRegexErrorNull, L"Unexpected null character in regular expression");
      Set(Tok::kOrd, c);
    } else if (c == L']' || c == L'}') {
      Set(Tok::kOrd, c);
    } else {
      switch (c) {
        case L'^': token = Tok::kLineBegin; break;
        case L'$': token = Tok::kLineEnd; break;
        case L'.': token = Tok::kAny; break;
        case L'*': token = Tok::kStar; break;
        case L'+': token = Tok::kPlus; break;
        case L'?': token = Tok::kOpt; break;
        default: token = Tok::kOr; break;  // "|", and a line feed in grep and egrep
      }
    }
    return true;
  }

  bool ScanBracket() {
    const wchar_t c = p_[i_++];
    bool ok = true;
    if (c == L'-') {
      token = Tok::kBracketDash;
    } else if (c == L'[') {
      if (AtEnd())
        return fail_.Set(kRegexErrorBrack, L"Incomplete '[[' character class in regular expression");
      const wchar_t k = p_[i_];
      if (k == L'.' || k == L':' || k == L'=') {
        ++i_;
        token = k == L'.' ? Tok::kCollSymbol : k == L':' ? Tok::kClassName : Tok::kEquivName;
        ok = EatClass(k);
      } else {
        Set(Tok::kOrd, c);
      }
    } else if (c == L']' && (syn_.ecma || !atBracketStart_)) {
      // In the POSIX grammars a "]" right after "[" or "[^" is a character.
      token = Tok::kBracketEnd;
      state_ = State::kNormal;
    } else if (c == L'\\' && (syn_.ecma || syn_.awk)) {
      ok = EatEscape();
    } else {
      Set(Tok::kOrd, c);
    }
    atBracketStart_ = false;
    return ok;
  }

  bool ScanBrace() {
    const wchar_t c = p_[i_++];
    if (IsDigit(c)) {
      Set(Tok::kDupCount, c);
      while (!AtEnd() && IsDigit(p_[i_])) value += p_[i_++];
    } else if (c == L',') {
      token = Tok::kComma;
    } else if (syn_.basic) {
      if (c != L'\\' || Peek() != L'}' || AtEnd()) return fail_.Set(kRegexErrorBadBrace, kMsgBadBrace);
      ++i_;
      state_ = State::kNormal;
      token = Tok::kIntervalEnd;
    } else if (c == L'}') {
      state_ = State::kNormal;
      token = Tok::kIntervalEnd;
    } else {
      return fail_.Set(kRegexErrorBadBrace, kMsgBadBrace);
    }
    return true;
  }

  bool EatEscape() { return syn_.ecma ? EatEscapeEcma() : EatEscapePosix(); }

  bool EatEscapeEcma() {
    if (AtEnd()) return fail_.Set(kRegexErrorEscape, kMsgEscape);
    const wchar_t c = p_[i_++];
    const bool inBracket = state_ == State::kBracket;
    switch (c) {
      case L'0': Set(Tok::kOrd, 0); return true;
      case L'f': Set(Tok::kOrd, L'\f'); return true;
      case L'n': Set(Tok::kOrd, L'\n'); return true;
      case L'r': Set(Tok::kOrd, L'\r'); return true;
      case L't': Set(Tok::kOrd, L'\t'); return true;
      case L'v': Set(Tok::kOrd, L'\v'); return true;
      case L'b':
        if (inBracket) Set(Tok::kOrd, L'\b');
        else Set(Tok::kWordBound, L'p');
        return true;
      case L'B': Set(Tok::kWordBound, L'n'); return true;
      case L'd': case L'D': case L's': case L'S': case L'w': case L'W':
        Set(Tok::kQuotedClass, c);
        return true;
      case L'c':
        // The character after "\c" stands for itself.
        if (AtEnd())
          return fail_.Set(kRegexErrorEscape,
                           L"invalid '\\cX' control character in regular expression");
        Set(Tok::kOrd, p_[i_++]);
        return true;
      case L'x':
      case L'u': {
        const int n = c == L'x' ? 2 : 4;
        value.clear();
        for (int k = 0; k < n; ++k) {
          if (AtEnd() || !IsHex(p_[i_]))
            return fail_.Set(kRegexErrorEscape,
                             n == 2 ? L"Invalid '\\xNN' control character in regular expression"
                                    : L"Invalid '\\uNNNN' control character in regular expression");
          value += p_[i_++];
        }
        token = Tok::kHex;
        return true;
      }
      default:
        break;
    }
    if (IsDigit(c)) {
      Set(Tok::kBackref, c);
      while (!AtEnd() && IsDigit(p_[i_])) value += p_[i_++];
      return true;
    }
    Set(Tok::kOrd, c);
    return true;
  }

  bool EatEscapePosix() {
    if (AtEnd()) return fail_.Set(kRegexErrorEscape, kMsgEscape);
    const wchar_t c = p_[i_];
    if (c != 0 && syn_.IsSpecial(c)) {
      Set(Tok::kOrd, c);
    } else if (syn_.awk) {
      return EatEscapeAwk();
    } else if (syn_.basic && IsDigit(c) && c != L'0') {
      Set(Tok::kBackref, c);
    } else {
      // Escaping an ordinary character is undefined in POSIX and refused.
      return fail_.Set(kRegexErrorEscape, kMsgEscape);
    }
    ++i_;
    return true;
  }

  bool EatEscapeAwk() {
    const wchar_t c = p_[i_++];
    static constexpr std::pair<wchar_t, wchar_t> kAwkEscapes[] = {
        {L'"', L'"'}, {L'/', L'/'}, {L'\\', L'\\'}, {L'a', L'\a'}, {L'b', L'\b'},
        {L'f', L'\f'}, {L'n', L'\n'}, {L'r', L'\r'}, {L't', L'\t'}, {L'v', L'\v'}};
    for (const auto& [from, to] : kAwkEscapes) {
      if (c == from) {
        Set(Tok::kOrd, to);
        return true;
      }
    }
    if (IsOctal(c)) {
      Set(Tok::kOct, c);
      for (int k = 0; k < 2 && !AtEnd() && IsOctal(p_[i_]); ++k) value += p_[i_++];
      return true;
    }
    return fail_.Set(kRegexErrorEscape, kMsgEscape);
  }

  // "[:name:]", "[.name.]" or "[=name=]" after its "[" and `ch`.
  bool EatClass(wchar_t ch) {
    value.clear();
    while (!AtEnd() && p_[i_] != ch) value += p_[i_++];
    if (AtEnd() || p_[i_++] != ch || AtEnd() || p_[i_++] != L']') {
      return ch == L':' ? fail_.Set(kRegexErrorCtype, L"Invalid character class in regular expression")
                        : fail_.Set(kRegexErrorCollate,
                                    L"Invalid collating element in regular expression");
    }
    return true;
  }

  std::wstring_view p_;
  const Syntax& syn_;
  Failure& fail_;
  size_t i_ = 0;
  State state_ = State::kNormal;
  bool atBracketStart_ = false;
};

// The names of collating elements: the 128 ASCII characters in order.
constexpr const char* kCollateNames[128] = {
    "NUL", "SOH", "STX", "ETX", "EOT", "ENQ", "ACK", "alert", "backspace", "tab", "newline",
    "vertical-tab", "form-feed", "carriage-return", "SO", "SI", "DLE", "DC1", "DC2", "DC3",
    "DC4", "NAK", "SYN", "ETB", "CAN", "EM", "SUB", "ESC", "IS4", "IS3", "IS2", "IS1", "space",
    "exclamation-mark", "quotation-mark", "number-sign", "dollar-sign", "percent-sign",
    "ampersand", "apostrophe", "left-parenthesis", "right-parenthesis", "asterisk", "plus-sign",
    "comma", "hyphen", "period", "slash", "zero", "one", "two", "three", "four", "five", "six",
    "seven", "eight", "nine", "colon", "semicolon", "less-than-sign", "equals-sign",
    "greater-than-sign", "question-mark", "commercial-at", "A", "B", "C", "D", "E", "F", "G",
    "H", "I", "J", "K", "L", "M", "N", "O", "P", "Q", "R", "S", "T", "U", "V", "W", "X", "Y",
    "Z", "left-square-bracket", "backslash", "right-square-bracket", "circumflex",
    "underscore", "grave-accent", "a", "b", "c", "d", "e", "f", "g", "h", "i", "j", "k", "l",
    "m", "n", "o", "p", "q", "r", "s", "t", "u", "v", "w", "x", "y", "z", "left-curly-bracket",
    "vertical-line", "right-curly-bracket", "tilde", "DEL"};

// The character a collating element name stands for; -1 when unknown.
int CollateElement(std::wstring_view name) {
  for (int c = 0; c < 128; ++c) {
    const char* n = kCollateNames[c];
    if (std::strlen(n) != name.size()) continue;
    bool same = true;
    for (size_t k = 0; same && k < name.size(); ++k) same = name[k] == static_cast<wchar_t>(n[k]);
    if (same) return c;
  }
  return -1;
}

// The class bits of a class name ("alpha", "d", ...), 0 when unknown. Names
// are read in lower case; under icase "lower" and "upper" mean "alpha".
uint32_t ClassByName(std::wstring_view name, bool icase) {
  static constexpr std::pair<const char*, uint32_t> kNames[] = {
      {"d", kClassDigit},
      {"w", kClassAlpha | kClassDigit | kClassUnderscore},
      {"s", kClassSpace},
      {"alnum", kClassAlpha | kClassDigit},
      {"alpha", kClassAlpha},
      {"blank", kClassBlank},
      {"cntrl", kClassCntrl},
      {"digit", kClassDigit},
      {"graph", kClassGraph},
      {"lower", kClassLower},
      {"print", kClassPrint},
      {"punct", kClassPunct},
      {"space", kClassSpace},
      {"upper", kClassUpper},
      {"xdigit", kClassXdigit}};
  for (const auto& [n, bits] : kNames) {
    if (std::strlen(n) != name.size()) continue;
    bool same = true;
    for (size_t k = 0; same && k < name.size(); ++k)
      same = RegexLower(name[k]) == static_cast<wchar_t>(n[k]);
    if (!same) continue;
    if (icase && (bits & (kClassLower | kClassUpper))) return kClassAlpha;
    return bits;
  }
  return 0;
}

enum class NodeKind : uint8_t {
  kEmpty, kChar, kAnyEcma, kAnyPosix, kSet, kConcat, kAlt, kRepeat,
  kLineBegin, kLineEnd, kWordBound, kNotWordBound, kLook, kNegLook,
};

struct Node {
  NodeKind kind = NodeKind::kEmpty;
  uint32_t value = 0;  // the character, or the set's index
  uint32_t min = 0, max = 0;
  uint32_t depth = 1;
  std::vector<uint32_t> kids;
};

class Parser {
 public:
  Parser(std::wstring_view pattern, const Syntax& syntax, bool icase, RegexProgram& program,
         Failure& failure)
      : scan_(pattern, syntax, failure), syn_(syntax), icase_(icase), prog_(program),
        fail_(failure) {}

  // The whole pattern; false on an error.
  bool Parse(uint32_t& root) {
    if (!scan_.Advance() || !Disjunction(root, 0)) return false;
    if (scan_.token != Tok::kEof) return fail_.Set(kRegexErrorParen, kMsgParen);
    return true;
  }

  const Node& node(uint32_t i) const { return nodes_[i]; }

 private:
  // Takes the current token when it is `t`, reading the next one.
  bool Take(Tok t, bool& taken) {
    taken = scan_.token == t;
    if (!taken) return true;
    value_ = scan_.value;
    return scan_.Advance();
  }

  uint32_t Add(Node n) {
    for (uint32_t k : n.kids) n.depth = std::max(n.depth, nodes_[k].depth + 1);
    nodes_.push_back(std::move(n));
    return static_cast<uint32_t>(nodes_.size() - 1);
  }
  uint32_t Leaf(NodeKind kind, uint32_t value = 0) {
    Node n;
    n.kind = kind;
    n.value = value;
    return Add(std::move(n));
  }
  bool CheckDepth(uint32_t id) {
    if (nodes_[id].depth > kMaxDepth) return fail_.Set(kRegexErrorComplexity, kMsgDepth);
    return true;
  }

  bool Disjunction(uint32_t& out, uint32_t level) {
    if (level > kMaxGroupDepth) return fail_.Set(kRegexErrorComplexity, kMsgDepth);
    Node alt;
    alt.kind = NodeKind::kAlt;
    for (;;) {
      uint32_t branch;
      if (!Alternative(branch, level)) return false;
      alt.kids.push_back(branch);
      bool more;
      if (!Take(Tok::kOr, more)) return false;
      if (!more) break;
    }
    out = alt.kids.size() == 1 ? alt.kids[0] : Add(std::move(alt));
    return CheckDepth(out);
  }

  bool Alternative(uint32_t& out, uint32_t level) {
    Node seq;
    seq.kind = NodeKind::kConcat;
    for (;;) {
      uint32_t term;
      bool found;
      if (!Term(term, found, level)) return false;
      if (!found) break;
      seq.kids.push_back(term);
    }
    if (seq.kids.empty()) out = Leaf(NodeKind::kEmpty);
    else out = seq.kids.size() == 1 ? seq.kids[0] : Add(std::move(seq));
    return CheckDepth(out);
  }

  bool Term(uint32_t& out, bool& found, uint32_t level) {
    if (!Assertion(out, found, level)) return false;
    if (found) return true;
    if (!Atom(out, found, level)) return false;
    if (!found) return true;
    for (;;) {
      bool more;
      if (!Quantifier(out, more)) return false;
      if (!more) return true;
    }
  }

  bool Assertion(uint32_t& out, bool& found, uint32_t level) {
    found = true;
    bool t;
    if (!Take(Tok::kLineBegin, t)) return false;
    if (t) return (out = Leaf(NodeKind::kLineBegin)), true;
    if (!Take(Tok::kLineEnd, t)) return false;
    if (t) return (out = Leaf(NodeKind::kLineEnd)), true;
    if (!Take(Tok::kWordBound, t)) return false;
    if (t) {
      out = Leaf(value_[0] == L'n' ? NodeKind::kNotWordBound : NodeKind::kWordBound);
      return true;
    }
    if (!Take(Tok::kLookBegin, t)) return false;
    if (t) {
      const bool negative = value_[0] == L'n';
      if (++lookDepth_ > kMaxLookDepth)
        return fail_.Set(kRegexErrorComplexity, L"Lookaheads are nested too deeply in regular expression");
      prog_.lookDepth = std::max(prog_.lookDepth, lookDepth_);
      uint32_t body;
      if (!Disjunction(body, level + 1)) return false;
      --lookDepth_;
      bool end;
      if (!Take(Tok::kGroupEnd, end)) return false;
      if (!end) return fail_.Set(kRegexErrorParen, kMsgParen);
      Node n;
      n.kind = negative ? NodeKind::kNegLook : NodeKind::kLook;
      n.kids.push_back(body);
      out = Add(std::move(n));
      return CheckDepth(out);
    }
    found = false;
    return true;
  }

  // A character token: an ordinary one, or an octal or hexadecimal number.
  bool TryChar(bool& found, wchar_t& c) {
    if (!Take(Tok::kOct, found)) return false;
    if (found) {
      uint32_t v = 0;
      for (wchar_t d : value_) v = v * 8 + static_cast<uint32_t>(d - L'0');
      c = static_cast<wchar_t>(v);
      return true;
    }
    if (!Take(Tok::kHex, found)) return false;
    if (found) {
      uint32_t v = 0;
      for (wchar_t d : value_) v = v * 16 + static_cast<uint32_t>(HexValue(d));
      c = static_cast<wchar_t>(v);
      return true;
    }
    if (!Take(Tok::kOrd, found)) return false;
    if (found) c = value_[0];
    return true;
  }

  bool Atom(uint32_t& out, bool& found, uint32_t level) {
    found = true;
    bool t;
    if (!Take(Tok::kAny, t)) return false;
    if (t) return (out = Leaf(syn_.ecma ? NodeKind::kAnyEcma : NodeKind::kAnyPosix)), true;
    wchar_t c;
    if (!TryChar(t, c)) return false;
    if (t) return (out = Leaf(NodeKind::kChar, static_cast<uint32_t>(c))), true;
    if (!Take(Tok::kBackref, t)) return false;
    if (t) {
      // No group is ever captured, so no number refers to one.
      return fail_.Set(kRegexErrorBackref,
                       L"Back-reference index exceeds current sub-expression count.");
    }
    if (!Take(Tok::kQuotedClass, t)) return false;
    if (t) {
      RegexCharSet set;
      set.icase = icase_;
      set.negated = RegexIsClass(value_[0], kClassUpper);
      set.classes = ClassByName(value_, icase_);
      return (out = AddSet(std::move(set))), true;
    }
    if (!Take(Tok::kNoGroupBegin, t)) return false;
    if (t) {
      uint32_t inner;
      if (!Disjunction(inner, level + 1)) return false;
      bool end;
      if (!Take(Tok::kGroupEnd, end)) return false;
      if (!end) return fail_.Set(kRegexErrorParen, kMsgParen);
      out = inner;
      return true;
    }
    return Bracket(out, found);
  }

  uint32_t AddSet(RegexCharSet set) {
    set.Finish();
    prog_.sets.push_back(std::move(set));
    return Leaf(NodeKind::kSet, static_cast<uint32_t>(prog_.sets.size() - 1));
  }

  bool Bracket(uint32_t& out, bool& found) {
    bool negated;
    if (!Take(Tok::kBracketNegBegin, negated)) return false;
    if (!negated) {
      bool begin;
      if (!Take(Tok::kBracketBegin, begin)) return false;
      if (!begin) {
        found = false;
        return true;
      }
    }
    RegexCharSet set;
    set.icase = icase_;
    set.negated = negated;
    // The character read last may still begin a range "x-y".
    enum class Last { kNone, kChar, kClass } last = Last::kNone;
    wchar_t lastChar = 0;
    auto addChar = [&](wchar_t ch) { set.chars.push_back(icase_ ? RegexLower(ch) : ch); };
    auto pushChar = [&](wchar_t ch) {
      if (last == Last::kChar) addChar(lastChar);
      last = Last::kChar;
      lastChar = ch;
    };
    auto pushClass = [&] {
      if (last == Last::kChar) addChar(lastChar);
      last = Last::kClass;
    };
    auto makeRange = [&](wchar_t lo, wchar_t hi) {
      if (lo > hi)
        return fail_.Set(kRegexErrorRange, L"Invalid range in bracket expression.");
      set.ranges.emplace_back(lo, hi);
      last = Last::kNone;
      return true;
    };

    bool t;
    wchar_t c;
    if (!TryChar(t, c)) return false;
    if (t) {
      last = Last::kChar;
      lastChar = c;
    } else {
      if (!Take(Tok::kBracketDash, t)) return false;
      if (t) {
        last = Last::kChar;
        lastChar = L'-';
      }
    }
    for (;;) {
      if (!Take(Tok::kBracketEnd, t)) return false;
      if (t) break;
      if (!Take(Tok::kCollSymbol, t)) return false;
      if (t) {
        const int e = CollateElement(value_);
        if (e < 0) return fail_.Set(kRegexErrorCollate, L"Invalid collate element.");
        addChar(static_cast<wchar_t>(e));
        pushChar(static_cast<wchar_t>(e));
        continue;
      }
      if (!Take(Tok::kEquivName, t)) return false;
      if (t) {
        pushClass();
        const int e = CollateElement(value_);
        if (e < 0) return fail_.Set(kRegexErrorCollate, L"Invalid equivalence class.");
        set.equivalents.push_back(RegexLower(static_cast<wchar_t>(e)));
        continue;
      }
      if (!Take(Tok::kClassName, t)) return false;
      if (t) {
        pushClass();
        const uint32_t bits = ClassByName(value_, icase_);
        if (!bits) return fail_.Set(kRegexErrorCollate, L"Invalid character class.");
        set.classes |= bits;
        continue;
      }
      if (!TryChar(t, c)) return false;
      if (t) {
        pushChar(c);
        continue;
      }
      if (!Take(Tok::kBracketDash, t)) return false;
      if (t) {
        bool end;
        if (!Take(Tok::kBracketEnd, end)) return false;
        if (end) {
          pushChar(L'-');
          break;
        }
        if (last == Last::kClass)
          return fail_.Set(kRegexErrorRange,
                           L"Invalid start of '[x-x]' range in regular expression");
        if (last == Last::kChar) {
          if (!TryChar(t, c)) return false;
          if (t) {
            if (!makeRange(lastChar, c)) return false;
            continue;
          }
          if (!Take(Tok::kBracketDash, t)) return false;
          if (t) {
            if (!makeRange(lastChar, L'-')) return false;
            continue;
          }
          return fail_.Set(kRegexErrorRange, L"Invalid end of '[x-x]' range in regular expression");
        }
        if (!syn_.ecma)
          return fail_.Set(kRegexErrorRange,
                           L"Invalid location of '-' within '[...]' in POSIX regular expression");
        pushChar(L'-');
        continue;
      }
      if (!Take(Tok::kQuotedClass, t)) return false;
      if (t) {
        pushClass();
        const uint32_t bits = ClassByName(value_, icase_);
        if (RegexIsClass(value_[0], kClassUpper)) set.negatedClasses.push_back(bits);
        else set.classes |= bits;
        continue;
      }
      return fail_.Set(kRegexErrorBrack,
                       L"Unexpected character within '[...]' in regular expression");
    }
    if (last == Last::kChar) addChar(lastChar);
    out = AddSet(std::move(set));
    return true;
  }

  // Reads a count in braces, saturating far above any count that compiles.
  static uint32_t Count(const std::wstring& digits) {
    uint64_t v = 0;
    for (wchar_t d : digits) v = std::min<uint64_t>(v * 10 + static_cast<uint64_t>(d - L'0'), kInfinite - 1);
    return static_cast<uint32_t>(v);
  }

  bool Quantifier(uint32_t& atom, bool& found) {
    found = true;
    uint32_t min = 0, max = kInfinite;
    bool t;
    if (!Take(Tok::kStar, t)) return false;
    if (t) {
      min = 0;
    } else {
      if (!Take(Tok::kPlus, t)) return false;
      if (t) {
        min = 1;
      } else {
        if (!Take(Tok::kOpt, t)) return false;
        if (t) {
          max = 1;
        } else {
          if (!Take(Tok::kIntervalBegin, t)) return false;
          if (!t) {
            found = false;
            return true;
          }
          bool count;
          if (!Take(Tok::kDupCount, count)) return false;
          if (!count) return fail_.Set(kRegexErrorBadBrace, kMsgBadBrace);
          min = max = Count(value_);
          bool comma;
          if (!Take(Tok::kComma, comma)) return false;
          if (comma) {
            if (!Take(Tok::kDupCount, count)) return false;
            max = count ? Count(value_) : kInfinite;
          }
          bool end;
          if (!Take(Tok::kIntervalEnd, end)) return false;
          if (!end) return fail_.Set(kRegexErrorBrace, kMsgBrace);
          if (max < min) return fail_.Set(kRegexErrorBadBrace, kMsgBadBrace);
        }
      }
    }
    // ECMAScript's lazy form ("*?") finds the same texts.
    if (syn_.ecma && !Take(Tok::kOpt, t)) return false;
    Node n;
    n.kind = NodeKind::kRepeat;
    n.min = min;
    n.max = max;
    n.kids.push_back(atom);
    atom = Add(std::move(n));
    return CheckDepth(atom);
  }

  Scanner scan_;
  const Syntax& syn_;
  bool icase_;
  RegexProgram& prog_;
  Failure& fail_;
  std::vector<Node> nodes_;
  std::wstring value_;
  int lookDepth_ = 0;
};

// Lays the tree out as instructions.
class Emitter {
 public:
  Emitter(const Parser& parser, bool icase, RegexProgram& program, Failure& failure)
      : parser_(parser), icase_(icase), code_(program.code), fail_(failure) {}

  bool Emit(uint32_t id) {
    // Every node laid out counts, also those that produce no instruction,
    // so that "(){99999}" nested in braces cannot run for ever.
    if (++work_ > kMaxInstructions * 4 || code_.size() > kMaxInstructions)
      return fail_.Set(kRegexErrorSpace, kMsgSpace);
    const Node& n = parser_.node(id);
    switch (n.kind) {
      case NodeKind::kEmpty: return true;
      case NodeKind::kChar:
        if (icase_) Put(kOpCharFold, RegexLower(static_cast<wchar_t>(n.value)));
        else Put(kOpChar, n.value);
        return true;
      case NodeKind::kAnyEcma: Put(kOpAnyEcma); return true;
      case NodeKind::kAnyPosix: Put(kOpAnyPosix); return true;
      case NodeKind::kSet: Put(kOpSet, n.value); return true;
      case NodeKind::kLineBegin: Put(kOpLineBegin); return true;
      case NodeKind::kLineEnd: Put(kOpLineEnd); return true;
      case NodeKind::kWordBound: Put(kOpWordBound); return true;
      case NodeKind::kNotWordBound: Put(kOpNotWordBound); return true;
      case NodeKind::kConcat:
        for (uint32_t k : n.kids)
          if (!Emit(k)) return false;
        return true;
      case NodeKind::kAlt: return EmitAlt(n);
      case NodeKind::kRepeat: return EmitRepeat(n);
      case NodeKind::kLook:
      case NodeKind::kNegLook: {
        const uint32_t look = Put(n.kind == NodeKind::kLook ? kOpLook : kOpNegLook);
        if (!Emit(n.kids[0])) return false;
        Put(kOpLookEnd);
        code_[look].y = Here();
        return true;
      }
    }
    return true;
  }

  uint32_t Put(RegexOp op, uint32_t x = 0, uint32_t y = 0) {
    code_.push_back({op, x, y});
    return static_cast<uint32_t>(code_.size() - 1);
  }
  uint32_t Here() const { return static_cast<uint32_t>(code_.size()); }

 private:
  bool EmitAlt(const Node& n) {
    std::vector<uint32_t> exits;
    for (size_t k = 0; k < n.kids.size(); ++k) {
      if (k + 1 < n.kids.size()) {
        const uint32_t split = Put(kOpSplit);
        code_[split].x = Here();
        if (!Emit(n.kids[k])) return false;
        exits.push_back(Put(kOpJump));
        code_[split].y = Here();
      } else if (!Emit(n.kids[k])) {
        return false;
      }
    }
    for (uint32_t j : exits) code_[j].x = Here();
    return true;
  }

  bool EmitRepeat(const Node& n) {
    const uint32_t body = n.kids[0];
    for (uint32_t k = 0; k < n.min; ++k)
      if (!Emit(body)) return false;
    if (n.max == kInfinite) {
      const uint32_t split = Put(kOpSplit);
      code_[split].x = Here();
      if (!Emit(body)) return false;
      Put(kOpJump, split);
      code_[split].y = Here();
      return true;
    }
    std::vector<uint32_t> skips;
    for (uint32_t k = n.min; k < n.max; ++k) {
      const uint32_t split = Put(kOpSplit);
      code_[split].x = Here();
      skips.push_back(split);
      if (!Emit(body)) return false;
    }
    for (uint32_t s : skips) code_[s].y = Here();
    return true;
  }

  const Parser& parser_;
  bool icase_;
  std::vector<RegexInst>& code_;
  Failure& fail_;
  size_t work_ = 0;
};

// Which characters the first consuming instructions accept, unless the
// pattern can match without consuming any.
void FindFirstCharacters(RegexProgram& p) {
  std::vector<uint8_t> seen(p.code.size(), 0);
  std::vector<uint32_t> stack{0};
  uint64_t ascii[2] = {0, 0};
  bool nonAscii = false;
  auto allow = [&](uint32_t c) { ascii[c >> 6] |= uint64_t{1} << (c & 63); };
  while (!stack.empty()) {
    const uint32_t pc = stack.back();
    stack.pop_back();
    if (seen[pc]) continue;
    seen[pc] = 1;
    const RegexInst& in = p.code[pc];
    switch (in.op) {
      case kOpChar:
        if (in.x < 128) allow(in.x);
        else nonAscii = true;
        break;
      case kOpCharFold:
        if (in.x < 128) {
          allow(in.x);
          allow(static_cast<uint32_t>(RegexUpper(static_cast<wchar_t>(in.x))));
        } else {
          nonAscii = true;
        }
        break;
      case kOpAnyEcma:
      case kOpAnyPosix:
        return;  // nearly every character: nothing to skip
      case kOpSet: {
        const RegexCharSet& s = p.sets[in.x];
        ascii[0] |= s.ascii[0];
        ascii[1] |= s.ascii[1];
        nonAscii = true;
        break;
      }
      case kOpSplit:
        stack.push_back(in.y);
        stack.push_back(in.x);
        break;
      case kOpJump: stack.push_back(in.x); break;
      case kOpLook:
      case kOpNegLook: stack.push_back(in.y); break;  // the body reads ahead, it does not consume
      case kOpLookEnd:
      case kOpMatch: return;  // an empty match is possible
      default: stack.push_back(pc + 1); break;  // assertions
    }
  }
  p.firstKnown = true;
  p.firstAscii[0] = ascii[0];
  p.firstAscii[1] = ascii[1];
  p.firstNonAscii = nonAscii;
}

}  // namespace

bool CompileRegexProgram(std::wstring_view pattern, uint32_t grammar, bool caseSensitive,
                         RegexProgram& program, RegexError& error) {
  program = RegexProgram();
  Failure failure;
  const Syntax syntax(grammar);
  Parser parser(pattern, syntax, !caseSensitive, program, failure);
  uint32_t root = 0;
  bool ok = parser.Parse(root);
  if (ok) {
    Emitter emitter(parser, !caseSensitive, program, failure);
    ok = emitter.Emit(root);
    if (ok) emitter.Put(kOpMatch);
    if (ok && program.code.size() > kMaxInstructions) ok = failure.Set(kRegexErrorSpace, kMsgSpace);
  }
  if (!ok) {
    error = failure.error;
    program = RegexProgram();
    return false;
  }
  FindFirstCharacters(program);
  return true;
}

}  // namespace tarnix

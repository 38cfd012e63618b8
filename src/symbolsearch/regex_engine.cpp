#include "symbolsearch/regex_engine.h"

#include <utility>
#include <vector>

#include "symbolsearch/regex_program.h"

namespace tarnix {
namespace {

// The states alive at one position, each once, in the order they were
// reached; clearing is O(1).
struct StateSet {
  std::vector<uint32_t> dense, sparse;
  uint32_t size = 0;

  void Reset(size_t states) {
    if (sparse.size() < states) {
      sparse.resize(states);
      dense.resize(states);
    }
    size = 0;
  }
  bool Has(uint32_t pc) const {
    const uint32_t i = sparse[pc];
    return i < size && dense[i] == pc;
  }
  void Add(uint32_t pc) {
    sparse[pc] = size;
    dense[size++] = pc;
  }
};

// One automaton run: the main search, or a lookahead read from one position.
struct Level {
  StateSet current, next;
  std::vector<uint32_t> pending;
};

// Kept per thread, so that matching a subject allocates nothing once the
// sets have grown to the largest pattern used.
thread_local std::vector<Level> t_levels;

enum class Mode { kSearch, kWhole, kLook };

class Automaton {
 public:
  Automaton(const RegexProgram& p, std::wstring_view s, uint64_t bound)
      : p_(p), s_(s), bound_(bound) {
    if (t_levels.size() < static_cast<size_t>(p.lookDepth) + 1)
      t_levels.resize(static_cast<size_t>(p.lookDepth) + 1);
  }

  // 1 matched, 0 not, kRegexUndecided when the bound ran out.
  int Run(uint32_t start, size_t from, Mode mode, int level) {
    Level& l = t_levels[static_cast<size_t>(level)];
    l.current.Reset(p_.code.size());
    l.next.Reset(p_.code.size());
    const size_t n = s_.size();
    for (size_t pos = from;; ++pos) {
      if (mode == Mode::kSearch || pos == from) {
        if (mode == Mode::kSearch && l.current.size == 0 && p_.firstKnown) {
          // Nothing alive: go straight to the next character a match can
          // begin with.
          while (pos < n && !MayBegin(s_[pos])) ++pos;
          if (pos == n) return 0;
        }
        const int r = Add(l, l.current, start, pos, mode, level);
        if (r != 0) return r;
      }
      if (pos == n) return 0;
      if (l.current.size == 0) {
        if (mode != Mode::kSearch) return 0;
        continue;
      }
      used_ += l.current.size;
      if (used_ > bound_) return kRegexUndecided;
      const wchar_t c = s_[pos];
      l.next.size = 0;
      for (uint32_t i = 0; i < l.current.size; ++i) {
        const uint32_t pc = l.current.dense[i];
        if (!Consumes(p_.code[pc], c)) continue;
        const int r = Add(l, l.next, pc + 1, pos + 1, mode, level);
        if (r != 0) return r;
      }
      std::swap(l.current, l.next);
    }
  }

 private:
  bool MayBegin(wchar_t c) const {
    const auto u = static_cast<uint32_t>(c);
    return u < 128 ? (p_.firstAscii[u >> 6] >> (u & 63)) & 1 : p_.firstNonAscii;
  }

  bool Consumes(const RegexInst& in, wchar_t c) const {
    switch (in.op) {
      case kOpChar: return static_cast<uint32_t>(c) == in.x;
      case kOpCharFold: return static_cast<uint32_t>(RegexLower(c)) == in.x;
      case kOpAnyEcma: return c != L'\n' && c != L'\r' && c != L'\u2028' && c != L'\u2029';
      case kOpAnyPosix: return c != 0;
      case kOpSet: return p_.sets[in.x].Accepts(c);
      default: return false;
    }
  }

  bool AtWordBound(size_t pos) const {
    const bool left = pos > 0 && RegexIsWord(s_[pos - 1]);
    const bool right = pos < s_.size() && RegexIsWord(s_[pos]);
    return left != right;
  }

  // Follows every instruction that consumes nothing from `pc` at `pos` and
  // keeps the states reached in `set`. 1 when the run's goal is reached.
  int Add(Level& l, StateSet& set, uint32_t pc, size_t pos, Mode mode, int level) {
    l.pending.clear();
    l.pending.push_back(pc);
    while (!l.pending.empty()) {
      pc = l.pending.back();
      l.pending.pop_back();
      if (set.Has(pc)) continue;
      set.Add(pc);
      if (++used_ > bound_) return kRegexUndecided;
      const RegexInst& in = p_.code[pc];
      switch (in.op) {
        case kOpSplit:
          l.pending.push_back(in.y);
          l.pending.push_back(in.x);
          break;
        case kOpJump: l.pending.push_back(in.x); break;
        case kOpLineBegin:
          if (pos == 0) l.pending.push_back(pc + 1);
          break;
        case kOpLineEnd:
          if (pos == s_.size()) l.pending.push_back(pc + 1);
          break;
        case kOpWordBound:
          if (AtWordBound(pos)) l.pending.push_back(pc + 1);
          break;
        case kOpNotWordBound:
          if (!AtWordBound(pos)) l.pending.push_back(pc + 1);
          break;
        case kOpLook:
        case kOpNegLook: {
          // The body runs on a level of its own; this level's pending list
          // is untouched meanwhile.
          const int r = Run(pc + 1, pos, Mode::kLook, level + 1);
          if (r < 0) return r;
          if ((r == 1) == (in.op == kOpLook)) l.pending.push_back(in.y);
          break;
        }
        case kOpLookEnd: return 1;
        case kOpMatch:
          if (mode == Mode::kWhole && pos != s_.size()) break;
          return 1;
        default: break;  // consumes a character: stays in the set
      }
    }
    return 0;
  }

  const RegexProgram& p_;
  std::wstring_view s_;
  uint64_t bound_;
  uint64_t used_ = 0;
};

}  // namespace

bool Regex::Compile(std::wstring_view pattern, uint32_t grammar, bool caseSensitive,
                    RegexError& error) {
  program_.reset();
  auto program = std::make_shared<RegexProgram>();
  if (!CompileRegexProgram(pattern, grammar, caseSensitive, *program, error)) return false;
  program_ = std::move(program);
  return true;
}

RegexAnswer Regex::Search(std::wstring_view subject, uint64_t workBound) const {
  return Run(subject, false, workBound);
}

RegexAnswer Regex::Match(std::wstring_view subject, uint64_t workBound) const {
  return Run(subject, true, workBound);
}

RegexAnswer Regex::Run(std::wstring_view subject, bool whole, uint64_t workBound) const {
  if (!program_) return kRegexNoMatch;
  Automaton automaton(*program_, subject, workBound);
  const int r = automaton.Run(0, 0, whole ? Mode::kWhole : Mode::kSearch, 0);
  return static_cast<RegexAnswer>(r);
}

bool Regex::AlwaysDecides(size_t length, uint64_t workBound) const {
  if (!program_) return true;
  // Per position of a run every state is reached at most once and tested
  // at most once; each lookahead reached starts a run of its own.
  const uint64_t states = program_->code.size();
  if (length >= workBound || states >= workBound) return false;
  const uint64_t perRun = 2 * states * (length + 1);
  uint64_t total = perRun;
  for (int d = 0; d < program_->lookDepth; ++d) {
    if (total > workBound) return false;
    total = perRun * (total + 1);
  }
  return total <= workBound;
}

const wchar_t* RegexUndecidedText() {
  return L"Not decided within the work bound of the regular expression engine";
}

}  // namespace tarnix

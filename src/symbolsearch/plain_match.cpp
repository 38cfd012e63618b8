#include "symbolsearch/plain_match.h"

#include <cstddef>

#include "platform/char_class.h"

namespace tarnix {
namespace {

// The state of one scan. a: position in the pattern; s: start of the
// attempt in the text; k: offset from s of the current text character;
// r, rk: a and k right after the last run of "*" (0 before any).
class PlainMatcher {
 public:
  PlainMatcher(uint32_t flags, std::wstring_view text, std::wstring_view pattern)
      : text_(text), pat_(pattern),
        caseSensitive_(flags & kPlainCaseSensitive), wholeWords_(flags & kPlainWholeWords) {}

  int Run() {
    for (;;) {
      if (a_ == pat_.size()) {
        if (AtWordEnd(s_ + k_)) return 1;
        if (!Retry()) return 0;
        continue;
      }
      const wchar_t p = pat_[a_];
      if (p == L'*') {
        // The whole run of "*" and "?"; each "?" takes one character.
        size_t questions = 0;
        wchar_t last = p;
        while (a_ < pat_.size() && (pat_[a_] == L'*' || pat_[a_] == L'?')) {
          last = pat_[a_];
          if (last == L'?') ++questions;
          ++a_;
        }
        k_ += questions;
        if (a_ == pat_.size()) {
          if (questions && s_ + k_ > text_.size()) {
            if (!Retry()) return 0;
            continue;
          }
          if (last == L'*') return 1;
          continue;  // ends with "?": the end-of-pattern test at s + k
        }
        r_ = a_;
        rk_ = k_;
        continue;
      }
      const size_t at = s_ + k_;
      if (at >= text_.size()) {
        // "?" needs a character: a later start might still give one only
        // in theory, Retry ends the scan once the start passes the text.
        if (p == L'?') {
          if (!Retry()) return 0;
          continue;
        }
        return 0;
      }
      if (p != L'?' && !Same(text_[at], p)) {
        if (!Retry()) return 0;
        continue;
      }
      // Matched character. With whole words the first pattern character may
      // not follow a word character; the attempt then starts one later.
      if (wholeWords_ && a_ == 0 && s_ > 0 && IsWordChar(text_[s_ - 1])) {
        if (!Retry()) return 0;
        continue;
      }
      ++a_;
      ++k_;
    }
  }

 private:
  bool Same(wchar_t t, wchar_t p) const {
    return caseSensitive_ ? t == p : EqualIgnoreCase(t, p);
  }

  bool AtWordEnd(size_t at) const {
    return !wholeWords_ || at >= text_.size() || !IsWordChar(text_[at]);
  }

  // A new attempt one character later, from the last "*" (or the pattern's
  // start). False when the start has passed the end of the text: no later
  // attempt can match.
  bool Retry() {
    a_ = r_;
    k_ = rk_;
    ++s_;
    return s_ <= text_.size();
  }

  std::wstring_view text_;
  std::wstring_view pat_;
  bool caseSensitive_;
  bool wholeWords_;
  size_t a_ = 0, s_ = 0, k_ = 0, r_ = 0, rk_ = 0;
};

}  // namespace

int PlainMatch(uint32_t flags, std::wstring_view text, std::wstring_view pattern) {
  if (text.empty()) return pattern.empty() ? 1 : 0;
  if (pattern.empty()) return 0;
  return PlainMatcher(flags, text, pattern).Run();
}

}  // namespace tarnix

#include "symbolsearch/plain_match.h"

#include <algorithm>
#include <cstddef>

#include "platform/char_class.h"
#include "platform/text_encoding.h"

namespace tarnix {
namespace {

constexpr size_t kNotFound = SIZE_MAX;
// Parts up to this many 64-bit words scan with a state on the stack.
constexpr size_t kStackWords = 16;

bool IsStarRun(wchar_t c) { return c == L'*' || c == L'?'; }

// Every byte of Windows-1252 as the character it converts to.
const std::wstring& AnsiCharacters() {
  static const std::wstring table = [] {
    std::string bytes(256, '\0');
    for (size_t b = 0; b < 256; ++b) bytes[b] = static_cast<char>(b);
    std::wstring out;
    AppendCp1252(out, bytes);
    return out;
  }();
  return table;
}

}  // namespace

wchar_t PlainPattern::Key(wchar_t c) const { return caseSensitive_ ? c : FoldCase(c); }

void PlainPattern::Prepare(uint32_t flags, std::wstring_view pattern) {
  caseSensitive_ = flags & kPlainCaseSensitive;
  wholeWords_ = flags & kPlainWholeWords;
  empty_ = pattern.empty();
  trailingRun_ = false;
  trailingQuestions_ = 0;
  trailingQuestionLast_ = false;
  parts_.clear();
  masks_.clear();

  auto addPart = [&](std::wstring_view text, size_t skip) {
    Part part;
    part.length = text.size();
    part.words = (text.size() + 63) / 64;
    part.masks = masks_.size();
    part.skip = skip;
    // Mask 0: the "?" positions; one more per distinct key, each with the
    // "?" positions too.
    std::vector<wchar_t> keys;
    for (wchar_t c : text)
      if (c != L'?') keys.push_back(Key(c));
    std::sort(keys.begin(), keys.end());
    keys.erase(std::unique(keys.begin(), keys.end()), keys.end());
    masks_.resize(masks_.size() + part.words * (keys.size() + 1), 0);
    for (size_t i = 0; i < text.size(); ++i) {
      const uint64_t bit = uint64_t{1} << (i % 64);
      const size_t word = i / 64;
      if (text[i] == L'?') {
        for (size_t m = 0; m <= keys.size(); ++m) masks_[part.masks + m * part.words + word] |= bit;
      } else {
        const size_t m = static_cast<size_t>(
            std::lower_bound(keys.begin(), keys.end(), Key(text[i])) - keys.begin() + 1);
        masks_[part.masks + m * part.words + word] |= bit;
      }
    }
    for (size_t k = 0; k < keys.size(); ++k)
      if (static_cast<uint32_t>(keys[k]) >= 128)
        part.others.emplace_back(keys[k], static_cast<uint32_t>(k + 1));
    // Every ASCII character answers from the table, folded or not.
    for (uint32_t c = 0; c < 128; ++c) {
      const wchar_t key = Key(static_cast<wchar_t>(c));
      auto it = std::lower_bound(keys.begin(), keys.end(), key);
      if (it != keys.end() && *it == key)
        part.ascii[c] = static_cast<uint16_t>(it - keys.begin() + 1);
    }
    // So does every byte of an 8-bit name, by the character it stands for.
    const std::wstring& ansi = AnsiCharacters();
    for (size_t b = 0; b < ansi.size() && b < 256; ++b) part.ansi[b] = static_cast<uint16_t>(MaskNumber(part, ansi[b]));
    parts_.push_back(std::move(part));
  };
  const std::wstring& ansi = AnsiCharacters();
  for (size_t b = 0; b < ansi.size() && b < 256; ++b) ansiWord_[b] = IsWordChar(ansi[b]);

  size_t i = 0;
  while (i < pattern.size() && pattern[i] != L'*') ++i;
  addPart(pattern.substr(0, i), 0);
  while (i < pattern.size()) {
    // A run of "*" and "?" that starts with "*".
    size_t questions = 0;
    wchar_t last = L'*';
    while (i < pattern.size() && IsStarRun(pattern[i])) {
      last = pattern[i];
      if (last == L'?') ++questions;
      ++i;
    }
    if (i == pattern.size()) {
      trailingRun_ = true;
      trailingQuestions_ = questions;
      trailingQuestionLast_ = last == L'?';
      break;
    }
    const size_t start = i;
    while (i < pattern.size() && pattern[i] != L'*') ++i;
    addPart(pattern.substr(start, i - start), questions);
  }
}

size_t PlainPattern::MaskNumber(const Part& part, wchar_t c) const {
  if (static_cast<uint32_t>(c) < 128) return part.ascii[c];
  const wchar_t key = Key(c);
  // A character that folds to an ASCII one (the Kelvin sign).
  if (static_cast<uint32_t>(key) < 128) return part.ascii[key];
  auto it = std::lower_bound(part.others.begin(), part.others.end(), key,
                             [](const std::pair<wchar_t, uint32_t>& e, wchar_t k) { return e.first < k; });
  return it != part.others.end() && it->first == key ? it->second : 0;
}

const uint64_t* PlainPattern::MaskOf(const Part& part, wchar_t c) const {
  if (static_cast<uint32_t>(c) < 128) return &masks_[part.masks + part.ascii[c] * part.words];
  return &masks_[part.masks + MaskNumber(part, c) * part.words];
}

bool PlainPattern::IsWord(wchar_t c) const { return IsWordChar(c); }

template <class Char, class Accept>
size_t PlainPattern::Find(const Part& part, std::basic_string_view<Char> text, size_t from,
                          Accept accept) const {
  const size_t n = text.size();
  if (part.length == 0) {
    // The empty text before the first "*" occurs at every position.
    for (size_t o = from; o <= n; ++o)
      if (accept(o)) return o;
    return kNotFound;
  }
  if (from > n || n - from < part.length) return kNotFound;
  const size_t words = part.words;
  const size_t top = part.length - 1;
  if (words == 1) {
    uint64_t state = 0;
    for (size_t j = from; j < n; ++j) {
      state = ((state << 1) | 1) & MaskOf(part, text[j])[0];
      if ((state >> top) & 1) {
        const size_t o = j - top;
        if (accept(o)) return o;
      }
    }
    return kNotFound;
  }
  uint64_t stack[kStackWords];
  std::vector<uint64_t> heap;
  uint64_t* state = stack;
  if (words > kStackWords) {
    heap.resize(words);
    state = heap.data();
  }
  std::fill(state, state + words, 0);
  for (size_t j = from; j < n; ++j) {
    const uint64_t* mask = MaskOf(part, text[j]);
    for (size_t w = words - 1; w > 0; --w)
      state[w] = ((state[w] << 1) | (state[w - 1] >> 63)) & mask[w];
    state[0] = ((state[0] << 1) | 1) & mask[0];
    if ((state[top / 64] >> (top % 64)) & 1) {
      const size_t o = j - top;
      if (accept(o)) return o;
    }
  }
  return kNotFound;
}

template <class Char>
bool PlainPattern::AtWordEnd(std::basic_string_view<Char> text, size_t at) const {
  return !wholeWords_ || at >= text.size() || !IsWord(text[at]);
}

// What follows the last part: the end of the pattern (a word end under
// whole words), or the trailing run of stars, whose "?"s need characters.
template <class Char>
bool PlainPattern::TailFits(std::basic_string_view<Char> text, size_t end) const {
  if (!trailingRun_) return AtWordEnd(text, end);
  const size_t after = end + trailingQuestions_;
  if (after > text.size()) return false;
  return !trailingQuestionLast_ || AtWordEnd(text, after);
}

int PlainPattern::Match(std::wstring_view text) const { return MatchText(text); }

int PlainPattern::MatchCp1252(std::string_view text) const { return MatchText(text); }

template <class Char>
int PlainPattern::MatchText(std::basic_string_view<Char> text) const {
  if (text.empty()) return empty_ ? 1 : 0;
  if (empty_) return 0;
  const size_t last = parts_.size() - 1;
  // Under whole words the first part may not start right after a word
  // character; a pattern that starts with "*" has no such start.
  auto startFits = [&](size_t i, size_t o) {
    return i != 0 || !wholeWords_ || parts_[0].length == 0 || o == 0 || !IsWord(text[o - 1]);
  };
  size_t pos = 0;
  for (size_t i = 0; i < last; ++i) {
    const Part& part = parts_[i];
    pos += part.skip;
    if (i == 0 && part.length == 0) continue;  // the pattern starts with "*"
    const size_t o = Find(part, text, pos, [&](size_t at) { return startFits(i, at); });
    if (o == kNotFound) return 0;
    pos = o + part.length;
  }
  const Part& part = parts_[last];
  pos += part.skip;
  const size_t o = Find(part, text, pos, [&](size_t at) {
    return startFits(last, at) && TailFits(text, at + part.length);
  });
  return o == kNotFound ? 0 : 1;
}

int PlainMatch(uint32_t flags, std::wstring_view text, std::wstring_view pattern) {
  if (text.empty()) return pattern.empty() ? 1 : 0;
  return PlainPattern(flags, pattern).Match(text);
}

}  // namespace tarnix

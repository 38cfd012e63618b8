#include "symbolsearch/search_string.h"

#include "core/wformat.h"
#include "platform/char_class.h"
#include "symbolsearch/plain_match.h"

namespace tarnix {
namespace {

bool IsComponentBlank(wchar_t c) { return c == L' ' || c == L'\t' || c == L'\n' || c == L'\r'; }

void AddComponent(std::wstring_view part, std::vector<std::wstring>& out) {
  size_t b = 0, e = part.size();
  while (b < e && IsComponentBlank(part[b])) ++b;
  while (e > b && IsComponentBlank(part[e - 1])) --e;
  if (e > b) out.emplace_back(part.substr(b, e - b));
}

}  // namespace

std::wstring RegexErrorText(const RegexError& error) {
  return WFormat(L"(%d) %ls", error.code, error.message.c_str());
}

std::wstring RegexUndecidedError(const std::wstring& component) {
  return WFormat(L"Regex: \"%ls\", (%d) %ls", component.c_str(),
                 static_cast<int>(kRegexErrorComplexity), RegexUndecidedText());
}

std::wstring TrimSearchText(std::wstring_view text) { return std::wstring(TrimWhiteSpace(text)); }

std::vector<std::wstring> SplitSearchString(std::wstring_view text) {
  std::vector<std::wstring> parts;
  size_t start = 0;
  for (size_t i = 0; i + 1 < text.size();) {
    if (text[i] == L'|' && text[i + 1] == L'|') {
      AddComponent(text.substr(start, i - start), parts);
      i += 2;
      start = i;
    } else {
      ++i;
    }
  }
  if (start < text.size()) AddComponent(text.substr(start), parts);
  return parts;
}

bool CompileSearchString(const std::vector<std::wstring>& parts, uint32_t grammar,
                         bool caseSensitive, SearchStringComponents& out,
                         RegexCompileError& error) {
  out.clear();
  out.reserve(parts.size());
  for (size_t i = 0; i < parts.size(); ++i) {
    SearchStringComponent component{parts[i], Regex()};
    RegexError failure;
    if (!component.regex.Compile(parts[i], grammar, caseSensitive, failure)) {
      error.component = static_cast<int>(i);
      error.code = failure.code;
      error.text = RegexErrorText(failure);
      out.clear();
      return false;
    }
    out.push_back(std::move(component));
  }
  return true;
}

bool ValidateSearchString(std::wstring_view text, uint32_t grammar, bool caseSensitive,
                          RegexCompileError& error) {
  SearchStringComponents compiled;
  return CompileSearchString(SplitSearchString(text), grammar, caseSensitive, compiled, error);
}

bool DeriveMatchAll(std::wstring_view trimmedText, bool regex, bool emptyMatchesAll) {
  if (trimmedText.empty()) return emptyMatchesAll;
  return regex ? trimmedText == L".*" : trimmedText == L"*";
}

bool SearchString::Prepare(const SearchStringSpec& spec, uint32_t grammar, bool emptyMatchesAll,
                           RegexCompileError& error) {
  text_ = TrimSearchText(spec.text);
  regex_ = spec.regex;
  plainFlags_ = (spec.caseSensitive ? kPlainCaseSensitive : 0) |
                (spec.wholeWords ? kPlainWholeWords : 0);
  emptyMatchesAll_ = emptyMatchesAll;
  matchesAll_ = DeriveMatchAll(text_, regex_, emptyMatchesAll);
  components_.clear();
  plain_.Prepare(plainFlags_, regex_ ? std::wstring_view() : std::wstring_view(text_));
  if (!regex_) return true;
  return CompileSearchString(SplitSearchString(text_), grammar, spec.caseSensitive, components_,
                             error);
}

int SearchString::Match(std::wstring_view text, std::wstring& error) const {
  // An empty text matches only while empty strings match everything, and
  // then only what the string itself lets through (an empty or match-all
  // string, or a regular expression that accepts the empty text).
  if (text.empty() && !emptyMatchesAll_) return 0;
  if (matchesAll_) return 1;
  if (regex_) {
    if (components_.empty()) return emptyMatchesAll_ ? 1 : 0;
    // A later component may still find the text when an earlier one could
    // not decide it.
    const SearchStringComponent* undecided = nullptr;
    for (const auto& c : components_) {
      const RegexAnswer r = c.regex.Search(text, workBound_);
      if (r == kRegexMatch) return 1;
      if (r == kRegexUndecided && !undecided) undecided = &c;
    }
    if (!undecided) return 0;
    error = RegexUndecidedError(undecided->source);
    return kMatchUndecided;
  }
  if (text_.empty()) return emptyMatchesAll_ ? 1 : 0;
  return plain_.Match(text);
}

int SearchString::MatchCp1252(std::string_view text) const {
  // Each byte converts to one character: the same tests as Match().
  if (text.empty() && !emptyMatchesAll_) return 0;
  if (matchesAll_) return 1;
  if (regex_) return -1;
  if (text_.empty()) return emptyMatchesAll_ ? 1 : 0;
  return plain_.MatchCp1252(text);
}

}  // namespace tarnix

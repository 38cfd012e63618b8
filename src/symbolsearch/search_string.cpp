#include "symbolsearch/search_string.h"

#include "core/wformat.h"
#include "platform/char_class.h"
#include "platform/text_encoding.h"
#include "symbolsearch/plain_match.h"
#include "symbolsearch/regex_grammar.h"

namespace tarnix {
namespace {

bool IsComponentBlank(wchar_t c) { return c == L' ' || c == L'\t' || c == L'\n' || c == L'\r'; }

void AddComponent(std::wstring_view part, std::vector<std::wstring>& out) {
  size_t b = 0, e = part.size();
  while (b < e && IsComponentBlank(part[b])) ++b;
  while (e > b && IsComponentBlank(part[e - 1])) --e;
  if (e > b) out.emplace_back(part.substr(b, e - b));
}

std::wstring RegexErrorText(const std::regex_error& e) {
  return WFormat(L"(%d) %ls", static_cast<int>(e.code()), FromUtf8(e.what()).c_str());
}

}  // namespace

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
  const auto flags = RegexSyntaxFlags(grammar, caseSensitive);
  out.reserve(parts.size());
  for (size_t i = 0; i < parts.size(); ++i) {
    try {
      out.push_back({parts[i], std::wregex(parts[i], flags)});
    } catch (const std::regex_error& e) {
      error.component = static_cast<int>(i);
      error.code = static_cast<int>(e.code());
      error.text = RegexErrorText(e);
      out.clear();
      return false;
    }
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
    for (const auto& c : components_) {
      try {
        if (std::regex_search(text.begin(), text.end(), c.regex)) return 1;
      } catch (const std::regex_error& e) {
        error = WFormat(L"Regex: \"%ls\", %ls", c.source.c_str(), RegexErrorText(e).c_str());
        return -1;
      }
    }
    return 0;
  }
  if (text_.empty()) return emptyMatchesAll_ ? 1 : 0;
  return PlainMatch(plainFlags_, text, text_);
}

}  // namespace tarnix

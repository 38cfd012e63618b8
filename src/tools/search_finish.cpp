#include "tools/search_finish.h"

#include "core/wformat.h"
#include "symbolsearch/search_worker.h"

namespace tarnix {

SearchFinishTexts SearchFinishOutcome(const SearchEnd& e) {
  SearchFinishTexts t;
  if (e.stoppedByUser) {
    t.status = 2;
    t.lines = {L"Search was aborted..."};
    return t;
  }
  t.lines = SearchSummaryLines(e.completed, e.elapsedMs, e.filesSearched, e.errors, e.warnings,
                               e.results);
  const wchar_t* hint = e.statusOutputShown
                            ? L"(Refer to the status output for additional details.)"
                            : L"(Go to View and enable Status Output to see additional details.)";
  using ull = unsigned long long;
  if (!e.limitText.empty()) {
    // Stopped, not failed: what was found is listed, and the box says how
    // to find the rest.
    t.status = 3;
    t.boxId = 4;
    t.boxIcon = kFinishIconWarning;
    t.boxText = e.limitText + L"\n\n" + hint;
    return t;
  }
  if (!e.completed) {
    t.status = 3;
    t.boxId = 4;
    t.boxIcon = kFinishIconError;
    t.boxText = WFormat(L"Search was aborted due to unrecoverable error(s).\n\n%ls", hint);
    return t;
  }
  t.status = 1;
  if (e.errors) {
    t.boxId = 1;
    t.boxIcon = kFinishIconError;
    std::wstring warnings = e.warnings ? WFormat(L", and %llu warning(s)", ull(e.warnings)) : L"";
    t.boxText = WFormat(L"Search has finished with %llu error(s)%ls.\n\n%llu result(s) were found.\n\n%ls",
                        ull(e.errors), warnings.c_str(), ull(e.results), hint);
  } else if (e.warnings) {
    t.boxId = 2;
    t.boxIcon = kFinishIconWarning;
    t.boxText = WFormat(L"Search has finished with %llu warning(s).\n\n%llu result(s) were found.\n\n%ls",
                        ull(e.warnings), ull(e.results), hint);
  } else {
    t.boxId = 3;
    t.boxIcon = kFinishIconInformation;
    t.boxText = WFormat(L"Search has finished.\n\n%llu file(s) searched, %llu result(s) found.\n\n%ls",
                        ull(e.filesSearched), ull(e.results), hint);
  }
  return t;
}

bool RevealStatusOutputAtFinish(const SearchEnd& end) {
  return !end.statusOutputShown && !end.stoppedByUser && end.errors > 0 && end.filesSearched == 0 &&
         end.results == 0;
}

bool BeepInsteadOfFinishBox(const SearchFinishTexts& t, bool beepSetting) {
  return t.boxId != 0 && beepSetting && t.boxIcon != kFinishIconInformation;
}

}  // namespace tarnix

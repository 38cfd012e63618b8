#pragma once
// The results as one self-contained HTML page: a statistics table that
// describes the search and how it ended, the results table with the list's
// columns, optionally the status output, and a footer.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "core/program_settings.h"  // kDefaultOnlineSearchUrl
#include "platform/os_info.h"
#include "results/results_model.h"

namespace tarnix {

// The criteria of the search the results came from.
struct ReportCriteria {
  std::wstring folder;
  bool subfolders = false;
  std::wstring fileName;
  bool fileNameRegex = false, fileNameCase = false, fileNameWords = false;
  uint32_t searchFor = 1;
  std::wstring searchText;
  bool searchRegex = false, searchCase = false, searchWords = false;
  std::wstring grammarName;  // the display name of the regex grammar
  uint32_t lookIn = 0;
  uint32_t presentAs = 1;
  uint32_t types = 0;
  uint64_t subsystems = 0, charsMask = 0, charsValues = 0, dirsMask = 0, dirsValues = 0;
  uint64_t fromFileTime = 0, toFileTime = 0;  // 0 = no limit
};

enum SearchOutcomeStatus : uint32_t {
  kSearchFinished = 1,
  kSearchAbortedByUser = 2,
  kSearchAbortedCritical = 3,
};

struct ReportOutcome {
  uint32_t status = kSearchFinished;
  int64_t runTimeMs = 0;
  uint64_t filesSearched = 0, errors = 0, warnings = 0, found = 0;
};

struct ReportOptions {
  bool links = true;          // online-search links in cells
  bool statusSection = true;  // the status output text area
  std::wstring urlTemplate;   // with "%S%"; the default is used without it
  std::wstring statusText;    // the status output box's text
};


// Answers true to cancel; asked once per result with the index reached.
using ReportCancel = std::function<bool(size_t index)>;

// Writes the report to `path` (UTF-8 with mark, created anew). Answers 1
// done, 0 cancelled, -1 failed (last error set). On anything but 1 the
// partial file is deleted.
int WriteHtmlReport(const std::string& path, const std::vector<int32_t>& columns,
                    const ResultsModel& results, const ReportCriteria& criteria,
                    const ReportOutcome& outcome, const ReportOptions& options,
                    const ReportCancel& cancel = nullptr);

// Percent-encodes the UTF-8 bytes of `text`, all but letters, digits and
// "-_.~", for a query parameter.
std::wstring UrlEscapeQuery(std::wstring_view text);

// The online-search address of `text`: the template (the default one when
// it holds no "%S%") with every "%S%" replaced by the escaped text. Empty
// when the template is not an http or https address.
std::wstring OnlineSearchUrl(std::wstring_view urlTemplate, std::wstring_view text);

// The report's "OS:" value (markup): the distribution, linked to what
// os-release means, "(WSL n)" under WSL, then the kernel release, the
// architecture and the bitness.
std::wstring ReportOsText(const OsInfo& os);

}  // namespace tarnix

#pragma once
// What an HTML report needs from a finished search: the criteria as the
// search ran them, and the report options from the user's settings.
#include <string>

#include "results/html_report.h"
#include "symbolsearch/search_params.h"

namespace tarnix {

struct ProgramSettings;

ReportCriteria ReportCriteriaFromSearch(const SearchParams& params);

// "UseOnlnSrchLnksOnWinApiResExp", "AddStatOtpToWinApiResExp" and
// "OnlineSearchURL" of the settings snapshot; `statusText` is the status
// output box's text.
ReportOptions ReportOptionsFromSettings(const ProgramSettings& settings, std::wstring statusText);

}  // namespace tarnix

#pragma once
// The texts of the main window's filter links: the current Look In and PE
// header filters as clickable items ("<a>Exports</a> | <a>Imports</a>",
// "<a>Dll</a>=1 | <a>DEP</a>=0"), and the time-stamp bounds as local dates.
#include <cstdint>
#include <string>

namespace tarnix {

std::wstring LookInLinkText(uint64_t mask);         // empty: "<a>All Available</a>"
std::wstring ImageTypeLinkText(uint64_t mask);      // empty: "<a>All Types</a>"
std::wstring SubsystemsLinkText(uint64_t mask);     // empty: "<a>All Subsystems</a>"
std::wstring CharacteristicsLinkText(uint64_t mask, uint64_t values);
// The directories, then the resource directory with its chosen types:
// "<a>Rsrc</a>:{<a>Bmp</a>=1}", "<a>Rsrc</a>:{<a>Any</a>}" or "<a>Rsrc</a>=0".
std::wstring DirectoriesLinkText(uint64_t mask, uint64_t values);

// The undecoration flags as one link each, in the flag table's order
// ("<a>UNDNAME_NO_MS_KEYWORDS</a> | <a>UNDNAME_NAME_ONLY</a>");
// no flags is "<a>UNDNAME_COMPLETE</a>".
std::wstring UndecorationFlagsLinkText(uint32_t flags);

// A time-stamp bound (a FILETIME, 0 = none): "Any Date", the local date and
// time, "<ConvErr:%s>" when the file time is not valid, "<Err:%s>" when it
// cannot be shown as local time (with the error text).
std::wstring TimeStampLinkText(uint64_t fileTime);

}  // namespace tarnix

#include "symbolsearch/command_line.h"

#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <cwchar>
#include <map>
#include <thread>

#include "core/wformat.h"
#include "platform/case_fold.h"
#include "platform/environment.h"
#include "platform/errno_map.h"
#include "platform/last_error.h"
#include "platform/text_encoding.h"
#include "platform/time_utils.h"
#include "platform/win_errors.h"

extern char** environ;

namespace tarnix {
namespace {

enum class Rule { AsIs, Bool, Clamp2, Mask };

struct Switch {
  const wchar_t* name;
  Rule rule;
  uint64_t mask;  // for Rule::Mask
  bool wide;      // a 64-bit value
  uint64_t CommandLineValues::*field64;
  uint32_t CommandLineValues::*field32;
  const char* value;  // the value as the help shows it
  const char* help;
};

// The switches from "isf" to "pett" in table order ("auto" is handled apart).
const Switch kSwitches[] = {
    {L"isf", Rule::Bool, 0, false, nullptr, &CommandLineValues::isf,
     "0|1", "include subfolders"},
    {L"fnrx", Rule::Bool, 0, false, nullptr, &CommandLineValues::fnrx,
     "0|1", "'File Name' is a regular expression"},
    {L"fncs", Rule::Bool, 0, false, nullptr, &CommandLineValues::fncs,
     "0|1", "'File Name' is case-sensitive"},
    {L"fnww", Rule::Bool, 0, false, nullptr, &CommandLineValues::fnww,
     "0|1", "'File Name' matches whole words only"},
    {L"snrx", Rule::Bool, 0, false, nullptr, &CommandLineValues::snrx,
     "0|1", "'Search For' is a regular expression"},
    {L"sncs", Rule::Bool, 0, false, nullptr, &CommandLineValues::sncs,
     "0|1", "'Search For' is case-sensitive"},
    {L"snww", Rule::Bool, 0, false, nullptr, &CommandLineValues::snww,
     "0|1", "'Search For' matches whole words only"},
    {L"pa", Rule::Clamp2, 0, false, nullptr, &CommandLineValues::pa,
     "N", "present results as: 1 WinAPIs in modules, 2 modules only"},
    {L"sf", Rule::Clamp2, 0, false, nullptr, &CommandLineValues::sf,
     "N", "search for: 1 WinAPIs, 2 Import Libs"},
    {L"li", Rule::Mask, 0x7F, false, nullptr, &CommandLineValues::li,
     "BITS", "look in: 1 exports, 2 imports, 4 delay-load imports, 8 import ordinals, 16 forwarded exports, 32 C names only, 64 C++ names only; 0 everything"},
    {L"petp", Rule::Mask, 0x7, false, nullptr, &CommandLineValues::petp,
     "BITS", "image types: 1 32-bit, 2 64-bit, 4 ROM; 0 any"},
    {L"pess", Rule::Mask, 0x80003FFFULL, true, &CommandLineValues::pess, nullptr,
     "BITS", "subsystems, one bit each in the order of the filter's list (bit 31: any other); 0 any"},
    {L"pecm", Rule::Mask, 0x3000FFFFFFFULL, true, &CommandLineValues::pecm, nullptr,
     "BITS", "characteristics to check (the COFF and DLL characteristics bits)"},
    {L"pecv", Rule::Mask, 0x3000FFFFFFFULL, true, &CommandLineValues::pecv, nullptr,
     "BITS", "the values the checked characteristics must have"},
    {L"pedm", Rule::Mask, 0x3FFFFF007FFFULL, true, &CommandLineValues::pedm, nullptr,
     "BITS", "data directories to check (present or absent)"},
    {L"pedv", Rule::Mask, 0x3FFFFF007FFFULL, true, &CommandLineValues::pedv, nullptr,
     "BITS", "which of the checked data directories must be present"},
    {L"petf", Rule::AsIs, 0, true, &CommandLineValues::petf, nullptr,
     "SECONDS", "time stamp from, in seconds since 1970-01-01 UTC; 0 not set"},
    {L"pett", Rule::AsIs, 0, true, &CommandLineValues::pett, nullptr,
     "SECONDS", "time stamp to, in seconds since 1970-01-01 UTC; 0 not set"},
};

constexpr const char* kAutoHelp =
    "start-up actions, added up: 1 start the search at once, 256 bring the window to the front";

constexpr std::wstring_view kRestartPrefix = L"RestartByRestartManager:";

bool StartsWithIgnoreCase(std::wstring_view s, std::wstring_view prefix) {
  return s.size() >= prefix.size() && EqualsIgnoreCase(s.substr(0, prefix.size()), prefix);
}

bool IsKnownSwitchName(std::wstring_view name) {
  if (EqualsIgnoreCase(name, L"auto") || StartsWithIgnoreCase(name, kRestartPrefix)) return true;
  for (const auto& s : kSwitches)
    if (EqualsIgnoreCase(name, s.name)) return true;
  return false;
}

// An argument is a switch when it starts with "-" or "/" and has more after
// it. On this platform an absolute path also starts with "/", so among the
// leading positional arguments "/" introduces a switch only when a known
// switch name follows; everything else there is a path.
bool IsSwitch(std::wstring_view arg, bool positionalPhase) {
  if (arg.size() < 2 || (arg[0] != L'-' && arg[0] != L'/')) return false;
  if (arg[0] == L'/' && positionalPhase) return IsKnownSwitchName(arg.substr(1));
  return true;
}

// An unsigned decimal that reads back identically: no sign, no leading
// zeros, no other characters, at most 64 bits.
bool ParseStrictDecimal(std::wstring_view text, uint64_t& value) {
  if (text.empty() || text.size() > 20) return false;
  if (text.size() > 1 && text[0] == L'0') return false;
  value = 0;
  for (wchar_t c : text) {
    if (c < L'0' || c > L'9') return false;
    unsigned d = unsigned(c - L'0');
    if (value > (UINT64_MAX - d) / 10) return false;
    value = value * 10 + d;
  }
  return true;
}

std::string PathOf(const std::wstring& w) { return ToUtf8(w); }

bool StatPath(const std::wstring& path, struct stat& st) {
  return ::stat(PathOf(path).c_str(), &st) == 0;
}

bool EndsWithSeparator(std::wstring_view s) {
  return !s.empty() && (s.back() == L'/' || s.back() == L'\\');
}

std::wstring WithSeparator(std::wstring s) {
  if (!EndsWithSeparator(s)) s += L'/';
  return s;
}

// Splits a full path into its folder (with separator) and its name.
void SplitPath(const std::wstring& path, std::wstring& folder, std::wstring& name) {
  size_t cut = path.find_last_of(L"/\\");
  if (cut == std::wstring::npos) {
    folder.clear();
    name = path;
  } else {
    folder = path.substr(0, cut + 1);
    name = path.substr(cut + 1);
  }
}

std::wstring JoinedCommandLine(const std::vector<std::wstring>& args) {
  if (args.empty()) return L"<null>";
  std::wstring text;
  for (const auto& a : args) {
    if (!text.empty()) text += L' ';
    text += a.find(L' ') != std::wstring::npos ? L"\"" + a + L"\"" : a;
  }
  return text;
}

uint64_t ApplyRule(const Switch& s, uint64_t v) {
  switch (s.rule) {
    case Rule::Bool: return v ? 1 : 0;
    case Rule::Clamp2: return std::min<uint64_t>(v, 2);
    case Rule::Mask: return v & s.mask;
    case Rule::AsIs: break;
  }
  return v;
}

void Store(CommandLineValues& values, const Switch& s, uint64_t v) {
  if (s.field64)
    values.*(s.field64) = v;
  else
    values.*(s.field32) = static_cast<uint32_t>(v);
}

uint64_t Load(const CommandLineValues& values, const Switch& s) {
  return s.field64 ? values.*(s.field64) : values.*(s.field32);
}

}  // namespace

uint64_t SwitchSecondsToFileTime(uint64_t seconds) {
  if (!seconds) return 0;
  constexpr uint64_t kLastSeconds = (UINT64_MAX - kFileTimeOfUnixEpoch) / kFileTimePerSecond;
  if (seconds > kLastSeconds) return UINT64_MAX;
  return kFileTimeOfUnixEpoch + seconds * kFileTimePerSecond;
}

uint64_t FileTimeToSwitchSeconds(uint64_t fileTime) {
  if (fileTime < kFileTimeOfUnixEpoch) return 0;
  return (fileTime - kFileTimeOfUnixEpoch) / kFileTimePerSecond;
}

CommandLineValues SwitchValuesOf(const SearchCriteriaInput& in) {
  CommandLineValues v;
  v.isf = in.includeSubfolders;
  v.fnrx = in.fileName.regex;
  v.fncs = in.fileName.caseSensitive;
  v.fnww = in.fileName.wholeWords;
  v.snrx = in.search.regex;
  v.sncs = in.search.caseSensitive;
  v.snww = in.search.wholeWords;
  v.pa = in.presentAs;
  v.sf = in.searchFor;
  v.li = in.lookIn;
  if (in.peFiltersShown) {
    v.petp = in.imageTypes;
    v.pess = in.subsystems;
    v.pecm = in.characteristicsMask;
    v.pecv = in.characteristicsValues;
    v.pedm = in.directoriesMask;
    v.pedv = in.directoriesValues;
    v.petf = FileTimeToSwitchSeconds(in.timeStampFrom);
    v.pett = FileTimeToSwitchSeconds(in.timeStampTo);
  }
  return v;
}

CommandLineState ParseCommandLine(const std::vector<std::wstring>& args,
                                  const CommandLineDiagnostics& diagnostics) {
  CommandLineState state;
  const std::wstring whole = JoinedCommandLine(args);
  auto report = [&](const std::wstring& text) {
    if (diagnostics) diagnostics(text);
  };

  // The search texts come out first, wherever they stand.
  std::vector<std::wstring> rest;
  for (size_t k = 0; k < args.size(); ++k) {
    const bool isName = args[k] == L"--name", isFor = args[k] == L"--for";
    if (!isName && !isFor) {
      rest.push_back(args[k]);
      continue;
    }
    if (k + 1 >= args.size()) {
      report(WFormat(L"Parameter value is required: (p=%d) %ls", static_cast<int>(k + 1), args[k].c_str()));
      continue;
    }
    (isName ? state.name : state.searchFor) = args[++k];
  }

  size_t i = 0;
  std::vector<std::wstring> filePaths;
  std::vector<std::pair<int, std::wstring>> missing;
  bool folderGiven = false;
  for (; i < rest.size() && !IsSwitch(rest[i], true); ++i) {
    const int p = static_cast<int>(i + 1);
    std::wstring path = ExpandEnvironmentStrings(rest[i]);
    struct stat st;
    if (StatPath(path, st) && !S_ISDIR(st.st_mode)) {
      filePaths.push_back(path);
    } else if (StatPath(path, st) && S_ISDIR(st.st_mode)) {
      path = WithSeparator(path);
      if (!folderGiven) {
        state.folder = path;
        folderGiven = true;
      } else if (!EqualsIgnoreCase(path, state.folder)) {
        report(WFormat(L"p=%d, Consecutive folder will be skipped: path=\"%ls\", cmdLine: %ls",
                       p, path.c_str(), whole.c_str()));
      }
    } else {
      missing.emplace_back(p, path);
    }
  }
  for (size_t m = 0; m < missing.size(); ++m) {
    if (m == 0 && !folderGiven && filePaths.empty() && !missing[m].second.empty()) {
      state.folder = WithSeparator(missing[m].second);  // the search's check names it
      continue;
    }
    report(WFormat(L"p=%d, path=\"%ls\", cmdLine: %ls", missing[m].first, missing[m].second.c_str(), whole.c_str()));
  }

  if (!filePaths.empty()) {
    // Group the files by folder (in lower case) and keep the largest group;
    // among equal groups the folder that sorts last.
    std::map<std::wstring, std::vector<std::wstring>> groups;  // lower folder -> full paths
    for (const auto& fp : filePaths) {
      std::wstring folder, name;
      SplitPath(fp, folder, name);
      groups[ToLowerCase(folder)].push_back(fp);
    }
    if (groups.size() > 1)
      report(WFormat(L"Too many folders to open: cntFldrs=%zu, cmdLine: %ls", groups.size(),
                     whole.c_str()));
    auto best = groups.begin();
    for (auto it = groups.begin(); it != groups.end(); ++it)
      if (it->second.size() >= best->second.size()) best = it;
    std::wstring folder, name;
    SplitPath(best->second.front(), folder, name);
    if (folderGiven && !EqualsIgnoreCase(state.folder, folder))
      report(WFormat(L"Folder will be skipped: path=\"%ls\", cmdLine: %ls", state.folder.c_str(),
                     whole.c_str()));
    state.folder = folder;
    for (const auto& fp : best->second) {
      SplitPath(fp, folder, name);
      state.fileNames.push_back(name);
    }
  }

  while (i < rest.size()) {
    const int p = static_cast<int>(i + 1);
    const std::wstring& arg = rest[i];
    auto unrecognized = [&] {
      report(WFormat(L"Unrecognized parameter: (p=%d) %ls", p, arg.c_str()));
    };
    if (!IsSwitch(arg, false)) {
      unrecognized();
      ++i;
      continue;
    }
    std::wstring_view name = std::wstring_view(arg).substr(1);
    if (StartsWithIgnoreCase(name, kRestartPrefix)) {
      ++i;
      continue;
    }
    const Switch* sw = nullptr;
    bool isAuto = EqualsIgnoreCase(name, L"auto");
    for (const auto& s : kSwitches)
      if (EqualsIgnoreCase(name, s.name)) sw = &s;
    if (!isAuto && !sw) {
      unrecognized();
      ++i;
      continue;
    }
    if (i + 1 >= rest.size()) {
      report(WFormat(L"Parameter value is required: (p=%d) %ls", p, arg.c_str()));
      unrecognized();
      ++i;
      continue;
    }
    uint64_t v;
    const std::wstring& valueText = rest[i + 1];
    bool wide = isAuto ? false : sw->wide;
    if (!ParseStrictDecimal(valueText, v) || (!wide && v > 0xFFFFFFFFULL)) {
      report(WFormat(L"Parameter value is malformed: (p=%d) %ls=%ls", p, arg.c_str(),
                     valueText.c_str()));
      unrecognized();
      ++i;  // the rejected value is examined as the next argument
      continue;
    }
    if (isAuto)
      state.autoActions = static_cast<uint32_t>(v);
    else
      Store(state.values, *sw, ApplyRule(*sw, v));
    i += 2;
  }
  return state;
}

std::vector<SwitchHelp> CommandLineSwitchHelp() {
  std::vector<SwitchHelp> out{{"auto", "N", kAutoHelp}};
  for (const auto& s : kSwitches) out.push_back({std::string(s.name, s.name + std::wcslen(s.name)), s.value, s.help});
  return out;
}

std::optional<std::vector<std::wstring>> ComposeArguments(
    uint32_t autoActions, const std::vector<std::wstring>& filePaths,
    const CommandLineValues* values) {
  if (!values && filePaths.empty()) {
    SetLastError(ERROR_NOTHING_ENTERED);
    return std::nullopt;
  }
  std::vector<std::wstring> out;
  std::wstring firstFolder, folder, name;
  for (size_t k = 0; k < filePaths.size(); ++k) {
    SplitPath(filePaths[k], folder, name);
    if (k == 0)
      firstFolder = folder;
    else if (!EqualsIgnoreCase(folder, firstFolder)) {
      SetLastError(ERROR_CANNOT_COMPOSE);
      return std::nullopt;
    }
    out.push_back(filePaths[k]);
  }
  out.push_back(L"/auto");
  out.push_back(std::to_wstring(autoActions));
  if (values) {
    const CommandLineValues defaults;
    for (const auto& s : kSwitches) {
      uint64_t v = Load(*values, s);
      if (v == Load(defaults, s)) continue;
      out.push_back(std::wstring(L"/") + s.name);
      out.push_back(std::to_wstring(v));
    }
  }
  SetLastError(ERROR_SUCCESS);
  return out;
}

std::optional<std::wstring> ComposeCommandLine(uint32_t autoActions,
                                               const std::vector<std::wstring>& filePaths,
                                               const CommandLineValues* values) {
  auto args = ComposeArguments(autoActions, filePaths, values);
  if (!args) return std::nullopt;
  std::wstring text;
  for (size_t k = 0; k < args->size(); ++k) {
    const std::wstring& a = (*args)[k];
    if (k < filePaths.size() && a.find(L' ') != std::wstring::npos)
      text += L"\"" + a + L"\" ";
    else
      text += a + L" ";
  }
  while (!text.empty() && (text.back() == L' ' || text.back() == L'\t')) text.pop_back();
  return text;
}

std::optional<std::wstring> ExecutablePath(uint32_t choice) {
  if (choice != 0) {
    // This build has one bitness; there is no sibling build to start.
    SetLastError(ERROR_NO_SUCH_BUILD);
    return std::nullopt;
  }
  char buf[1040];
  ssize_t n = readlink("/proc/self/exe", buf, sizeof buf);
  if (n < 0) {
    SetLastErrorFromErrno();
    return std::nullopt;
  }
  if (static_cast<size_t>(n) >= sizeof buf) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return std::nullopt;
  }
  SetLastError(ERROR_SUCCESS);
  return FromUtf8(std::string(buf, static_cast<size_t>(n)));
}

bool OpenAnotherInstance(uint32_t choice, uint32_t autoActions,
                         const CommandLineValues* values,
                         const std::vector<std::wstring>& filePaths) {
  auto exe = ExecutablePath(choice);
  if (!exe) return false;
  auto args = ComposeArguments(autoActions, filePaths, values);
  if (!args) return false;
  std::vector<std::string> storage;
  storage.push_back(ToUtf8(*exe));
  for (const auto& a : *args) storage.push_back(ToUtf8(a));
  std::vector<char*> argv;
  for (auto& s : storage) argv.push_back(s.data());
  argv.push_back(nullptr);
  pid_t pid;
  int rc = posix_spawn(&pid, storage[0].c_str(), nullptr, nullptr, argv.data(), environ);
  if (rc != 0) {
    SetLastError(Win32FromErrno(rc));
    return false;
  }
  // The new instance lives on its own; reap it when it ends.
  std::thread([pid] { waitpid(pid, nullptr, 0); }).detach();
  SetLastError(ERROR_SUCCESS);
  return true;
}

}  // namespace tarnix

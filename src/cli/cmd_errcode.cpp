// tarnix-cli errcode: the error code search without a window. Looks one
// error code up in the message tables of the modules in the given folders
// and files (by default those of the built-in preset "System32 & Program
// Files") and prints every hit as it comes.
#include <signal.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwctype>
#include <string>
#include <vector>

#include "cli/cli_support.h"
#include "cli/command.h"
#include "core/error_text.h"
#include "core/program_windows_root.h"
#include "core/registry_settings.h"
#include "core/run_stopwatch.h"
#include "core/setting_names.h"
#include "errcode/builtin_presets.h"
#include "errcode/error_code_search.h"
#include "errcode/search_texts.h"
#include "errnames/code_or_name.h"
#include "pe/file_details.h"
#include "pe/system_message_sources.h"
#include "platform/languages.h"
#include "platform/last_error.h"
#include "platform/message_target.h"
#include "platform/text_encoding.h"
#include "platform/windows_root.h"

namespace tarnix::cli {
namespace {

int Usage(const char* message) {
  if (message) std::fprintf(stderr, "tarnix-cli errcode: %s\n", message);
  std::fprintf(stderr,
               "usage: tarnix-cli errcode CODE|NAME [--in PATH [--subfolders]]... [--ext LIST]\n"
               "         [--lang ID] [--own] [--details]\n"
               "  CODE          decimal (5, -1), hexadecimal (0x80070005, 80070005h, 1A)\n"
               "  NAME          an error name in any letter case (ERROR_ACCESS_DENIED is 5,\n"
               "                E_ACCESSDENIED is 0x80070005)\n"
               "  --in PATH     a folder or a file to look in (repeatable); --subfolders after a\n"
               "                folder searches its whole tree. Default: System32 and the Program\n"
               "                Files folders of the Windows installation found, with subfolders\n"
               "  --ext LIST    extensions of the files to examine, e.g. \".dll,.exe\"; \"*\" for\n"
               "                every file. Default: the setting ErrCodeSrchFileExts\n"
               "  --lang ID     language of the messages: an identifier (0x407) or a name (de-DE)\n"
               "  --own         only modules whose own message table holds the code (not the\n"
               "                system's text, which every module gives for a system code)\n"
               "  --details     add each module's file version and description\n"
               "One line per hit on stdout: \"CODE = MESSAGE\", TAB, module path, TAB, \"own\"\n"
               "(the module's own message table) or \"system\" (the system's text).\n"
               "Exit status: 0 found, 1 nothing found, 2 bad usage, 3 stopped.\n");
  return kExitUsage;
}

std::wstring Trimmed(std::wstring_view s) {
  size_t b = 0, e = s.size();
  while (b < e && std::iswspace(s[b])) ++b;
  while (e > b && std::iswspace(s[e - 1])) --e;
  return std::wstring(s.substr(b, e - b));
}

// "dll, .EXE;.sys": extensions with or without their dot; "*" or nothing
// at all for every file.
bool ParseExtensions(const std::string& text, std::vector<std::wstring>& out) {
  out.clear();
  const std::wstring list = FromUtf8(text);
  std::vector<std::wstring> given;
  size_t start = 0;
  while (start <= list.size()) {
    size_t end = list.find_first_of(L",;", start);
    if (end == std::wstring::npos) end = list.size();
    std::wstring e = Trimmed(std::wstring_view(list).substr(start, end - start));
    start = end + 1;
    if (e.empty()) continue;
    if (e == L"*" || e == L"*.*") return true;
    if (e.rfind(L"*.", 0) == 0) e.erase(0, 1);
    if (e[0] != L'.') e.insert(0, 1, L'.');
    given.push_back(e);
  }
  out = FilterErrCodeSrchFileExts(given);
  return out.size() == given.size() || !out.empty();
}

struct Options {
  std::wstring code;
  bool codeGiven = false;
  std::vector<SearchLocation> locations;
  bool extGiven = false;
  std::vector<std::wstring> extensions;
  uint16_t language = kLangUserDefault;
  bool details = false;
  bool own = false;
};

int ParseOptions(const std::vector<std::string>& args, Options& o) {
  for (ArgCursor in(args); in.More();) {
    const std::string& a = in.Next();
    std::string v;
    if (a == "--in") {
      if (!in.Value(v) || v.empty()) return Usage("--in needs a folder or a file");
      SearchLocation l;
      l.path = FromUtf8(v);
      struct stat st;
      const bool folder = (::stat(v.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) ||
                          v.back() == '/' || v.back() == '\\';
      l.flags = folder ? kLocationFolder : kLocationFile;
      if (folder) l.path = WithTrailingSeparator(l.path);
      o.locations.push_back(std::move(l));
    } else if (a == "--subfolders") {
      if (o.locations.empty() || LocationKind(o.locations.back().flags) != kLocationFolder)
        return Usage("--subfolders follows a folder given with --in");
      o.locations.back().flags |= kLocationSubfolders;
    } else if (a == "--ext") {
      if (!in.Value(v) || !ParseExtensions(v, o.extensions))
        return Usage("--ext takes extensions such as \".dll,.exe\" (2 to 129 characters each), or \"*\"");
      o.extGiven = true;
    } else if (a == "--lang") {
      if (!in.Value(v) || !ReadLanguageOption(v, o.language))
        return Usage("--lang takes a language identifier (0x409) or name (en-US)");
    } else if (a == "--details") {
      o.details = true;
    } else if (a == "--own") {
      o.own = true;
    } else if (a == "--help" || a == "-h") {
      Usage(nullptr);
      return kExitOk;
    } else if (a.size() > 2 && a.rfind("--", 0) == 0) {
      return Usage(("unknown option " + a).c_str());
    } else if (o.codeGiven) {
      return Usage("give one error code");
    } else {
      o.code = FromUtf8(a);
      o.codeGiven = true;
    }
  }
  if (!o.codeGiven) return Usage("give the error code to look up");
  return -1;
}

int RunErrCode(const std::vector<std::string>& args) {
  Options o;
  if (const int parsed = ParseOptions(args, o); parsed >= 0) return parsed;

  // A name searches what its number searches and is shown as that number.
  CodeOrName read;
  std::wstring shown;
  if (!ReadCodeBox(o.code, read, shown)) {
    PrintLine(stderr, CodeBoxErrorMessage(o.code, GetLastError()));
    return kExitUsage;
  }
  const uint32_t code = read.code;
  const ErrorCodeKind kind = read.kind;

  const RegistrySettings settings;
  const WindowsRoot root = ProgramWindowsRoot();
  // System texts come from the message tables of the installation found.
  const auto& systemFolder = root.Folder(WindowsFolder::kSystem64).empty()
                                 ? root.Folder(WindowsFolder::kSystem32)
                                 : root.Folder(WindowsFolder::kSystem64);
  if (!systemFolder.empty()) InstallSystemMessageSources(FromUtf8(systemFolder.string()));

  if (o.locations.empty()) {
    const auto presets = BuiltInErrorCodePresets(root);
    if (const ErrorCodePreset* p = FindPreset(presets, kPresetSystem32AndProgramFiles))
      o.locations = p->items;
  }
  if (o.locations.empty()) {
    PrintLine(stderr, L"Provide at least one search path in the \"Search In\" section");
    std::fprintf(stderr,
                 "No Windows folders were found on this machine: give --in PATH, or set "
                 "TARNIX_WINDOWS_ROOT to a Windows folder.\n");
    return kExitUsage;
  }
  // A location that is not what it claims is reported; the search still
  // runs and its walk reports the location again.
  for (const SearchLocation& l : o.locations)
    if (const uint32_t error = CheckSearchLocation(l); error != 0)
      PrintLine(stderr, InvalidLocationMessage(l, error));

  ErrorCodeSearchRequest request;
  StopFlag stop{kStopRun};
  // The queue drains straight to the terminal: no spacing is needed.
  QueueMessageTarget target(8192, 0);
  request.stop = &stop;
  request.window = &target;
  request.code = code;
  request.kind = kind;
  request.locations = o.locations;
  request.fileExtensions = o.extGiven ? o.extensions : ReadErrCodeSrchFileExts(settings);
  request.language = o.language;
  request.readers = LoadProgramSettings().searchReaders;

  for (const auto& line : SearchStartLines(code, kind, request.locations)) PrintLine(stderr, line);

  InterruptStops interrupts(stop);

  ErrorCodeSearch search;
  RunStopwatch clock;
  clock.Start();
  if (!search.Start(request)) {
    PrintLine(stderr, L"Failed to start the search:\n\n" + ErrorText(GetLastError()));
    return kExitSomeFailed;
  }

  const uint16_t detailsLanguage = UserDefaultLanguage();
  bool completed = false;
  uint64_t ownShown = 0;
  for (bool ended = false; !ended;) {
    PostedMessage m;
    if (!target.Take(m, std::chrono::milliseconds(200))) continue;
    switch (m.id) {
      case kEcsMsgResult:
        for (const ErrorCodeSearchResult& r : *m.As<std::vector<ErrorCodeSearchResult>>()) {
          if (o.own && r.systemText) continue;
          if (o.own) ++ownShown;
          std::wstring line = ResultDisplayText(r);
          line += L'\t';
          line += r.path;
          line += r.systemText ? L"\tsystem" : L"\town";
          if (o.details) {
            const FileDetails d = ReadFileDetails(r.path, detailsLanguage);
            line += L'\t';
            line += FileVersionText(d.version);
            line += L'\t';
            line += d.description;
          }
          PrintLine(stdout, line);
        }
        break;
      case kEcsMsgStatusLine:
        PrintLine(stderr, *m.As<std::wstring>());
        break;
      case kEcsMsgSearchFinished:
        completed = m.wParam == 1 && stop.load() < kStopStop;
        ended = true;
        break;
      default:
        break;
    }
  }
  clock.Finish();
  const int64_t elapsed = clock.ElapsedMs();
  stop.store(kStopStop);  // the counting thread is no longer needed
  search.Wait(std::chrono::milliseconds(5000));
  std::fflush(stdout);

  const uint64_t matches = o.own ? ownShown : search.matchCount();
  PrintLine(stderr, kSearchEndSeparator);
  PrintLine(stderr, SearchFinishedLine(completed, matches, elapsed));
  if (completed && matches == 0)
    if (const std::wstring hint = NoMatchHint(code); !hint.empty()) PrintLine(stderr, hint);
  if (InterruptStops::interrupted()) return kExitStopped;
  if (!completed) return kExitSomeFailed;
  return matches ? kExitOk : kExitSomeFailed;
}

const CommandRegistrar kErrCode("errcode",
                                "look an error code up in the message tables of modules",
                                RunErrCode);

}  // namespace
}  // namespace tarnix::cli

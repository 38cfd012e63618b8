// tarnix-cli errmsg: the error message search without a window. Searches a
// built-in range set or the ranges of a file and prints the lines the
// results window would hold: the summary, a separator, the range headers
// and result lines, a separator and the finish line.
#include <signal.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "cli/cli_support.h"
#include "cli/command.h"
#include "core/error_text.h"
#include "core/program_windows_root.h"
#include "core/registry_settings.h"
#include "core/run_stopwatch.h"
#include "core/wformat.h"
#include "errmsg/message_languages.h"
#include "errmsg/message_search_check.h"
#include "errmsg/message_search_lines.h"
#include "errmsg/message_search_setup.h"
#include "errmsg/message_search_worker.h"
#include "errmsg/range_line.h"
#include "errmsg/range_set.h"
#include "errnames/message_line_names.h"
#include "platform/last_error.h"
#include "platform/text_encoding.h"
#include "platform/windows_root.h"
#include "symbolsearch/search_string.h"

namespace tarnix::cli {
namespace {

int Usage(const char* message) {
  if (message) std::fprintf(stderr, "tarnix-cli errmsg: %s\n", message);
  std::fprintf(stderr,
               "usage: tarnix-cli errmsg WORD [--regex] [--case] [--words] [--lang ID]\n"
               "         [--set N | --ranges FILE] [--every-code] [--names]\n"
               "  --set N        a built-in range set, 0 to 7 (default 0, Win32 Error Codes)\n"
               "  --ranges FILE  one range per line: FROM|TO|FLAGS|LIBRARY|NAME\n"
               "  --lang ID      language: an identifier (0x407) or a name (de-DE); default 0x400,\n"
               "                 the user's default\n"
               "  --every-code   ask for every code of the ranges in turn (slow; for checks)\n"
               "  --names        append TAB and the code's error names to each result line\n");
  return kExitUsage;
}

// The window's own message for a refused search, as the user would see it.
int Refuse(const std::wstring& message) {
  PrintLine(stderr, message);
  return kExitUsage;
}

bool ReadRangesFile(const std::string& path, std::vector<ErrorRange>& ranges) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "tarnix-cli errmsg: cannot read %s\n", path.c_str());
    return false;
  }
  std::ostringstream bytes;
  bytes << in.rdbuf();
  std::string text = bytes.str();
  if (text.rfind("\xEF\xBB\xBF", 0) == 0) text.erase(0, 3);
  size_t badLine = 0;
  if (!ParseRangeLines(FromUtf8(text), ranges, badLine)) {
    const std::wstring error = ErrorText(GetLastError());
    std::fprintf(stderr, "tarnix-cli errmsg: %s line %zu: %s\n", path.c_str(), badLine,
                 ToUtf8(error).c_str());
    return false;
  }
  return true;
}

// The system folder whose message tables answer (installed at the start of
// every command): TARNIX_WINDOWS_ROOT, the WindowsRoot setting, WSL or Wine.
// Kind-1 range modules are looked up in it too.
std::filesystem::path SystemFolder() {
  std::filesystem::path system = MessageSearchSystemFolder(ProgramWindowsRoot());
  if (system.empty())
    std::fprintf(stderr,
                 "tarnix-cli errmsg: no Windows folder found; only the program's own "
                 "descriptions answer (set TARNIX_WINDOWS_ROOT)\n");
  return system;
}

int RunErrMsg(const std::vector<std::string>& args) {
  MessageSearchParams p;
  std::string word, rangesFile;
  bool haveWord = false, haveSet = false, haveLang = false, names = false;
  uint64_t setId = 0;
  uint16_t language = 0x400;
  for (ArgCursor in(args); in.More();) {
    const std::string& a = in.Next();
    std::string v;
    if (a == "--regex") {
      p.regex = true;
    } else if (a == "--case") {
      p.caseSensitive = true;
    } else if (a == "--words") {
      p.wholeWords = true;
    } else if (a == "--names") {
      names = true;
    } else if (a == "--every-code") {
      p.lookup = MessageLookup::kEveryCode;
    } else if (a == "--lang") {
      if (!in.Value(v) || !ReadLanguageOption(v, language))
        return Usage("--lang takes a language identifier (0x409) or name (en-US)");
      haveLang = true;
    } else if (a == "--set") {
      if (!in.Value(v) || !ReadOptionNumber(v, kBuiltInRangeSetCount - 1, setId))
        return Usage("--set takes a built-in set number, 0 to 7");
      haveSet = true;
    } else if (a == "--ranges") {
      if (!in.Value(v)) return Usage("--ranges needs a file name");
      rangesFile = v;
    } else if (a == "--help" || a == "-h") {
      Usage(nullptr);
      return kExitOk;
    } else if (a.rfind("--", 0) == 0) {
      return Usage(("unknown option " + a).c_str());
    } else if (haveWord) {
      return Usage("give one search word (quote it when it holds blanks)");
    } else {
      word = a;
      haveWord = true;
    }
  }
  if (haveSet && !rangesFile.empty()) return Usage("--set and --ranges exclude each other");

  p.systemFolder = SystemFolder();
  p.grammar = LoadProgramSettings().regexGrammar;
  p.word = TrimSearchText(FromUtf8(word));
  const std::wstring problem = MessageSearchWordProblem(p.word, p.regex, p.caseSensitive, p.wholeWords, p.grammar);
  if (!problem.empty()) return Refuse(problem);
  if (haveLang && !MessageLanguageAvailable(language))
    return Refuse(WFormat(L"The system messages hold no texts in language 0x%X (%ls)", language,
                          MessageLanguageDisplayName(language).c_str()));
  p.language = language;
  if (!rangesFile.empty()) {
    if (!ReadRangesFile(rangesFile, p.ranges)) return kExitUsage;
  } else {
    p.ranges = BuildBuiltInRangeSets().at(static_cast<int32_t>(setId)).ranges;
  }
  if (p.ranges.empty()) return Refuse(L"Select at least one error range to search in");

  StopFlag stop{kStopRun};
  MessageSearchCounters counters;
  QueueMessageTarget target(4096, 0);
  p.stop = &stop;
  p.target = &target;
  p.counters = &counters;

  MessageSearchTranscript transcript([](const std::wstring& line) { PrintLine(stdout, line); });
  transcript.Begin(p);
  InterruptStops interrupts(stop);

  MessageSearch search;
  RunStopwatch clock;
  clock.Start();
  if (!StartMessageSearch(search, p)) {
    return Refuse(WFormat(L"Failed to start the search:\n\n%ls",
                          ErrorText(GetLastError()).c_str()));
  }
  bool completed = false;
  for (;;) {
    PostedMessage msg;
    if (!target.Take(msg, std::chrono::milliseconds(200))) continue;
    if (msg.id == kMsgErrMsgLines) {
      if (const auto* lines = msg.As<std::vector<std::wstring>>())
        for (const std::wstring& line : *lines) transcript.Line(names ? WithErrorNames(line) : line);
    } else if (msg.id == kMsgErrMsgEnded) {
      completed = msg.wParam == 1;
      break;
    }
  }
  search.Wait(std::chrono::milliseconds(5000));
  clock.Finish();
  const int64_t elapsed = clock.ElapsedMs();
  uint64_t matches = 0;
  {
    std::lock_guard<std::mutex> lock(counters.countersLock);
    matches = counters.matches;
  }
  transcript.Finish(completed, matches, elapsed);
  std::fflush(stdout);
  return completed ? kExitOk : kExitStopped;
}

const CommandRegistrar kRegistrar("errmsg", "error codes whose messages match a word",
                                  RunErrMsg);

}  // namespace
}  // namespace tarnix::cli

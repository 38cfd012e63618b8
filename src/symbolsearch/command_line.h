#pragma once
// The program's command line: folder and files to search, then switches
// with decimal values (/isf 1 or -isf 1). Parsing never fails: every bad
// argument is reported through the diagnostics callback and skipped.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "symbolsearch/search_criteria.h"

namespace tarnix {

// The values of the switches from "isf" to "pett", in table order.
struct CommandLineValues {
  uint32_t isf = 0, fnrx = 0, fncs = 0, fnww = 0, snrx = 0, sncs = 0, snww = 0;
  uint32_t pa = 1, sf = 1, li = 0, petp = 0;
  uint64_t pess = 0, pecm = 0, pecv = 0, pedm = 0, pedv = 0, petf = 0, pett = 0;
  bool operator==(const CommandLineValues&) const = default;
};

// A time-stamp switch (seconds since 1970, 0 = not set) as a FILETIME. A
// value past the last FILETIME gives the last one, which the criteria
// checks refuse like any other time out of range.
uint64_t SwitchSecondsToFileTime(uint64_t seconds);
// And back: 0 stays 0 (not set), and so does a time before 1970, which no
// switch value can carry.
uint64_t FileTimeToSwitchSeconds(uint64_t fileTime);

// The switch values that give a window's criteria: the PE filters only
// while their group is shown.
CommandLineValues SwitchValuesOf(const SearchCriteriaInput& criteria);

// Start-up actions of the "auto" switch.
enum AutoActions : uint32_t { kAutoStartSearch = 0x1, kAutoForeground = 0x100 };

struct CommandLineState {
  std::wstring folder;                  // with a trailing separator; empty when none
  std::vector<std::wstring> fileNames;  // names without folder
  // "--name TEXT" and "--for TEXT", anywhere on the line: the file name and
  // the search string, as tarnix-cli search takes them.
  std::optional<std::wstring> name, searchFor;
  uint32_t autoActions = 0;
  CommandLineValues values;
};

using CommandLineDiagnostics = std::function<void(const std::wstring& text)>;

// Parses `args` (without the program name). A first path that does not
// exist, with no other folder or file given, is kept as the folder, so the
// search's check names it instead of asking for a folder. `commandLine` is the whole
// command line as shown in diagnostics ("<null>" when empty).
CommandLineState ParseCommandLine(const std::vector<std::wstring>& args,
                                  const CommandLineDiagnostics& diagnostics);

// Composes the command line for another instance: the files (all in one
// folder, else error 1656), "/auto N", then every switch whose value differs
// from its default. With neither values nor files: error 4306.
std::optional<std::wstring> ComposeCommandLine(uint32_t autoActions,
                                               const std::vector<std::wstring>& filePaths,
                                               const CommandLineValues* values);
// The same as an argument vector, for starting a process directly.
std::optional<std::vector<std::wstring>> ComposeArguments(
    uint32_t autoActions, const std::vector<std::wstring>& filePaths,
    const CommandLineValues* values);

// One switch as the programs' help shows it: "/name VALUE", then what it sets.
struct SwitchHelp {
  std::string name;
  const char* value;
  const char* text;
};
// Every switch, "auto" first, then the table order.
std::vector<SwitchHelp> CommandLineSwitchHelp();

// The program to start: 0 this program; 1 and 2 the 32-bit and 64-bit
// builds, which this build does not have (error 9553).
std::optional<std::wstring> ExecutablePath(uint32_t choice);

// Starts another instance with the composed arguments. Answers false with
// the last error set when the executable, the command line or the start
// fails.
bool OpenAnotherInstance(uint32_t choice, uint32_t autoActions,
                         const CommandLineValues* values,
                         const std::vector<std::wstring>& filePaths);

}  // namespace tarnix

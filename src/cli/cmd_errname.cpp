// tarnix-cli errname: the symbolic names of error codes, both ways. A name
// (any letter case) gives its value, a number every name with that value;
// --decode adds what the bits of the value say.
#include <cstdio>
#include <cwctype>
#include <string>
#include <vector>

#include "cli/cli_support.h"
#include "cli/command.h"
#include "core/error_text.h"
#include "core/wformat.h"
#include "errnames/code_or_name.h"
#include "errnames/code_reading.h"
#include "platform/last_error.h"
#include "platform/text_encoding.h"
#include "platform/win_errors.h"

namespace tarnix::cli {
namespace {

int Usage(const char* message) {
  if (message) std::fprintf(stderr, "tarnix-cli errname: %s\n", message);
  std::fprintf(stderr,
               "usage: tarnix-cli errname [--decode] NAME|CODE...\n"
               "  NAME      an error name of winerror.h or ntstatus.h, in any letter case\n"
               "            (ERROR_ACCESS_DENIED, E_ACCESSDENIED, STATUS_ACCESS_DENIED)\n"
               "  CODE      decimal (5, -1), hexadecimal (0x80070005, 80070005h)\n"
               "  --decode  below each value, its Win32, HRESULT or NTSTATUS reading\n"
               "One line per matching name: \"0x%%08X<TAB>NAME\", sorted by name.\n"
               "Exit status: 0 every argument matched, 1 some did not, 2 bad usage.\n");
  return kExitUsage;
}

// Why `text` gave nothing, for the line on stderr.
std::wstring FailureReason(std::wstring_view text, uint32_t error) {
  if (error == ERROR_NOTHING_ENTERED) return L"empty argument";
  if (error == ERROR_NOT_FOUND) return L"no such error name";
  if (error == ERROR_VALUE_TOO_LARGE) return std::wstring(L"out of range. ") + kErrorCodeRangeText;
  for (wchar_t c : text)
    if (std::iswspace(c)) return L"neither a number nor an error name: it holds a blank";
  if (text.ends_with(L"0x") || text.ends_with(L"0X")) return L"no hexadecimal digits after 0x";
  return L"neither a number nor an error name";
}

void Fail(const std::string& arg, const std::wstring& reason) {
  PrintLine(stderr, L"tarnix-cli errname: '" + FromUtf8(arg) + L"': " + reason);
}

void PrintName(const ErrorName& n) { std::printf("0x%08X\t%s\n", n.value, n.name); }

void PrintReadings(uint32_t value) {
  for (const std::wstring& reading : CodeReadingTexts(value)) PrintLine(stdout, L"  " + reading);
}

int RunErrName(const std::vector<std::string>& args) {
  bool decode = false;
  std::vector<std::string> items;
  bool options = true;
  for (const std::string& a : args) {
    if (options && a == "--") {
      options = false;
    } else if (options && a == "--decode") {
      decode = true;
    } else if (options && (a == "--help" || a == "-h")) {
      Usage(nullptr);
      return kExitOk;
    } else if (options && a.size() > 2 && a.rfind("--", 0) == 0) {
      return Usage(("unknown option " + a).c_str());
    } else {
      items.push_back(a);
    }
  }
  if (items.empty()) return Usage("give at least one error name or code");

  bool allMatched = true;
  for (const std::string& item : items) {
    const std::wstring text = FromUtf8(item);
    CodeOrName read;
    std::wstring shown;  // the text without blanks at its ends, as errcode reads it
    if (!ReadCodeBox(text, read, shown)) {
      Fail(item, FailureReason(shown, GetLastError()));
      allMatched = false;
      continue;
    }
    if (read.name) {
      PrintName(*read.name);
    } else {
      const auto names = ErrorNamesOf(read.code);
      for (const ErrorName* n : names) PrintName(*n);
      if (names.empty()) {
        Fail(item, WFormat(L"no error name has the value 0x%08X", read.code));
        allMatched = false;
        // The readings still say what the value is; they go under the value.
        if (decode) std::printf("0x%08X\n", read.code);
      }
    }
    if (decode) PrintReadings(read.code);
  }
  std::fflush(stdout);
  return allMatched ? kExitOk : kExitSomeFailed;
}

const CommandRegistrar kErrName("errname",
                                "error names and codes, both ways; --decode reads the bits",
                                RunErrName);

}  // namespace
}  // namespace tarnix::cli

// tarnix-cli errmsg end to end: a Windows folder whose System32 holds a
// synthetic kernelbase.dll, a ranges file, and the exact lines printed.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <string>

#include "pe/resource_fixture.h"
#include "support/temp_dir.h"

namespace tarnix {
namespace {

using namespace tarnix::test;

struct CliRun {
  int status = -1;
  std::string out;
};

CliRun ErrMsg(const TempDir& dir, const std::string& args) {
  const std::string command = "TARNIX_WINDOWS_ROOT='" + (dir.path() / "Windows").string() +
                              "' " + TARNIX_CLI_PATH + " errmsg " + args + " 2>&1";
  FILE* pipe = popen(command.c_str(), "r");
  CliRun run;
  if (!pipe) return run;
  char buf[4096];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, pipe)) > 0) run.out.append(buf, n);
  const int status = pclose(pipe);
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

TEST(ErrMsgCommand, PrintsTheResultsWindowLines) {
  TempDir dir("errmsgcli");
  dir.Write("Windows/System32/KernelBase.dll",
            BuildImage({MessageTableResource(
                           0x409, {{5, 6, {MessageEntry(u"Access is denied.\r\n"),
                                           MessageEntry(u"The handle is invalid.\r\n")}}})},
                       true)
                .bytes);
  dir.Write("ranges.txt", "5|6|0||Small\n2147942400|2147942410|256||Facility 7|HRESULTs\n");
  const std::string ranges = (dir.path() / "ranges.txt").string();

  CliRun run = ErrMsg(dir, "access --ranges '" + ranges + "'");
  EXPECT_EQ(run.status, 0) << run.out;
  const std::string expected =
      "SearchWord: \"access\", Range: {Win32:[5 to 6]; HRESULT:[0x80070000 to 0x8007000A]}, "
      "Regex: No, CaseSensitive: No, WholeWords: No, Language: English (United States)\n"
      "--------------------------------------\n"
      "Code\tSmall\n\n5\t= Access is denied.\n\n"
      "Code\t\tFacility 7|HRESULTs [FACILITY_WIN32]\n\n0x80070005\t= Access is denied.\n"
      "--------------------------------------\n"
      "Search finished, found 2 match(es) in ";
  EXPECT_EQ(run.out.substr(0, expected.size()), expected);

  // --names adds the names of each result's code; headers stay as they are.
  run = ErrMsg(dir, "access --names --ranges '" + ranges + "'");
  EXPECT_EQ(run.status, 0) << run.out;
  EXPECT_NE(run.out.find("Code\tSmall\n\n5\t= Access is denied.\tERROR_ACCESS_DENIED\n\n"
                         "Code\t\tFacility 7|HRESULTs [FACILITY_WIN32]\n\n"
                         "0x80070005\t= Access is denied.\tE_ACCESSDENIED\n"),
            std::string::npos)
      << run.out;

  // A range over many facilities names none of them, and its ends are
  // both hexadecimal.
  dir.Write("wide.txt", "2147483648|4294967295|256||Everything\n");
  run = ErrMsg(dir, "access --ranges '" + (dir.path() / "wide.txt").string() + "'");
  EXPECT_NE(run.out.find("Range: {HRESULT:[0x80000000 to 0xFFFFFFFF]}"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("Code\t\tEverything\n\n0x80070005\t= Access is denied.\n"), std::string::npos) << run.out;

  // The window's refusals are usage errors.
  run = ErrMsg(dir, "'  '");
  EXPECT_EQ(run.status, 2);
  EXPECT_EQ(run.out, "Provide a search word to search error messages with\n");
  run = ErrMsg(dir, "'a||(' --regex");
  EXPECT_EQ(run.status, 2);
  EXPECT_NE(run.out.find("Component: 2\nERROR: ("), std::string::npos) << run.out;
  // A regular expression of separators and blanks only has nothing to look
  // for: refused as a usage error, never a search that stops at once.
  for (const char* word : {"'||'", "'|| ||'", "' || '"}) {
    run = ErrMsg(dir, std::string(word) + " --regex");
    EXPECT_EQ(run.status, 2) << word;
    EXPECT_EQ(run.out.rfind("Provide a search word to search error messages with\n", 0), 0u) << run.out;
    EXPECT_NE(run.out.find("\"||\""), std::string::npos) << run.out;
  }
  run = ErrMsg(dir, "x --lang 0x407");
  EXPECT_EQ(run.status, 2);
  EXPECT_EQ(run.out, "The system messages hold no texts in language 0x407 (German (Germany))\n");
  run = ErrMsg(dir, "x --lang xx-YY");
  EXPECT_EQ(run.status, 2);
  run = ErrMsg(dir, "x --set 8");
  EXPECT_EQ(run.status, 2);
}

// --lang takes what errcode takes (an identifier or a name), and a
// language the tables hold only as its primary language is answered by it.
TEST(ErrMsgCommand, LanguageByIdOrNameFallsBackToThePrimaryLanguage) {
  TempDir dir("errmsglang");
  dir.Write("Windows/System32/KernelBase.dll",
            BuildImage({MessageTableResource(0x409, {{5, 5, {MessageEntry(u"Access is denied.\r\n")}}}),
                        MessageTableResource(0x0007, {{5, 5, {MessageEntry(u"Zugriff verweigert\r\n")}}})},
                       true)
                .bytes);
  for (const char* lang : {"0x407", "de-DE", "de_de", "0x7", "1031"}) {
    CliRun run = ErrMsg(dir, std::string("zugriff --lang ") + lang);
    EXPECT_EQ(run.status, 0) << lang << ": " << run.out;
    EXPECT_NE(run.out.find("5\t= Zugriff verweigert\n"), std::string::npos) << lang << ": " << run.out;
  }
}

}  // namespace
}  // namespace tarnix

// tarnix-cli errcode, run as a process against synthetic modules and a
// synthetic Windows root whose kernelbase.dll gives the system texts.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <string>

#include "errcode/search_texts.h"
#include "errcode_fixture.h"

namespace tarnix {
namespace {

using namespace tarnix::test;

struct CliRun {
  int status = -1;
  std::string out, err;
};

CliRun RunCli(const std::string& env, const std::string& args) {
  TempDir tmp("clio");
  const std::string errPath = (tmp.path() / "err.txt").string();
  const std::string cmd = env + " '" + TARNIX_CLI_PATH + "' errcode " + args + " 2>'" + errPath + "'";
  CliRun r;
  FILE* p = popen(cmd.c_str(), "r");
  if (!p) return r;
  char buf[4096];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) r.out.append(buf, n);
  const int st = pclose(p);
  r.status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
  if (FILE* e = std::fopen(errPath.c_str(), "rb")) {
    while ((n = std::fread(buf, 1, sizeof buf, e)) > 0) r.err.append(buf, n);
    std::fclose(e);
  }
  return r;
}

std::string Quoted(const std::filesystem::path& p) { return std::string("'") + p.string() + "'"; }

class CliErrCode : public ::testing::Test {
 protected:
  CliErrCode() {
    root_.Write("Windows/System32/kernelbase.dll",
                ModuleWith({{5, u"Access is denied.\r\n"}, {0x80070005, u"HRESULT text"}}));
    root_.Write("Windows/SysWOW64/kernel32.dll", PlainModule());
    mods_.Write("own.dll", BuildImage({MessageTableResource(0x409, {{5, 5, {MessageEntry(u"Own\r\ntext.")}}}),
                                       Resource{16, 1, 0x409, SimpleVersion(0x409, u"Own module", u"1.2"), {}}},
                                      true)
                               .bytes);
    mods_.Write("plain.dll", PlainModule());
    env_ = std::string("TARNIX_WINDOWS_ROOT=") + Quoted(root_.path() / "Windows");
  }
  TempDir root_{"root"};
  TempDir mods_{"mods"};
  std::string env_;
};

TEST_F(CliErrCode, OneLinePerHitWithTheCodeAsTyped) {
  const CliRun r = RunCli(env_, std::string("0x5 --in ") + Quoted(mods_.path()));
  EXPECT_EQ(r.status, 0);
  const std::string dir = mods_.path().string() + "/";
  EXPECT_EQ(r.out, std::string("0x5 = Own  text.\t") + dir + "own.dll\town\n0x5 = Access is denied.\t" + dir +
                       "plain.dll\tsystem\n");
  EXPECT_NE(r.err.find(std::string("Initiating Search\nErrorCode=0x5, SearchPath(s)=1:\n[Folder]: \"") + dir + "\"\n"),
            std::string::npos);
  EXPECT_NE(r.err.find("--------------------------------------\nSearch finished, found 2 match(es) in "),
            std::string::npos);

  const CliRun details = RunCli(env_, std::string("5 --in ") + Quoted(mods_.path() / "own.dll") + " --details");
  EXPECT_EQ(details.status, 0);
  EXPECT_EQ(details.out, std::string("5 = Own  text.\t") + dir + "own.dll\town\t1.2.3.4\tOwn module\n");

  // A module without a version resource has no description, not an error;
  // --own leaves out the system's texts.
  const CliRun plain = RunCli(env_, std::string("5 --in ") + Quoted(mods_.path() / "plain.dll") + " --details");
  EXPECT_EQ(plain.out, std::string("5 = Access is denied.\t") + dir + "plain.dll\tsystem\t\t\n");
  const CliRun own = RunCli(env_, std::string("5 --own --in ") + Quoted(mods_.path()));
  EXPECT_EQ(own.status, 0);
  EXPECT_EQ(own.out, std::string("5 = Own  text.\t") + dir + "own.dll\town\n");
  EXPECT_NE(own.err.find("Search finished, found 1 match(es) in "), std::string::npos) << own.err;
}

TEST_F(CliErrCode, LanguageByIdOrNameFindsThePrimaryLanguageTable) {
  mods_.Write("de.dll", BuildImage({MessageTableResource(0x409, {{5, 5, {MessageEntry(u"Denied.")}}}),
                                    MessageTableResource(0x0007, {{5, 5, {MessageEntry(u"Verweigert.")}}})},
                                   true)
                            .bytes);
  for (const char* lang : {"0x407", "de-DE", "0x7"}) {
    const CliRun r = RunCli(env_, "5 --lang " + std::string(lang) + " --in " + Quoted(mods_.path() / "de.dll"));
    EXPECT_EQ(r.status, 0) << lang;
    EXPECT_EQ(r.out.rfind("5 = Verweigert.\t", 0), 0u) << lang << ": " << r.out;
  }
}

TEST_F(CliErrCode, DefaultLocationsNothingFoundAndBadUsage) {
  // No --in: System32 and Program Files of the root, with subfolders.
  const CliRun sys = RunCli(env_, "0x80070005");
  EXPECT_EQ(sys.status, 0);
  EXPECT_NE(sys.out.find("0x80070005 = HRESULT text\t"), std::string::npos);
  EXPECT_NE(sys.err.find(std::string("SearchPath(s)=1:\n[Folder]: \"") + (root_.path() / "Windows/System32").string() +
                         "/\" (with subfolders)\n"),
            std::string::npos);

  const CliRun none = RunCli(env_, std::string("1234567 --in ") + Quoted(mods_.path()));
  EXPECT_EQ(none.status, 1);
  EXPECT_EQ(none.out, "");
  EXPECT_NE(none.err.find("Search finished, found 0 match(es) in "), std::string::npos);

  const CliRun status = RunCli(env_, std::string("STATUS_ACCESS_DENIED --in ") + Quoted(mods_.path()));
  EXPECT_EQ(status.status, 1);
  EXPECT_NE(status.err.find("Hint: 0xC0000022 is an NTSTATUS code"), std::string::npos) << status.err;
  const CliRun filtered = RunCli(env_, std::string("5 --ext exe --in ") + Quoted(mods_.path()));
  EXPECT_EQ(filtered.status, 1);

  const CliRun bad = RunCli(env_, "'12 34'");
  EXPECT_EQ(bad.status, 2);
  // The reader's own reason, without an internal code.
  EXPECT_EQ(bad.err.rfind("Failed to read provided error code:\n\nThe text holds characters that are not part of a number.\n", 0), 0u) << bad.err;
  // A number out of range is refused with the range, never wrapped.
  for (const std::string& code : {std::string(1000, '9'), std::string("-4294967295"), std::string("-2147483649")}) {
    const CliRun far = RunCli(env_, code + " --in " + Quoted(mods_.path()));
    EXPECT_EQ(far.status, 2) << code;
    EXPECT_EQ(far.err.rfind("Failed to read provided error code:\n\nThe number is out of range.\n", 0), 0u) << far.err;
    EXPECT_NE(far.err.find("An error code is a number from -2147483648 to 4294967295"), std::string::npos);
  }
  const CliRun empty = RunCli(env_, "''");
  EXPECT_EQ(empty.status, 2);
  EXPECT_EQ(empty.err, "Provide an error code to search for.\n");
  EXPECT_EQ(RunCli(env_, "5 --subfolders").status, 2);
  EXPECT_EQ(RunCli(env_, "5 --lang xx-nowhere").status, 2);

  // A location that is not what it claims is reported, and searched anyway.
  const CliRun missing = RunCli(env_, std::string("5 --in ") + Quoted(mods_.path() / "nothere/"));
  EXPECT_EQ(missing.status, 1);
  EXPECT_NE(missing.err.find("The following search folder is not valid:\n\n"), std::string::npos);
  EXPECT_NE(missing.err.find("ERROR: Folder search failed: (3) "), std::string::npos);
}

TEST_F(CliErrCode, ANameSearchesWhatItsNumberSearches) {
  const std::string in = " --in " + Quoted(mods_.path());
  const CliRun byNumber = RunCli(env_, "5" + in);
  const CliRun byName = RunCli(env_, "' error_access_denied '" + in);
  EXPECT_EQ(byName.status, 0);
  EXPECT_EQ(byName.out, byNumber.out);
  EXPECT_NE(byName.err.find("ErrorCode=5, SearchPath(s)=1:"), std::string::npos) << byName.err;

  const CliRun hr = RunCli(env_, "E_ACCESSDENIED");
  EXPECT_EQ(hr.out, RunCli(env_, "0x80070005").out);
  EXPECT_NE(hr.out.find("0x80070005 = HRESULT text\t"), std::string::npos);

  const CliRun unknown = RunCli(env_, "E_NO_SUCH_NAME");
  EXPECT_EQ(unknown.status, 2);
  EXPECT_EQ(unknown.err.rfind("Unknown error name: E_NO_SUCH_NAME\n", 0), 0u) << unknown.err;
  EXPECT_EQ(unknown.err.find("(1168)"), std::string::npos) << unknown.err;
}

TEST(SearchTexts, CodeShownAsTypedAndDisplayText) {
  EXPECT_EQ(CodeShownByKind(5, ErrorCodeKind::Decimal), L"5");
  EXPECT_EQ(CodeShownByKind(0xFFFFFFFF, ErrorCodeKind::Decimal), L"-1");
  EXPECT_EQ(CodeShownByKind(5, ErrorCodeKind::Hexadecimal), L"0x5");
  EXPECT_EQ(CodeShownByKind(0xFFFF, ErrorCodeKind::Hexadecimal), L"0xFFFF");
  EXPECT_EQ(CodeShownByKind(0x10000, ErrorCodeKind::Hexadecimal), L"0x00010000");
  EXPECT_EQ(CodeShownByKind(0x80070005, ErrorCodeKind::Hexadecimal), L"0x80070005");
  EXPECT_EQ(CodeShownByKind(0xFFFFFFF6, ErrorCodeKind::None), L"0xFFFFFFF6");
  EXPECT_EQ(ResultDisplayText({5, ErrorCodeKind::Decimal, L"Line one.\r\nTwo\n", L"/m.dll"}),
            L"5 = Line one.  Two");
  EXPECT_EQ(SearchFinishedLine(true, 3, 61001), L"Search finished, found 3 match(es) in 1m:1s:001ms.");
  EXPECT_EQ(SearchFinishedLine(false, 3, 61001), L"Search was aborted...");
  EXPECT_EQ(SearchStartLines(5, ErrorCodeKind::Hexadecimal, {{0x8001, L"/a/"}, {2, L"/b.dll"}}),
            (std::vector<std::wstring>{L"Initiating Search", L"ErrorCode=0x5, SearchPath(s)=2:",
                                       L"[Folder]: \"/a/\" (with subfolders)", L"[File]: \"/b.dll\""}));
}

}  // namespace
}  // namespace tarnix

// tarnix-cli's views of the settings store and the event log.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "core/event_log.h"
#include "core/registry_settings.h"
#include "core/setting_names.h"
#include "platform/event_store.h"
#include "platform/registry.h"
#include "support/temp_dir.h"

namespace tarnix {
namespace {

// Runs the CLI with `args`; its exit status and standard output.
int RunCli(const std::string& args, std::string& out) {
  out.clear();
  FILE* p = popen((std::string(TARNIX_CLI_PATH) + " " + args + " 2>/dev/null").c_str(), "r");
  if (!p) return -1;
  char buf[4096];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
  int status = pclose(p);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(CliStoreCommands, SettingsListShowsEveryValue) {
  RegistrySettings s;
  ASSERT_TRUE(s.SetDword(L"Num", 42));
  ASSERT_TRUE(s.SetText(L"Txt", L"a\tb \u00e9"));
  ASSERT_TRUE(s.SetStringList(L"List", {L".exe", L".dll"}));
  ASSERT_TRUE(s.SetQword(L"Big", 1ULL << 40));
  const uint8_t bin[] = {0xDE, 0xAD};
  ASSERT_TRUE(RegistrySettings(RegistrySettings::SectionKey(L"Settings\\DontShowMsgs")).SetBinary(L"B", bin, 2));
  std::string out;
  ASSERT_EQ(RunCli("settings list", out), 0);
  const std::string key = "Software\\TarnixProject\\Tarnix\\Settings";
  EXPECT_NE(out.find(key + "\tNum\tREG_DWORD\t42 (0x0000002A)\n"), std::string::npos) << out;
  EXPECT_NE(out.find(key + "\tTxt\tREG_SZ\t\"a\\x09b \xC3\xA9\"\n"), std::string::npos) << out;
  EXPECT_NE(out.find(key + "\tList\tREG_MULTI_SZ\t\".exe\", \".dll\"\n"), std::string::npos);
  EXPECT_NE(out.find(key + "\tBig\tREG_QWORD\t1099511627776 (0x0000010000000000)\n"), std::string::npos);
  EXPECT_NE(out.find(key + "\\DontShowMsgs\tB\tREG_BINARY\tDE AD\n"), std::string::npos);
  EXPECT_EQ(RunCli("settings", out), 2);
}

TEST(CliStoreCommands, EventLogExportTakesItsMaximumFromTheSettings) {
  ASSERT_EQ(EventStore::Clear(), 0u);
  for (int i = 0; i < 5; ++i) EventLog::LogSiteFormat(100 + i, L"n=%d", i);
  test::TempDir dir;
  const auto path = dir.path() / "log.html";
  auto rows = [&] {
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    std::string html = ss.str();
    size_t n = 0;
    for (size_t p = html.find("<td colspan='4'>"); p != std::string::npos; p = html.find("<td colspan='4'>", p + 1)) ++n;
    return n;
  };
  std::string out;
  ASSERT_EQ(RunCli("eventlog export " + path.string(), out), 0);
  EXPECT_EQ(rows(), 5u);
  ASSERT_TRUE(RegistrySettings().SetDword(setting::kExportEvtLogMaxEntryCount, 2));
  ASSERT_EQ(RunCli("eventlog export " + path.string(), out), 0);
  EXPECT_EQ(rows(), 2u);
  ASSERT_EQ(RunCli("eventlog export " + path.string() + " --max 0", out), 0);
  EXPECT_EQ(rows(), 5u);
  EXPECT_EQ(RunCli("eventlog export " + (dir.path() / "no" / "x.html").string(), out), 1);
  EXPECT_EQ(RunCli("eventlog export " + path.string() + " --max x", out), 2);
}

}  // namespace
}  // namespace tarnix

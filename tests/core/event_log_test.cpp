#include "core/event_log.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "core/event_log_export.h"
#include "platform/event_store.h"
#include "platform/last_error.h"
#include "platform/text_encoding.h"
#include "platform/wait_event.h"
#include "platform/win_errors.h"
#include "support/temp_dir.h"
#include "tarnix_version.h"

namespace tarnix {
namespace {

// The newest records of the store, newest first.
std::vector<EventRecord> Newest(size_t n) {
  EventStore::Reader reader(false);
  std::vector<EventRecord> got;
  reader.Next(got, n, SIZE_MAX);
  return got;
}

std::string NewestText() {
  auto r = Newest(1);
  return r.empty() || r[0].strings.empty() ? std::string() : ToUtf8(r[0].strings[0]);
}

std::string ReadFile(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

size_t Count(const std::string& s, const std::string& what) {
  size_t n = 0;
  for (size_t p = s.find(what); p != std::string::npos; p = s.find(what, p + 1)) ++n;
  return n;
}

// "YYYY-MM-DDThh:mm:ss.mmm " followed by `rest`.
bool IsRecord(const std::string& text, const std::string& rest) {
  const std::string shape = "dddd-dd-ddTdd:dd:dd.ddd ";
  if (text.size() != shape.size() + rest.size()) return false;
  for (size_t i = 0; i < shape.size(); ++i)
    if (shape[i] == 'd' ? !isdigit(static_cast<unsigned char>(text[i])) : text[i] != shape[i]) return false;
  return text.substr(shape.size()) == rest;
}

class EventLogTest : public testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(EventStore::Clear(), 0u); }
};

TEST_F(EventLogTest, RecordTextsKeepTheCallersLastError) {
  SetLastError(5);
  EXPECT_TRUE(EventLog::LogSite(147));
  EXPECT_EQ(GetLastError(), 5u);
  EXPECT_TRUE(IsRecord(NewestText(), "{" TARNIX_VERSION_FULL "|x64} (5) [147]")) << NewestText();

  SetLastError(0xFFFFFFFE);
  EXPECT_TRUE(EventLog::LogSiteFormat(147, L"c=%d", 5));
  EXPECT_EQ(GetLastError(), 0xFFFFFFFEu);
  EXPECT_NE(NewestText().find("} (-2) [147] c=5"), std::string::npos) << NewestText();
  EXPECT_TRUE(NewestText().ends_with(") [147] c=5"));

  SetLastError(0);
  EventLog::LogSiteFormat(761, L"i=%zu, path=\"%ls\"", size_t{3}, L"C:\\x");
  EXPECT_NE(NewestText().find("(0) [761] i=3, path=\"C:\\x\""), std::string::npos);
  EventLog::LogSiteFormat(5, nullptr);
  EXPECT_TRUE(NewestText().ends_with(") [5] "));
  EventLog::LogFormat(L"[100] ulr=%ls", L"u");
  EXPECT_TRUE(NewestText().ends_with("} (0) [100] ulr=u"));

  auto r = Newest(1);
  ASSERT_EQ(r.size(), 1u);
  EXPECT_EQ(r[0].eventType, EVENTLOG_ERROR_TYPE);
  EXPECT_EQ(r[0].eventId, 0xC0020001u);
  EXPECT_EQ(r[0].category, 0);
  EXPECT_EQ(r[0].sourceName, L"Tarnix");
}

TEST_F(EventLogTest, UnformattableTextIsWrittenAsItsFormat) {
  // A narrow argument that is not text in the C locale makes formatting fail.
  SetLastError(7);
  EventLog::LogSiteFormat(12, L"x=%s", "\xff\xfe");
  EXPECT_NE(NewestText().find("(7) [12] x=%s"), std::string::npos) << NewestText();
  EventLog::LogFormat(L"y=%s", "\xff");
  EXPECT_NE(NewestText().find("(7) y=%s"), std::string::npos) << NewestText();
  EXPECT_EQ(GetLastError(), 7u);
}

TEST_F(EventLogTest, RecordTimeIsUtcWithMilliseconds) {
  setenv("TZ", "XYZ-5:30", 1);  // local time 5 h 30 min ahead of UTC
  tzset();
  // The times around the record are read from the clock the log reads:
  // time() may read a coarser clock that is still a second behind.
  auto now = [] { return std::chrono::system_clock::to_time_t(std::chrono::system_clock::now()); };
  const time_t before = now();
  EventLog::LogSite(1);
  const time_t after = now();
  std::string text = NewestText();
  struct tm t {};
  ASSERT_TRUE(strptime(text.c_str(), "%Y-%m-%dT%H:%M:%S", &t)) << text;
  const time_t logged = timegm(&t);
  EXPECT_GE(logged, before - 1);
  EXPECT_LE(logged, after);
  EXPECT_EQ(text[19], '.');
  unsetenv("TZ");
  tzset();
}

TEST_F(EventLogTest, ThreadsLogConcurrently) {
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t)
    threads.emplace_back([t] {
      SetLastError(static_cast<uint32_t>(t));
      for (int i = 0; i < 50; ++i) EventLog::LogSiteFormat(200 + t, L"i=%d", i);
      EXPECT_EQ(GetLastError(), static_cast<uint32_t>(t));
    });
  for (auto& th : threads) th.join();
  uint64_t count = 0;
  ASSERT_EQ(EventStore::Count(count), 0u);
  EXPECT_EQ(count, 200u);
  EXPECT_TRUE(EventStore::CheckIntegrity());
}

TEST_F(EventLogTest, WriteEventUsesTheIdentifierOfItsType) {
  EventLog::WriteEvent(EVENTLOG_WARNING_TYPE, L"w %d", 1);
  EventLog::WriteEvent(EVENTLOG_INFORMATION_TYPE, L"i");
  auto r = Newest(2);
  ASSERT_EQ(r.size(), 2u);
  EXPECT_EQ(r[0].eventId, 0x40020003u);
  EXPECT_EQ(r[1].eventId, 0x80020002u);
  EXPECT_EQ(r[1].strings, std::vector<std::wstring>{L"w 1"});
}

EventLogExportParams Params() {
  EventLogExportParams p;
  p.appName = L"Tarnix";
  p.appVersion = L"1.0.4.0";
  return p;
}

TEST_F(EventLogTest, ExportOfAnEmptyLogIsACompletePage) {
  test::TempDir dir;
  // Records of other sources are not the program's.
  EventRecord other;
  other.eventType = EVENTLOG_ERROR_TYPE;
  other.sourceName = L"Other";
  other.strings = {L"not ours"};
  ASSERT_EQ(EventStore::Report(other), 0u);

  const auto path = dir.path() / "log.html";
  EventLogExportParams p = Params();
  p.title = L"A <T>";
  p.sourceFilter = L"Other";  // the export always filters on its own source
  EXPECT_EQ(ExportEventLogToHtml(path.string(), p), 0);
  std::string html = ReadFile(path);
  EXPECT_EQ(html.substr(0, 19), "\xEF\xBB\xBF<!DOCTYPE html>\n");
  EXPECT_NE(html.find("<title>A &lt;T&gt;</title>"), std::string::npos);
  EXPECT_NE(html.find("<h1>Event Log Export</h1>"), std::string::npos);
  EXPECT_NE(html.find("<th nowrap>Type</th>"), std::string::npos);
  EXPECT_EQ(html.find("not ours"), std::string::npos);
  const std::string tail =
      "<tr><td colspan=\"5\" class=\"tac\"><em>No entries found...</em></td></tr></table>\n<div><p "
      "class='smFont'>Generated by Tarnix v.1.0.4.0</p></div>\n</body>\n</html>\n";
  ASSERT_GE(html.size(), tail.size());
  EXPECT_EQ(html.substr(html.size() - tail.size()), tail);
  EXPECT_NE(html.find("<tr><td>Other: </td><td>Elevated="), std::string::npos);
}

TEST_F(EventLogTest, ExportStopsAtTheMaximumWithTheNewestEntries) {
  EventRecord r;
  r.eventType = EVENTLOG_ERROR_TYPE;
  r.eventId = 0xC0020001;
  r.sourceName = L"tarnix";  // the filter ignores case
  for (int i = 0; i < 1500; ++i) {
    r.strings = {L"entry " + std::to_wstring(i) + L"."};
    ASSERT_EQ(EventStore::Report(r), 0u);
  }
  test::TempDir dir;
  const auto path = dir.path() / "log.html";
  EventLogExportParams p = Params();
  p.maxEntries = 1000;
  int calls = 0;
  p.callbackContext = &calls;
  p.cancelCallback = [](void* c) {
    ++*static_cast<int*>(c);
    return 1;
  };
  auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(ExportEventLogToHtml(path.string(), p), 1);
  auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
  std::string html = ReadFile(path);
  EXPECT_EQ(Count(html, "<td colspan='4'>entry "), 1000u);
  EXPECT_NE(html.find("entry 1499."), std::string::npos);
  EXPECT_NE(html.find("entry 500."), std::string::npos);
  EXPECT_EQ(html.find("entry 499."), std::string::npos);
  EXPECT_LT(html.find("entry 1499."), html.find("entry 500."));  // newest first
  EXPECT_EQ(html.find("No entries found"), std::string::npos);
  // The callback is asked at most once per 100 ms.
  EXPECT_GE(calls, 1);
  EXPECT_LE(calls, 1 + ms / 100);

  p.maxEntries = 0;
  p.readForwards = true;
  EXPECT_EQ(ExportEventLogToHtml(path.string(), p), 0);
  html = ReadFile(path);
  EXPECT_EQ(Count(html, "<td colspan='4'>entry "), 1500u);
  EXPECT_LT(html.find("entry 0."), html.find("entry 1499."));
}

TEST_F(EventLogTest, ExportRowsShowTypeStringsAndEscapes) {
  EventRecord r;
  r.sourceName = L"Tarnix";
  r.timeGenerated = 1658308502;  // 2022-07-20T09:15:02 UTC
  r.eventType = EVENTLOG_AUDIT_SUCCESS;
  r.eventId = 0x40020003;
  r.strings = {L"a<b", L"\"q\" & r", L"third"};
  ASSERT_EQ(EventStore::Report(r), 0u);
  r.eventType = EVENTLOG_WARNING_TYPE;
  r.strings = {L"warn"};
  ASSERT_EQ(EventStore::Report(r), 0u);

  test::TempDir dir;
  const auto path = dir.path() / "log.html";
  EventLogExportParams p = Params();
  p.readForwards = true;
  ASSERT_EQ(ExportEventLogToHtml(path.string(), p), 0);
  std::string html = ReadFile(path);
  const std::string first =
      "<tr><td rowspan='4' nowrap>&lt;0x8&gt;</td><td>";
  const std::string afterLocal =
      "</td><td>2022-07-20T09:15:02</td><td>Tarnix</td><td>0x40020003</td></tr>\n"
      "<tr><td colspan='4'>a&lt;b</td></tr>\n<tr><td colspan='4'>&quot;q&quot; &amp; r</td></tr>\n"
      "<tr><td colspan='4'>third</td></tr>\n"
      "<tr class='cW'><td rowspan='2' nowrap>Warning</td><td>";
  const std::string warnEnd = "<td>0x40020003</td></tr>\n<tr class='cW'><td colspan='4'>warn</td></tr>\n</table>";
  const size_t at = html.find(first);
  ASSERT_NE(at, std::string::npos);
  const size_t local = at + first.size();
  const size_t q = html.find("</td>", local);  // the end of the local time cell
  ASSERT_NE(q, std::string::npos);
  EXPECT_GT(q, local);
  EXPECT_EQ(html.compare(q, afterLocal.size(), afterLocal), 0) << html.substr(at, 600);
  EXPECT_NE(html.find(warnEnd), std::string::npos);
}

TEST_F(EventLogTest, CancelledOrFailedExportLeavesNoFile) {
  EventLog::LogSite(1);
  test::TempDir dir;
  const auto path = dir.path() / "log.html";
  EventLogExportParams p = Params();
  p.cancelCallback = [](void*) { return 0; };
  EXPECT_EQ(ExportEventLogToHtml(path.string(), p), -2);
  EXPECT_FALSE(std::filesystem::exists(path));

  WaitEvent cancel;
  cancel.Set();
  p.cancelCallback = nullptr;
  p.cancelEvent = &cancel;
  EXPECT_EQ(ExportEventLogToHtml(path.string(), p), -2);
  EXPECT_FALSE(std::filesystem::exists(path));

  const auto missing = dir.path() / "no" / "log.html";
  SetLastError(0);
  EXPECT_EQ(ExportEventLogToHtml(missing.string(), Params()), -1);
  EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
  EXPECT_FALSE(std::filesystem::exists(missing));
}

TEST(EventLogStats, RowsDescribeMonitorsLocaleAndMachine) {
  EventLogExportParams p = Params();
  p.appUrl = L"https://example.org/?a=1";
  MonitorStats a;
  a.width = 1920;
  a.height = 1080;
  a.workWidth = 1920;
  a.workHeight = 1040;
  a.bitsPerPixel = 32;
  a.dpiX = a.dpiY = 120;
  a.primary = a.showsApp = true;
  MonitorStats b = a;
  b.primary = b.showsApp = false;
  b.dpiX = b.dpiY = 96;
  p.monitors = {a, b};
  MachineStats m;
  m.osName = L"Os & Co";
  m.osVersion = L"<a>v</a>";
  LocaleFromPosixName("de_DE.UTF-8", m.localeId, m.localeName, m.countryCode);
  m.osFolder = L"/";
  m.appPath = L"/opt/t\"x";
  m.ram = {16.0, 50.0};
  m.elevated = true;
  std::string rows = ToUtf8(BuildExportStatsRows(p, m));
  EXPECT_NE(rows.find("<td>Application: </td><td><a href=\"https://example.org/?a=1\" target=\"_blank\">Tarnix v.1.0.4.0</a></td>"), std::string::npos) << rows;
  EXPECT_NE(rows.find("<td>OS: </td><td>Os &amp; Co</td>"), std::string::npos);
  EXPECT_NE(rows.find("<td>OS Ver: </td><td><a>v</a></td>"), std::string::npos);
  EXPECT_NE(rows.find("<td>Locale: </td><td>(0x0407) de-DE</td></tr><tr><td>Country: </td><td>49</td>"), std::string::npos);
  EXPECT_NE(rows.find("<td>Screen(s): </td><td>1. Sz:{w=1920, h=1080}, Wrk:{w=1920, h=1040}, BPP=32, "
                      "DPI:{x=125.0%, y=125.0%} [Primary] [App]<br/>2. Sz:{w=1920, h=1080}, Wrk:{w=1920, "
                      "h=1040}, BPP=32, DPI:{x=100.0%, y=100.0%}</td>"),
            std::string::npos) << rows;
  EXPECT_NE(rows.find("<td>App: </td><td>\"/opt/t&quot;x\"</td>"), std::string::npos);
  EXPECT_NE(rows.find("<td>RAM: </td><td>16.00GB (50.0% free)</td>"), std::string::npos);
  EXPECT_NE(rows.find("<td>Other: </td><td>Elevated=1, RDC=0</td>"), std::string::npos);

  uint32_t id;
  std::wstring name;
  int country;
  LocaleFromPosixName("C", id, name, country);
  EXPECT_EQ(id, 0x7Fu);
  LocaleFromPosixName("xx_YY", id, name, country);
  EXPECT_EQ(name, L"xx-YY");
}

}  // namespace
}  // namespace tarnix

#include "results/html_report.h"

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>

#include "results/result_column.h"
#include "support/temp_dir.h"
#include "symbolsearch/filter_description.h"
#include "tarnix_version.h"

namespace tarnix {
namespace {

std::string ReadAll(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

bool Has(const std::string& s, const std::string& part) { return s.find(part) != std::string::npos; }

SymbolResult Entry(uint32_t kind, std::wstring name) {
  SymbolResult r;
  r.file = L"/w/a&b.dll";
  r.name = std::move(name);
  r.module = L"KERNEL32.dll";
  r.kind = kind;
  r.properties.imageType = 1;
  return r;
}

ResultsModel Rows(std::initializer_list<SymbolResult> results) {
  ResultsModel m;
  for (const SymbolResult& r : results) m.Add(r);
  return m;
}

TEST(HtmlReport, EmptyResultsGiveOneSpanningRow) {
  test::TempDir dir;
  auto path = (dir.path() / "r.html").string();
  ReportCriteria c;
  c.searchText = L"a<b>&\"c";
  ASSERT_EQ(WriteHtmlReport(path, DefaultResultColumns(), {}, c, {}, {}), 1);
  std::string html = ReadAll(path);
  EXPECT_EQ(html.substr(0, 3), "\xEF\xBB\xBF");
  EXPECT_TRUE(Has(html, "<tr><th>Function Name</th><th>Ordinal</th><th>Matched In</th>"));
  EXPECT_TRUE(Has(html, "<tr><td colspan=\"9\" class=\"tac\"><em>No entries found...</em></td></tr>"));
  EXPECT_TRUE(Has(html, "<td>Search String: </td><td>a&lt;b&gt;&amp;&quot;c</td>"));
  // Plain patterns show whole words and no grammar row.
  EXPECT_TRUE(Has(html, "Regex=No, Case Sensitive=No, Whole Words=No</td>"));
  EXPECT_FALSE(Has(html, "Regex Grammar"));
  EXPECT_TRUE(Has(html, "<td>Look In: </td><td>All Available</td>"));
  EXPECT_TRUE(Has(html, "<tr><td>Type: </td><td>All</td></tr>"));
  EXPECT_TRUE(Has(html, "<span class='gr'>Finished</span> in 0s:000ms"));
  EXPECT_TRUE(Has(html, "<tr><td>Present As: </td><td>APIs-in-Modules</td></tr>"));
  EXPECT_TRUE(Has(html, "</style>\n</head>\n<body>\n"));
  EXPECT_TRUE(Has(html, "<textarea cols='45' rows='15' readonly='readonly' class='txta'></textarea>"));
  EXPECT_TRUE(Has(html, ">Tarnix v." TARNIX_VERSION_FULL "</a></p></div>\n</body>\n</html>\n"));
}

TEST(HtmlReport, LinksEscapingAndGrammarRow) {
  test::TempDir dir;
  auto path = (dir.path() / "r.html").string();
  ReportCriteria c;
  c.searchRegex = true;
  c.grammarName = L"ECMAScript";
  ReportOptions o;
  o.urlTemplate = L"https://example.org/?q=%S%&x=%S%";
  o.statusSection = false;
  ResultsModel rows = Rows({Entry(kKindExport, L"?F<o>o@@YAXXZ"),
                                   Entry(kKindExportOrdinal, L"#17")});
  ReportOutcome out;
  out.errors = 2;
  ASSERT_EQ(WriteHtmlReport(path, {kColFunctionName, kColImageName, kColType}, rows, c, out, o), 1);
  std::string html = ReadAll(path);
  EXPECT_TRUE(Has(html, "<tr><td>Regex Grammar: </td><td>ECMAScript</td></tr>"));
  EXPECT_TRUE(Has(html, "Regex=Yes, Case Sensitive=No</td>"));
  EXPECT_TRUE(Has(html, "Error(s)=<span class='rd'><strong>2</strong></span>"));
  EXPECT_TRUE(Has(html,
                  "<td><a href=\"https://example.org/?q=%3FF%3Co%3Eo%40%40YAXXZ&amp;x=%3FF%3Co%3Eo%40%40YAXXZ\" "
                  "target=\"_blank\">?F&lt;o&gt;o@@YAXXZ</a></td>"));
  EXPECT_TRUE(Has(html, "<tr><td>#17</td><td><a href="));  // ordinal names are plain cells
  EXPECT_TRUE(Has(html, ">a&amp;b.dll</a></td><td>32-bit</td></tr>"));
  EXPECT_FALSE(Has(html, "textarea"));

  o.urlTemplate = L"no placeholder";
  ASSERT_EQ(WriteHtmlReport(path, {kColModule}, rows, c, out, o), 1);
  EXPECT_TRUE(Has(ReadAll(path), "href=\"https://www.google.com/search?q=KERNEL32.dll\""));
}

// The online-search template is stored text: it never becomes markup, and
// only a web address becomes a link.
TEST(HtmlReport, HostileSearchTemplates) {
  test::TempDir dir;
  auto path = (dir.path() / "r.html").string();
  ResultsModel rows = Rows({Entry(kKindImport, L"CreateFileW")});
  ReportOptions o;
  o.urlTemplate = L"javascript:alert(1)//\"><script>alert(2)</script>%S%";
  ASSERT_EQ(WriteHtmlReport(path, {kColFunctionName, kColModule}, rows, {}, {}, o), 1);
  std::string html = ReadAll(path);
  EXPECT_FALSE(Has(html, "<script>"));
  EXPECT_FALSE(Has(html, "javascript"));
  // A template that is not a web address is not taken: the links search
  // with the default one.
  EXPECT_TRUE(Has(html, "<a href=\"https://www.google.com/search?q=CreateFileW\""));
  EXPECT_EQ(OnlineSearchUrl(o.urlTemplate, L"x"), L"https://www.google.com/search?q=x");
  EXPECT_EQ(OnlineSearchUrl(L"file:///etc/passwd?%S%", L"x"), L"https://www.google.com/search?q=x");
  EXPECT_EQ(OnlineSearchUrl(L"HTTPS://Example.org/?q=%S%", L"a b"), L"HTTPS://Example.org/?q=a%20b");

  // A web address that carries markup is escaped as an attribute.
  o.urlTemplate = L"https://example.org/?q=%S%&t=\"><script>alert(3)</script>";
  ASSERT_EQ(WriteHtmlReport(path, {kColModule}, rows, {}, {}, o), 1);
  html = ReadAll(path);
  EXPECT_FALSE(Has(html, "<script>"));
  EXPECT_TRUE(Has(html, "<td><a href=\"https://example.org/?q=KERNEL32.dll&amp;t=&quot;&gt;&lt;script&gt;"
                        "alert(3)&lt;/script&gt;\" target=\"_blank\">KERNEL32.dll</a></td>"));
}

// The page passes an HTML checker: tidy finds no error, and nothing to
// warn about but the empty paragraph the page's layout has always had
// before its statistics table.
TEST(HtmlReport, PassesTidy) {
  if (std::system("tidy -v >/dev/null 2>&1") != 0) GTEST_SKIP() << "tidy is not installed";
  test::TempDir dir;
  auto path = (dir.path() / "r.html").string();
  ReportCriteria c;
  c.searchText = L"<Create&File>";
  c.searchRegex = true;
  c.grammarName = L"ECMAScript";
  ReportOptions o;
  o.statusText = L"ERROR: <b>\"x\" & y</b>\r\nline two";
  ResultsModel rows = Rows({Entry(kKindExport, L"?F<o>o@@YAXXZ"), Entry(kKindExportOrdinal, L"#17")});
  ReportOutcome out;
  out.errors = 1;
  out.warnings = 2;
  ASSERT_EQ(WriteHtmlReport(path, DefaultResultColumns(), rows, c, out, o), 1);
  const std::string report = (dir.path() / "tidy.txt").string();
  const int status = std::system(("tidy -e -q '" + path + "' >'" + report + "' 2>&1").c_str());
  ASSERT_TRUE(WIFEXITED(status));
  const std::string said = ReadAll(report);
  EXPECT_LT(WEXITSTATUS(status), 2) << said;  // 2: errors
  std::stringstream lines(said);
  for (std::string line; std::getline(lines, line);) {
    if (line.empty()) continue;
    EXPECT_TRUE(Has(line, "trimming empty <p>")) << line;
  }
}

TEST(HtmlReport, OperatingSystemAsLinuxKnowsIt) {
  OsInfo os;
  os.prettyName = L"Ubuntu 22.04 <LTS>";
  os.kernelRelease = L"5.15.90.1-microsoft-standard-WSL2";
  os.machine = L"x86_64";
  os.bitness = L"64-bit";
  os.wsl = 2;
  const std::wstring text = ReportOsText(os);
  EXPECT_NE(text.find(L"\" target=\"_blank\">Ubuntu 22.04 &lt;LTS&gt;</a> (WSL 2), Kernel=<a href=\""),
            std::wstring::npos)
      << text;
  EXPECT_NE(text.find(L">5.15.90.1-microsoft-standard-WSL2</a>, Architecture=x86_64, Bitness=64-bit"),
            std::wstring::npos)
      << text;
  os.wsl = 0;
  EXPECT_EQ(ReportOsText(os).find(L"WSL 2)"), std::wstring::npos);

  EXPECT_EQ(WslOfKernelRelease("5.15.90.1-microsoft-standard-WSL2"), 2u);
  EXPECT_EQ(WslOfKernelRelease("4.4.0-19041-Microsoft"), 1u);
  EXPECT_EQ(WslOfKernelRelease("6.1.0-18-amd64"), 0u);
}

TEST(HtmlReport, CancelAndFailureLeaveNoFile) {
  test::TempDir dir;
  auto path = (dir.path() / "r.html").string();
  ResultsModel rows = Rows({Entry(kKindImport, L"A"), Entry(kKindImport, L"B")});
  EXPECT_EQ(WriteHtmlReport(path, {0}, rows, {}, {}, {}, [](size_t i) { return i == 1; }), 0);
  EXPECT_FALSE(std::filesystem::exists(path));
  EXPECT_EQ(WriteHtmlReport((dir.path() / "none/r.html").string(), {0}, rows, {}, {}, {}), -1);
}

TEST(FilterDescription, ListsAndValues) {
  EXPECT_EQ(DescribeImageTypes(0), L"All");
  EXPECT_EQ(DescribeImageTypes(0x3 | 0x10), L"32bit | 64bit | 0x10");
  EXPECT_EQ(DescribeSubsystems(0x80000004), L"GUI | Other");
  EXPECT_EQ(DescribeCharacteristics(0x2000001, 0x2000000), L"DEP=0 | Dll=1");
  EXPECT_EQ(DescribeCharacteristics(0x8000, 0x8000), L"0x8000=0x8000");
  EXPECT_EQ(DescribeDirectories(0x4000 | 0x2000000000ULL, 0x4000), L"Rcsrs=1 | Ver=0");
  EXPECT_EQ(DescribeLookIn(0), L"All Available");
  EXPECT_EQ(DescribeLookIn(0x41), L"Exp | Cpp");
  EXPECT_EQ(DescribeTimeBound(0), L"All");
}

}  // namespace
}  // namespace tarnix

// tarnix-cli search, run as a user runs it.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "pe/resource_fixture.h"
#include "support/cli_run.h"
#include "support/mixed_tree.h"
#include "support/pe_builder.h"
#include "support/temp_dir.h"

namespace tarnix::test {
namespace {

CliRun Search(const TempDir& dir, const std::string& args) { return RunCli(dir, "search", args); }

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> out;
  std::stringstream in(text);
  for (std::string line; std::getline(in, line);) out.push_back(line);
  return out;
}

// A strict JSON value reader: answers the position after the value, or
// npos when the text is not JSON.
size_t JsonValue(const std::string& s, size_t i) {
  auto ws = [&](size_t k) {
    while (k < s.size() && (s[k] == ' ' || s[k] == '\t')) ++k;
    return k;
  };
  i = ws(i);
  if (i >= s.size()) return std::string::npos;
  if (s[i] == '"') {
    for (++i; i < s.size(); ++i) {
      if (s[i] == '\\') {
        if (++i >= s.size() || std::string("\"\\/bfnrtu").find(s[i]) == std::string::npos)
          return std::string::npos;
      } else if (s[i] == '"') {
        return i + 1;
      } else if (static_cast<unsigned char>(s[i]) < 0x20) {
        return std::string::npos;
      }
    }
    return std::string::npos;
  }
  if (s[i] == '{' || s[i] == '[') {
    const char close = s[i] == '{' ? '}' : ']';
    i = ws(i + 1);
    if (i < s.size() && s[i] == close) return i + 1;
    for (;;) {
      if (close == '}') {
        i = JsonValue(s, i);
        if (i == std::string::npos) return i;
        i = ws(i);
        if (i >= s.size() || s[i] != ':') return std::string::npos;
        ++i;
      }
      i = JsonValue(s, i);
      if (i == std::string::npos) return i;
      i = ws(i);
      if (i < s.size() && s[i] == ',') {
        ++i;
        continue;
      }
      return i < s.size() && s[i] == close ? i + 1 : std::string::npos;
    }
  }
  size_t start = i;
  if (s[i] == '-') ++i;
  while (i < s.size() && isdigit(static_cast<unsigned char>(s[i]))) ++i;
  return i > start ? i : std::string::npos;
}

class SearchCommand : public testing::Test {
 protected:
  void SetUp() override {
    ImportModule k32{"KERNEL32.dll", {ImportSymbol::Named("CreateFileW", 5), ImportSymbol::Named("ReadFile")}};
    dir_.Write("imgs/app.exe", PeBuilder(PeBuilder::Kind::kPe32).Import(k32).Build().bytes);
    ExportTable exports{"tab\"q.dll", 1, {{1, "CreateFileA", ""}, {2, "", ""}}};
    dir_.Write("imgs/lib.dll", PeBuilder().Exports(exports).Build().bytes);
  }
  std::string Folder() const { return (dir_.path() / "imgs").string(); }
  TempDir dir_;
};

TEST_F(SearchCommand, TsvJsonAndTheTextExportAgree) {
  CliRun tsv = Search(dir_, Folder() + " --for CreateFile --columns 0,1,2,3,14,15 --header");
  ASSERT_EQ(tsv.status, 0) << tsv.err;
  auto lines = Lines(tsv.out);
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0], "Function Name\tMatched In\tModule From/To\tImage Name\tOrdinal\tHint");
  EXPECT_EQ(lines[1], "CreateFileW\tImport\tKERNEL32.dll\tapp.exe\t\t5");
  EXPECT_EQ(lines[2], "CreateFileA\tExport\ttab\"q.dll\tlib.dll\t1\t0");
  EXPECT_NE(tsv.err.find("Search Finished in "), std::string::npos);
  EXPECT_NE(tsv.err.find("File(s) Searched=2, Error(s)=0, Warning(s)=0."), std::string::npos);
  EXPECT_NE(tsv.err.find("Result(s) Found=2."), std::string::npos);

  CliRun json = Search(dir_, Folder() + " --for CreateFile --format json --quiet");
  ASSERT_EQ(json.status, 0);
  EXPECT_EQ(json.err, "");
  auto objects = Lines(json.out);
  ASSERT_EQ(objects.size(), 2u);
  for (const auto& o : objects) EXPECT_EQ(JsonValue(o, 0), o.size()) << o;
  EXPECT_NE(objects[1].find("\"module\":\"tab\\\"q.dll\""), std::string::npos);

  std::string out = (dir_.path() / "r.txt").string();
  CliRun file = Search(dir_, Folder() + " --for CreateFile --quiet --columns 0,1,2,3,14,15 --output " + out);
  ASSERT_EQ(file.status, 0);
  std::stringstream bytes;
  bytes << std::ifstream(out, std::ios::binary).rdbuf();
  std::string expected = "\xFF\xFE";
  std::string text = lines[1] + "\r\n" + lines[2];
  for (char c : text) expected += std::string{c, '\0'};
  EXPECT_EQ(bytes.str(), expected);
}

TEST_F(SearchCommand, ModulesOnlyOrdinalsAndUsage) {
  CliRun libs = Search(dir_, Folder() + " /sf 2 --columns 0,1,2,3 --quiet");
  ASSERT_EQ(libs.status, 0);
  EXPECT_EQ(Lines(libs.out), std::vector<std::string>{"\tImported Library\tKERNEL32.dll\tapp.exe"});

  CliRun ordinal = Search(dir_, Folder() + " --for '#2' --columns 0,1 --quiet");
  EXPECT_EQ(Lines(ordinal.out), std::vector<std::string>{"#2\tExport (Ordinal)"});

  EXPECT_EQ(Search(dir_, "--for x").status, 2);  // no folder
  CliRun noFolder = Search(dir_, "--for x");
  EXPECT_NE(noFolder.err.find("Provide a folder path to search"), std::string::npos);
  // A folder that does not exist is named, without a debugging line.
  const std::string missing = (dir_.path() / "absent").string();
  CliRun absent = Search(dir_, "'" + missing + "' --for x");
  EXPECT_EQ(absent.status, 2);
  EXPECT_EQ(absent.err.find("Warning"), std::string::npos) << absent.err;
  EXPECT_NE(absent.err.find("Failed to find the following search folder:\n\n" + missing + "/\n\n(2) "),
            std::string::npos) << absent.err;
  // --for and --name may stand before the folder too.
  CliRun before = Search(dir_, "--for '#2' " + Folder() + " --columns 0,1 --quiet");
  EXPECT_EQ(Lines(before.out), std::vector<std::string>{"#2\tExport (Ordinal)"});
  EXPECT_EQ(Search(dir_, Folder() + " --format xml").status, 2);
  CliRun badName = Search(dir_, Folder() + " --name 'c:x.dll'");
  EXPECT_EQ(badName.status, 2);
  EXPECT_NE(badName.err.find("'File Name' field must contain file name only."), std::string::npos);
}

TEST_F(SearchCommand, ErrorsAreCountedInTheExitStatus) {
  dir_.Write("imgs/broken.dll", std::string(200, 'x'));
  CliRun run = Search(dir_, Folder() + " --name '*.dll' --for CreateFile --quiet");
  EXPECT_EQ(run.status, 1);
  CliRun all = Search(dir_, Folder() + " --for CreateFile");
  EXPECT_EQ(all.status, 0);  // with every file selected it is only a warning
  EXPECT_NE(all.err.find("Warning: Searching file: \""), std::string::npos);
}

// A folder holding a link to a folder of images and a link to itself finds
// what a search of the images' folder finds, with one warning for the loop.
TEST_F(SearchCommand, FolderOfLinksFindsWhatItsTargetFinds) {
  ImportModule k32{"KERNEL32.dll", {ImportSymbol::Named("CreateFileW", 7)}};
  const std::string image = PeBuilder().Import(k32).Build().bytes;
  dir_.Write("imgs/sub/deeper.dll", image);
  dir_.Write("imgs/sub/more/deepest.exe", image);
  const std::filesystem::path links = dir_.path() / "links";
  std::filesystem::create_directories(links);
  ASSERT_EQ(symlink(Folder().c_str(), (links / "x86_64-windows").c_str()), 0);
  ASSERT_EQ(symlink(links.c_str(), (links / "self").c_str()), 0);

  const std::string args = " /isf 1 --for CreateFileW --columns 0,1,2,3,4,14,15";
  CliRun direct = Search(dir_, Folder() + args);
  CliRun linked = Search(dir_, links.string() + args);
  ASSERT_EQ(direct.status, 0) << direct.err;
  ASSERT_EQ(linked.status, 0) << linked.err;
  std::vector<std::string> expected = Lines(direct.out);
  ASSERT_EQ(expected.size(), 3u);
  const std::string from = "\t" + Folder() + "/", to = "\t" + (links / "x86_64-windows").string() + "/";
  for (auto& line : expected) line.replace(line.find(from), from.size(), to);
  EXPECT_EQ(Lines(linked.out), expected);

  std::vector<std::string> warnings;
  for (const auto& line : Lines(linked.err))
    if (line.rfind("Warning:", 0) == 0) warnings.push_back(line);
  EXPECT_EQ(warnings, std::vector<std::string>{"Warning: Folder link not followed: \"" + (links / "self").string() +
                                               "\" loops back to \"" + links.string() + "/\"."});
  EXPECT_NE(linked.err.find("Error(s)=0, Warning(s)=1."), std::string::npos);
}

// A file name in another encoding (Latin-1 here) is read like any other and
// shown byte for byte; JSON escapes the bytes it cannot hold.
TEST_F(SearchCommand, FileNamesThatAreNotUtf8AreSearched) {
  std::filesystem::remove(dir_.path() / "imgs" / "lib.dll");
  ExportTable exports{"x.dll", 1, {{1, "CreateFileA", ""}}};
  dir_.Write("imgs/l\xE9" "b.dll", PeBuilder().Exports(exports).Build().bytes);
  CliRun tsv = Search(dir_, Folder() + " --for CreateFileA --columns 0,3 --quiet");
  ASSERT_EQ(tsv.status, 0) << tsv.err;
  EXPECT_EQ(Lines(tsv.out), std::vector<std::string>{"CreateFileA\tl\xE9" "b.dll"});
  CliRun json = Search(dir_, Folder() + " --for CreateFileA --format json --quiet");
  ASSERT_EQ(json.status, 0);
  auto objects = Lines(json.out);
  ASSERT_EQ(objects.size(), 1u);
  EXPECT_EQ(JsonValue(objects[0], 0), objects[0].size()) << objects[0];
  EXPECT_NE(objects[0].find("\"Image Name\":\"l\\udce9b.dll\""), std::string::npos) << objects[0];
}

// --details completes every result of an image from one reading of it,
// a broken version resource included, and keeps the results' order.
TEST_F(SearchCommand, DetailsForEveryResultOfEachImage) {
  ExportTable many{"v.dll", 1, {{1, "CreateFileA", ""}, {2, "CreateFileW", ""}, {3, "CreateFileX", ""}}};
  dir_.Write("imgs/v.dll", PeBuilder()
                               .Exports(many)
                               .Resource(ResourceId(16), 1, 0x409, SimpleVersion(0x409, u"Two\r\nlines", u"1.2"))
                               .Build()
                               .bytes);
  many.module = "w.dll";
  dir_.Write("imgs/w.dll", PeBuilder()
                               .Exports(many)
                               .Resource(ResourceId(16), 1, 0x409, VersionInfo(FixedInfo(1, 2, 0x1234), {}))
                               .Build()
                               .bytes);
  const std::string args = Folder() + " --name '*.dll' --for 'CreateFile*' --quiet --columns 0,3";
  CliRun plain = Search(dir_, args);
  CliRun run = Search(dir_, args + ",12,13 --details");
  ASSERT_EQ(run.status, 0) << run.err;
  const std::vector<std::string> order = Lines(plain.out), lines = Lines(run.out);
  ASSERT_EQ(lines.size(), 7u);
  ASSERT_EQ(order.size(), lines.size());
  for (size_t i = 0; i < lines.size(); ++i) {
    ASSERT_EQ(lines[i].rfind(order[i] + "\t", 0), 0u) << lines[i];
    const std::string details = lines[i].substr(order[i].size());
    if (order[i].find("\tv.dll") != std::string::npos) {
      EXPECT_EQ(details, "\t1.2.3.4\tTwo  lines");
    } else if (order[i].find("\tw.dll") != std::string::npos) {
      EXPECT_EQ(details.rfind("\t\t<error: (11) ", 0), 0u) << details;
    } else {
      EXPECT_EQ(details, "\t\t");
    }
  }
  // The text export written as the results come holds the same lines.
  const std::string out = (dir_.path() / "d.txt").string();
  ASSERT_EQ(Search(dir_, args + ",12,13 --details --output " + out).status, 0);
  std::stringstream bytes;
  bytes << std::ifstream(out, std::ios::binary).rdbuf();
  std::string expected = "\xFF\xFE", text;
  for (const std::string& line : lines) text += (text.empty() ? "" : "\r\n") + line;
  for (char c : text) expected += std::string{c, '\0'};
  EXPECT_EQ(bytes.str(), expected);
}

}  // namespace
}  // namespace tarnix::test

namespace tarnix::test {
namespace {

// Results that are only written are never kept, so no memory limit stops
// them; results kept for a sort stop at the limit, which says how many it
// kept, and every one of them is still written.
// Status lines are written as they come; past the first few of one kind
// they are counted, and the count is said at the end.
TEST(SearchCommandAtScale, ManyStatusLinesOfOneKindAreCounted) {
  TempDir dir;
  for (int i = 0; i < 300; ++i) dir.Write(std::string("imgs/e").append(std::to_string(1000 + i)).append(".dll"), "");
  CliRun run = RunCli(dir, "search", (dir.path() / "imgs").string() + " --name '*.dll' --for x");
  EXPECT_EQ(run.status, 1);
  size_t shown = 0;
  for (const std::string& line : Lines(run.err)) shown += line.rfind("ERROR: Searching file: \"", 0) == 0;
  EXPECT_EQ(shown, 20u) << run.err;
  EXPECT_NE(run.err.find("280 more line(s) not shown like: ERROR: Searching file: \"\u2026\". (200:"),
            std::string::npos)
      << run.err;
  EXPECT_NE(run.err.find("File(s) Searched=300, Error(s)=300, Warning(s)=0."), std::string::npos);
}

TEST(SearchCommandAtScale, StreamedResultsAreNotKeptAndKeptOnesStopAtTheLimit) {
  TempDir dir;
  ExportTable exports{"big.dll", 1, {}};
  for (uint32_t i = 0; i < 70000; ++i) exports.symbols.push_back({i + 1, std::string("F").append(std::to_string(100000 + i)), ""});
  dir.Write("imgs/big.dll", PeBuilder().Exports(exports).Build().bytes);
  const std::string folder = (dir.path() / "imgs").string();

  CliRun streamed = RunCli(dir, "search", folder + " --columns 0 --quiet --max-memory 4");
  ASSERT_EQ(streamed.status, 0) << streamed.err;
  const auto lines = Lines(streamed.out);
  ASSERT_EQ(lines.size(), 70000u);
  // Details are read as the results come: they are not kept either.
  CliRun detailed = RunCli(dir, "search", folder + " --columns 0,12 --quiet --max-memory 4 --details");
  ASSERT_EQ(detailed.status, 0) << detailed.err;
  const auto withDetails = Lines(detailed.out);
  ASSERT_EQ(withDetails.size(), 70000u);
  EXPECT_EQ(withDetails.back(), lines.back() + "\t");

  CliRun sorted = RunCli(dir, "search", folder + " --columns 0 --sort 0:desc --max-memory 4");
  EXPECT_EQ(sorted.status, 1);
  const std::string said = "Warning: Search stopped: the results list reached its memory limit of 4.00 MB with ";
  const size_t at = sorted.err.find(said);
  ASSERT_NE(at, std::string::npos) << sorted.err;
  const size_t n = std::stoul(sorted.err.substr(at + said.size()));
  EXPECT_GT(n, 1000u);
  EXPECT_LT(n, 70000u);
  EXPECT_NE(sorted.err.find(" result(s), all of which are kept. To find the rest, narrow the search"), std::string::npos);
  EXPECT_NE(sorted.err.find("or raise the limit with --max-memory."), std::string::npos);
  EXPECT_NE(sorted.err.find("Result(s) Found=" + std::to_string(n) + "."), std::string::npos);
  // The first n results, each kept and written, in the order asked for.
  const auto kept = Lines(sorted.out);
  ASSERT_EQ(kept.size(), n);
  EXPECT_EQ(kept.front(), lines[n - 1]);
  EXPECT_EQ(kept.back(), lines[0]);
}

}  // namespace
}  // namespace tarnix::test

namespace tarnix::test {
namespace {

// The same searches read with one thread and with four write the same
// bytes: results, status lines and counts in the same order.
TEST(SearchCommandJobs, OneReaderOrFourWriteTheSameBytes) {
  TempDir dir;
  WriteMixedImageTree(dir.path() / "tree");
  const std::string folder = (dir.path() / "tree").string() + " /isf 1 ";
  const char* searches[] = {
      "--for Create --columns 0,1,2,3,4,5,6,7,8,9,10,11,12,13,14,15",
      "--for '' --format json",
      "/snrx 1 --for '^Create.*W$'",
      "/li 64 --for Widget",
      "/li 28 --for ''",
      "/petp 2 /pess 8 --for ''",
      "/sf 2",
      "--name '*.dll' --for Create",
      "--for '' --sort 0 --columns 0,3",
      "--for '' --details --columns 0,1,2,3,4,5,6,7,8,9,10,11,12,13,14,15",
      "--for Widget --details --format json",
  };
  // The run time is the only text that may differ.
  auto timeless = [](std::string err) {
    const size_t at = err.find("Search Finished in ");
    if (at != std::string::npos) err.erase(at, err.find('\n', at) - at);
    return err;
  };
  for (const char* search : searches) {
    const CliRun one = RunCli(dir, "search", folder + search + " --jobs 1");
    ASSERT_LE(one.status, 1) << search << "\n" << one.err;
    EXPECT_NE(one.err.find("Search Finished in "), std::string::npos) << search;
    for (int run = 0; run < 3; ++run) {
      const CliRun four = RunCli(dir, "search", folder + search + " --jobs 4");
      EXPECT_EQ(four.status, one.status) << search;
      EXPECT_EQ(four.out, one.out) << search;
      EXPECT_EQ(timeless(four.err), timeless(one.err)) << search;
    }
  }
  EXPECT_EQ(RunCli(dir, "search", folder + "--jobs 0").status, 2);
  EXPECT_EQ(RunCli(dir, "search", folder + "--jobs 65").status, 2);
}

}  // namespace
}  // namespace tarnix::test

// The matcher and the filters driven by the image reader over built images.
#include <gtest/gtest.h>

#include <vector>

#include "pe/image_reader.h"
#include "pe/look_in.h"
#include "support/pe_builder.h"
#include "symbolsearch/search_image_filter.h"
#include "symbolsearch/symbol_matcher.h"

namespace tarnix {
namespace {

using test::PeBuilder;

struct Found {
  ResultKind kind;
  std::wstring name;
  std::wstring module;
  uint32_t ordinal;
  ImageProperties props;
};

class Recorder : public ResultSink, public StatusOutput, public SearchProgress {
 public:
  Delivery Deliver(ResultKind kind, std::wstring_view name, std::wstring_view module,
                   uint32_t ordinal, int32_t, const ImageProperties& props) override {
    found.push_back({kind, std::wstring(name), std::wstring(module), ordinal, props});
    return Delivery::kDelivered;
  }
  void Status(const std::wstring& line) override { lines.push_back(line); }
  void Warning(const std::wstring& line) override { warnings.push_back(line); }
  void BeginImage(uint64_t) override {}
  void SymbolsVisited(uint64_t n) override { visited += n; }
  bool CheckStop() override { return false; }
  std::vector<Found> found;
  std::vector<std::wstring> lines;
  std::vector<std::wstring> warnings;
  uint64_t visited = 0;
};

std::string SampleDll() {
  return PeBuilder(PeBuilder::Kind::kPe64)
      .TimeStamp(0x5F000000)
      .Exports({"sample.dll", 1, {{1, "CreateFileW", ""}, {2, "?Foo@@YAXXZ", ""}, {17, "", ""}}})
      .Import({"KERNEL32.dll", {test::ImportSymbol::Named("ReadFile", 4),
                                test::ImportSymbol::Ordinal(5)}})
      .Build()
      .bytes;
}

std::vector<Found> Search(const std::string& image, const std::wstring& text, uint32_t lookIn,
                          const SearchParams& filters = SearchParams()) {
  SearchString search;
  RegexCompileError err;
  EXPECT_TRUE(search.Prepare({text}, kGrammarECMAScript, true, err));
  Recorder recorder;
  SymbolMatcher matcher(search, {lookIn, true, 2}, recorder, recorder, recorder);
  matcher.SetCurrentFile(L"/w/sample.dll");
  SearchImageFilter filter(filters);
  ScanOptions options;
  options.lookIn = lookIn;
  options.searchMatchesAll = search.matchesAll();
  uint32_t location = 0;
  ImageReader reader;
  EXPECT_EQ(reader.ReadMemory(reinterpret_cast<const uint8_t*>(image.data()), image.size(),
                              "/w/sample.dll", options, matcher, &filter, location),
            kReadDone);
  EXPECT_TRUE(recorder.lines.empty());
  return recorder.found;
}

TEST(ImageSearch, SymbolsOfABuiltImage) {
  const std::string dll = SampleDll();
  auto found = Search(dll, L"17", 0);
  ASSERT_EQ(found.size(), 1u);
  EXPECT_EQ(found[0].kind, kKindExportOrdinal);
  EXPECT_EQ(found[0].name, L"#17");
  EXPECT_EQ(found[0].ordinal, 17u);
  // Results carry complete properties.
  EXPECT_EQ(found[0].props.computed & (kComputedSubsystem | kComputedCharacteristics |
                                       kComputedDirectories),
            kComputedSubsystem | kComputedCharacteristics | kComputedDirectories);

  found = Search(dll, L"void Foo", 0);
  ASSERT_EQ(found.size(), 1u);
  EXPECT_EQ(found[0].kind, kKindExportCpp);
  EXPECT_EQ(found[0].name, L"?Foo@@YAXXZ");

  found = Search(dll, L"File", kLookInCppOnly);
  EXPECT_TRUE(found.empty());

  found = Search(dll, L"#5", kLookInImportOrdinals);
  ASSERT_EQ(found.size(), 1u);
  EXPECT_EQ(found[0].kind, kKindImportOrdinal);
  EXPECT_EQ(found[0].module, L"KERNEL32.dll");

  found = Search(dll, L"", 0);  // matches every symbol
  EXPECT_EQ(found.size(), 5u);
}

TEST(ImageSearch, FiltersRefuseImages) {
  const std::string dll = SampleDll();
  SearchParams p;
  p.characteristicsMask = 0x2000000;  // "Dll" required absent
  EXPECT_TRUE(Search(dll, L"CreateFile", 0, p).empty());
  p.characteristicsValues = 0x2000000;
  EXPECT_EQ(Search(dll, L"CreateFile", 0, p).size(), 1u);

  SearchParams t;
  t.timeStampFrom = t.timeStampTo = 1;
  t.fromSeconds = t.toSeconds = 0x5F000000;
  EXPECT_EQ(Search(dll, L"CreateFile", 0, t).size(), 1u);
  t.fromSeconds = 0x5F000001;
  t.toSeconds = 0x5F000001;
  EXPECT_TRUE(Search(dll, L"CreateFile", 0, t).empty());

  SearchParams r;
  r.directoriesMask = kDirResources;  // no resources required
  EXPECT_EQ(Search(dll, L"CreateFile", 0, r).size(), 1u);
  r.directoriesValues = kDirResources;
  EXPECT_TRUE(Search(dll, L"CreateFile", 0, r).empty());
}

// Runs a regex search for `pattern` over `image`; the recorder keeps what
// was found and the status lines.
void RegexSearch(const std::string& image, const std::wstring& pattern, Recorder& recorder) {
  SearchString search;
  RegexCompileError err;
  ASSERT_TRUE(search.Prepare({pattern, true}, kGrammarECMAScript, true, err));
  SymbolMatcher matcher(search, {0, true, 2}, recorder, recorder, recorder);
  matcher.SetCurrentFile(L"/w/hostile.dll");
  ScanOptions options;
  uint32_t location = 0;
  ImageReader reader;
  EXPECT_EQ(reader.ReadMemory(reinterpret_cast<const uint8_t*>(image.data()), image.size(),
                              "/w/hostile.dll", options, matcher, nullptr, location),
            kReadDone);
}

TEST(ImageSearch, LongNamesAreSearchedAndCut) {
  // Names of the bound's length are searched whole by a pattern that makes
  // a backtracking matcher recurse per character or take quadratic time.
  const std::string full(65536, 'A');
  const std::string withC = std::string(65535, 'A') + "C";
  const std::string longer = std::string(99999, 'B') + "C";  // cut before its "C"
  const std::string image = PeBuilder(PeBuilder::Kind::kPe64)
                                .Exports({"hostile.dll", 1,
                                          {{1, full, ""},
                                           {2, withC, ""},
                                           {3, longer, ""},
                                           {4, "CreateFileW", ""}}})
                                .Build()
                                .bytes;
  Recorder recorder;
  RegexSearch(image, L"(A|B)*C", recorder);
  std::vector<size_t> lengths;
  for (const Found& f : recorder.found) lengths.push_back(f.name.size());
  // The cut name has lost its "C"; the other symbols are searched as usual.
  EXPECT_EQ(lengths, (std::vector<size_t>{65536, 11}));
  EXPECT_EQ(recorder.found.back().name, L"CreateFileW");
  EXPECT_TRUE(recorder.lines.empty());
  ASSERT_EQ(recorder.warnings.size(), 1u);
  EXPECT_NE(recorder.warnings[0].find(L"\"/w/hostile.dll\". 1 name(s) longer than 65536"),
            std::wstring::npos)
      << recorder.warnings[0];

  // Every name of the bound's length reaches the matcher and the results.
  Recorder all;
  RegexSearch(image, L"^B", all);
  ASSERT_EQ(all.found.size(), 1u);
  EXPECT_EQ(all.found[0].name, std::wstring(65536, L'B'));
  EXPECT_EQ(all.warnings.size(), 1u);
}

}  // namespace
}  // namespace tarnix

#include "symbolsearch/symbol_matcher.h"

#include <gtest/gtest.h>

#include <map>
#include <vector>

#include "pe/look_in.h"
#include "platform/last_error.h"
#include "platform/win_errors.h"
#include "symbolsearch/regex_grammar.h"

namespace tarnix {
namespace {

struct Result {
  ResultKind kind;
  std::wstring name;
  std::wstring module;
  uint32_t ordinal;
  int32_t hint;
};

class RecordingSink : public ResultSink, public StatusOutput, public SearchProgress {
 public:
  Delivery Deliver(ResultKind kind, std::wstring_view name, std::wstring_view module,
                   uint32_t ordinal, int32_t hint, const ImageProperties& props) override {
    lastTimeStamp = props.timeStamp;
    if (answer == Delivery::kDelivered)
      results.push_back({kind, std::wstring(name), std::wstring(module), ordinal, hint});
    if (answer == Delivery::kFailed) SetLastError(failure);
    return answer;
  }
  void Status(const std::wstring& line) override { lines.push_back(line); }
  void Warning(const std::wstring& line) override { warnings.push_back(line); }
  void BeginImage(uint64_t count) override { announced = count; }
  void SymbolsVisited(uint64_t count) override { visited += count; }
  bool CheckStop() override {
    ++stopChecks;
    return stopAfter >= 0 && stopChecks > stopAfter;
  }

  std::vector<Result> results;
  std::vector<std::wstring> lines;
  std::vector<std::wstring> warnings;
  Delivery answer = Delivery::kDelivered;
  uint32_t failure = 0;
  uint32_t lastTimeStamp = 0;
  uint64_t announced = 0, visited = 0;
  int stopChecks = 0;
  int stopAfter = -1;  // stop at check number stopAfter + 1
};

// Stands in for the undecorator: knows a few names, rejects the rest.
struct FakeUndecorator {
  std::map<std::string, std::string> known = {
      {"?Foo@@YAXXZ", "void __cdecl Foo(void)"},
      {"?Open@File@@QAEHPBD@Z", "public: int __thiscall File::Open(char const *)"},
  };
  std::vector<uint32_t> flagsSeen;
  int calls = 0;
  UndecorateFn fn() {
    return [this](std::string_view name, uint32_t flags) -> std::optional<std::string> {
      ++calls;
      flagsSeen.push_back(flags);
      auto it = known.find(std::string(name));
      if (it == known.end()) {
        SetLastError(ERROR_UNDECORATION_FAILED);
        return std::nullopt;
      }
      return it->second;
    };
  }
};

class SymbolMatcherTest : public testing::Test {
 protected:
  // Runs one named symbol through a matcher for `search`.
  int Named(const std::wstring& search, uint32_t lookIn, bool undecorate, const char* name,
            ResultKind kind = kKindImport, bool regex = false) {
    Prepare(search, lookIn, undecorate, regex);
    return matcher_->MatchNamed(props_, kind, name, "KERNEL32.dll", 0, 7);
  }
  void Prepare(const std::wstring& search, uint32_t lookIn, bool undecorate, bool regex = false,
               bool emptyMatchesAll = true) {
    RegexCompileError err;
    SearchStringSpec spec{search, regex};
    ASSERT_TRUE(search_.Prepare(spec, kGrammarECMAScript, emptyMatchesAll, err));
    SymbolMatchOptions options{lookIn, undecorate, 0x1002};
    matcher_ = std::make_unique<SymbolMatcher>(search_, options, undecorator_.fn(), sink_, sink_,
                                               sink_);
    matcher_->SetCurrentFile(L"/w/System32/kernel32.dll");
    sink_.results.clear();
  }

  ImageProperties props_{0, 0x5A5A5A5A, kImageType64};
  SearchString search_;
  FakeUndecorator undecorator_;
  RecordingSink sink_;
  std::unique_ptr<SymbolMatcher> matcher_;
};

TEST_F(SymbolMatcherTest, DecoratedNameWithoutLanguageSelection) {
  // Undecoration on: matched through the undecorated text, reported with
  // the C++ kind and the name as stored.
  EXPECT_EQ(Named(L"Foo", 0, true, "?Foo@@YAXXZ"), 1);
  ASSERT_EQ(sink_.results.size(), 1u);
  EXPECT_EQ(sink_.results[0].kind, kKindImportCpp);
  EXPECT_EQ(sink_.results[0].name, L"?Foo@@YAXXZ");
  EXPECT_EQ(sink_.results[0].module, L"KERNEL32.dll");
  EXPECT_EQ(sink_.results[0].hint, 7);
  EXPECT_EQ(sink_.lastTimeStamp, 0x5A5A5A5Au);
  EXPECT_EQ(undecorator_.flagsSeen.back(), 0x1002u);

  // Undecoration off: the plain string still finds Foo in the decorated text.
  EXPECT_EQ(Named(L"Foo", 0, false, "?Foo@@YAXXZ"), 1);
  ASSERT_EQ(sink_.results.size(), 1u);
  EXPECT_EQ(sink_.results[0].kind, kKindImport);
  EXPECT_EQ(sink_.results[0].name, L"?Foo@@YAXXZ");

  // Undecorated text does not match, the decorated one does: plain kind.
  EXPECT_EQ(Named(L"@@YAX", 0, true, "?Foo@@YAXXZ"), 1);
  ASSERT_EQ(sink_.results.size(), 1u);
  EXPECT_EQ(sink_.results[0].kind, kKindImport);
}

TEST_F(SymbolMatcherTest, LanguageSelection) {
  // C only: decorated names are skipped; plain names match as stored.
  EXPECT_EQ(Named(L"Foo", kLookInCOnly, true, "?Foo@@YAXXZ"), 0);
  EXPECT_EQ(Named(L"Foo", kLookInCOnly, true, "FooBar"), 1);
  EXPECT_EQ(sink_.results.at(0).kind, kKindImport);

  // C++ only: the undecorated text even with undecoration off.
  EXPECT_EQ(Named(L"Foo", kLookInCppOnly, false, "?Foo@@YAXXZ"), 1);
  EXPECT_EQ(sink_.results.at(0).kind, kKindImportCpp);
  EXPECT_EQ(Named(L"CreateFile", kLookInCppOnly, true, "CreateFileW"), 0);
  EXPECT_EQ(Named(L"@@YAX", kLookInCppOnly, true, "?Foo@@YAXXZ"), 0);

  // Both: plain names as stored, decorated ones only through their text.
  EXPECT_EQ(Named(L"Foo", kLookInLanguages, false, "?Foo@@YAXXZ"), 1);
  EXPECT_EQ(sink_.results.at(0).kind, kKindImportCpp);
  EXPECT_EQ(Named(L"@@YAX", kLookInLanguages, true, "?Foo@@YAXXZ"), 0);
  EXPECT_EQ(Named(L"CreateFile", kLookInLanguages, true, "CreateFileW"), 1);
  EXPECT_EQ(sink_.results.at(0).kind, kKindImport);

  // Source bits do not change the language rules.
  EXPECT_EQ(Named(L"Foo", kLookInExports | kLookInCOnly, true, "?Foo@@YAXXZ"), 0);
}

TEST_F(SymbolMatcherTest, RejectedDecoratedName) {
  const char* odd = "?Broken@@$$$";
  EXPECT_EQ(Named(L"Broken", 0, true, odd), 1);
  EXPECT_EQ(sink_.results.at(0).kind, kKindImport);
  EXPECT_EQ(sink_.results.at(0).name, L"?Broken@@$$$");
  for (uint32_t language : {uint32_t{kLookInCOnly}, uint32_t{kLookInCppOnly}, kLookInLanguages})
    EXPECT_EQ(Named(L"Broken", language, true, odd), 0) << language;
  EXPECT_TRUE(sink_.lines.empty());
}

TEST_F(SymbolMatcherTest, EveryNamedSourceHasItsCppKind) {
  const std::pair<ResultKind, ResultKind> kinds[] = {{kKindImport, kKindImportCpp},
                                                     {kKindExport, kKindExportCpp},
                                                     {kKindExportForwarded, kKindExportForwardedCpp},
                                                     {kKindDelayImport, kKindDelayImportCpp}};
  for (auto [plain, cpp] : kinds) {
    EXPECT_EQ(Named(L"File::Open", 0, true, "?Open@File@@QAEHPBD@Z", plain), 1);
    EXPECT_EQ(sink_.results.at(0).kind, cpp);
    EXPECT_EQ(Named(L"Open", 0, true, "OpenFile", plain), 1);
    EXPECT_EQ(sink_.results.at(0).kind, plain);
  }
}

TEST_F(SymbolMatcherTest, UndecoratorIsCalledOnlyForDecoratedNames) {
  EXPECT_EQ(Named(L"qq", 0, true, "CreateFileW"), 0);
  EXPECT_EQ(Named(L"qq", kLookInCOnly, true, "?Foo@@YAXXZ"), 0);
  EXPECT_EQ(Named(L"qq", 0, false, "?Foo@@YAXXZ"), 0);
  EXPECT_EQ(undecorator_.calls, 0);
}

// A name seen again (in the next image) is answered from memory, rejected
// names included; the results are the same each time.
TEST_F(SymbolMatcherTest, EachDecoratedNameIsUndecoratedOnce) {
  Prepare(L"Foo", 0, true);
  for (int image = 0; image < 3; ++image) {
    EXPECT_EQ(matcher_->MatchNamed(props_, kKindImport, "?Foo@@YAXXZ", "a.dll", 0, 1), 1);
    EXPECT_EQ(matcher_->MatchNamed(props_, kKindExport, "?Open@File@@QAEHPBD@Z", "", 2, 1), 0);
    EXPECT_EQ(matcher_->MatchNamed(props_, kKindImport, "?Foo@bad", "a.dll", 0, 1), 1);  // as stored
  }
  EXPECT_EQ(undecorator_.calls, 3);
  ASSERT_EQ(sink_.results.size(), 6u);
  for (int image = 0; image < 3; ++image) {
    EXPECT_EQ(sink_.results[2 * image].kind, kKindImport + 1);
    EXPECT_EQ(sink_.results[2 * image + 1].kind, kKindImport);
  }
}

TEST_F(SymbolMatcherTest, OrdinalsMatchWithAndWithoutTheHash) {
  for (const wchar_t* search : {L"17", L"#17"}) {
    Prepare(search, 0, true);
    EXPECT_EQ(matcher_->MatchOrdinal(props_, 17, kKindExportOrdinal, "USER32.dll", 3), 1);
    ASSERT_EQ(sink_.results.size(), 1u) << search;
    EXPECT_EQ(sink_.results[0].kind, kKindExportOrdinal);
    EXPECT_EQ(sink_.results[0].name, L"#17");
    EXPECT_EQ(sink_.results[0].module, L"USER32.dll");
    EXPECT_EQ(sink_.results[0].ordinal, 17u);
    EXPECT_EQ(sink_.results[0].hint, 3);
  }
  // Whole words keep "17" from matching ordinal 170.
  RegexCompileError err;
  ASSERT_TRUE(search_.Prepare({L"17", false, false, true}, kGrammarECMAScript, true, err));
  sink_.results.clear();
  EXPECT_EQ(matcher_->MatchOrdinal(props_, 170, kKindImportOrdinal, "a.dll", -1), 0);
  EXPECT_EQ(matcher_->MatchOrdinal(props_, 17, kKindImportOrdinal, "a.dll", -1), 1);
  // Regex anchored to the "#" form.
  Prepare(L"^#0$", 0, true, true);
  EXPECT_EQ(matcher_->MatchOrdinal(props_, 0, kKindDelayImportOrdinal, "a.dll", -1), 1);
  EXPECT_EQ(sink_.results.at(0).name, L"#0");
  Prepare(L"18446744073709551615", 0, true);
  EXPECT_EQ(matcher_->MatchOrdinal(props_, UINT64_MAX, kKindImportOrdinal, "a.dll", -1), 1);
  EXPECT_EQ(sink_.results.at(0).name, L"#18446744073709551615");
}

TEST_F(SymbolMatcherTest, ModulesAndImages) {
  Prepare(L"user32", 0, true);
  EXPECT_EQ(matcher_->MatchModule(props_, kKindImportedLibrary, "USER32.dll"), 1);
  EXPECT_EQ(matcher_->MatchModule(props_, kKindDelayImportedLibrary, "gdi32.dll"), 0);
  ASSERT_EQ(sink_.results.size(), 1u);
  EXPECT_EQ(sink_.results[0].kind, kKindImportedLibrary);
  EXPECT_EQ(sink_.results[0].name, L"");
  EXPECT_EQ(sink_.results[0].module, L"USER32.dll");
  EXPECT_EQ(sink_.results[0].ordinal, 0u);
  EXPECT_EQ(sink_.results[0].hint, -1);

  // Names are Windows-1252.
  Prepare(L"\u20AC", 0, true);
  EXPECT_EQ(matcher_->MatchModule(props_, kKindImportedLibrary, "cost\x80.dll"), 1);
  EXPECT_EQ(sink_.results.at(0).module, L"cost\u20AC.dll");
  EXPECT_EQ(Named(L"\u00E9t\u00E9", 0, true, "\xC9T\xC9"), 1);
  EXPECT_EQ(sink_.results.at(0).name, L"\u00C9T\u00C9");

  EXPECT_TRUE(matcher_->DeliverImage(props_));
  EXPECT_EQ(sink_.results.back().kind, kKindImage);
  EXPECT_EQ(sink_.results.back().name, L"");
}

TEST_F(SymbolMatcherTest, StopAndProgress) {
  Prepare(L"Create", 0, true);
  matcher_->BeginImage(5);
  EXPECT_EQ(sink_.announced, 5u);
  EXPECT_EQ(matcher_->MatchNamed(props_, kKindExport, "CreateFileW", "k.dll", 1, 0), 1);
  matcher_->SkipSymbols(2);
  EXPECT_EQ(sink_.visited, 3u);

  // A stop before a named symbol answers -1 without matching.
  sink_.stopAfter = sink_.stopChecks;
  EXPECT_EQ(matcher_->MatchNamed(props_, kKindExport, "CreateFileA", "k.dll", 2, 1), -1);
  EXPECT_EQ(matcher_->MatchModule(props_, kKindImportedLibrary, "Create.dll"), -1);
  EXPECT_EQ(sink_.results.size(), 1u);

  // An ordinal whose digits match is delivered without a stop check; the
  // stop check comes between the two forms.
  Prepare(L"#5", 0, true);
  sink_.stopChecks = 0;
  sink_.stopAfter = -1;
  EXPECT_EQ(matcher_->MatchOrdinal(props_, 5, kKindExportOrdinal, "k.dll", 0), 1);
  EXPECT_EQ(sink_.stopChecks, 1);
  sink_.stopAfter = 0;
  sink_.stopChecks = 0;
  EXPECT_EQ(matcher_->MatchOrdinal(props_, 5, kKindExportOrdinal, "k.dll", 0), -1);
  Prepare(L"5", 0, true);
  sink_.stopAfter = 0;
  sink_.stopChecks = 0;
  EXPECT_EQ(matcher_->MatchOrdinal(props_, 5, kKindExportOrdinal, "k.dll", 0), 1);
}

TEST_F(SymbolMatcherTest, FailedDeliveries) {
  Prepare(L"Create", 0, true);
  sink_.answer = Delivery::kStopped;
  EXPECT_EQ(matcher_->MatchNamed(props_, kKindImport, "CreateFileW", "k.dll", 0, -1), -1);
  EXPECT_TRUE(sink_.lines.empty());

  sink_.answer = Delivery::kFailed;
  sink_.failure = ERROR_OUTOFMEMORY;
  EXPECT_EQ(matcher_->MatchNamed(props_, kKindImport, "CreateFileW", "k.dll", 0, -1), -1);
  ASSERT_EQ(sink_.lines.size(), 1u);
  EXPECT_EQ(sink_.lines[0].rfind(L"CRITICAL ERROR: Failed to send result: (14) ", 0), 0u)
      << sink_.lines[0];
  EXPECT_FALSE(matcher_->DeliverImage(props_));
  EXPECT_EQ(sink_.lines.size(), 2u);
  EXPECT_EQ(GetLastError(), ERROR_OUTOFMEMORY);

  // Nothing is delivered for a symbol that does not match.
  EXPECT_EQ(matcher_->MatchNamed(props_, kKindImport, "ReadFile", "k.dll", 0, -1), 0);
  EXPECT_EQ(sink_.lines.size(), 2u);
}

// Completes the properties it is asked to, counting the requests.
class CountingImage : public ImageFacts {
 public:
  explicit CountingImage(ImageProperties& props) : props_(props) {}
  const ImageProperties& props() const override { return props_; }
  void EnsureSubsystem() override { props_.subsystemBit = 0x4; }
  void EnsureCharacteristics(bool) override { props_.characteristics = 0x2; }
  void EnsureDirectories(bool) override { props_.directories = 0x1000; }
  void EnsureAll() override {
    ++completions;
    ImageFacts::EnsureAll();
  }
  int completions = 0;

 private:
  ImageProperties& props_;
};

TEST_F(SymbolMatcherTest, PropertiesAreCompletedBeforeTheFirstResultOnly) {
  Prepare(L"Create", 0, true);
  CountingImage image(props_);
  matcher_->AttachImage(image);
  EXPECT_EQ(matcher_->MatchNamed(props_, kKindExport, "ReadFile", "k.dll", 1, 0), 0);
  EXPECT_EQ(image.completions, 0);
  EXPECT_EQ(matcher_->MatchNamed(props_, kKindExport, "CreateFileA", "k.dll", 2, 1), 1);
  EXPECT_EQ(matcher_->MatchNamed(props_, kKindExport, "CreateFileW", "k.dll", 3, 2), 1);
  EXPECT_EQ(image.completions, 1);
  EXPECT_EQ(props_.directories, 0x1000u);
  // A new file forgets the image; a ROM image is delivered as it comes.
  matcher_->AttachImage(image);
  matcher_->SetCurrentFile(L"/w/rom.bin");
  EXPECT_TRUE(matcher_->DeliverImage(props_));
  EXPECT_EQ(image.completions, 1);
}

TEST_F(SymbolMatcherTest, ProgramUndecoratorByDefault) {
  RegexCompileError err;
  ASSERT_TRUE(search_.Prepare({L"void Foo(void)"}, kGrammarECMAScript, true, err));
  SymbolMatcher matcher(search_, {kLookInCppOnly, true, 2}, sink_, sink_, sink_);
  EXPECT_EQ(matcher.MatchNamed(props_, kKindExport, "?Foo@@YAXXZ", "a.dll", 1, 0), 1);
  ASSERT_EQ(sink_.results.size(), 1u);
  EXPECT_EQ(sink_.results[0].kind, kKindExportCpp);
  EXPECT_EQ(sink_.results[0].name, L"?Foo@@YAXXZ");
  // Flags reach the undecorator: without them the calling convention shows.
  SymbolMatcher complete(search_, {kLookInCppOnly, true, 0}, sink_, sink_, sink_);
  EXPECT_EQ(complete.MatchNamed(props_, kKindExport, "?Foo@@YAXXZ", "a.dll", 1, 0), 0);
}

TEST_F(SymbolMatcherTest, UndecidedNamesAreReportedOncePerImage) {
  // The lookahead reads the rest of the name from every position: past the
  // lowered bound for long names, decided for short ones.
  Prepare(L"(?=.*Q) || ^Long", 0, false, true);
  search_.SetWorkBound(200000);
  const std::string longName(2000, 'a');
  EXPECT_EQ(matcher_->MatchNamed(props_, kKindExport, longName, "x.dll", 1, 0), 0);
  EXPECT_EQ(matcher_->MatchNamed(props_, kKindExport, longName + "b", "x.dll", 2, 1), 0);
  EXPECT_EQ(matcher_->MatchNamed(props_, kKindExport, "shortQ", "x.dll", 3, 2), 1);
  // A later component that finds the name decides it.
  EXPECT_EQ(matcher_->MatchNamed(props_, kKindExport, "Long" + longName, "x.dll", 4, 3), 1);
  ASSERT_EQ(sink_.warnings.size(), 1u);
  EXPECT_NE(sink_.warnings[0].find(L"Warning: Searching file: \"/w/System32/kernel32.dll\". "
                                   L"Regex: \"(?=.*Q)\", (11) "),
            std::wstring::npos)
      << sink_.warnings[0];
  EXPECT_NE(sink_.warnings[0].find(L"(2000 characters)"), std::wstring::npos);
  EXPECT_TRUE(sink_.lines.empty());
  EXPECT_EQ(sink_.results.size(), 2u);

  matcher_->SetCurrentFile(L"/w/other.dll");
  EXPECT_EQ(matcher_->MatchNamed(props_, kKindExport, longName, "x.dll", 1, 0), 0);
  ASSERT_EQ(sink_.warnings.size(), 2u);
  EXPECT_NE(sink_.warnings[1].find(L"/w/other.dll"), std::wstring::npos);
}

TEST_F(SymbolMatcherTest, EmptySearchStringFollowsTheSetting) {
  Prepare(L"", 0, true, false, true);
  EXPECT_EQ(matcher_->MatchNamed(props_, kKindImport, "ReadFile", "k.dll", 0, -1), 1);
  EXPECT_EQ(matcher_->MatchOrdinal(props_, 3, kKindImportOrdinal, "k.dll", -1), 1);
  Prepare(L"", 0, true, false, false);
  EXPECT_EQ(matcher_->MatchNamed(props_, kKindImport, "ReadFile", "k.dll", 0, -1), 0);
  EXPECT_EQ(matcher_->MatchOrdinal(props_, 3, kKindImportOrdinal, "k.dll", -1), 0);
  Prepare(L" || ", 0, true, true, false);
  EXPECT_EQ(matcher_->MatchNamed(props_, kKindImport, "ReadFile", "k.dll", 0, -1), 0);
}

}  // namespace
}  // namespace tarnix

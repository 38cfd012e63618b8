// Undecorate(): results and last errors, and what every flag changes.
#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "platform/last_error.h"
#include "platform/win_errors.h"
#include "undname/undecorate.h"
#include "undname/undecoration_lock.h"

namespace tarnix {
namespace {

std::string Text(std::string_view name, uint32_t flags = 0) {
  auto r = Undecorate(name, flags);
  return r ? *r : "<failed " + std::to_string(GetLastError()) + ">";
}

TEST(Undecorate, EmptyAndUndecodableNamesSetTheirErrors) {
  SetLastError(0);
  EXPECT_FALSE(Undecorate("", 0));
  EXPECT_EQ(GetLastError(), ERROR_NOTHING_ENTERED);
  // A C string: what follows a null is not part of the name.
  EXPECT_FALSE(Undecorate(std::string_view("\0?x@@3HA", 8), 0));
  EXPECT_EQ(GetLastError(), ERROR_NOTHING_ENTERED);
  EXPECT_EQ(Text(std::string_view("?x@@3HA\0junk", 12)), "int x");

  for (const char* bad : {"?", "??", "abc", "?foo@@YAH", "?foo@@YAHH", "??_C@_0", "?x@@3", "?x@@3PA",
                          "??0?$A@H", "?f@@YAX0@Z", "?f@@YAXV5@@Z", "?x@@3HQ"}) {
    SetLastError(0);
    EXPECT_FALSE(Undecorate(bad, 0)) << bad;
    EXPECT_EQ(GetLastError(), ERROR_UNDECORATION_FAILED) << bad;
  }
}

TEST(Undecorate, NamesWithForeignPunctuationComeBackUnchanged) {
  EXPECT_EQ(Text("??0aa.a@@QAE@XZ"), "??0aa.a@@QAE@XZ");
  // Bare types the platform cannot read whole are handed back too.
  EXPECT_EQ(Text("?AVx@@@", 0x2800), "?AVx@@@");
  EXPECT_EQ(Text("PBD", 0x2800), "char const *");
}

TEST(Undecorate, SpecialNamesAndCommonForms) {
  EXPECT_EQ(Text("??_7Base@@6B@"), "const Base::`vftable'");
  EXPECT_EQ(Text("??_7A@B@@6BC@D@@@"), "const B::A::`vftable'{for `D::C'}");
  EXPECT_EQ(Text("??_R4Base@@6B@"), "const Base::`RTTI Complete Object Locator'");
  EXPECT_EQ(Text("??_R1A@?0A@EA@Base@@8"), "Base::`RTTI Base Class Descriptor at (0,-1,0,64)'");
  EXPECT_EQ(Text("??_GBase@@UAEPAXI@Z"), "public: virtual void * __thiscall Base::`scalar deleting destructor'(unsigned int)");
  EXPECT_EQ(Text("??__EFoo@@YAXXZ"), "void __cdecl `dynamic initializer for 'Foo''(void)");
  EXPECT_EQ(Text("??__F?i@C@@0HA@@YAXXZ"),
            "void __cdecl `dynamic atexit destructor for `private: static int C::i''(void)");
  EXPECT_EQ(Text("??_B?1??getS@@YAAAUS@@XZ@51"), "`struct S & __cdecl getS(void)'::`2'::`local static guard'{2}'");
  EXPECT_EQ(Text("??_C@_05CJBACGMB@hello?$AA@"), "\"hello\"");
  EXPECT_EQ(Text("??_C@_1M@ABCDEFGH@?$AAh?$AAe?$AAl?$AAl?$AAo?$AA?$AA@"), "L\"hello\"");
  EXPECT_EQ(Text("?f@?A0x1234@@YAXXZ"), "void __cdecl `anonymous namespace'::f(void)");
  EXPECT_EQ(Text("?f@@YAX$$T@Z"), "void __cdecl f(std::nullptr_t)");
  EXPECT_EQ(Text("?f@@YAX$$QAH@Z"), "void __cdecl f(int &&)");
  EXPECT_EQ(Text("?f@@YAXHZZ"), "void __cdecl f(int,...)");
  EXPECT_EQ(Text("??@a6a285da2eea70dba6b578022be61d81@"), "??@a6a285da2eea70dba6b578022be61d81@");
  EXPECT_EQ(Text("?f@@YAXPAHPAH0@Z"), "void __cdecl f(int *,int *,int *)");
  EXPECT_EQ(Text("?x@@3PAUs@@A"), "struct s * x");
  EXPECT_EQ(Text("?f@@YAXP8C@@AEXH@Z@Z"), "void __cdecl f(void (__thiscall C::*)(int))");
}

// A variable template's own name is remembered for back-references, a
// function template's is not (there "0" is the first scope).
TEST(Undecorate, OnlyVariableTemplateNamesAreRemembered) {
  EXPECT_EQ(Text("?Zoo@@3U?$Foo@$1??$x@H@@3HA$1?1@3HA@@A"), "struct Foo<&int x<int>,&int x<int> > Zoo");
  EXPECT_EQ(Text("??$f@H@S@@SAPAV0@XZ"), "public: static class S * __cdecl S::f<int>(void)");
}

TEST(Undecorate, EveryFlagChangesWhatItNames) {
  const char* m = "?_Doraise@bad_cast@std@@MEBAXXZ";
  const std::string full = "protected: virtual void __cdecl std::bad_cast::_Doraise(void)const __ptr64";
  EXPECT_EQ(Text(m, 0), full);
  EXPECT_EQ(Text(m, UNDNAME_NO_LEADING_UNDERSCORES),
            "protected: virtual void cdecl std::bad_cast::_Doraise(void)const ptr64");
  EXPECT_EQ(Text(m, UNDNAME_NO_MS_KEYWORDS), "protected: virtual void std::bad_cast::_Doraise(void)const ");
  EXPECT_EQ(Text(m, UNDNAME_NO_FUNCTION_RETURNS),
            "protected: virtual __cdecl std::bad_cast::_Doraise(void)const __ptr64");
  EXPECT_EQ(Text(m, UNDNAME_NO_ALLOCATION_LANGUAGE),
            "protected: virtual void std::bad_cast::_Doraise(void)const __ptr64");
  EXPECT_EQ(Text(m, UNDNAME_NO_MS_THISTYPE), "protected: virtual void __cdecl std::bad_cast::_Doraise(void)const ");
  EXPECT_EQ(Text(m, UNDNAME_NO_CV_THISTYPE),
            "protected: virtual void __cdecl std::bad_cast::_Doraise(void) __ptr64");
  EXPECT_EQ(Text(m, UNDNAME_NO_ACCESS_SPECIFIERS), "virtual void __cdecl std::bad_cast::_Doraise(void)const __ptr64");
  EXPECT_EQ(Text(m, UNDNAME_NO_MEMBER_TYPE), "protected: void __cdecl std::bad_cast::_Doraise(void)const __ptr64");
  EXPECT_EQ(Text(m, UNDNAME_NAME_ONLY), "std::bad_cast::_Doraise");
  EXPECT_EQ(Text(m, UNDNAME_NO_ARGUMENTS), "protected: virtual void __cdecl std::bad_cast::_Doraise");
  // Flags with nothing to change in this scheme leave the text alone.
  for (uint32_t f : {UNDNAME_NO_ALLOCATION_MODEL, UNDNAME_NO_RETURN_UDT_MODEL, UNDNAME_32_BIT_DECODE})
    EXPECT_EQ(Text(m, f), full) << f;

  // Calling conventions inside types stay under NO_ALLOCATION_LANGUAGE, go
  // with NO_MS_KEYWORDS.
  const char* fp = "?set_new_handler@@YAP6AXXZP6AXXZ@Z";
  EXPECT_EQ(Text(fp, UNDNAME_NO_ALLOCATION_LANGUAGE), "void (__cdecl*set_new_handler(void (__cdecl*)(void)))(void)");
  EXPECT_EQ(Text(fp, UNDNAME_NO_MS_KEYWORDS), "void (*set_new_handler(void (*)(void)))(void)");

  const char* noexcept_type = "?ee@?$e@$$A6AXX_E@@EEAAXXZ";
  EXPECT_EQ(Text(noexcept_type, UNDNAME_NAME_ONLY), "e<void __cdecl(void) noexcept>::ee");
  EXPECT_EQ(Text(noexcept_type, UNDNAME_NAME_ONLY | UNDNAME_NO_THROW_SIGNATURES), "e<void __cdecl(void)>::ee");

  // Special names are left alone under NO_SPECIAL_SYMS; operators are not special.
  EXPECT_FALSE(Undecorate("??_7Base@@6B@", UNDNAME_NO_SPECIAL_SYMS));
  EXPECT_EQ(GetLastError(), ERROR_UNDECORATION_FAILED);
  EXPECT_EQ(Text("??_0klass@@QAEHH@Z", UNDNAME_NO_SPECIAL_SYMS), "public: int __thiscall klass::operator/=(int)");
  EXPECT_FALSE(Undecorate("??__EFoo@@YAXXZ", UNDNAME_NO_SPECIAL_SYMS));
  EXPECT_EQ(Text("??__LA@@QAE?AUno_suspend@@XZ", UNDNAME_NO_SPECIAL_SYMS),
            "public: struct no_suspend __thiscall A::operator co_await(void)");

  // Data: NAME_ONLY leaves the qualified name, and drops class keywords.
  EXPECT_EQ(Text("?Qux@Bar@@0PAP6AHPAV1@AAH1PAH@ZA", UNDNAME_NAME_ONLY), "Bar::Qux");
  EXPECT_EQ(Text("??$f@US@@@@YAXXZ", UNDNAME_NAME_ONLY), "f<S>");
}

TEST(Undecorate, CallsFromManyThreadsShareNothing) {
  const std::vector<std::pair<const char*, uint32_t>> cases = {
      {"?cin@std@@3V?$basic_istream@DU?$char_traits@D@std@@@1@A", 0},
      {"?_Doraise@bad_cast@std@@MEBAXXZ", UNDNAME_NO_MS_KEYWORDS},
      {"??_R0?AVCC@DD@@@8", 0},
      {"?f@@YAH", 0},
  };
  std::vector<std::string> expected;
  for (const auto& [m, f] : cases) expected.push_back(Text(m, f));
  std::vector<std::thread> threads;
  std::vector<int> mismatches(4, 0);
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&, t] {
      for (int i = 0; i < 2000; ++i) {
        const auto& [m, f] = cases[static_cast<std::size_t>(i + t) % cases.size()];
        mismatches[static_cast<std::size_t>(t)] += Text(m, f) != expected[static_cast<std::size_t>(i + t) % cases.size()];
      }
    });
  }
  for (auto& th : threads) th.join();
  for (int m : mismatches) EXPECT_EQ(m, 0);
}

TEST(Undecorate, LockedCallTakesAndReleasesTheProcessLock) {
  EXPECT_EQ(&UndecorationLock(), &UndecorationLock());
  EXPECT_EQ(UndecorateLocked("?x@@3HA", 0), std::optional<std::string>("int x"));
  ASSERT_TRUE(UndecorationLock().try_lock());  // not left held
  UndecorationLock().unlock();
}

}  // namespace
}  // namespace tarnix

// Symbols located through their modules and forwarders, in images built
// for the test and laid out under a Windows folder.
#include "symbolsearch/symbol_locator.h"

#include <gtest/gtest.h>

#include "core/wformat.h"
#include "pe/image_properties.h"
#include "pe/result_kind.h"
#include "platform/text_encoding.h"
#include "platform/win_errors.h"
#include "support/pe_builder.h"
#include "support/temp_dir.h"

namespace tarnix {
namespace {
namespace fs = std::filesystem;
using test::ExportSymbol;
using test::PeBuilder;

class Locator : public testing::Test {
 protected:
  Locator() {
    fs::create_directories(dir_.path() / "Windows/System32");
    fs::create_directories(dir_.path() / "Windows/SysWOW64");
  }

  std::wstring Put(const std::string& relative, const std::string& bytes) {
    return FromUtf8(dir_.Write(relative, bytes).string());
  }
  std::wstring Dll(const std::string& relative, test::ExportTable exports) {
    return Put(relative, PeBuilder().Exports(std::move(exports)).Build().bytes);
  }
  SymbolLocation Import(const std::wstring& module, const std::wstring& name,
                        uint32_t kind = kKindImport, uint32_t ordinal = 0) {
    WindowsRootSearch where;
    where.setting = dir_.path() / "Windows";
    ModuleResolver resolver(WindowsRoot::Discover(where));
    SymbolQuery q;
    q.imagePath = FromUtf8((dir_.path() / "App/app.exe").string());
    q.imageType = kImageType64;
    q.kind = kind;
    q.module = module;
    q.name = name;
    q.ordinal = ordinal;
    return LocateSymbol(resolver, q);
  }

  test::TempDir dir_{"locate"};
};

TEST_F(Locator, FollowsForwardersToTheSymbolThatHoldsIt) {
  const std::wstring b = Dll("Windows/System32/b.dll", {"b.dll", 1, {{1, "Other", ""}, {2, "Bar", ""}}});
  Dll("App/a.dll", {"a.dll", 1, {{1, "Foo", "b.Bar"}, {2, "ByOrd", "B.#2"}, {3, "Plain", ""}}});

  SymbolLocation loc = Import(L"A.DLL", L"Foo");
  ASSERT_TRUE(loc.located) << loc.locateError;
  EXPECT_EQ(loc.modulePath, FromUtf8((dir_.path() / "App/a.dll").string()));
  EXPECT_EQ(loc.symbolPath, b);
  EXPECT_EQ(loc.finalName, L"Bar");
  EXPECT_EQ(loc.forwardedTo, L"b.Bar");
  EXPECT_EQ(loc.forwards, 1u);
  // The second function of b's .text, which the builder puts at RVA 0x1000
  // and file offset 0x200.
  EXPECT_EQ(loc.rva, 0x1010u);
  EXPECT_EQ(loc.fileOffset, 0x210u);
  EXPECT_EQ(loc.access, kAccessRead | kAccessExecute);

  loc = Import(L"a", L"ByOrd");
  ASSERT_TRUE(loc.located);
  EXPECT_EQ(loc.finalName, L"Bar");

  // An import by ordinal finds the export's name.
  loc = Import(L"a.dll", L"#3", kKindImportOrdinal, 3);
  ASSERT_TRUE(loc.located);
  EXPECT_EQ(loc.finalName, L"Plain");
  EXPECT_EQ(loc.forwards, 0u);
}

TEST_F(Locator, LoopsAndMissingTargetsEndInErrors) {
  Dll("App/a.dll", {"a.dll", 1, {{1, "Loop", "b.Loop"}, {2, "Self", "a.Self"},
                                 {3, "Gone", "missing.Fn"}, {4, "Bad", "nodot"}}});
  Dll("App/b.dll", {"b.dll", 1, {{1, "Loop", "A.Loop"}}});
  // A chain deeper than the limit: c0 -> c1 -> ... -> c20.
  for (int i = 0; i <= 20; ++i)
    Dll(std::string("App/c").append(std::to_string(i)).append(".dll"),
        {"c.dll", 1, {{1, "Deep", i < 20 ? std::string("c").append(std::to_string(i + 1)).append(".Deep") : ""}}});

  for (const wchar_t* name : {L"Loop", L"Self"}) {
    const SymbolLocation loc = Import(L"a.dll", name);
    EXPECT_TRUE(loc.moduleResolved);
    EXPECT_FALSE(loc.located);
    EXPECT_EQ(loc.locateError, ERROR_CANT_RESOLVE_FILENAME) << ToUtf8(name);
  }
  EXPECT_EQ(Import(L"c0.dll", L"Deep").locateError, ERROR_CANT_RESOLVE_FILENAME);
  EXPECT_EQ(Import(L"c10.dll", L"Deep").forwards, 10u);
  EXPECT_EQ(Import(L"a.dll", L"Gone").locateError, ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(Import(L"a.dll", L"Bad").locateError, ERROR_INVALID_DATA);
  EXPECT_EQ(Import(L"a.dll", L"Absent").locateError, ERROR_PROC_NOT_FOUND);

  const SymbolLocation none = Import(L"nothere.dll", L"Fn");
  EXPECT_FALSE(none.moduleResolved);
  EXPECT_EQ(none.moduleError, ERROR_FILE_NOT_FOUND);
}

TEST_F(Locator, OrdinalsOutsideTheTableAreNotFound) {
  Dll("App/a.dll", {"a.dll", 10, {{10, "First", ""}, {12, "", ""}}});
  EXPECT_TRUE(Import(L"a.dll", L"#12", kKindImportOrdinal, 12).located);
  EXPECT_EQ(Import(L"a.dll", L"#12", kKindImportOrdinal, 12).finalName, L"#12");
  for (uint32_t ordinal : {9u, 11u, 13u, 0xFFFFFFFFu})
    EXPECT_EQ(Import(L"a.dll", WFormat(L"#%u", ordinal), kKindImportOrdinal, ordinal).locateError,
              ERROR_PROC_NOT_FOUND)
        << ordinal;
}

TEST_F(Locator, SectionsGiveAccessAndFileOffsets) {
  // Learn where the extra sections land, then place symbols in them.
  auto build = [](uint32_t beyondRaw, uint32_t nowhere) {
    return PeBuilder()
        .Section({".data", std::string(16, '\x11'), 0xC0000040, 0})
        .Section({".bss", std::string(16, '\0'), 0xC0000080, 0x3000})
        .Section({".wx", std::string(16, '\0'), 0xA0000020, 0})
        .Exports({"v.dll", 1, {ExportSymbol::In(1, "Counter", ".data"),
                               ExportSymbol::At(2, "Buffer", beyondRaw),
                               ExportSymbol::At(3, "Nowhere", nowhere),
                               ExportSymbol::In(4, "Odd", ".wx")}})
        .Build();
  };
  const test::BuiltImage probe = build(0x100000, 0x100000);
  const auto& sections = probe.layout.extraSections;
  ASSERT_EQ(sections.size(), 3u);
  const test::BuiltImage image = build(sections[1].first + 0x2000, 0x7FFF0000);
  Put("App/v.dll", image.bytes);

  SymbolLocation loc = Import(L"v.dll", L"Counter");
  ASSERT_TRUE(loc.located);
  EXPECT_EQ(loc.access, kAccessRead | kAccessWrite);
  EXPECT_EQ(loc.rva, sections[0].first);
  EXPECT_EQ(loc.fileOffset, sections[0].second);

  // Uninitialised data has no bytes in the file; an address in no section
  // has no access either.
  loc = Import(L"v.dll", L"Buffer");
  ASSERT_TRUE(loc.located);
  EXPECT_EQ(loc.access, kAccessRead | kAccessWrite);
  EXPECT_FALSE(loc.fileOffset);
  loc = Import(L"v.dll", L"Nowhere");
  ASSERT_TRUE(loc.located);
  EXPECT_EQ(loc.rva, 0x7FFF0000u);
  EXPECT_FALSE(loc.access);
  EXPECT_FALSE(loc.fileOffset);
  EXPECT_EQ(Import(L"v.dll", L"Odd").access, kAccessWrite | kAccessExecute);
}

TEST_F(Locator, CutImagesFailCleanly) {
  const std::string whole =
      PeBuilder().Exports({"a.dll", 1, {{1, "Foo", ""}, {2, "Bar", "x.Y"}}}).Build().bytes;
  // Every cut either still finds the symbol or says why not; none crashes.
  for (size_t size = 0; size < whole.size(); size += 7) {
    Put("App/a.dll", whole.substr(0, size));
    const SymbolLocation loc = Import(L"a.dll", L"Foo");
    EXPECT_TRUE(loc.located || loc.locateError != 0) << size;
  }
  Put("App/a.dll", whole.substr(0, 100));
  EXPECT_EQ(Import(L"a.dll", L"Foo").locateError, ERROR_BAD_EXE_FORMAT);
}

}  // namespace
}  // namespace tarnix

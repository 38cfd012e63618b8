// The import, export and delay-load walks: what is handed on, in which
// order, under each Look In choice and presentation.
#include <gtest/gtest.h>

#include "pe/export_lookup.h"
#include "pe/image_reader.h"
#include "pe/mapped_image.h"
#include "reader_fakes.h"

namespace tarnix::test {
namespace {

using K = PeBuilder::Kind;
ImportSymbol N(const char* name, uint16_t hint) { return ImportSymbol::Named(name, hint); }

// An image with one of everything.
PeBuilder Everything(K kind) {
  PeBuilder b(kind);
  b.Import({"KERNEL32.dll", {N("CreateFileW", 7), ImportSymbol::Ordinal(17)}});
  b.Exports({"lib.dll", 1, {{1, "Alpha", ""}, {2, "", ""}, {3, "Beta", "NTDLL.RtlBeta"}}});
  b.DelayImport({"SHELL32.dll", {N("ShellExecuteW", 9), ImportSymbol::Ordinal(4)}});
  return b;
}

TEST(Imports, NamesOrdinalsAndBindingInBothBitnesses) {
  for (K kind : {K::kPe32, K::kPe64}) {
    PeBuilder b(kind);
    b.Import({"KERNEL32.dll", {N("CreateFileW", 0xC3), ImportSymbol::Ordinal(17), N("ReadFile", 5)}});
    b.Import({"USER32.dll", {N("MessageBoxW", 1)}, 0xFFFFFFFF});
    b.Import({"GDI32.dll", {N("TextOutW", 2)}, 0x12345678});
    // Without an import name table the descriptor yields nothing; its bound
    // address table is never read instead.
    b.Import({"OLD.dll", {N("Hidden", 3)}, 0x12345678, false});
    RecordingSink sink;
    ReadOutcome r = ReadBytes(b.Build().bytes, sink);
    ASSERT_EQ(r.result, kReadDone);
    std::vector<Handed> want = {
        {kKindImport, "CreateFileW", "KERNEL32.dll", 0, 0xC3, kBindingUnbound},
        {kKindImportOrdinal, "#17", "KERNEL32.dll", 17, -1, kBindingUnbound},
        {kKindImport, "ReadFile", "KERNEL32.dll", 0, 5, kBindingUnbound},
        {kKindImport, "MessageBoxW", "USER32.dll", 0, 1, kBindingBound},
        {kKindImport, "TextOutW", "GDI32.dll", 0, 2, kBindingBoundOld},
    };
    EXPECT_EQ(sink.handed, want);
    EXPECT_EQ(sink.count, 5u);
    EXPECT_TRUE(sink.last.computed & kComputedBinding);

    // The module of a descriptor without a name table is still an imported
    // library.
    RecordingSink libs;
    ReadBytes(b.Build().bytes, libs, {0, kSearchForImportLibs, kPresentModulesOnly, true});
    EXPECT_EQ(libs.Kinds(), std::vector<ResultKind>(4, kKindImportedLibrary));
    EXPECT_EQ(libs.handed[3].module, "OLD.dll");
    EXPECT_EQ(libs.handed[3].binding, kBindingBoundOld);
    EXPECT_EQ(libs.count, 4u);
  }
}

TEST(Imports, WideOrdinalKeepsAllBitsButTheFlag) {
  BuiltImage img = PeBuilder(K::kPe64).Import({"A.dll", {ImportSymbol::Ordinal(0x123456789ull)}}).Build();
  RecordingSink sink;
  ReadBytes(img.bytes, sink);
  ASSERT_EQ(sink.handed.size(), 1u);
  EXPECT_EQ(sink.handed[0].ordinal, 0x123456789ull);
}

TEST(Exports, OrdinalBaseNameIndexAndForwarders) {
  PeBuilder b(K::kPe32);
  b.Exports({"lib.dll", 10,
             {{10, "Zed", ""},
              {11, "", ""},
              // 12 left empty: no function, nothing handed on
              {13, "Alpha", "KERNEL32.CreateFileW"},
              {14, "", "NTDLL.#7"}}});
  RecordingSink sink;
  ReadBytes(b.Build().bytes, sink);
  // Name indexes follow the sorted name table: Alpha 0, Zed 1.
  std::vector<Handed> want = {
      {kKindExport, "Zed", "lib.dll", 10, 1, kBindingNone},
      {kKindExportOrdinal, "#11", "lib.dll", 11, -1, kBindingNone},
      {kKindExport, "Alpha", "lib.dll", 13, 0, kBindingNone},
      {kKindExportForwarded, "KERNEL32.CreateFileW", "lib.dll", 13, 0, kBindingNone},
      {kKindExportOrdinal, "#14", "lib.dll", 14, -1, kBindingNone},
      {kKindExportForwarded, "NTDLL.#7", "lib.dll", 14, -1, kBindingNone},
  };
  EXPECT_EQ(sink.handed, want);
  EXPECT_EQ(sink.count, 5u);  // NumberOfFunctions
  EXPECT_EQ(sink.skipped, 1u);
}

// Ordinals are Base plus the index, without wrapping: an entry past
// 0xFFFFFFFF has no ordinal a module could import it by. A named one is
// listed without an ordinal; an unnamed one is not listed, as no name or
// ordinal can reach it.
TEST(Exports, OrdinalsPastThirtyTwoBitsDoNotWrap) {
  PeBuilder b(K::kPe32);
  // Indexes 0 to 3 of Base 0xFFFFFFFE: ordinals 0xFFFFFFFE, 0xFFFFFFFF, then
  // none (the builder's ordinals wrap as 32-bit numbers do).
  b.Exports({"lib.dll", 0xFFFFFFFE, {{0xFFFFFFFE, "High", ""}, {0xFFFFFFFF, "", ""}, {0, "", ""}, {1, "Past", ""}}});
  RecordingSink sink;
  ReadBytes(b.Build().bytes, sink);
  std::vector<Handed> want = {
      {kKindExport, "High", "lib.dll", 0xFFFFFFFE, 0, kBindingNone},
      {kKindExportOrdinal, "#4294967295", "lib.dll", 0xFFFFFFFF, -1, kBindingNone},
      {kKindExport, "Past", "lib.dll", 0, 1, kBindingNone},
  };
  EXPECT_EQ(sink.handed, want);
  EXPECT_EQ(sink.skipped, 1u);

  TempDir dir("pe");
  MappedImage image;
  ASSERT_TRUE(image.Open(dir.Write("lib.dll", b.Build().bytes).string()));
  ExportEntry entry;
  for (uint32_t ordinal : {0u, 1u}) EXPECT_FALSE(FindExportByOrdinal(image, ordinal, entry)) << ordinal;
  ASSERT_TRUE(FindExportByName(image, "Past", entry));
  EXPECT_EQ(entry.ordinal, 0u);
  ASSERT_TRUE(FindExportByOrdinal(image, 0xFFFFFFFF, entry));
  EXPECT_TRUE(entry.name.empty());
}

TEST(Exports, FirstOfDuplicateNameOrdinalsWins) {
  BuiltImage img =
      PeBuilder(K::kPe64).Exports({"lib.dll", 1, {{1, "A", ""}, {2, "B", ""}}}).Build();
  // Point both name-ordinal entries at function 0: it takes name index 0,
  // function 1 has no name left.
  uint32_t dir = img.layout.exportDirectory;
  uint32_t ordinals = Peek<uint32_t>(img.bytes, dir + 36) - img.layout.rdataRva + img.layout.rdataOffset;
  Poke<uint16_t>(img.bytes, ordinals + 2, 0);
  RecordingSink sink;
  ReadBytes(img.bytes, sink);
  ASSERT_EQ(sink.handed.size(), 2u);
  EXPECT_EQ(sink.handed[0].name, "A");
  EXPECT_EQ(sink.handed[0].index, 0);
  EXPECT_EQ(sink.handed[1].kind, kKindExportOrdinal);
}

TEST(DelayLoads, BothFormatsAndBinding) {
  for (K kind : {K::kPe32, K::kPe64}) {
    for (bool oldFormat : {false, true}) {
      PeBuilder b(kind);
      b.ImageBase(0x400000);
      b.DelayImport({"WINMM.dll", {N("PlaySoundW", 3), ImportSymbol::Ordinal(2)}, oldFormat, 0});
      // A bound descriptor's names are not searched; its ordinals are.
      b.DelayImport({"BOUND.dll", {N("Skipped", 1), ImportSymbol::Ordinal(5)}, oldFormat,
                     0xFFFFFFFF});
      RecordingSink sink;
      ASSERT_EQ(ReadBytes(b.Build().bytes, sink).result, kReadDone);
      std::vector<Handed> want = {
          {kKindDelayImport, "PlaySoundW", "WINMM.dll", 0, 3, kBindingUnbound},
          {kKindDelayImportOrdinal, "#2", "WINMM.dll", 2, -1, kBindingUnbound},
          {kKindDelayImportOrdinal, "#5", "BOUND.dll", 5, -1, kBindingBound},
      };
      EXPECT_EQ(sink.handed, want) << "kind " << static_cast<int>(kind) << " old " << oldFormat;
      EXPECT_EQ(sink.count, 4u);
      EXPECT_EQ(sink.skipped, 1u);
      EXPECT_EQ((sink.attached.characteristics & kCharDelayLoadVc6) != 0, oldFormat);

      RecordingSink libs;
      ReadBytes(b.Build().bytes, libs, {0, kSearchForImportLibs, kPresentModulesOnly, true});
      EXPECT_EQ(libs.Names(), (std::vector<std::string>{"", ""}));
      ASSERT_EQ(libs.handed.size(), 2u);
      EXPECT_EQ(libs.handed[0].module, "WINMM.dll");
      EXPECT_EQ(libs.handed[1].kind, kKindDelayImportedLibrary);
    }
  }
}

TEST(LookIn, EachBitSelectsItsSymbols) {
  struct Case {
    uint32_t lookIn;
    std::vector<ResultKind> kinds;
  };
  const std::vector<ResultKind> all = {kKindImport,          kKindImportOrdinal,
                                       kKindExport,          kKindExportOrdinal,
                                       kKindExport,          kKindExportForwarded,
                                       kKindDelayImport,     kKindDelayImportOrdinal};
  const Case cases[] = {
      {0, all},
      {kLookInCOnly, all},  // a language alone restricts no source
      {kLookInExports, {kKindExport, kKindExportOrdinal, kKindExport}},
      {kLookInImports, {kKindImport}},
      {kLookInDelayLoad, {kKindDelayImport}},
      {kLookInImportOrdinals, {kKindImportOrdinal, kKindDelayImportOrdinal}},
      {kLookInForwardedExports, {kKindExportForwarded}},
      {kLookInImports | kLookInForwardedExports, {kKindImport, kKindExportForwarded}},
      // C++ names only: no ordinal symbol is handed on.
      {kLookInCppOnly, {kKindImport, kKindExport, kKindExport, kKindExportForwarded, kKindDelayImport}},
      {kLookInImportOrdinals | kLookInCppOnly, {}},
  };
  for (K kind : {K::kPe32, K::kPe64}) {
    std::string bytes = Everything(kind).Build().bytes;
    for (const Case& c : cases) {
      RecordingSink sink;
      ReadBytes(bytes, sink, {c.lookIn, kSearchForSymbols, kPresentSymbolsInModules, false});
      EXPECT_EQ(sink.Kinds(), c.kinds) << "look in 0x" << std::hex << c.lookIn;
    }
  }
}

TEST(LookIn, CountCoversOnlyTheVisitedTables) {
  std::string bytes = Everything(K::kPe64).Build().bytes;
  auto count = [&](uint32_t lookIn, uint32_t searchFor = kSearchForSymbols) {
    RecordingSink sink;
    ReadBytes(bytes, sink, {lookIn, searchFor, kPresentModulesOnly, false});
    return sink.count;
  };
  EXPECT_EQ(count(0), 2u + 3u + 2u);
  EXPECT_EQ(count(kLookInExports), 3u);
  EXPECT_EQ(count(kLookInImports), 2u);
  EXPECT_EQ(count(kLookInImportOrdinals), 4u);  // imports and delay loads
  EXPECT_EQ(count(0, kSearchForImportLibs), 2u);  // one per descriptor
}

TEST(ModulesOnly, OneMatchEndsTheModule) {
  PeBuilder b(K::kPe64);
  b.Import({"A.dll", {N("a1", 0), N("a2", 0), N("a3", 0)}});
  b.Import({"B.dll", {N("b1", 0), N("b2", 0)}});
  b.Exports({"self.dll", 1, {{1, "e1", ""}, {2, "e2", ""}, {3, "e3", ""}}});
  b.DelayImport({"C.dll", {N("c1", 0), N("c2", 0)}});
  std::string bytes = b.Build().bytes;

  RecordingSink sink;
  sink.answer = [](size_t) { return 1; };
  ReadBytes(bytes, sink, {0, kSearchForSymbols, kPresentModulesOnly, false});
  EXPECT_EQ(sink.Names(), (std::vector<std::string>{"a1", "b1", "e1", "c1"}));
  EXPECT_EQ(sink.count, 10u);
  EXPECT_EQ(sink.skipped, 6u);

  // Until something matches, everything is visited.
  RecordingSink late;
  late.answer = [](size_t n) { return n == 1 ? 1 : 0; };
  ReadBytes(bytes, late, {0, kSearchForSymbols, kPresentModulesOnly, false});
  EXPECT_EQ(late.Names(), (std::vector<std::string>{"a1", "a2", "b1", "b2", "e1", "e2", "e3",
                                                     "c1", "c2"}));
  EXPECT_EQ(late.skipped, 1u);

  // Presented as symbols in modules, a match does not end anything.
  RecordingSink every;
  every.answer = [](size_t) { return 1; };
  ReadBytes(bytes, every);
  EXPECT_EQ(every.handed.size(), 10u);
}

TEST(Stop, SinkOrDeliveryFailureStopsTheRead) {
  std::string bytes = Everything(K::kPe32).Build().bytes;
  for (size_t at = 0; at < 8; ++at) {
    RecordingSink sink;
    sink.answer = [at](size_t n) { return n == at ? -1 : 0; };
    ReadOutcome r = ReadBytes(bytes, sink);
    EXPECT_EQ(r.result, kReadStop);
    EXPECT_EQ(r.error, ERROR_CANCELLED);
    EXPECT_EQ(sink.handed.size(), at + 1);
  }
  RecordingSink libs;
  libs.answer = [](size_t) { return -1; };
  EXPECT_EQ(ReadBytes(bytes, libs, {0, kSearchForImportLibs, kPresentModulesOnly, true}).result,
            kReadStop);
}

TEST(Names, LongerThanTheBoundAreCutWithOneWarningPerImage) {
  const size_t bound = ImageView::kMaxNameLength;
  for (K kind : {K::kPe32, K::kPe64}) {
    PeBuilder b(kind);
    b.Import({"KERNEL32.dll", {N("ReadFile", 1), N(std::string(100000, 'I').c_str(), 2)}});
    b.Exports({"lib.dll", 1,
               {{1, "Alpha", ""},
                {2, std::string(bound, 'E'), ""},  // exactly the bound: kept whole
                {3, std::string(bound + 1, 'F'), ""},
                {4, "Beta", "NTDLL." + std::string(70000, 'R')}}});
    RecordingSink sink;
    ReadOutcome r = ReadBytes(b.Build().bytes, sink);
    ASSERT_EQ(r.result, kReadDone);
    std::vector<size_t> lengths;
    for (const Handed& h : sink.handed) lengths.push_back(h.name.size());
    EXPECT_EQ(lengths, (std::vector<size_t>{8, bound, 5, bound, bound, 4, bound}));
    EXPECT_EQ(sink.handed[1].name, std::string(bound, 'I'));
    EXPECT_EQ(sink.handed.back().name.substr(0, 7), "NTDLL.R");
    ASSERT_EQ(sink.status.size(), 1u);
    const std::wstring& line = sink.status[0];
    EXPECT_EQ(line.rfind(L"Warning: Searching file: \"", 0), 0u) << line;
    EXPECT_NE(line.find(L"3 name(s) longer than 65536 characters cut"), std::wstring::npos) << line;
    EXPECT_NE(line.find(L": \"" + std::wstring(64, L'I') + L"...\""), std::wstring::npos) << line;
  }
}

TEST(Names, RunningToTheEndOfTheFileAreCutNotRefused) {
  // Every export name starts in one run of letters that has no terminator
  // before the end of the file, as in an image whose names were overwritten.
  PeBuilder b(K::kPe64);
  b.Exports({"lib.dll", 1, {{1, "Alpha", ""}, {2, "Beta", ""}}});
  b.Resource(16, 1, 1033, "version");  // .rsrc, the last section, ends the file
  BuiltImage img = b.Build();
  std::string bytes = img.bytes;
  const size_t run = bytes.size();
  bytes.append(200000, 'Z');
  // The last section covers the run, and both names point into it.
  const uint32_t runRva = static_cast<uint32_t>(run - img.layout.rsrcOffset + img.layout.rsrcRva);
  Poke<uint32_t>(bytes, img.layout.sectionTable + 80 + 8, 0x100000);   // VirtualSize
  Poke<uint32_t>(bytes, img.layout.sectionTable + 80 + 16, 0x100000);  // SizeOfRawData
  const uint32_t names = Peek<uint32_t>(bytes, img.layout.exportDirectory + 32);
  const uint32_t namesAt = names - img.layout.rdataRva + img.layout.rdataOffset;
  Poke<uint32_t>(bytes, namesAt, runRva);
  Poke<uint32_t>(bytes, namesAt + 4, runRva + 10);
  RecordingSink sink;
  ReadOutcome r = ReadBytes(bytes, sink);
  ASSERT_EQ(r.result, kReadDone);
  ASSERT_EQ(sink.handed.size(), 2u);
  EXPECT_EQ(sink.handed[0].name, std::string(ImageView::kMaxNameLength, 'Z'));
  EXPECT_EQ(sink.handed[1].name.size(), ImageView::kMaxNameLength);
  ASSERT_EQ(sink.status.size(), 1u);
  EXPECT_NE(sink.status[0].find(L"2 name(s)"), std::wstring::npos) << sink.status[0];

  // A short name that the view ends before its terminator still faults.
  ImageView view(reinterpret_cast<const uint8_t*>("abc"), 3);
  EXPECT_FALSE(view.String(0).has_value());
  EXPECT_TRUE(view.faulted());
  EXPECT_EQ(view.cutNames(), 0u);
}

TEST(Rom, ReportedOnlyToAnOpenModuleSearch) {
  std::string rom = PeBuilder(K::kRom).Characteristics(0x0103).TimeStamp(77).Build().bytes;
  const ScanOptions open{0, kSearchForSymbols, kPresentModulesOnly, true};
  RecordingSink sink;
  ReadOutcome r = ReadBytes(rom, sink, open);
  EXPECT_EQ(r.result, kReadDone);
  ASSERT_EQ(sink.images.size(), 1u);
  const ImageProperties& p = sink.images[0];
  EXPECT_EQ(p.imageType, kImageTypeRom);
  EXPECT_EQ(p.timeStamp, 77u);
  EXPECT_EQ(p.subsystemBit, 0x1u);
  EXPECT_EQ(p.characteristics, CharacteristicBitsOf(0x0103, 0));
  EXPECT_EQ(p.directories, 0u);
  EXPECT_TRUE(sink.handed.empty());

  const ScanOptions restricted[] = {
      {kLookInExports, kSearchForSymbols, kPresentModulesOnly, true},
      {0, kSearchForSymbols, kPresentSymbolsInModules, true},
      {0, kSearchForSymbols, kPresentModulesOnly, false},
  };
  for (const ScanOptions& o : restricted) {
    RecordingSink none;
    EXPECT_EQ(ReadBytes(rom, none, o).result, kReadDone);
    EXPECT_TRUE(none.images.empty());
  }
  // A language choice is not a source restriction.
  RecordingSink cOnly;
  ReadBytes(rom, cOnly, {kLookInCOnly, kSearchForSymbols, kPresentModulesOnly, true});
  EXPECT_EQ(cOnly.images.size(), 1u);

  ScriptedFilter dirs;
  dirs.noDirectoryFilter = false;
  RecordingSink filtered;
  ReadBytes(rom, filtered, open, &dirs);
  EXPECT_TRUE(filtered.images.empty());
  ScriptedFilter type;
  type.type = false;
  ReadBytes(rom, filtered, open, &type);
  EXPECT_TRUE(filtered.images.empty());

  RecordingSink refusing;
  refusing.deliverImage = false;
  ReadOutcome stop = ReadBytes(rom, refusing, open);
  EXPECT_EQ(stop.result, kReadStop);
  EXPECT_EQ(stop.error, ERROR_CANCELLED);
}

}  // namespace
}  // namespace tarnix::test

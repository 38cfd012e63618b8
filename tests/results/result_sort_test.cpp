#include "results/result_sort.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <numeric>
#include <random>

#include "core/string_memory.h"
#include "core/text_pool.h"
#include "core/wformat.h"
#include "platform/case_fold.h"
#include "results/result_column.h"
#include "results/result_field.h"
#include "results/results_model.h"

namespace tarnix {
namespace {

SymbolResult R(std::wstring name, std::wstring module, uint32_t ordinal) {
  SymbolResult r;
  r.file = L"/w/" + module;
  r.name = std::move(name);
  r.module = std::move(module);
  r.kind = kKindExport;
  r.ordinal = ordinal;
  return r;
}

std::vector<std::wstring> Names(const ResultsModel& m) {
  std::vector<std::wstring> out;
  for (size_t i = 0; i < m.size(); ++i) out.push_back(m.Entry(i).result.name);
  return out;
}

TEST(ResultSort, NumericDescendingAndTextFallback) {
  ResultsModel m;
  m.BeginSearch(false, false);
  m.Add(R(L"b", L"X.dll", 2));
  m.Add(R(L"a", L"x.DLL", 9));
  m.Add(R(L"c", L"A.dll", 2));
  m.DetailsDone();
  EXPECT_EQ(m.RequestSort(kColOrdinal, false, nullptr), ResultsModel::SortAnswer::kSorted);
  EXPECT_EQ(Names(m), (std::vector<std::wstring>{L"b", L"c", L"a"}));
  EXPECT_EQ(m.RequestSort(kColOrdinal, false, nullptr), ResultsModel::SortAnswer::kSorted);
  EXPECT_FALSE(m.ascending());
  EXPECT_EQ(Names(m)[0], L"a");
  // Equal modules (ignoring case) fall back to the symbol names.
  EXPECT_EQ(m.RequestSort(kColModule, false, nullptr), ResultsModel::SortAnswer::kSorted);
  EXPECT_EQ(Names(m), (std::vector<std::wstring>{L"b", L"a", L"c"}));  // still descending
}

TEST(ResultSort, RefusalsWhileDetailsIncompleteOrSearching) {
  ResultsModel m;
  m.BeginSearch(true, false);
  m.Add(R(L"b", L"m", 1));
  m.Add(R(L"a", L"m", 2));
  int stops = 0;
  auto stop = [&] { ++stops; };
  EXPECT_EQ(m.RequestSort(kColVersion, false, stop), ResultsModel::SortAnswer::kRefused);
  EXPECT_EQ(m.RequestSort(kColFunctionName, false, stop), ResultsModel::SortAnswer::kRefused);
  EXPECT_EQ(m.RequestSort(kColOrdinal, true, stop), ResultsModel::SortAnswer::kRefused);
  EXPECT_EQ(stops, 0);
  EXPECT_EQ(m.RequestSort(kColOrdinal, false, stop), ResultsModel::SortAnswer::kSorted);
  EXPECT_EQ(stops, 1);
  EXPECT_FALSE(m.SortOffered(kColDescription));
  m.DetailsDone();
  EXPECT_TRUE(m.SortOffered(kColDescription));
}

TEST(ResultSort, CancelKeepsTheOrderAndTheSortState) {
  ResultsModel m;
  m.BeginSearch(false, false);
  for (uint32_t i = 0; i < 1000; ++i) m.Add(R(std::to_wstring(i), L"m", 1000 - i));
  m.DetailsDone();
  for (int after : {0, 1, 3}) {
    int calls = 0;
    auto answer = m.RequestSort(kColOrdinal, false, nullptr, [&](double) { return calls++ >= after; });
    EXPECT_EQ(answer, ResultsModel::SortAnswer::kCancelled);
    EXPECT_EQ(m.sortColumn(), -1);
    for (size_t i = 0; i < m.size(); ++i) ASSERT_EQ(m.Entry(i).result.name, std::to_wstring(i));
  }
}

// The order of every column, both ways, against the rule written out as a
// comparison of whole records: numbers unsigned, texts case folded in the
// collation (character values here), ties of text columns by name, equal
// rows in their order, descending reversing distinct values only.
TEST(ResultSort, EveryColumnBothWaysAsTheRuleSays) {
  const char* collate = std::getenv("LC_ALL");
  if (!collate || !*collate) collate = std::getenv("LC_COLLATE");
  if (!collate || !*collate) collate = std::getenv("LANG");
  const std::string c = collate ? collate : "C";
  if (!(c == "C" || c == "POSIX" || c.rfind("C.", 0) == 0)) GTEST_SKIP() << "collation " << c;

  std::mt19937 rng(7);
  const std::vector<std::wstring> names = {L"Alpha", L"alpha", L"beta", L"Beta_2", L"b\x00e9ta", L"_x", L"",
                                           L"Z", L"#12", L"?f@@YAXXZ", L"\xdc80raw", L"\x00c9t\x00e9"};
  const std::vector<std::wstring> paths = {L"/a/K.dll", L"/a/k.DLL", L"/b/x.exe", L"/B/y.sys",
                                           L"/" + std::wstring(600, L'd') + L"/long.dll"};
  ResultsModel m;
  m.BeginSearch(false, false);
  for (int i = 0; i < 3000; ++i) {
    SymbolResult r;
    r.file = paths[rng() % paths.size()];
    r.name = names[rng() % names.size()];
    r.module = names[rng() % names.size()];
    r.kind = 1 + rng() % 15;  // 15: an unknown kind
    r.ordinal = rng() % 4;
    r.nameIndexOrHint = static_cast<int32_t>(rng() % 3) - 1;
    r.properties.imageType = 1 + rng() % 2;
    r.properties.timeStamp = rng() % 3;
    r.properties.characteristics = uint64_t{rng() % 3} << 40;
    r.properties.directories = (uint64_t{rng() % 2} << 30) | (rng() % 2);
    m.Add(r);
  }
  // Versions and descriptions per image.
  std::vector<FileDetailsFinding> details;
  for (uint32_t i = 0; i < m.imageCount(); ++i)
    details.push_back({i, i % 3 == 0 ? kVersionUnknown : uint64_t{i % 4}, i % 2 ? L"Desc" : L"desc "});
  std::vector<FileDetailsFinding> applied = details;
  m.ApplyImageDetails(applied);
  m.DetailsDone();

  std::vector<ResultEntry> original(m.size());
  for (size_t i = 0; i < m.size(); ++i) original[i] = m.Entry(i);
  auto text = [](const ResultEntry& e, int32_t col) {
    std::wstring t;
    if (col == kColFolder) t = ListFolderOf(e.result.file);
    if (col == kColMatchedIn || col == kColImageName) ListDisplayText(col, e, true, t);
    if (col == kColModule) t = e.result.module;
    if (col == kColDescription) t = e.description;
    if (col == kColFunctionName) t = e.result.name;
    return ToLowerCase(t);
  };
  auto number = [](const ResultEntry& e, int32_t col) -> uint64_t {
    const ImageProperties& p = e.result.properties;
    switch (col) {
      case kColType: return p.imageType;
      case kColBinding: return p.binding;
      case kColBuildTime: return p.timeStamp;
      case kColSubsystem: return p.subsystemBit;
      case kColCharacteristics: return p.characteristics;
      case kColDirectories: return p.directories & 0xFFFF;
      case kColResources: return p.directories & 0xFFFFFF000000ULL;
      case kColVersion: return e.fileVersion;
      case kColOrdinal: return e.result.ordinal;
      case kColHint: return static_cast<uint32_t>(e.result.nameIndexOrHint);
      default: return 0;
    }
  };
  auto numeric = [](int32_t col) {
    return col != kColFunctionName && col != kColMatchedIn && col != kColModule && col != kColImageName &&
           col != kColFolder && col != kColDescription;
  };
  for (int32_t col = 0; col < kResultColumnCount; ++col) {
    for (bool ascending : {true, false}) {
      // Sorting from the arrival order each time.
      std::vector<size_t> expect(original.size());
      std::iota(expect.begin(), expect.end(), 0);
      auto cmp = [&](size_t a, size_t b) {
        const ResultEntry &x = original[a], &y = original[b];
        int c;
        if (numeric(col)) {
          c = number(x, col) < number(y, col) ? -1 : number(x, col) > number(y, col) ? 1 : 0;
        } else {
          c = text(x, col).compare(text(y, col));
          if (c == 0 && col != kColFunctionName) c = text(x, kColFunctionName).compare(text(y, kColFunctionName));
        }
        return ascending ? c < 0 : c > 0;
      };
      std::stable_sort(expect.begin(), expect.end(), cmp);
      ResultsModel sorted;
      sorted.BeginSearch(false, false);
      for (const ResultEntry& e : original) sorted.Add(e.result);
      std::vector<FileDetailsFinding> again = details;
      sorted.ApplyImageDetails(again);
      ASSERT_TRUE(SortResults(sorted, col, ascending));
      for (size_t i = 0; i < expect.size(); ++i)
        ASSERT_EQ(sorted.Entry(i).id, original[expect[i]].id) << "column " << col << (ascending ? " up" : " down") << " row " << i;
    }
  }
}

// The quick way to rank texts (their folded characters, where the
// collation is the order of character values) ranks as the collation's own
// keys do.
TEST(ResultSort, RanksFromCharactersMatchTheCollationKeys) {
  TextPool pool;
  for (const wchar_t* t : {L"CreateFileW", L"createfilew", L"CreateFileA", L"_imp_", L"a-b", L"a_b", L"ab", L"A",
                           L"\x00e9", L"\x00c9", L"e", L"z", L"\x263a", L"#7", L"?g@@YAHH@Z", L"0", L"9"})
    pool.Intern(t);
  const std::vector<uint32_t> quick = CollationRanks(pool, CollationMethod::kUserLocale);
  const std::vector<uint32_t> keys = CollationRanks(pool, CollationMethod::kCollationKeys);
  ASSERT_EQ(quick.size(), pool.size());
  // Same ties, same order.
  for (uint32_t a = 0; a < pool.size(); ++a)
    for (uint32_t b = 0; b < pool.size(); ++b)
      EXPECT_EQ(quick[a] < quick[b], keys[a] < keys[b]) << a << " " << b;
  EXPECT_EQ(quick[pool.Intern(L"CreateFileW")], quick[pool.Intern(L"createfilew")]);
}

TEST(ResultsModel, IdsDetailsAndClear) {
  ResultsModel m;
  m.BeginSearch(true, false);
  uint64_t a = m.Add(R(L"?f@@YAXXZ", L"m", 0));
  EXPECT_EQ(a, 1u);
  m.Add(R(L"g", L"m", 0));
  std::vector<FileDetailsFinding> images{{m.row(0).image, 0x0001000200030004ULL, L"Thing"}, {99, 1, L"no such image"}};
  std::vector<NameDetailsFinding> names{{m.row(0).name, L"void __cdecl f(void)"}};
  EXPECT_EQ(m.ApplyImageDetails(images) + m.ApplyNameDetails(names), 2u);
  // Not a C++ kind: the name stays.
  EXPECT_EQ(m.Entry(0).result.name, L"?f@@YAXXZ");
  EXPECT_EQ(m.Entry(0).fileVersion, 0x0001000200030004ULL);
  EXPECT_EQ(m.Entry(1).description, L"Thing");  // the image's rows share it

  ResultsModel cpp;
  cpp.BeginSearch(true, false);
  SymbolResult r = R(L"?f@@YAXXZ", L"m", 0);
  r.kind = kKindExportCpp;
  cpp.Add(r);
  std::vector<NameDetailsFinding> cppNames{{cpp.row(0).name, L"void __cdecl f(void)"}};
  cpp.ApplyNameDetails(cppNames);
  EXPECT_EQ(cpp.Entry(0).result.name, L"void __cdecl f(void)");
  EXPECT_EQ(cpp.Entry(0).decoratedName, L"?f@@YAXXZ");

  m.Clear();
  EXPECT_EQ(m.Add(R(L"x", L"m", 0)), 1u);
  EXPECT_EQ(m.sortColumn(), -1);
  EXPECT_EQ(m.Entry(0).description, L"");
}

// A list that reaches its memory limit keeps what it took and takes no
// more until it is cleared; the rows it kept read back unchanged.
TEST(ResultsModel, MemoryLimitKeepsWhatWasTaken) {
  ResultsModel m;
  m.SetMemoryCeiling(8u << 20);
  m.BeginSearch(true, false);
  ResultBatch batch;
  for (uint32_t i = 0; i < 400000; ++i)
    batch.Add(i / 100, L"/w/" + std::to_wstring(i / 100) + L".dll", {}, kKindExport, L"Name" + std::to_wstring(i),
              L"m.dll", i, -1);
  const size_t taken = m.Append(batch);
  EXPECT_GT(taken, 0u);
  EXPECT_LT(taken, batch.size());
  EXPECT_TRUE(m.full());
  EXPECT_LE(m.memoryUsed(), 8u << 20);
  EXPECT_EQ(m.size(), taken);
  EXPECT_EQ(m.Append(batch), 0u);
  EXPECT_EQ(m.Add(R(L"x", L"m", 0)), 0u);
  for (size_t i = 0; i < taken; i += 997) {
    const ResultEntry e = m.Entry(i);
    EXPECT_EQ(e.id, i + 1);
    EXPECT_EQ(e.result.name, L"Name" + std::to_wstring(i));
    EXPECT_EQ(e.result.file, L"/w/" + std::to_wstring(i / 100) + L".dll");
  }
  m.Clear();
  EXPECT_FALSE(m.full());
  EXPECT_EQ(m.Add(R(L"x", L"m", 0)), 1u);
}

// A small limit keeps what fits in it: what the rows, images and texts use
// is counted, not the chunks and blocks reserved ahead of them.
TEST(ResultsModel, SmallLimitsKeepWhatFits) {
  ResultBatch exports;  // one image with as many exports as kernel32.dll
  for (uint32_t i = 0; i < 2217; ++i)
    exports.Add(1, L"/w/System32/kernel32.dll", {}, kKindExport, L"Function" + std::to_wstring(i), L"KERNEL32.dll",
                i + 1, static_cast<int32_t>(i));
  for (uint32_t mib : {1u, 2u, 3u, 4u}) {
    ResultsModel m;
    m.SetMemoryCeiling(uint64_t{mib} << 20);
    m.BeginSearch(true, false);
    EXPECT_EQ(m.Append(exports), exports.size()) << mib << " MiB";
    EXPECT_FALSE(m.full());
    EXPECT_LE(m.memoryUsed(), uint64_t{mib} << 20);
  }

  // Wide strings of more than three characters live on the heap, and the
  // count says so: 1,000 images of ten-character paths take 40 KB or more.
  std::wstring ten(10, L'p');
  size_t heap = 0;
  for (int i = 0; i < 1000; ++i) heap += HeapBytes(ten + L"");
  EXPECT_GE(heap, 40000u);
  ResultBatch images;
  for (uint32_t i = 0; i < 1000; ++i) images.Add(i, WFormat(L"/w/%06u.d", i), {}, kKindImage, L"", L"", 0, -1);
  ResultsModel m;
  ASSERT_EQ(m.Append(images), 1000u);
  EXPECT_GE(m.imageMemory(), 1000 * sizeof(ImageRecord) + 40000);
}

// Texts that are not valid UTF-16 or UTF-8 (lone surrogates standing for
// the bytes of a file name, the code page's unassigned bytes, characters
// past the BMP) come back from the list as they went in.
TEST(ResultsModel, TextsComeBackUnchanged) {
  const std::wstring path = L"/w/\xdcff\xdc80name\xd800.dll";
  const std::wstring name = std::wstring(L"\x0081\x008d\x00ff") + wchar_t(0x10FFFF) + wchar_t(0x7FFFFFFF) + L"\xdbff";
  ResultBatch batch;
  batch.Add(1, path, {}, kKindImport, name, L"KERNEL32.dll", 0, 5);
  batch.Add(1, path, {}, kKindImport, L"", L"", 0, -1);
  ResultsModel m;
  ASSERT_EQ(m.Append(batch), 2u);
  EXPECT_EQ(m.imageCount(), 1u);
  EXPECT_EQ(m.Entry(0).result.file, path);
  EXPECT_EQ(m.Entry(0).result.name, name);
  EXPECT_EQ(m.Entry(0).result.nameIndexOrHint, 5);
  EXPECT_EQ(m.Entry(1).result.name, L"");
  EXPECT_EQ(batch.At(0).name, name);
}

}  // namespace
}  // namespace tarnix

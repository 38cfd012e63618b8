#include "results/result_sort.h"

#include <gtest/gtest.h>

#include "results/result_column.h"
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
  for (const auto& e : m.entries()) out.push_back(e.result.name);
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

TEST(ResultSort, CancelRestoresSortStateAndKeepsEveryRow) {
  ResultsModel m;
  m.BeginSearch(false, false);
  for (uint32_t i = 0; i < 1000; ++i) m.Add(R(std::to_wstring(i), L"m", 1000 - i));
  m.DetailsDone();
  int calls = 0;
  auto answer = m.RequestSort(kColOrdinal, false, nullptr, [&](double) { return ++calls > 4; });
  EXPECT_EQ(answer, ResultsModel::SortAnswer::kCancelled);
  EXPECT_EQ(m.sortColumn(), -1);
  std::vector<bool> seen(1000);
  for (const auto& e : m.entries()) seen[std::stoul(e.result.name)] = true;
  for (bool s : seen) EXPECT_TRUE(s);
}

TEST(ResultsModel, IdsDetailsAndClear) {
  ResultsModel m;
  m.BeginSearch(true, false);
  uint64_t a = m.Add(R(L"?f@@YAXXZ", L"m", 0));
  EXPECT_EQ(a, 1u);
  ResultDetails d;
  d.id = a;
  d.fileVersion = 0x0001000200030004ULL;
  d.description = L"Thing";
  d.hasUndecorated = true;
  d.undecoratedName = L"void __cdecl f(void)";
  EXPECT_TRUE(m.ApplyDetails(d));
  EXPECT_EQ(m.entries()[0].result.name, L"void __cdecl f(void)");
  EXPECT_EQ(m.entries()[0].decoratedName, L"?f@@YAXXZ");
  d.id = 99;
  EXPECT_FALSE(m.ApplyDetails(d));
  m.Clear();
  EXPECT_EQ(m.Add(R(L"x", L"m", 0)), 1u);
  EXPECT_EQ(m.sortColumn(), -1);
}

// The details carry the row where their record stood; a record that has
// moved since (a sort) is still found by its id.
TEST(ResultsModel, DetailsFindTheirRecordByIdWhateverTheRowHint) {
  ResultsModel m;
  m.BeginSearch(false, false);
  for (int i = 0; i < 3; ++i) m.Add(R(std::to_wstring(i), L"m", 0));
  auto apply = [&](uint64_t id, int64_t row, const wchar_t* text) {
    ResultDetails d;
    d.id = id;
    d.row = row;
    d.description = text;
    return m.ApplyDetails(std::move(d));
  };
  EXPECT_TRUE(apply(2, 1, L"at its row"));
  EXPECT_TRUE(apply(3, 0, L"moved"));
  EXPECT_TRUE(apply(1, 99, L"past the end"));
  EXPECT_TRUE(apply(1, -1, L"no row"));
  EXPECT_FALSE(apply(7, 0, L"unknown"));
  EXPECT_EQ(m.entries()[0].description, L"no row");
  EXPECT_EQ(m.entries()[1].description, L"at its row");
  EXPECT_EQ(m.entries()[2].description, L"moved");
}

}  // namespace
}  // namespace tarnix

namespace tarnix {
namespace {

// Details find their rows through the id index, also after the rows were
// reordered and when the entries were taken away behind its back.
TEST(ResultsModelIndex, FindsRowsAfterSortAndRefusesUnknownIds) {
  ResultsModel m;
  m.BeginSearch(true, false);
  for (int i = 0; i < 50; ++i) {
    SymbolResult r;
    r.name = L"f" + std::to_wstring(49 - i);
    r.file = L"/x/a.dll";
    m.Add(r);
  }
  EXPECT_EQ(m.IndexOf(1), 0);
  EXPECT_EQ(m.IndexOf(50), 49);
  ASSERT_EQ(m.RequestSort(kColFunctionName, false, nullptr), ResultsModel::SortAnswer::kRefused);
  m.DetailsDone();
  ASSERT_EQ(m.RequestSort(kColFunctionName, false, nullptr), ResultsModel::SortAnswer::kSorted);
  for (uint64_t id = 1; id <= 50; ++id) {
    const int64_t at = m.IndexOf(id);
    ASSERT_GE(at, 0);
    EXPECT_EQ(m.entries()[static_cast<size_t>(at)].id, id);
  }
  EXPECT_EQ(m.IndexOf(51), -1);
  ResultDetails d;
  d.id = 7;
  d.description = L"seven";
  EXPECT_TRUE(m.ApplyDetails(d));
  EXPECT_EQ(m.FindById(7)->description, L"seven");
  m.Clear();
  EXPECT_EQ(m.FindById(7), nullptr);
}

}  // namespace
}  // namespace tarnix

// The range editor's list commands and the module a picked file becomes.
#include <gtest/gtest.h>

#include "errmsg/range_edit.h"

namespace tarnix {
namespace {

std::vector<ErrorRange> List(std::initializer_list<uint32_t> froms) {
  std::vector<ErrorRange> list;
  for (uint32_t f : froms) list.push_back({f, f, 0, L"", L""});
  return list;
}

std::vector<uint32_t> Froms(const std::vector<ErrorRange>& list) {
  std::vector<uint32_t> out;
  for (const auto& r : list) out.push_back(r.codeFrom);
  return out;
}

TEST(RangeEdit, DuplicateReplicateMoveRemove) {
  auto list = List({1, 2, 3, 4});
  std::vector<size_t> rows{0, 2};
  ASSERT_TRUE(DuplicateRanges(list, rows));
  EXPECT_EQ(Froms(list), (std::vector<uint32_t>{1, 1, 2, 3, 3, 4}));
  EXPECT_EQ(rows, (std::vector<size_t>{1, 4}));

  list = List({1, 2, 3, 4});
  rows = {0, 2};
  ASSERT_TRUE(ReplicateRanges(list, rows));
  EXPECT_EQ(Froms(list), (std::vector<uint32_t>{1, 2, 3, 1, 3, 4}));
  EXPECT_EQ(rows, (std::vector<size_t>{3, 4}));

  // A block at the top stays; the others move past their neighbours.
  list = List({1, 2, 3, 4, 5});
  rows = {0, 1, 3};
  ASSERT_TRUE(MoveRanges(list, rows, true));
  EXPECT_EQ(Froms(list), (std::vector<uint32_t>{1, 2, 4, 3, 5}));
  EXPECT_EQ(rows, (std::vector<size_t>{0, 1, 2}));
  EXPECT_FALSE(MoveRanges(list, rows, true));
  ASSERT_TRUE(MoveRanges(list, rows, false));
  EXPECT_EQ(Froms(list), (std::vector<uint32_t>{3, 1, 2, 4, 5}));

  RemoveRanges(list, {0, 4});
  EXPECT_EQ(Froms(list), (std::vector<uint32_t>{1, 2, 4}));

  // Nothing changes past 1024.
  list = std::vector<ErrorRange>(1024);
  rows = {5};
  EXPECT_FALSE(DuplicateRanges(list, rows));
  EXPECT_FALSE(ReplicateRanges(list, rows));
  EXPECT_EQ(list.size(), 1024u);
}

TEST(RangeEdit, PickedModulesAndBits) {
  uint32_t kind = 0;
  std::wstring name;
  PickedRangeModule(L"/w/Windows/SYSTEM32/wininet.dll", "/w/Windows/System32/", kind, name);
  EXPECT_EQ(kind, kRangeModuleSystem);
  EXPECT_EQ(name, L"wininet.dll");
  PickedRangeModule(L"/w/Windows/System32/en-US/x.dll", "/w/Windows/System32", kind, name);
  EXPECT_EQ(kind, kRangeModuleAbsolute);
  EXPECT_EQ(name, L"/w/Windows/System32/en-US/x.dll");
  PickedRangeModule(L"/w/Windows/System320/x.dll", "/w/Windows/System32", kind, name);
  EXPECT_EQ(kind, kRangeModuleAbsolute);

  EXPECT_EQ(HresultBitsCode(kHresultHighBits[0], 3), 0x80030000u);
  EXPECT_EQ(HresultBitsCode(0xFFFFFFFF, 0xFFFF), 0xFFFF0000u);
  EXPECT_EQ(EditPanelFlags(0x1FF, 0x12), 0x102u);
}

}  // namespace
}  // namespace tarnix

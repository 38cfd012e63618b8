// The search boxes' histories: order, maximum, duplicates and the stored
// form, including damaged values.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include "core/registry_settings.h"
#include "tools/mru_history.h"

namespace tarnix {
namespace {

std::vector<std::wstring> Texts(const MruHistory& h) {
  std::vector<std::wstring> out;
  for (const MruEntry& e : h.entries()) out.push_back(e.text);
  return out;
}

class MruHistoryTest : public testing::Test {
 protected:
  void SetUp() override {
    store.DeleteValue(L"MRU_Test");
    store.DeleteValue(L"MRU_NumEntries");
  }
  void TearDown() override { store.DeleteValue(L"MRU_NumEntries"); }
  RegistrySettings store;
};

TEST_F(MruHistoryTest, KeepsTheNewestMaximumAndMovesRepeatsToTheTop) {
  store.SetDword(L"MRU_NumEntries", 3);
  MruHistory h(L"Test", true, false);
  EXPECT_EQ(h.valueName(), L"MRU_Test");
  for (const wchar_t* t : {L"a", L"b", L"c", L"d"}) ASSERT_TRUE(h.Add(t, 0));
  EXPECT_EQ(Texts(h), (std::vector<std::wstring>{L"b", L"c", L"d"}));
  ASSERT_TRUE(h.Add(L"  b\t", 0));
  EXPECT_EQ(Texts(h), (std::vector<std::wstring>{L"c", L"d", L"b"}));

  // Stored as it stands.
  MruHistory again(L"Test", true, false);
  again.Load();
  EXPECT_EQ(Texts(again), Texts(h));

  // The maximum is read at each addition; out of range it is 24.
  store.SetDword(L"MRU_NumEntries", 2);
  ASSERT_TRUE(h.Add(L"e", 0));
  EXPECT_EQ(Texts(h), (std::vector<std::wstring>{L"b", L"e"}));
  store.SetDword(L"MRU_NumEntries", 65);
  for (int i = 0; i < 30; ++i) h.Add(std::to_wstring(i), 0);
  EXPECT_EQ(h.entries().size(), 24u);
  EXPECT_FALSE(h.Add(L" \t\r\n", 0));  // blank text adds nothing
}

TEST_F(MruHistoryTest, DuplicatesFollowTheCaseRule) {
  MruHistory exact(L"Test", true, false);
  exact.Add(L"CreateFile", 0);
  exact.Add(L"createfile", 0);
  EXPECT_EQ(exact.entries().size(), 2u);

  MruHistory folded(L"Other", false, true);
  folded.Add(L"CreateFile", 1);
  folded.Add(L"x", 2);
  folded.Add(L"CREATEFILE", 5);
  ASSERT_EQ(folded.entries().size(), 2u);
  // Moved to the top as it was spelt, with the newer option.
  EXPECT_EQ(folded.entries().back(), (MruEntry{5, L"CreateFile"}));
  store.DeleteValue(L"MRU_Other");
}

TEST_F(MruHistoryTest, OptionValuesRoundTripThroughTheStore) {
  MruHistory h(L"Test", false, true);
  h.Add(L"re.*x", 0x7);
  h.Add(L"caf\u00e9 \U0001F600", 0xFFFFFFFF00000002ull);
  MruHistory again(L"Test", false, true);
  again.Load();
  EXPECT_EQ(again.entries(), h.entries());

  // The stored bytes, oldest first: option, length in UTF-16 units, units.
  std::vector<uint8_t> bytes;
  ASSERT_TRUE(store.GetBinary(L"MRU_Test", bytes));
  ASSERT_GE(bytes.size(), 12u + 10u);
  EXPECT_EQ(std::vector<uint8_t>(bytes.begin(), bytes.begin() + 14),
            (std::vector<uint8_t>{7, 0, 0, 0, 0, 0, 0, 0, 5, 0, 0, 0, 'r', 0}));
  // The second text is 6 characters but 7 UTF-16 units.
  EXPECT_EQ(bytes[22], 2u);
  EXPECT_EQ(bytes[30], 7u);
  EXPECT_EQ(bytes.size(), 22u + 12u + 14u);

  // Without an option callback no option is stored.
  EXPECT_EQ(MruHistory::Encode({{9, L"ab"}}, false),
            (std::vector<uint8_t>{2, 0, 0, 0, 'a', 0, 'b', 0}));
}

TEST_F(MruHistoryTest, ADamagedValueLoadsTheEntriesBeforeTheDamage) {
  const std::vector<MruEntry> three{{1, L"one"}, {2, L"two"}, {3, L"three"}};
  const std::vector<uint8_t> whole = MruHistory::Encode(three, true);
  // Cut in the middle of the third entry's text, and of its length.
  for (size_t cut : {whole.size() - 1, whole.size() - 10, size_t(12 + 6 + 12 + 6 + 10)}) {
    auto got = MruHistory::Decode(whole.data(), cut, true);
    EXPECT_EQ(got, (std::vector<MruEntry>{three[0], three[1]})) << cut;
  }
  EXPECT_TRUE(MruHistory::Decode(whole.data(), 3, true).empty());
  EXPECT_TRUE(MruHistory::Decode(nullptr, 0, false).empty());

  // An absurd length stops the reading without allocating for it.
  std::vector<uint8_t> absurd = MruHistory::Encode({{0, L"ok"}}, false);
  absurd.insert(absurd.end(), {0xFF, 0xFF, 0xFF, 0x7F, 'x', 0});
  EXPECT_EQ(MruHistory::Decode(absurd.data(), absurd.size(), false),
            (std::vector<MruEntry>{{0, L"ok"}}));

  // Through the store: a cut value, then a value of another kind.
  store.SetBinary(L"MRU_Test", whole.data(), whole.size() - 1);
  MruHistory h(L"Test", true, true);
  h.Load();
  EXPECT_EQ(h.entries().size(), 2u);
  // These bytes would read as the entry "A", were they binary.
  store.SetStringList(L"MRU_Test", {L"\x0001", L"A"});
  MruHistory plain(L"Test", true, false);
  plain.Load();
  EXPECT_TRUE(plain.entries().empty());
}

TEST_F(MruHistoryTest, RemoveTakesTheExactTextOnly) {
  MruHistory h(L"Test", false, false);
  h.Add(L"Alpha", 0);
  h.Add(L"beta", 0);
  EXPECT_FALSE(h.Remove(L"alpha"));
  ASSERT_TRUE(h.Remove(L"Alpha"));
  MruHistory again(L"Test", false, false);
  again.Load();
  EXPECT_EQ(Texts(again), (std::vector<std::wstring>{L"beta"}));
}

TEST_F(MruHistoryTest, TwoInstancesAddingKeepBothEntries) {
  store.SetDword(L"MRU_NumEntries", 64);
  // Two windows (or two programs) loaded the same history and each adds one.
  MruHistory mine(L"Test", true, true), theirs(L"Test", true, true);
  mine.Load();
  theirs.Load();
  ASSERT_TRUE(mine.Add(L"mine", 1));
  ASSERT_TRUE(theirs.Add(L"theirs", 2));
  MruHistory later(L"Test", true, true);
  later.Load();
  EXPECT_EQ(Texts(later), (std::vector<std::wstring>{L"mine", L"theirs"}));
  EXPECT_EQ(Texts(theirs), (std::vector<std::wstring>{L"mine", L"theirs"}));

  // Processes adding at the same moment lose nothing either.
  constexpr int kEach = 20;
  pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    MruHistory h(L"Test", true, true);
    bool ok = true;
    for (int i = 0; i < kEach; ++i) ok = h.Add(L"child" + std::to_wstring(i), 0) && ok;
    _exit(ok ? 0 : 1);
  }
  for (int i = 0; i < kEach; ++i) EXPECT_TRUE(mine.Add(L"parent" + std::to_wstring(i), 0));
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  later.Load();
  EXPECT_EQ(later.entries().size(), 2u + 2 * kEach);

  // Removing is read, changed and written the same way.
  ASSERT_TRUE(theirs.Remove(L"mine"));
  later.Load();
  EXPECT_EQ(later.entries().size(), 1u + 2 * kEach);
}

}  // namespace
}  // namespace tarnix

// The confirmable message boxes' table, their stored answers and their
// suppression flags.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "core/registry_settings.h"
#include "platform/last_error.h"
#include "platform/registry.h"
#include "platform/win_errors.h"
#include "tools/message_box_table.h"

namespace tarnix {
namespace {

RegistrySettings Answers() { return RegistrySettings(RegistrySettings::SectionKey(L"Settings\\DontShowMsgs")); }
RegistrySettings Flags() { return RegistrySettings(SuppressionSubKey()); }

class MessageBoxTableTest : public testing::Test {
 protected:
  void SetUp() override {
    for (const MessageBoxRow& row : MessageBoxTable()) {
      Answers().DeleteValue(row.key);
      Flags().DeleteValue(row.key);
    }
  }
  static const MessageBoxRow& Row(int id) { return *FindMessageBoxRow(id); }
};

TEST_F(MessageBoxTableTest, NineRowsWhoseDefaultsAreAnswersTheyMayKeep) {
  ASSERT_EQ(MessageBoxTable().size(), 9u);
  std::set<std::wstring> keys;
  int id = 0;
  for (const MessageBoxRow& row : MessageBoxTable()) {
    EXPECT_EQ(row.id, ++id);
    keys.insert(row.key);
    EXPECT_TRUE(IsStorableAnswer(row, row.defaultAnswer)) << row.id;
    EXPECT_EQ(row.storable & ~row.buttons, 0u) << row.id;  // only answers of its buttons
    uint32_t type = 0;
    EXPECT_TRUE(ConfirmableBoxType(row, row.defaultAnswer, type)) << row.id;
  }
  EXPECT_EQ(keys.size(), 9u);
  EXPECT_EQ(std::wstring(Row(9).key), L"{95AECAF3-82A5-45E7-AA98-9EA5D10A7005}");
  EXPECT_EQ(std::wstring(Row(9).text),
            L"09. Warning shown before saving WinAPI results list if it's not fully processed");
  EXPECT_EQ(Row(5).defaultAnswer, kAnswerNo);
  EXPECT_EQ(Row(5).storable, kAnswerBitYes | kAnswerBitNo);

  SetLastError(0);
  EXPECT_EQ(FindMessageBoxRow(10), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_UNKNOWN_ID);
  EXPECT_EQ(FindMessageBoxRow(0), nullptr);
}

TEST_F(MessageBoxTableTest, StoredAnswersFallBackToTheDefaultWhenNotAllowed) {
  const MessageBoxRow& questions = Row(5);  // Yes or No kept, No by default
  const MessageBoxRow& warning = Row(6);    // only Yes kept
  EXPECT_EQ(StoredAnswer(questions), kAnswerNo);  // nothing stored
  Answers().SetDword(questions.key, 6);
  EXPECT_EQ(StoredAnswer(questions), kAnswerYes);
  Answers().SetDword(questions.key, 3);  // not a dialog result
  EXPECT_EQ(StoredAnswer(questions), kAnswerNo);
  Answers().SetDword(questions.key, 2);  // Cancel: not one the row keeps
  EXPECT_EQ(StoredAnswer(questions), kAnswerNo);
  Answers().SetDword(questions.key, 0xFFFFFFFF);
  EXPECT_EQ(StoredAnswer(questions), kAnswerNo);
  Answers().SetText(questions.key, L"6");  // wrongly typed
  EXPECT_EQ(StoredAnswer(questions), kAnswerNo);
  Answers().SetDword(warning.key, 7);
  EXPECT_EQ(StoredAnswer(warning), kAnswerYes);

  EXPECT_FALSE(StoreAnswer(warning, kAnswerNo));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(Answers().GetDword(warning.key, 0), 7u);  // untouched
  EXPECT_TRUE(StoreAnswer(questions, kAnswerYes));
  EXPECT_EQ(Answers().GetDword(questions.key, 0), 6u);
  EXPECT_TRUE(RemoveStoredAnswer(questions));
  EXPECT_TRUE(RemoveStoredAnswer(questions));  // none left either way
  EXPECT_EQ(StoredAnswer(questions), kAnswerNo);
}

TEST_F(MessageBoxTableTest, SuppressionIsTheTextNoUnderTheShellKey) {
  EXPECT_EQ(SuppressionSubKey(),
            L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\DontShowMeThisDialogAgain");
  const MessageBoxRow& row = Row(7);
  EXPECT_FALSE(IsSuppressed(row));
  ASSERT_TRUE(SetSuppressed(row, true));
  EXPECT_TRUE(IsSuppressed(row));
  RegKey key;
  ASSERT_EQ(key.Open(SuppressionSubKey()), ERROR_SUCCESS);
  uint32_t type = 0;
  std::vector<uint8_t> data;
  ASSERT_EQ(key.QueryAll(row.key, type, data), ERROR_SUCCESS);
  EXPECT_EQ(type, REG_SZ);
  EXPECT_EQ(RegBytesText(data.data(), data.size()), L"NO");
  EXPECT_FALSE(IsSuppressed(Row(8)));  // per key

  Flags().SetText(row.key, L"no");
  EXPECT_TRUE(IsSuppressed(row));
  Flags().SetText(row.key, L"YES");
  EXPECT_FALSE(IsSuppressed(row));
  Flags().SetDword(row.key, 0);  // wrongly typed: the box shows
  EXPECT_FALSE(IsSuppressed(row));
  EXPECT_TRUE(SetSuppressed(row, false));
  EXPECT_TRUE(SetSuppressed(row, false));
  EXPECT_FALSE(IsSuppressed(row));
}

TEST_F(MessageBoxTableTest, BoxTypesTakeTheStoredAnswerAsDefaultButton) {
  uint32_t type = 0;
  ASSERT_TRUE(ConfirmableBoxType(Row(1), kAnswerOk, type));
  EXPECT_EQ(type, kBoxOk);
  ASSERT_TRUE(ConfirmableBoxType(Row(5), kAnswerNo, type));
  EXPECT_EQ(type, kBoxYesNoCancel | kBoxDefButton2);
  ASSERT_TRUE(ConfirmableBoxType(Row(5), kAnswerYes, type));
  EXPECT_EQ(type, kBoxYesNoCancel);

  MessageBoxRow custom = Row(5);
  custom.buttons = kAnswerBitYes;  // no such box
  EXPECT_FALSE(ConfirmableBoxType(custom, kAnswerYes, type));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_FLAGS);
}

}  // namespace
}  // namespace tarnix

#pragma once
// The confirmable message boxes: questions and confirmations that the user
// may choose never to see again. Each has a row in the table (its key, the
// text the Message Boxes page lists, its buttons, the answers that may be
// stored for it and the answer given when none is stored). The user's
// answer is kept under "Settings\\DontShowMsgs" as a REG_DWORD named by the
// key; whether the box is suppressed is kept as the value "NO" (REG_SZ)
// named by the key under the suppression key, where the Windows shell keeps
// it, so that the page and the boxes agree on one place.
#include <cstdint>
#include <span>
#include <string>

namespace tarnix {

// Dialog results.
inline constexpr int kAnswerOk = 1;
inline constexpr int kAnswerCancel = 2;
inline constexpr int kAnswerYes = 6;
inline constexpr int kAnswerNo = 7;

// Answer bits, for the buttons of a row and the answers it may store.
inline constexpr uint32_t kAnswerBitYes = 1;
inline constexpr uint32_t kAnswerBitNo = 2;
inline constexpr uint32_t kAnswerBitOk = 4;
inline constexpr uint32_t kAnswerBitCancel = 8;

// Button kinds of a row (sets of answer bits).
inline constexpr uint32_t kButtonsYesNo = kAnswerBitYes | kAnswerBitNo;                   // 3
inline constexpr uint32_t kButtonsOk = kAnswerBitOk;                                      // 4
inline constexpr uint32_t kButtonsYesNoCancel = kButtonsYesNo | kAnswerBitCancel;         // 11
inline constexpr uint32_t kButtonsOkCancel = kAnswerBitOk | kAnswerBitCancel;             // 12

// The platform's message-box type bits the buttons turn into.
inline constexpr uint32_t kBoxOk = 0x0;
inline constexpr uint32_t kBoxOkCancel = 0x1;
inline constexpr uint32_t kBoxYesNoCancel = 0x3;
inline constexpr uint32_t kBoxYesNo = 0x4;
inline constexpr uint32_t kBoxDefButton2 = 0x100;
inline constexpr uint32_t kBoxDefButton3 = 0x200;

struct MessageBoxRow {
  int id;
  const wchar_t* key;
  const wchar_t* text;
  uint32_t buttons;   // kButtons...
  uint32_t storable;  // answer bits that may be stored
  int defaultAnswer;
};

// The nine rows, in order of their ids 1..9.
std::span<const MessageBoxRow> MessageBoxTable();
// The row of `id`; null with the last error ERROR_UNKNOWN_ID (4200).
const MessageBoxRow* FindMessageBoxRow(int id);

// The answer bit of a dialog result; 0 for anything but 1, 2, 6 and 7.
uint32_t AnswerBit(int answer);
bool IsStorableAnswer(const MessageBoxRow& row, int answer);

// The sub-key (below HKEY_CURRENT_USER) of the suppression flags.
std::wstring SuppressionSubKey();

// The stored answer, or the row's default when none is stored, when it is
// not a REG_DWORD, not 1, 2, 6 or 7, or not one the row may store.
int StoredAnswer(const MessageBoxRow& row);
// Stores `answer`; refuses one the row may not store (ERROR_INVALID_PARAMETER).
bool StoreAnswer(const MessageBoxRow& row, int answer);
// Removes the stored answer; true when none is left.
bool RemoveStoredAnswer(const MessageBoxRow& row);

// True when the row's suppression flag reads "NO" (REG_SZ, any case); a
// flag of another type or text leaves the box shown.
bool IsSuppressed(const MessageBoxRow& row);
// Writes "NO" or removes the flag; true when the flag is as asked.
bool SetSuppressed(const MessageBoxRow& row, bool suppressed);

// The platform's type bits for the row's buttons with `defaultAnswer` as
// the default button when it is one of them; false (ERROR_INVALID_FLAGS)
// for buttons other than 3, 4, 11 and 12.
bool ConfirmableBoxType(const MessageBoxRow& row, int defaultAnswer, uint32_t& type);

// After the user ticked "do not show me this dialog" and answered `answer`:
// stores the answer and suppresses the box. An answer the row may not store
// (Cancel, or No where only Yes is kept) changes nothing: suppressing the box
// then would answer for the user what they did not choose. False when
// nothing was remembered (the last error tells why; failed writes are
// logged).
bool RememberAnswer(const MessageBoxRow& row, int answer);

}  // namespace tarnix

#include "tools/message_box_table.h"

#include <array>

#include "core/event_log.h"
#include "core/registry_settings.h"
#include "core/setting_changes.h"
#include "core/setting_names.h"
#include "platform/case_fold.h"
#include "platform/last_error.h"
#include "platform/win_errors.h"

namespace tarnix {
namespace {

// Announces a change of the stored answers or flags; answers `done`.
bool BoxesAnnounced(bool done) { return Announced(SettingId::kMessageBoxes, done); }

constexpr uint32_t kYes = kAnswerBitYes;
constexpr uint32_t kOk = kAnswerBitOk;

constexpr std::array<MessageBoxRow, 9> kRows{{
    {1, L"{0BC5598B-147F-4C74-A09B-E66F0FB21439}",
     L"01. Confirmation when search finishes with errors", kButtonsOk, kOk, kAnswerOk},
    {2, L"{234AFF46-5386-4FFC-B6D1-F35E8EEEAE8B}",
     L"02. Confirmation when search finishes with warnings", kButtonsOk, kOk, kAnswerOk},
    {3, L"{CCE50A05-2D3C-4ED2-8308-015E216F812F}",
     L"03. Confirmation when search finishes without any errors or warnings", kButtonsOk, kOk,
     kAnswerOk},
    {4, L"{281AF347-329B-4F6F-B261-6BA7B2F46164}",
     L"04. Confirmation when search is aborted due to unrecoverable errors", kButtonsOk, kOk,
     kAnswerOk},
    {5, L"{014DD326-815A-4777-A7A3-C18B4B8BE2BB}",
     L"05. Question to save presets before closing 'Search Error Ranges' window",
     kButtonsYesNoCancel, kYes | kAnswerBitNo, kAnswerNo},
    {6, L"{BB207EBD-9D6C-4BBB-A6D3-9198F13518A2}",
     L"06. Warning shown before importing of error range presets from a file", kButtonsYesNoCancel,
     kYes, kAnswerYes},
    {7, L"{1A71C564-1CDF-4C40-9A6F-C2054C482B8D}",
     L"07. Warning about overlapping error ranges in 'Search Error Ranges' window",
     kButtonsYesNoCancel, kYes, kAnswerYes},
    {8, L"{086EF6E9-C909-46E9-8881-7CA1C0E9B1FF}",
     L"08. Warning shown before importing of error codes search presets from a file",
     kButtonsYesNoCancel, kYes, kAnswerYes},
    {9, L"{95AECAF3-82A5-45E7-AA98-9EA5D10A7005}",
     L"09. Warning shown before saving WinAPI results list if it's not fully processed",
     kButtonsYesNoCancel, kYes, kAnswerYes},
}};

constexpr wchar_t kSuppressionSubKey[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\DontShowMeThisDialogAgain";
constexpr wchar_t kSuppressedText[] = L"NO";

RegistrySettings AnswerStore() {
  return RegistrySettings(RegistrySettings::SectionKey(setting::kSectionDontShowMsgs));
}

RegistrySettings SuppressionStore() { return RegistrySettings(kSuppressionSubKey); }

}  // namespace

std::span<const MessageBoxRow> MessageBoxTable() { return kRows; }

const MessageBoxRow* FindMessageBoxRow(int id) {
  for (const MessageBoxRow& row : kRows)
    if (row.id == id) return &row;
  SetLastError(ERROR_UNKNOWN_ID);
  return nullptr;
}

uint32_t AnswerBit(int answer) {
  switch (answer) {
    case kAnswerYes: return kAnswerBitYes;
    case kAnswerNo: return kAnswerBitNo;
    case kAnswerOk: return kAnswerBitOk;
    case kAnswerCancel: return kAnswerBitCancel;
    default: return 0;
  }
}

bool IsStorableAnswer(const MessageBoxRow& row, int answer) {
  const uint32_t bit = AnswerBit(answer);
  return bit != 0 && (row.storable & bit) != 0;
}

std::wstring SuppressionSubKey() { return kSuppressionSubKey; }

int StoredAnswer(const MessageBoxRow& row) {
  // 0 is no answer, so a missing or wrongly typed value falls to the default.
  const uint32_t stored = AnswerStore().GetDword(row.key, 0);
  if (stored > static_cast<uint32_t>(kAnswerNo)) return row.defaultAnswer;
  const int answer = static_cast<int>(stored);
  return IsStorableAnswer(row, answer) ? answer : row.defaultAnswer;
}

bool StoreAnswer(const MessageBoxRow& row, int answer) {
  if (!IsStorableAnswer(row, answer)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  return BoxesAnnounced(AnswerStore().SetDword(row.key, static_cast<uint32_t>(answer)));
}

bool RemoveStoredAnswer(const MessageBoxRow& row) {
  if (AnswerStore().DeleteValue(row.key)) return BoxesAnnounced(true);
  return BoxesAnnounced(GetLastError() == ERROR_FILE_NOT_FOUND);
}

bool IsSuppressed(const MessageBoxRow& row) {
  return EqualsIgnoreCase(SuppressionStore().GetText(row.key, L""), kSuppressedText);
}

bool SetSuppressed(const MessageBoxRow& row, bool suppressed) {
  const RegistrySettings store = SuppressionStore();
  if (suppressed) return BoxesAnnounced(store.SetText(row.key, kSuppressedText));
  if (store.DeleteValue(row.key)) return BoxesAnnounced(true);
  return BoxesAnnounced(GetLastError() == ERROR_FILE_NOT_FOUND);
}

bool ConfirmableBoxType(const MessageBoxRow& row, int defaultAnswer, uint32_t& type) {
  // The buttons in the order the box shows them.
  int order[3] = {0, 0, 0};
  switch (row.buttons) {
    case kButtonsOk: type = kBoxOk; order[0] = kAnswerOk; break;
    case kButtonsOkCancel: type = kBoxOkCancel; order[0] = kAnswerOk; order[1] = kAnswerCancel; break;
    case kButtonsYesNo: type = kBoxYesNo; order[0] = kAnswerYes; order[1] = kAnswerNo; break;
    case kButtonsYesNoCancel:
      type = kBoxYesNoCancel;
      order[0] = kAnswerYes;
      order[1] = kAnswerNo;
      order[2] = kAnswerCancel;
      break;
    default: SetLastError(ERROR_INVALID_FLAGS); return false;
  }
  if (defaultAnswer != 0 && order[1] == defaultAnswer) type |= kBoxDefButton2;
  if (defaultAnswer != 0 && order[2] == defaultAnswer) type |= kBoxDefButton3;
  return true;
}

bool RememberAnswer(const MessageBoxRow& row, int answer) {
  if (!IsStorableAnswer(row, answer)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  if (!StoreAnswer(row, answer)) {
    EventLog::LogSiteFormat(186, L"id=%d, a=%d", row.id, answer);
    return false;
  }
  if (!SetSuppressed(row, true)) {
    EventLog::LogSiteFormat(187, L"id=%d", row.id);
    return false;
  }
  return true;
}

}  // namespace tarnix

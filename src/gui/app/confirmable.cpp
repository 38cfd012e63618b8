#include "gui/app/confirmable.h"

#include "gui/app/dialogs.h"
#include "platform/last_error.h"
#include "platform/win_errors.h"
#include "tools/message_box_table.h"

namespace tarnix::gui {

static_assert(kBoxOk == mb::kOk && kBoxOkCancel == mb::kOkCancel &&
              kBoxYesNoCancel == mb::kYesNoCancel && kBoxYesNo == mb::kYesNo &&
              kBoxDefButton2 == mb::kDefButton2 && kBoxDefButton3 == mb::kDefButton3);
static_assert(kAnswerOk == IDOK && kAnswerCancel == IDCANCEL && kAnswerYes == IDYES &&
              kAnswerNo == IDNO);

int ShowConfirmable(int tableId, const QString& text, uint32_t iconFlags, QWidget* owner) {
  const MessageBoxRow* row = FindMessageBoxRow(tableId);
  if (!row) return -1;
  return ShowConfirmable(*row, text, iconFlags, owner);
}

bool ConfirmPresetImport(int tableId, QWidget* owner) {
  return ShowConfirmable(tableId,
                         QStringLiteral("WARNING: Importing will overwrite all your currently saved presets.\n\n"
                                        "Do you want to continue?"),
                         mb::kIconWarning, owner) == IDYES;
}

int ShowConfirmable(const MessageBoxRow& row, const QString& text, uint32_t iconFlags,
                    QWidget* owner) {
  if (text.isEmpty()) {
    SetLastError(ERROR_EMPTY_TEXT);
    return -1;
  }
  const int stored = StoredAnswer(row);
  uint32_t type = 0;
  if (!ConfirmableBoxType(row, stored, type)) return -1;
  if (IsSuppressed(row)) {
    SetLastError(ERROR_SUCCESS);
    return stored;
  }
  bool checked = false;
  const int answer = AppDialogs().MessageBoxWithCheck(owner, text, QStringLiteral("Tarnix"),
                                                      (iconFlags & mb::kIconMask) | type, checked);
  // A box whose answer can't be kept stays shown; the failure is logged.
  if (checked) RememberAnswer(row, answer);
  SetLastError(ERROR_SUCCESS);
  return answer;
}

}  // namespace tarnix::gui

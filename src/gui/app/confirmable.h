#pragma once
// The confirmable message boxes: a box with the check box "In the future,
// do not show me this dialog". Once the user ticked it with an answer the
// box may keep, the box is not shown again and answers that answer (the
// Message Boxes page of the settings lists and resets them).
#include <QString>
#include <cstdint>

class QWidget;

namespace tarnix {
struct MessageBoxRow;
}

namespace tarnix::gui {

// Shows the box of row `tableId` of the confirmable-box table with `text`,
// the caption "Tarnix" and the icon of `iconFlags` (mb::kIcon...; other bits
// are ignored, the row chooses the buttons), the stored answer as the
// default button. Answers IDOK, IDCANCEL, IDYES or IDNO; a suppressed box
// answers the stored answer (or the row's default) without showing. -1 with
// the last error for an unknown id (4200) or an empty text (8255).
int ShowConfirmable(int tableId, const QString& text, uint32_t iconFlags, QWidget* owner);
// The same for a row given whole.
int ShowConfirmable(const MessageBoxRow& row, const QString& text, uint32_t iconFlags,
                    QWidget* owner);
// The warning before an import replaces every stored preset, shown as box
// `tableId`: true when the user answers Yes.
bool ConfirmPresetImport(int tableId, QWidget* owner);

}  // namespace tarnix::gui

#pragma once
// A label that names a control: Alt and the label's mnemonic move to the
// control, and a control without an accessible name of its own takes the
// label's text without its "&" (a screen reader reads it by its label).
//
//   row->addWidget(BuddyLabel(this, QStringLiteral("Error &Code:"), code_));
#include <QLabel>
#include <QString>

namespace tarnix::gui {

QLabel* BuddyLabel(QWidget* parent, const QString& text, QWidget* buddy);

}  // namespace tarnix::gui
